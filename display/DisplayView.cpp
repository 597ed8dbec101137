// The display on the main window. The font strip is drawn from a table of lit segments of the
// starburst cell; characters and punctuation are rectangle copies from its recoloured copy.

#include "display/DisplayView.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr int kGlyphWidth = 11, kGlyphHeight = 17, kGlyphCount = 80;
constexpr int kPunctX = 880, kPunctWidth = 3, kPunctCells = 5;
constexpr int kStripWidth = 901;
constexpr int kAllSegmentsGlyph = 33;
constexpr int kDispWidth = 253, kDispHeight = 21, kAnnHeight = 14;

const QRgb kLit = qRgb(255, 255, 255);
const QRgb kUnlit = qRgb(160, 160, 128);

// Segments of the starburst cell: bars, verticals at the sides and in the centre, the two
// halves of the middle bar and the four diagonals that meet in the centre.
enum Segment : uint16_t {
  kTop = 1 << 0,         // top bar
  kUpRight = 1 << 1,     // upper right vertical
  kLowRight = 1 << 2,    // lower right vertical
  kBottom = 1 << 3,      // bottom bar
  kLowLeft = 1 << 4,     // lower left vertical
  kUpLeft = 1 << 5,      // upper left vertical
  kMidLeft = 1 << 6,     // left half of the middle bar
  kMidRight = 1 << 7,    // right half of the middle bar
  kDiagUL = 1 << 8,      // upper left corner to the centre
  kUpCentre = 1 << 9,    // upper centre vertical
  kDiagUR = 1 << 10,     // upper right corner to the centre
  kDiagLL = 1 << 11,     // lower left corner to the centre
  kLowCentre = 1 << 12,  // lower centre vertical
  kDiagLR = 1 << 13,     // lower right corner to the centre
  kAll = (1 << 14) - 1,
};

// Short names for the glyph table.
constexpr uint16_t A = kTop, B = kUpRight, C = kLowRight, D = kBottom, E = kLowLeft, F = kUpLeft,
                   G1 = kMidLeft, G2 = kMidRight, G = kMidLeft | kMidRight, H = kDiagUL,
                   I = kUpCentre, J = kDiagUR, K = kDiagLL, L = kLowCentre, M = kDiagLR;

// A stroke is a line of single pixels from (x0, y0) to (x1, y1), ends included.
struct Stroke {
  int segment, x0, y0, x1, y1;
};

// Two-pixel strokes; the centre stems and the middle bar are one pixel. The diagonals run from
// the inner corners of the frame to the centre, where the stems and the middle halves meet.
constexpr Stroke kStrokes[] = {
    {kTop, 1, 0, 9, 0},         {kTop, 1, 1, 9, 1},         // top bar
    {kBottom, 1, 15, 9, 15},    {kBottom, 1, 16, 9, 16},    // bottom bar
    {kUpLeft, 0, 1, 0, 7},      {kUpLeft, 1, 2, 1, 7},      // upper left
    {kLowLeft, 0, 9, 0, 15},    {kLowLeft, 1, 9, 1, 14},    // lower left
    {kUpRight, 10, 1, 10, 7},   {kUpRight, 9, 2, 9, 7},     // upper right
    {kLowRight, 10, 9, 10, 15}, {kLowRight, 9, 9, 9, 14},   // lower right
    {kMidLeft, 0, 8, 5, 8},     {kMidRight, 5, 8, 10, 8},   // middle halves
    {kUpCentre, 5, 2, 5, 8},    {kLowCentre, 5, 8, 5, 14},  // centre stems
    {kDiagUL, 2, 2, 4, 7},      {kDiagUL, 3, 2, 5, 7},      // upper diagonals
    {kDiagUR, 8, 2, 6, 7},      {kDiagUR, 7, 2, 5, 7},      //
    {kDiagLL, 4, 9, 2, 14},     {kDiagLL, 5, 9, 3, 14},     // lower diagonals
    {kDiagLR, 6, 9, 8, 14},     {kDiagLR, 5, 9, 7, 14},     //
};

