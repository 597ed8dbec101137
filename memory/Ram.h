#pragma once
// Data RAM: up to 1024 registers of 14 digits, and the RAM image that keeps them across runs.

#include <cstdint>
#include <string>

#include "cpu/Cpu.h"

constexpr int kRamRegisters = 1024;

extern DigitRegister RamRegisters[kRamRegisters];
extern uint8_t RamExists[kRamRegisters];
extern int32_t RamSize;  // registers present from register 192 on
extern uint8_t SaveRam;

void ClearRamMap();
// Marks first..last present and clears them; the range is clipped to the 1024 registers.
void AddRamRange(int64_t first, int64_t last);

// One "RAM" "Module<n>" configuration entry: "first last".
enum class RamEntryParse { Ok, Skip, BadNumber };
RamEntryParse ParseRamEntry(const std::string& value, int64_t& first, int64_t& last,
                            std::string& badText);

// The image file that LoadRamImage and SaveRamImage use; empty: HomeFile(".RAM").
extern std::string RamImageFile;
// Restores from the image file, after the 2-second skip window (waitMs, 2000 on the desktop).
// False (and reported) when an image is there but cannot be read: saving over it would lose it.
bool LoadRamImage(uint32_t waitMs = 2000);
// Writes the image file atomically; on failure reports it and keeps the previous image.
bool SaveRamImage();
// The image as bytes, and its decoding into the present registers (file-free, for tests).
std::string EncodeRamImage();
void ApplyRamImage(const std::string& bytes);

// Whether bytes are a RAM image: whole 9-byte records, register numbers below 1024, each
// register once. False with the reason otherwise, also for an empty one (nobody saves that).
bool CheckRamImage(const std::string& bytes, std::string& reason);
// Reads the file at path and checks it as a RAM image; false with the reason (also when it is
// missing, a folder or unreadable).
bool ReadRamImageFile(const std::string& path, std::string& bytes, std::string& reason);
