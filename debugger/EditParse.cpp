#include "debugger/EditParse.h"

#include "host/HexDigit.h"
#include "host/Trim.h"

namespace {

bool ReadHex(std::string_view s, uint32_t& value) {
  if (s.empty()) return false;
  uint64_t v = 0;
  for (char c : s) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return false;
    v = v * 16 + static_cast<unsigned>(digit);
    if (v > 0xFFFFFFFFu) return false;
  }
  value = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

uint32_t ParseHexValue(std::string_view text, uint32_t current) {
  uint32_t value = 0;
  return ReadHex(Trim(text), value) ? value : current;
}

bool ParseDigitGroups(std::string_view text, int k, DigitEntries& entries) {
  if (k != 1 && k != 2 && k != 4) return false;
  DigitEntries read{};
  const std::string_view s = Trim(text);
  size_t pos = s.size();
  for (int i = 0; i < kDigitEntries && pos > 0; i += k) {
    // A group: up to k characters from the right, fewer when a blank comes first. The blanks
    // to its left are consumed with it.
    const size_t end = pos;
    while (pos > 0 && end - pos < static_cast<size_t>(k) && s[pos - 1] != ' ') --pos;
    const std::string_view group = s.substr(pos, end - pos);
    while (pos > 0 && s[pos - 1] == ' ') --pos;
    uint32_t number = 0;
    if (!ReadHex(group, number)) return false;
    for (int d = 0; d < k; ++d) read[static_cast<size_t>(i + d)] = (number >> (4 * d)) & 15;
  }
  entries = read;
  return true;
}

bool ParseDigitGroups(std::string_view text, DigitRegister& reg) {
  DigitEntries entries;
  if (!ParseDigitGroups(text, 2, entries)) return false;
  for (int i = 0; i < kDigits; ++i) reg[static_cast<size_t>(i)] = entries[static_cast<size_t>(i)];
  return true;
}
