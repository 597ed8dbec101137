// The printer's glyph table: which dots each glyph may use, and that no two glyphs are confused.

#include "printer/PrinterFont.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>

namespace {

bool UsesColumn(int code, int column) {
  return PrinterFont[code][column] != 0;
}

bool UsesRow(int code, int row) {
  for (int column = 0; column < kGlyphColumns; ++column)
    if (PrinterFontDot(code, column, row)) return true;
  return false;
}

TEST(PrinterFontTest, GlyphsStayInsideTheirDotArea) {
  const std::set<int> wide = {9, 11};
  const std::set<int> descenders = {',', ';', 'g', 'j', 'p', 'q', 'y'};
  for (int code = 0; code < kGlyphCount; ++code) {
    SCOPED_TRACE(code);
    EXPECT_EQ(UsesColumn(code, 5) || UsesColumn(code, 6), wide.count(code) == 1);
    EXPECT_EQ(UsesRow(code, 7), descenders.count(code) == 1);
    bool blank = true;
    for (int column = 0; column < kGlyphColumns; ++column)
      blank = blank && !UsesColumn(code, column);
    EXPECT_EQ(blank, code == ' ');
  }
  EXPECT_TRUE(UsesColumn(9, 6) && UsesColumn(11, 6));
  // Dot columns are printed with the dot at column 0, row 3 of code 0.
  EXPECT_TRUE(PrinterFontDot(0, 0, 3));
}

TEST(PrinterFontTest, EveryGlyphDiffersFromEveryOther) {
  std::map<std::array<uint8_t, kGlyphColumns>, int> seen;
  for (int code = 0; code < kGlyphCount; ++code) {
    std::array<uint8_t, kGlyphColumns> dots;
    for (int column = 0; column < kGlyphColumns; ++column) dots[column] = PrinterFont[code][column];
    const auto [it, added] = seen.emplace(dots, code);
    // The two diamonds of the character set look alike.
    if (!added) {
      EXPECT_TRUE(it->second == 0 && code == 10) << it->second << " and " << code;
    }
  }
}

}  // namespace
