#include "tools/CharacterSet.h"

namespace {

// Codes 0x00..0x1F of the calculator's character set.
constexpr const char* kLow[32] = {
    "\u25c6", "x\u0304", "x\u0305", "\u2190", "\u03b1", "\u03b2", "\u0393", "\u2193",
    "\u0394", "\u03c3",  "\u25c6",  "\u03bb", "\u03bc", "\u2221", "\u03c4", "\u03a6",
    "\u0398", "\u03a9",  "\u03b4",  "\u00c5", "\u00e5", "\u00c4", "\u00e4", "\u00d6",
    "\u00f6", "\u00dc",  "\u00fc",  "\u00c6", "\u00e6", "\u2260", "\u00a3", "\u2592",
};

std::string CodeUtf8(unsigned char c) {
  if (c < 32) return kLow[c];
  switch (c) {
    case 0x60:
      return "\u22a4";
    case 0x7B:
      return "\u03c0";
    case 0x7D:
      return "\u2192";
    case 0x7E:
      return "\u03a3";
    case 0x7F:
      return "\u251c";
    default:
      return std::string(1, static_cast<char>(c & 0x7F));
  }
}

}  // namespace

std::string DisplayCharUtf8(unsigned char b) {
  const bool drawn = b == 0x00 || b == 0x01 || (b >= 0x04 && b <= 0x06) || b == 0x0C || b == 0x0D ||
                     b == 0x1D || (b >= 0x20 && b <= 0x65 && b != 0x3A) || b == 0x7E || b == 0x7F;
  return drawn ? CodeUtf8(b) : "\u2588";  // every other code lights all segments
}

std::string DisplayLineUtf8(const std::string& chars, const std::string& punct) {
  std::string line;
  for (size_t i = 0; i < 12; ++i) {
    line += DisplayCharUtf8(i < chars.size() ? static_cast<unsigned char>(chars[i]) : ' ');
    const char p = i < punct.size() ? punct[i] : ' ';
    if (p == '.' || p == ':' || p == ',' || p == ';') line += p;
  }
  return line;
}

std::string PrintLineUtf8(std::string_view buffer, int start) {
  std::string line(start > 0 ? static_cast<size_t>(start / 14) : 0, ' ');
  bool columns = false;
  for (unsigned char b : buffer) {
    if (b >= 0xA0 && b <= 0xB7) {
      columns = false;
      line.append(b - 0xA0, ' ');
    } else if (b >= 0xB8 && b <= 0xBF) {
      columns = false;
    } else if (b >= 0xD0 && b <= 0xD7) {
      columns = b & 2;
    } else if (columns) {
      line += b ? "\u2591" : " ";  // a dot column: shaded when any dot is set
    } else {
      line += CodeUtf8(b);
    }
  }
  return line;
}
