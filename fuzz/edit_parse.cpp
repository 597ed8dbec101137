// The debugger's field parsers: any text. A parsed value reads back from its own hexadecimal
// text; a text that does not parse changes nothing.

#include <cstdio>
#include <string>

#include "debugger/EditParse.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InputReader in(data, size);
  const uint32_t current = static_cast<uint32_t>(in.Int32());
  const uint8_t selector = in.Byte();
  const std::string text(reinterpret_cast<const char*>(in.Rest()), in.RestSize());

  const uint32_t value = ParseHexValue(text, current);
  char hex[16];
  std::snprintf(hex, sizeof hex, "%X", value);
  FUZZ_CHECK(ParseHexValue(hex, ~value) == value);
  if (value != current) {
    // A changed value came from hex digits only, between blanks and control characters.
    for (char c : text) {
      const bool digit = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
      FUZZ_CHECK(digit || static_cast<unsigned char>(c) <= 32);
    }
  }

  static const int kGroups[] = {1, 2, 4, 3};
  const int k = kGroups[selector & 3];
  DigitEntries entries;
  entries.fill(0xEE);
  const bool ok = ParseDigitGroups(text, k, entries);
  if (k == 3) FUZZ_CHECK(!ok);
  for (uint8_t e : entries) FUZZ_CHECK(ok ? e <= 15 : e == 0xEE);

  // A register reads back from the text the debugger shows for it.
  DigitRegister reg;
  for (int i = 0; i < kDigits; ++i) reg[i] = static_cast<uint8_t>((selector >> (i % 4)) ^ i) & 15;
  const DigitRegister before = reg;
  if (ParseDigitGroups(text, reg)) {
    std::string shown;
    for (int i = kDigits - 1; i >= 0; --i) shown += "0123456789ABCDEF"[reg[i]];
    DigitRegister again = before;
    FUZZ_CHECK(ParseDigitGroups(shown, again) && again == reg);
  } else {
    FUZZ_CHECK(reg == before);
  }
  return 0;
}