// Lit segments of glyphs 0..79.
// clang-format off
constexpr uint16_t kGlyphs[kGlyphCount] = {
    // 0..7: the special characters 0x00 (overbar), 0x01 (x bar), 0x04 (alpha), 0x05 (beta),
    // 0x06 (Gamma), 0x0C (mu), 0x0D (angle), 0x1D (not equal).
    A, A | H | J | K | M, G1 | E | D | J | M, A | B | G2 | C | D | E | F, A | F | E,
    F | E | D | C, J | K | D, G | D | J | K,
    // 8..15: ! " # $ % & ' (
    I | L, F | I, B | C | D | G | I | L, A | F | G | C | D | I | L, F | C | J | K,
    H | J | G1 | E | D | M, J, J | M,
    // 16..23: ) * + , - . / 0
    H | K, G | H | I | J | K | L | M, G | I | L, K, G, L, J | K, A | B | C | D | E | F,
    // 24..31: 1 2 3 4 5 6 7 8
    B | C, A | B | G | E | D, A | B | G | C | D, F | G | B | C, A | F | G | C | D,
    A | F | E | D | C | G, A | B | C, A | B | C | D | E | F | G,
    // 32..39: 9, the place of ":" (all segments), ; < = > ? @
    A | B | C | D | F | G, kAll, I | K, J | M, G | D, H | K, A | B | G2 | L,
    A | B | D | E | F | G2 | I,
    // 40..47: A B C D E F G H
    A | B | C | E | F | G, A | B | C | D | G2 | I | L, A | D | E | F, A | B | C | D | I | L,
    A | D | E | F | G1, A | E | F | G1, A | C | D | E | F | G2, B | C | E | F | G,
    // 48..55: I J K L M N O P
    A | D | I | L, B | C | D | E, E | F | G1 | J | M, D | E | F, B | C | E | F | H | J,
    B | C | E | F | H | M, A | B | C | D | E | F, A | B | E | F | G,
    // 56..63: Q R S T U V W X
    A | B | C | D | E | F | M, A | B | E | F | G | M, A | F | G | C | D, A | I | L,
    B | C | D | E | F, E | F | K | J, B | C | E | F | K | M, H | J | K | M,
    // 64..71: Y Z [ \ ] ^ _, the place of the grave accent (top bar with centre stem)
    H | J | L, A | D | J | K, A | D | E | F, H | M, A | B | C | D, K | M, D, A | I,
    // 72..76: a b c d e
    G1 | E | D | L, F | E | D | C | G, G | E | D, B | C | D | E | G, G1 | E | D | K,
    // 77 sigma, 78 append sign, 79 blank
    A | D | H | K, F | E | G1, 0,
};
// clang-format on

// Punctuation segments in the 3 × 17 cell: the dot, the comma's tail, the colon's upper dot.
enum PunctSegment { kDot = 1, kTail = 2, kUpperDot = 4 };
struct PunctPixel {
  int segment, x, y;
};
constexpr PunctPixel kPunctPixels[] = {
    {kDot, 1, 13},  {kDot, 2, 13},     {kDot, 1, 14},     {kDot, 2, 14},     {kTail, 1, 15},
    {kTail, 0, 16}, {kUpperDot, 1, 5}, {kUpperDot, 2, 5}, {kUpperDot, 1, 6}, {kUpperDot, 2, 6},
};
// Cells 0..4: ",", ".", ":", ";" and blank.
constexpr int kPunctCellsLit[kPunctCells] = {kDot | kTail, kDot, kDot | kUpperDot,
                                             kDot | kTail | kUpperDot, 0};

// Rounds num / den (den > 0) to the nearest integer, halves away from zero.
int RoundDiv(int num, int den) {
  return num >= 0 ? (2 * num + den) / (2 * den) : -RoundDiv(-num, den);
}

