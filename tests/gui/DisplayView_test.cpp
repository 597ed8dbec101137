// The display font strip, the glyph table, the contrast colour and the drawing into the display
// and annunciator images.

#include "display/DisplayView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "display/Lcd.h"
#include "support/MachineFixture.h"

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBackground = kDisplayBackground.rgb();

// Lit pixels of a cell of the stored strip, and whether one set covers another.
std::vector<bool> Lit(const QImage& strip, int x0, int width) {
  std::vector<bool> lit;
  for (int y = 0; y < 17; ++y)
    for (int x = x0; x < x0 + width; ++x) lit.push_back(strip.pixel(x, y) == kWhite);
  return lit;
}
std::vector<bool> Glyph(const QImage& strip, int g) {
  return Lit(strip, 11 * g, 11);
}
std::vector<bool> Punct(const QImage& strip, int p) {
  return Lit(strip, 880 + 3 * p, 3);
}
bool Covers(const std::vector<bool>& big, const std::vector<bool>& small) {
  for (size_t i = 0; i < big.size(); ++i)
    if (small[i] && !big[i]) return false;
  return true;
}
bool Blank(const std::vector<bool>& cell) {
  return std::ranges::none_of(cell, std::identity());
}

// The w × 17 block of the display at (x, y) equals the cell of the strip at column sx.
bool ShowsCell(const DisplayView& view, int x, int y, int sx, int w) {
  return view.DispImage().copy(x, y, w, 17) == view.FontStrip().copy(sx, 0, w, 17);
}

TEST(FontStrip, SizeAndOnlyTwoColours) {
  const QImage strip = BuildFontStrip();
  ASSERT_EQ(strip.size(), QSize(901, 17));
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 901; ++x) {
      const QRgb c = strip.pixel(x, y);
      ASSERT_TRUE(c == kWhite || c == qRgb(160, 160, 128)) << x << "," << y;
      if (x >= 895) {
        EXPECT_NE(c, kWhite) << "unused column " << x;
      }
    }
}

TEST(FontStrip, GlyphsAndPunctuationCells) {
  const QImage strip = BuildFontStrip();
  for (int g = 0; g < 79; ++g) {
    EXPECT_FALSE(Blank(Glyph(strip, g))) << g;
    EXPECT_TRUE(Covers(Glyph(strip, 33), Glyph(strip, g))) << g;
  }
  EXPECT_TRUE(Blank(Glyph(strip, 79)));
  // Letters must all look different, and so must digits (0 and O, 5 and S look alike, as on the
  // calculator).
  for (const std::string set : {"0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcde"}) {
    std::vector<std::vector<bool>> seen;
    for (unsigned char c : set) {
      const auto glyph = Glyph(strip, GlyphOf(c));
      EXPECT_EQ(std::count(seen.begin(), seen.end(), glyph), 0) << c;
      seen.push_back(glyph);
    }
  }
  // ";" lights every punctuation segment; the others are different, non-empty parts of it.
  for (int p = 0; p < 3; ++p) {
    EXPECT_FALSE(Blank(Punct(strip, p))) << p;
    EXPECT_TRUE(Covers(Punct(strip, 3), Punct(strip, p))) << p;
    EXPECT_NE(Punct(strip, p), Punct(strip, (p + 1) % 3)) << p;
  }
  EXPECT_TRUE(Blank(Punct(strip, 4)));
}

TEST(GlyphTable, BytesToGlyphs) {
  const std::pair<int, int> cases[] = {
      {0x00, 0},  {0x01, 1},  {0x02, 33}, {0x03, 33}, {0x04, 2},  {0x05, 3},  {0x06, 4},
      {0x07, 33}, {0x0B, 33}, {0x0C, 5},  {0x0D, 6},  {0x0E, 33}, {0x1C, 33}, {0x1D, 7},
      {0x1E, 33}, {0x1F, 33}, {0x20, 79}, {0x21, 8},  {0x39, 32}, {0x3A, 33}, {0x3B, 34},
      {0x41, 40}, {0x5F, 70}, {0x60, 71}, {0x65, 76}, {0x66, 33}, {0x7D, 33}, {0x7E, 77},
      {0x7F, 78}, {0x80, 33}, {0xA1, 33}, {0xFF, 33}};
  for (auto [byte, glyph] : cases) EXPECT_EQ(GlyphOf(byte), glyph) << std::hex << byte;
}

