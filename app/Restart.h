#pragma once
// Restarting the machine without ending the program, and the calculator's memory as a file the
// user names: saved as a snapshot, or loaded in place of the memory (which is kept aside first).

#include <string>

#include "app/StartUp.h"

// The current memory kept aside by LoadMemory, in the home folder.
inline constexpr const char* kMemoryBackup = ".RAM.bak";

// The memory as a RAM image, register 9 carrying ST 10 as at shut-down; taken while the CPU
// thread stands between two instructions.
std::string MemoryImage();

// Stops the CPU thread, keeps the memory (and saves it, as a shut-down would), sets the machine
// up again from the configuration as at start-up, restores the memory (or puts `memory`, a RAM
// image's bytes, in its place), and starts the CPU thread again. The printer's mode switch
// stays where the user left it. False when the memory was to be saved and could not be (the
// restart happens all the same: the memory is still the running program's).
bool RestartMachine(const LifeCycleWaits& waits, const std::string* memory = nullptr);

// Writes the memory to path; false with the reason when it cannot.
bool SaveMemoryAs(const std::string& path, std::string& error);
// Reads path as a RAM image to load in place of the memory: a file that is none is refused with
// the reason, and nothing changes. Otherwise the current memory is first written to
// VALDOR.RAM.bak in the home folder (a failure there refuses too); the caller then restarts the
// machine with `bytes`. False with the reason when refused.
bool PrepareMemoryLoad(const std::string& path, std::string& bytes, std::string& error);