void DrawStroke(QImage& strip, int left, const Stroke& s) {
  const int steps = std::max({std::abs(s.x1 - s.x0), std::abs(s.y1 - s.y0), 1});
  for (int t = 0; t <= steps; ++t) {
    strip.setPixel(left + s.x0 + RoundDiv((s.x1 - s.x0) * t, steps),
                   s.y0 + RoundDiv((s.y1 - s.y0) * t, steps), kLit);
  }
}

// The outline of a stroke: the convex hull of the pixel squares at its two ends, so that a
// straight stroke is exactly its pixels and a diagonal one a smooth slanted bar.
QPolygonF StrokeOutline(const Stroke& s, QPointF origin) {
  std::vector<QPointF> points;
  for (auto [x, y] : {std::pair(s.x0, s.y0), std::pair(s.x1, s.y1)})
    for (int dx : {0, 1})
      for (int dy : {0, 1}) points.push_back(origin + QPointF(x + dx, y + dy));
  std::ranges::sort(points, [](QPointF a, QPointF b) {
    return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
  });
  auto cross = [](QPointF o, QPointF a, QPointF b) {
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
  };
  // Monotone chain: lower hull, then upper hull, all in one turning direction.
  std::vector<QPointF> hull;
  for (int pass = 0; pass < 2; ++pass) {
    const size_t start = hull.size();
    for (const QPointF& p : points) {
      while (hull.size() >= start + 2 && cross(hull[hull.size() - 2], hull.back(), p) <= 0)
        hull.pop_back();
      hull.push_back(p);
    }
    hull.pop_back();
    std::ranges::reverse(points);
  }
  return QPolygonF(QList<QPointF>(hull.begin(), hull.end()));
}

// Fills an image of logical size w × h at the device pixel ratio with the background.
QImage MakeImage(int w, int h, qreal dpr) {
  QImage image(qCeil(w * dpr), qCeil(h * dpr), QImage::Format_RGB32);
  image.setDevicePixelRatio(dpr);
  image.fill(kDisplayBackground);
  return image;
}

}  // namespace

QImage BuildFontStrip() {
  QImage strip(kStripWidth, kGlyphHeight, QImage::Format_RGB32);
  strip.fill(kUnlit);
  for (int g = 0; g < kGlyphCount; ++g) {
    for (const Stroke& s : kStrokes) {
      if (kGlyphs[g] & s.segment) DrawStroke(strip, kGlyphWidth * g, s);
    }
  }
  for (int p = 0; p < kPunctCells; ++p) {
    for (const PunctPixel& px : kPunctPixels) {
      if (kPunctCellsLit[p] & px.segment)
        strip.setPixel(kPunctX + kPunctWidth * p + px.x, px.y, kLit);
    }
  }
  return strip;
}

int GlyphOf(unsigned char byte) {
  if (byte >= 0x21 && byte <= 0x65) return byte - 25;  // "!" .. "e"
  // The special characters, blank, sigma and append sign; any other byte lights every segment.
  constexpr std::pair<unsigned char, int> kOthers[] = {{0x00, 0},  {0x01, 1},  {0x04, 2}, {0x05, 3},
                                                       {0x06, 4},  {0x0C, 5},  {0x0D, 6}, {0x1D, 7},
                                                       {0x20, 79}, {0x7E, 77}, {0x7F, 78}};
  for (auto [b, g] : kOthers) {
    if (b == byte) return g;
  }
  return kAllSegmentsGlyph;
}

QColor ContrastColour(int contrast) {
  // The configured value is a byte without a range check; outside 0..15 it is clamped.
  const int q = 10 * (15 - std::clamp(contrast, 0, 15)) / 16;
  return QColor(16 * q, 16 * q, 64);
}

void PaintInLogicalPixels(QPainter& p, qreal dpr) {
  if (dpr < 1) p.scale(dpr, dpr);
}

