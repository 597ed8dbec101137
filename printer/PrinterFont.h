#pragma once
// The 82143A's character set as dot patterns: 128 glyphs on a grid of 7 dot columns by 8 dot
// rows. Characters use the left five columns and the top seven rows; codes 9 and 11 reach into
// columns 6 and 7, and the descenders of , ; g j p q y use row 8.

#include <cstdint>

constexpr int kGlyphCount = 128;
constexpr int kGlyphColumns = 7;
constexpr int kGlyphRows = 8;

// One byte per dot column, left to right. Bit r is dot row r, bit 0 the top row: the same order
// as a dot-column byte sent to the printer.
extern const uint8_t PrinterFont[kGlyphCount][kGlyphColumns];

inline bool PrinterFontDot(int code, int column, int row) {
  return (PrinterFont[code & 127][column] >> row) & 1;
}
