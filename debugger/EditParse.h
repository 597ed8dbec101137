#pragma once
// The debugger window's text parsers: what a typed field means. A text that does not parse
// changes nothing; the window then shows the current value again.

#include <array>
#include <cstdint>
#include <string_view>

#include "cpu/Cpu.h"

// A hexadecimal number of up to 32 bits, without sign or prefix, blanks and control characters
// around it ignored. Anything else (empty, a foreign character, more than 32 bits) gives current.
uint32_t ParseHexValue(std::string_view text, uint32_t current);

constexpr int kDigitEntries = 24;
using DigitEntries = std::array<uint8_t, kDigitEntries>;

// Reads a text from its right end in groups of up to k (1, 2 or 4) hex characters, a blank
// ending a group early; each group gives k digits, low digit first. Groups never given leave
// their entries 0; characters beyond the 24 entries are ignored. False, with entries untouched,
// when a group is not hexadecimal or k is not 1, 2 or 4.
bool ParseDigitGroups(std::string_view text, int k, DigitEntries& entries);

// A register field: 14 digits, digit 13 first, read in groups of 2. A text that does not parse
// leaves the register unchanged.
bool ParseDigitGroups(std::string_view text, DigitRegister& reg);