// LCD codes as the machine decodes them: ":" and the codes 0x50..0x7F light every segment;
// the row with bit 6 set and bits 4..5 clear holds the special characters.
class DecodedGlyphs : public MachineTest {};
TEST_F(DecodedGlyphs, CodesToGlyphs) {
  const std::pair<int, int> cases[] = {{0x3A, 33}, {0x50, 33}, {0x65, 33}, {0x7F, 33},
                                       {0x4C, 5},  {0x4D, 7},  {0x4F, 6},  {0x4E, 77},
                                       {0x40, 78}, {0x20, 79}, {0x01, 40}};
  for (auto [code, glyph] : cases) {
    LcdA[0] = code & 15;
    LcdB[0] = (code >> 4) & 3;
    LcdC[0] = code >> 6;
    EXPECT_EQ(GlyphOf(DecodeDisplay().chars.at(0)), glyph) << std::hex << code;
  }
}

TEST(Contrast, ColourForEveryValue) {
  const int q[16] = {9, 8, 8, 7, 6, 6, 5, 5, 4, 3, 3, 2, 1, 1, 0, 0};
  for (int c = 0; c < 16; ++c) EXPECT_EQ(ContrastColour(c), QColor(16 * q[c], 16 * q[c], 64)) << c;
}

TEST(Contrast, RecoloursFromTheStoredStrip) {
  DisplayView view;
  for (int c : {0, 8, 15}) {  // each recolouring starts again from the white strip
    view.applyContrast(c);
    const QImage& stored = view.StoredFontStrip();
    ASSERT_EQ(view.FontStrip().size(), stored.size());
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 901; ++x) {
        const QRgb s = stored.pixel(x, y);
        ASSERT_EQ(view.FontStrip().pixel(x, y), s == kWhite ? ContrastColour(c).rgb() : s)
            << c << " at " << x << "," << y;
      }
  }
}

// The display drawn at dpr 1 and 2 with the same calls: each 2 × 2 block of the dpr-2 picture
// matches its dpr-1 pixel; exactly where the text has no diagonal segment, and elsewhere no
// pixel is lit in one picture and wholly unlit in the other (the smoothing of a slanted edge).
void DrawBoth(const std::function<void(DisplayView&)>& draw, DisplayView& one, bool exact = false) {
  DisplayView two(2.0);
  draw(one);
  draw(two);
  ASSERT_EQ(two.DispImage().size(), QSize(506, 42));
  ASSERT_EQ(two.AnnImage().size(), QSize(506, 28));
  EXPECT_EQ(two.DispImage().deviceIndependentSize(), QSizeF(253, 21));
  if (exact) {
    QImage scaled = one.DispImage().scaled(506, 42);
    scaled.setDevicePixelRatio(2.0);
    EXPECT_EQ(two.DispImage(), scaled);
    return;
  }
  const QImage averaged =
      two.DispImage().scaled(253, 21, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  auto distance = [](QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.blue() - b.blue());
  };
  int lit = 0;  // how far a lit pixel is from an unlit one
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 253; ++x)
      lit = std::max(lit, distance(one.DispImage().pixelColor(x, y), QColor(160, 160, 128)));
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 253; ++x)
      ASSERT_LT(distance(averaged.pixelColor(x, y), one.DispImage().pixelColor(x, y)), lit * 0.9)
          << x << "," << y;
}

// At ratio 2 a diagonal is drawn at device resolution, not as enlarged 2 × 2 pixel steps, while
// the straight bars stay crisp in the contrast colour.
TEST(Drawing, DiagonalsAreSmoothAtRatioTwo) {
  DisplayView view(2.0);
  view.applyContrast(15);
  view.drawCharacters("X8");
  const QImage& image = view.DispImage();
  auto blocks = [&](int cellX) {  // non-uniform 2 × 2 blocks of one character cell
    int steps = 0;
    for (int y = 4; y < 38; y += 2)
      for (int x = 2 * cellX; x < 2 * cellX + 22; x += 2)
        steps += image.pixel(x, y) != image.pixel(x + 1, y) ||
                 image.pixel(x, y) != image.pixel(x, y + 1) ||
                 image.pixel(x, y) != image.pixel(x + 1, y + 1);
    return steps;
  };
  EXPECT_GT(blocks(12), 10);                                        // "X": four diagonals
  EXPECT_EQ(blocks(32), 0);                                         // "8": bars only
  EXPECT_EQ(image.pixel(2 * 32 + 4, 4), ContrastColour(15).rgb());  // the top bar of "8"
}

