// The module image loader: any bytes, under each of the extensions, at any start and span.
// The words that arrive are checked against a model of the encodings and the placement rule.

#include <algorithm>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "memory/Rom.h"

namespace {

// The words of a file as the encodings define them: two bytes a word when the size is a
// multiple of 8192, otherwise a 10-bit stream (after the 32-byte header for ".R41"), whole
// blocks of 64 words with the missing bytes zero.
std::vector<uint16_t> ModelWords(const std::string& bytes, bool r41) {
  const size_t skip = r41 ? 32 : 0;
  const std::string payload = bytes.size() > skip ? bytes.substr(skip) : std::string();
  std::vector<uint16_t> words;
  if (bytes.size() % 8192 == 0) {
    const size_t count = (payload.size() + 127) / 128 * 64;
    for (size_t i = 0; i < count; ++i) {
      const auto byte = [&](size_t k) {
        return k < payload.size() ? static_cast<uint8_t>(payload[k]) : 0u;
      };
      words.push_back(static_cast<uint16_t>((byte(2 * i) << 8 | byte(2 * i + 1)) & 0x3FF));
    }
    return words;
  }
  const size_t count = (payload.size() + 79) / 80 * 64;
  const auto bit = [&](size_t n) {
    const size_t k = n / 8;
    if (k >= payload.size()) return 0u;
    const unsigned b = static_cast<uint8_t>(payload[k]);
    return r41 ? (b >> (7 - n % 8)) & 1 : (b >> (n % 8)) & 1;
  };
  for (size_t i = 0; i < count; ++i) {
    unsigned w = 0;
    for (size_t j = 0; j < 10; ++j) {
      // ".R41": most significant bit first; others: bit j of the word is stream bit 10i + j.
      w = r41 ? (w << 1 | bit(10 * i + j)) : (w | bit(10 * i + j) << j);
    }
    words.push_back(static_cast<uint16_t>(w));
  }
  return words;
}

uint16_t Stored(int64_t address, int64_t bank) {
  const RomBlock* block = RomPages[address >> 12][bank].load();
  return block ? (*block)[address & 0xFFF] : 0;
}

const char* const kNames[] = {"image.R41", "image.rom", "image.bin", "IMAGE.r41"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHome& home = Home();
  InputReader in(data, size);
  const uint8_t mode = in.Byte();
  int64_t start = in.Int32();
  int64_t span = in.Int32();
  // Most inputs keep start and span in range so that the placement itself is exercised.
  if (mode & 4) {
    start &= 0xFFFF;
    span &= 31;
  }
  const std::string path = home.dir + kNames[mode & 3];
  const std::string bytes(reinterpret_cast<const char*>(in.Rest()), in.RestSize());
  WriteFile(path, bytes);

  FreshMachine();
  const bool ok = LoadModuleImage(start, path, span);

  // Reported exactly when it returns false, once.
  FUZZ_CHECK(home.host.messages.size() == (ok ? 0u : 1u));
  if (!ok) {
    FUZZ_CHECK(home.host.messages[0].find("Error loading module image: " + path) == 0);
  }

  // Where the placement rule puts word i: span pages from start in bank 0, then each further
  // page into the next bank of the last of those pages.
  const std::vector<uint16_t> words = ModelWords(bytes, (mode & 3) == 0 || (mode & 3) == 3);
  const bool valid = start >= 0 && start <= 0xFFFF && span >= 1;
  int64_t expectedStores = 0;
  bool refused = false;
  for (size_t i = 0; i < words.size(); ++i) {
    if (!valid) {
      refused = true;
      break;
    }
    const int64_t first = std::min<int64_t>(span, 17) * 4096;
    const int64_t index = static_cast<int64_t>(i);
    const int64_t bank = index < first ? 0 : 1 + (index - first) / 4096;
    const int64_t address =
        index < first ? start + index : start + first - 4096 + (index - first) % 4096;
    if (bank > 3 || address > 0xFFFF) {
      refused = true;
      continue;
    }
    ++expectedStores;
    FUZZ_CHECK(Stored(address, bank) == words[i]);
  }
  FUZZ_CHECK(ok == !refused);

  // Nothing else was stored: count the words of every block that the model did not fill.
  int64_t nonZero = 0;
  for (int page = 0; page < 16; ++page) {
    for (int bank = 0; bank < 4; ++bank) {
      const RomBlock* block = RomPages[page][bank].load();
      if (!block) continue;
      for (uint16_t w : *block) {
        FUZZ_CHECK(w <= 0x3FF);
        nonZero += w != 0;
      }
    }
  }
  FUZZ_CHECK(nonZero <= expectedStores);
  ClearRom();
  return 0;
}
