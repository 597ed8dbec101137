#pragma once
// The debugger's listing: a copy of the 64 K words the CPU fetches now (each page's current
// bank), read while the CPU stands, and its lines. Which words are the second half of a
// two-word instruction is found by reading the image from address 0 on.

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>

struct ListingLine {
  std::string label;        // the symbol at the address, or empty
  std::string instruction;  // empty for the second word of a two-word instruction
  uint16_t word = 0;
};

class ListingImage {
 public:
  static constexpr int kWords = 65536;

  // Copies the words the CPU fetches now; call while it stands between two instructions.
  void Read();
  uint16_t Word(uint16_t address) const { return words_[address]; }
  // The second word of GSUB/GOL or LDI, when the instructions are read from address 0 on.
  bool Continues(uint16_t address) const { return continues_[address]; }
  // The line at address; forceStart decodes it as an instruction even where it continues one
  // (the program counter may stand there). withInstruction false leaves the instruction empty.
  ListingLine Line(uint16_t address, bool forceStart = false, bool withInstruction = true) const;

 private:
  std::array<uint16_t, kWords> words_{};
  std::bitset<kWords> continues_;
};