// A character drawn over another leaves nothing of the old one at any ratio: at fractional
// ratios the cell edges fall inside device pixels, which must be cleared too.
TEST(Drawing, RedrawnCharactersLeaveNoTraceAtAnyRatio) {
  for (qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0}) {
    DisplayView used(ratio), fresh(ratio);
    used.drawCharacters("::::::::::::");
    used.drawCharacters("HELLO");
    fresh.drawCharacters("HELLO");
    EXPECT_EQ(used.DispImage(), fresh.DispImage()) << ratio;
  }
}

TEST(Drawing, CharactersAtTheirCells) {
  DisplayView view;
  ASSERT_EQ(view.DispImage().size(), QSize(253, 21));
  EXPECT_EQ(view.DispImage().pixel(0, 0), kBackground);
  // A full text, one with the twelfth position missing, one beyond twelve characters.
  for (const std::string text :
       {"888888888888", "HELLO WORLD", "\x0C\x1D\x7E\x0D\x7F:abcde`ZZZZ"}) {
    DrawBoth([&](DisplayView& v) { v.applyContrast(12), v.drawCharacters(text); }, view,
             text[0] == '8');
    for (int i = 1; i <= 12; ++i) {
      const int g = GlyphOf(i <= static_cast<int>(text.size()) ? text[i - 1] : ' ');
      EXPECT_TRUE(ShowsCell(view, 20 * i - 8, 2, 11 * g, 11)) << text << i;
    }
    for (int x : {0, 11, 23, 31, 243, 252})  // between and beyond the cells
      for (int y = 0; y < 21; ++y) ASSERT_EQ(view.DispImage().pixel(x, y), kBackground) << x;
  }
}

TEST(Drawing, PunctuationBesideTheCharacters) {
  DisplayView view;
  DrawBoth([](DisplayView& v) { v.drawCharacters("::::::::::::"), v.drawPunctuation(",.:;x ,"); },
           view);
  const int cells[12] = {0, 1, 2, 3, 4, 4, 0, 4, 4, 4, 4, 4};  // positions 8..12 missing
  for (int i = 1; i <= 12; ++i) {
    EXPECT_TRUE(ShowsCell(view, 20 * i + 6, 4, 880 + 3 * cells[i - 1], 3)) << i;
    EXPECT_TRUE(ShowsCell(view, 20 * i - 8, 2, 11 * 33, 11)) << i;  // character cell untouched
  }
}

TEST(Drawing, AnnunciatorsClearedThenTextInTheContrastColour) {
  DisplayView view;
  view.applyContrast(15);
  view.drawAnnunciators("BAT USER GRAD SHIFT 01234 PRGM ALPHA and more text beyond the image");
  ASSERT_EQ(view.AnnImage().size(), QSize(253, 14));
  QRect ink;
  for (int y = 0; y < 14; ++y)
    for (int x = 0; x < 253; ++x) {
      const QRgb c = view.AnnImage().pixel(x, y);
      if (c == kBackground) continue;
      ink |= QRect(x, y, 1, 1);
      ASSERT_EQ(c, ContrastColour(15).rgb()) << x << "," << y;  // hard-edged text at dpr 1
    }
  EXPECT_LE(ink.left(), 2);  // "B" at the left edge, the long line clipped at the right
  EXPECT_LE(ink.top(), 4);
  EXPECT_GE(ink.right(), 248);
  view.drawAnnunciators("");
  QImage cleared(253, 14, QImage::Format_RGB32);
  cleared.fill(kDisplayBackground);
  EXPECT_EQ(view.AnnImage(), cleared);
}

}  // namespace