DisplayView::DisplayView(qreal dpr)
    : dpr_(dpr),
      fontImage_(BuildFontStrip()),
      fontStrip_(fontImage_),
      dispImage_(MakeImage(kDispWidth, kDispHeight, dpr)),
      annImage_(MakeImage(kDispWidth, kAnnHeight, dpr)) {
  const bool courier = QFontDatabase::families().contains("Courier New");
  annFont_ = QFont(courier ? "Courier New" : "Liberation Mono");
  // 8 points on a 96-dpi screen, fixed in pixels so the line fits the image on any screen.
  annFont_.setPixelSize(11);
  annFont_.setFixedPitch(true);
  annFont_.setStyleHint(QFont::TypeWriter);
  annFont_.setStyle(QFont::StyleNormal);
  annFont_.setWeight(QFont::Normal);
  // Hard-edged text as on the original screen; smoothed only where the pixels are small.
  annFont_.setStyleStrategy(dpr >= 2 ? QFont::PreferAntialias : QFont::NoAntialias);
  applyContrast(5);
}

// At ratio 1 a character is a cell copied from fontStrip; at any other ratio its segments are
// drawn at device resolution, so diagonals are smooth instead of enlarged pixel steps.
void DisplayView::drawCharacters(const std::string& text) {
  QPainter p(&dispImage_);
  PaintInLogicalPixels(p, dpr_);
  p.setRenderHint(QPainter::Antialiasing, dpr_ != 1.0);
  p.setPen(Qt::NoPen);
  p.setBrush(textColour_);
  for (int i = 1; i <= 12; ++i) {
    const unsigned char byte = i <= static_cast<int>(text.size()) ? text[i - 1] : 0x20;
    const int g = GlyphOf(byte);
    const QRectF cell(20 * i - 8, 2, kGlyphWidth, kGlyphHeight);
    if (dpr_ == 1.0) {
      p.drawImage(cell, fontStrip_, QRectF(kGlyphWidth * g, 0, kGlyphWidth, kGlyphHeight));
      continue;
    }
    // Clear every device pixel the cell touches, without antialiasing: at fractional ratios
    // its edges fall inside pixels, and a blended fill would keep part of the old glyph there.
    const QRect device = QRectF(cell.topLeft() * dpr_, cell.size() * dpr_).toAlignedRect();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRectF(QPointF(device.topLeft()) / dpr_, QSizeF(device.size()) / dpr_),
               QColor(kUnlit));
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath lit;
    lit.setFillRule(Qt::WindingFill);  // overlapping strokes fill once
    for (const Stroke& s : kStrokes) {
      if (kGlyphs[g] & s.segment) lit.addPolygon(StrokeOutline(s, cell.topLeft()));
    }
    p.drawPath(lit);
  }
}

void DisplayView::drawPunctuation(const std::string& text) {
  QPainter p(&dispImage_);
  PaintInLogicalPixels(p, dpr_);
  for (int i = 1; i <= 12; ++i) {
    const char c = i <= static_cast<int>(text.size()) ? text[i - 1] : ' ';
    // ",", ".", ":" and ";" are cells 0..3; anything else draws the blank cell 4.
    const size_t mark = std::string_view(",.:;").find(c);
    const int cell = mark == std::string_view::npos ? 4 : static_cast<int>(mark);
    p.drawImage(QRectF(20 * i + 6, 4, kPunctWidth, kGlyphHeight), fontStrip_,
                QRectF(kPunctX + kPunctWidth * cell, 0, kPunctWidth, kGlyphHeight));
  }
}

void DisplayView::drawAnnunciators(const std::string& text) {
  annImage_.fill(kDisplayBackground);
  QPainter p(&annImage_);
  PaintInLogicalPixels(p, dpr_);
  p.setFont(annFont_);
  p.setPen(textColour_);
  p.drawText(QRectF(0, 0, kDispWidth, kAnnHeight), Qt::AlignLeft | Qt::AlignTop,
             QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void DisplayView::applyContrast(int contrast) {
  textColour_ = ContrastColour(contrast);
  const QRgb colour = textColour_.rgb();
  fontStrip_ = fontImage_.copy();
  for (int y = 0; y < fontStrip_.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(fontStrip_.scanLine(y));
    for (int x = 0; x < fontStrip_.width(); ++x) {
      if (line[x] == kLit) line[x] = colour;
    }
  }
}
