#pragma once
// Program memory: 16 pages of 4096 10-bit words, each page with up to four banks.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

using RomBlock = std::array<uint16_t, 4096>;

// [page][bank]; an empty entry means no ROM there. Blocks are created on the first store.
extern std::atomic<RomBlock*> RomPages[16][4];
// The bank that fetches of each page read.
extern std::atomic<uint8_t> CurrentBank[16];

inline uint16_t FetchRom(uint32_t address) {
  const unsigned page = (address >> 12) & 15;
  const RomBlock* block = RomPages[page][CurrentBank[page].load(std::memory_order_relaxed)].load(
      std::memory_order_relaxed);
  return block ? ((*block)[address & 0xFFF] & 0x3FF) : 0;
}

// Stores the low 10 bits of value, creating the block of (page, bank) if needed.
void StoreRom(uint32_t address, int bank, uint16_t value);
// The bank switch of ENROM0..3 and POWOFF; address is that of the executing instruction.
void SelectBank(uint16_t address, int bank);
// Releases every block and selects bank 0 everywhere.
void ClearRom();

// Loads one module image file (".R41", 2-byte words, or packed least significant bit first):
// span pages from start in the first bank, then each further page into the next bank of the
// last of those pages. Returns false when the file could not be opened or part of it was
// refused (both reported).
bool LoadModuleImage(int64_t start, const std::string& path, int64_t span, int64_t bank = 0);

// What a module image file holds, without loading it.
enum class ImageEncoding { Words16, PackedMsbFirst, PackedLsbFirst };
struct ImageInfo {
  bool valid = false;
  std::string reason;  // why it is no image (valid false)
  ImageEncoding encoding = ImageEncoding::PackedLsbFirst;
  int64_t bytes = 0;
  int64_t words = 0;
};
ImageInfo ProbeModuleImage(const std::string& path);
const char* EncodingName(ImageEncoding encoding);

// One "ROM" "Module<n>" configuration entry, parsed.
struct ModuleEntry {
  int64_t start = 0;
  std::string file;
  int64_t span = 16;
  int64_t bank = 0;  // the bank the first words go to
};
enum class EntryParse { Ok, Skip, BadNumber };
// Parses "start file [span [bank]]". BadNumber: a number did not convert (badText names it).
EntryParse ParseModuleEntry(const std::string& value, ModuleEntry& entry, std::string& badText);
// The file of an entry: a name without a directory part is taken from the home folder, or from
// the program's data folder when it is only there.
std::string ModulePath(const std::string& file);
