#include "debugger/Listing.h"

#include "debugger/Debug.h"
#include "debugger/Symbols.h"
#include "memory/Rom.h"

namespace {

// GSUB/GOL (class 1) and LDI take the following word as their operand.
bool TakesTwoWords(uint16_t word) {
  return (word & 3) == 1 || word == 0x130;
}

}  // namespace

void ListingImage::Read() {
  for (uint32_t a = 0; a < kWords; ++a) words_[a] = FetchRom(a);
  continues_.reset();
  for (uint32_t a = 0; a < kWords; ++a)
    if (TakesTwoWords(words_[a]) && a + 1 < kWords) continues_[++a] = true;
}

ListingLine ListingImage::Line(uint16_t address, bool forceStart, bool withInstruction) const {
  ListingLine line;
  line.word = words_[address];
  if (const std::string* name = LookupSymbol(address)) line.label = *name;
  if (!withInstruction || (continues_[address] && !forceStart)) return line;
  int32_t at = address;
  line.instruction = DisassembleImage(words_.data(), at);
  return line;
}
