#include "frontpanel/FaceplateView.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "display/DisplayView.h"
#include "frontpanel/Keys.h"

namespace {

constexpr int kWidth = 306, kHeight = 576;

// Case and plate.
const QColor kBody(36, 31, 28);
const QColor kBezelLight(86, 76, 68);
const QColor kBezelDark(52, 45, 40);
const QColor kDisplayPanel(18, 16, 15);
const QColor kLcd(168, 168, 144);
// Legends printed on the plate.
const QColor kShiftColour(236, 146, 52);
const QColor kAlphaColour(96, 164, 232);
// Key faces: top of the gradient, bottom of the gradient, front lip, legend.
struct KeyColours {
  QColor top, bottom, lip, legend;
};
const KeyColours kDarkKey{{84, 80, 76}, {44, 41, 39}, {24, 22, 21}, {240, 238, 230}};
const KeyColours kLightKey{{232, 226, 210}, {198, 190, 172}, {146, 138, 122}, {24, 22, 20}};
const KeyColours kShiftKey{{246, 152, 62}, {216, 112, 32}, {150, 74, 20}, {0, 0, 0}};
const KeyColours kTopKey{{100, 96, 92}, {62, 58, 55}, {20, 18, 17}, {236, 234, 226}};
const QColor kKeyOutline(10, 9, 8);

// What the plate shows around each key: the shifted function above it (a '^' raises the rest of
// the word) and the ALPHA character below right of it.
struct PlateLegend {
  uint8_t number;
  const char* shifted;
  const char* alpha;
};
constexpr PlateLegend kPlateLegends[] = {
    {11, "\u03a3\u2212", "A"},
    {12, "y^x", "B"},
    {13, "x^2", "C"},
    {14, "10^x", "D"},
    {15, "e^x", "E"},
    {21, "CL\u03a3", "F"},
    {22, "%", "G"},
    {23, "SIN^\u22121", "H"},
    {24, "COS^\u22121", "I"},
    {25, "TAN^\u22121", "J"},
    {32, "ASN", "K"},
    {33, "LBL", "L"},
    {34, "GTO", "M"},
    {35, "BST", ""},
    {41, "CATALOG", "N"},
    {43, "ISG", "O"},
    {44, "RTN", "P"},
    {45, "CL X/A", ""},
    {51, "x=y?", "Q"},
    {52, "SF", "R"},
    {53, "CF", "S"},
    {54, "FS?", "T"},
    {61, "x\u2264y?", "U"},
    {62, "BEEP", "V"},
    {63, "P\u2192R", "W"},
    {64, "R\u2192P", "X"},
    {71, "x>y?", "Y"},
    {72, "FIX", "Z"},
    {73, "SCI", "="},
    {74, "ENG", "?"},
    {81, "x=0?", ":"},
    {82, "\u03c0", "\u2423"},
    {83, "LASTX", ","},
    {84, "VIEW", ""},
};

QFont PlateFont(qreal pixelSize, bool bold) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(qRound(pixelSize));
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

// Text with superscripts: every '^' raises the rest of its word in a smaller size. Drawn
// centred horizontally in rect with its baseline at `baseline`.
void DrawLegend(QPainter& p, const QRectF& rect, qreal baseline, const QString& text,
                const QFont& font) {
  QFont small = font;
  small.setPixelSize(qMax(6, qRound(font.pixelSize() * 0.72)));
  const QFontMetricsF fm(font), sm(small);
  struct Run {
    QString text;
    bool raised;
  };
  QList<Run> runs;
  QString current;
  bool raised = false;
  for (QChar c : text) {
    if (c == u'^' || (raised && c == u' ')) {
      if (!current.isEmpty()) runs.append({current, raised});
      current.clear();
      raised = c == u'^';
      if (c == u' ') current = c;
    } else {
      current += c;
    }
  }
  if (!current.isEmpty()) runs.append({current, raised});
  qreal width = 0;
  for (const Run& r : runs)
    width += r.raised ? sm.horizontalAdvance(r.text) : fm.horizontalAdvance(r.text);
  qreal x = rect.center().x() - width / 2;
  for (const Run& r : runs) {
    if (r.raised) {
      p.setFont(small);
      p.drawText(QPointF(x, baseline - fm.ascent() * 0.42), r.text);
      x += sm.horizontalAdvance(r.text);
    } else {
      p.setFont(font);
      p.drawText(QPointF(x, baseline), r.text);
      x += fm.horizontalAdvance(r.text);
    }
  }
}

// A key over its whole hit area (borders included): a dark outline, the sloped top face with
// its legend, and the front lip below it.
void DrawKeyBody(QPainter& p, const QRectF& area, const KeyColours& c, qreal lip) {
  p.setPen(Qt::NoPen);
  p.setBrush(kKeyOutline);
  p.drawRoundedRect(area, 2.5, 2.5);
  const QRectF inner = area.adjusted(1, 1, -1, -1);
  p.setBrush(c.lip);
  p.drawRoundedRect(inner, 2, 2);
  const QRectF face = inner.adjusted(0, 0, 0, -lip);
  QLinearGradient g(face.topLeft(), face.bottomLeft());
  g.setColorAt(0, c.top);
  g.setColorAt(1, c.bottom);
  p.setBrush(g);
  p.drawRoundedRect(face, 2, 2);
  // Light catching the upper edge.
  p.setPen(QPen(c.top.lighter(118), 0.8));
  p.drawLine(QPointF(face.left() + 2, face.top() + 0.5),
             QPointF(face.right() - 2, face.top() + 0.5));
}

// The digit keys and the decimal point: columns 2 to 4 of the lowest four rows, bar R/S.
bool IsLightKey(int number) {
  return number >= 52 && number % 10 >= 2 && number != 84;
}

void DrawKey(QPainter& p, const KeyRect& k) {
  const QRectF area(k.x, k.y, k.width + 1, k.height + 1);
  const bool topRow = k.number < 10;
  const KeyColours& c = topRow                 ? kTopKey
                        : k.number == 31       ? kShiftKey
                        : IsLightKey(k.number) ? kLightKey
                                               : kDarkKey;
  const qreal lip = topRow ? 3 : 5;
  DrawKeyBody(p, area, c, lip);
  const QString legend = QString::fromUtf8(k.legend);
  if (legend.isEmpty()) return;
  p.setPen(c.legend);
  const QRectF face = area.adjusted(1, 1, -1, -1 - lip);
  if (topRow) {
    const QFont font = PlateFont(9, true);
    DrawLegend(p, face, face.center().y() + QFontMetricsF(font).capHeight() / 2, legend, font);
    return;
  }
  const bool digit = legend.size() == 1 && legend[0].isDigit();
  const bool symbol = legend == u"\u2212" || legend == u"+" || legend == u"\u00d7" ||
                      legend == u"\u00f7" || legend == u"\u2190" || legend == u"\u2022";
  QFont font = digit || symbol ? PlateFont(15, true) : PlateFont(10.5, true);
  if (legend.startsWith(u"ENTER")) font = PlateFont(10.5, true);
  const QFontMetricsF fm(font);
  qreal baseline = face.center().y() + fm.capHeight() / 2;
  if (legend == u"\u2022") {
    // The decimal point: a dot sitting low like a full stop.
    p.setPen(Qt::NoPen);
    p.setBrush(c.legend);
    p.drawEllipse(QPointF(face.center().x(), face.center().y() + 2), 2.2, 2.2);
    return;
  }
  if (legend == u"\u221ax") {
    // The root sign with its bar over the x.
    const QString root = QStringLiteral("\u221a");
    const qreal w = fm.horizontalAdvance(root) + fm.horizontalAdvance(u'x');
    const qreal x0 = face.center().x() - w / 2;
    p.setFont(font);
    p.drawText(QPointF(x0, baseline), root);
    const qreal xx = x0 + fm.horizontalAdvance(root);
    p.drawText(QPointF(xx, baseline), QStringLiteral("x"));
    p.setPen(QPen(c.legend, 1.0));
    const qreal top = baseline - fm.ascent() * 0.86;
    p.drawLine(QPointF(xx - 0.3, top), QPointF(xx + fm.horizontalAdvance(u'x') + 0.3, top));
    return;
  }
  DrawLegend(p, face, baseline, legend, font);
}

void DrawPlateLegends(QPainter& p, const KeyRect& k) {
  for (const PlateLegend& l : kPlateLegends) {
    if (l.number != k.number) continue;
    const QRectF area(k.x, k.y, k.width + 1, k.height + 1);
    p.setPen(kShiftColour);
    const QString shifted = QString::fromUtf8(l.shifted);
    const QFont shiftFont = PlateFont(8, true);
    DrawLegend(p, area.adjusted(-10, 0, 10, 0), area.top() - 3, shifted, shiftFont);
    const QString alpha = QString::fromUtf8(l.alpha);
    if (alpha.isEmpty()) return;
    p.setPen(kAlphaColour);
    // Punctuation is drawn larger so that it reads as well as the letters.
    const QFont alphaFont = PlateFont(alpha[0].isLetter() ? 9 : 11, true);
    p.setFont(alphaFont);
    p.drawText(QPointF(area.right() + 1.5,
                       area.bottom() + QFontMetricsF(PlateFont(9, true)).capHeight() - 1),
               alpha);
    return;
  }
}

void DrawCase(QPainter& p) {
  p.fillRect(QRectF(0, 0, kWidth, kHeight), kBody);
  // The rim of the case: lighter at the top left where the light falls.
  QLinearGradient rim(0, 0, kWidth, kHeight);
  rim.setColorAt(0, kBezelLight);
  rim.setColorAt(1, kBezelDark);
  QPainterPath ring;
  ring.addRect(QRectF(0, 0, kWidth, kHeight));
  ring.addRoundedRect(QRectF(5, 5, kWidth - 10, kHeight - 10), 7, 7);
  p.setPen(Qt::NoPen);
  p.setBrush(rim);
  p.drawPath(ring);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(20, 17, 15), 1));
  p.drawRoundedRect(QRectF(5.5, 5.5, kWidth - 11, kHeight - 11), 7, 7);
  p.setPen(QPen(QColor(110, 98, 88), 1));
  p.drawRect(QRectF(0.5, 0.5, kWidth - 1, kHeight - 1));
}

void DrawDisplayWindow(QPainter& p) {
  // A raised panel, the recessed window in it with its bevel, and the LCD glass (the display
  // images are laid over it); all centred on the LCD, 26..279 × 44..82.
  const QRectF panel(13, 35, 279, 59);
  QLinearGradient g(panel.topLeft(), panel.bottomLeft());
  g.setColorAt(0, QColor(62, 55, 50));
  g.setColorAt(1, QColor(40, 35, 32));
  p.setPen(QPen(QColor(14, 12, 11), 1));
  p.setBrush(g);
  p.drawRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
  p.setPen(Qt::NoPen);
  p.setBrush(kDisplayPanel);
  p.drawRoundedRect(QRectF(19, 38, 267, 50), 3, 3);
  // Bevel of the recess: shadow above and left, light below and right.
  p.setPen(QPen(QColor(4, 4, 4), 1));
  p.drawLine(QPointF(22, 41.5), QPointF(283, 41.5));
  p.drawLine(QPointF(22.5, 42), QPointF(22.5, 84));
  p.setPen(QPen(QColor(96, 88, 80), 1));
  p.drawLine(QPointF(23, 84.5), QPointF(283, 84.5));
  p.drawLine(QPointF(282.5, 42), QPointF(282.5, 85));
  p.fillRect(QRectF(23, 42, 259, 42), QColor(132, 132, 110));
  p.fillRect(QRectF(26, 44, 253, 38), kLcd);
}

}  // namespace

QImage DrawFaceplate(qreal dpr) {
  QImage image(qRound(kWidth * dpr), qRound(kHeight * dpr), QImage::Format_RGB32);
  image.setDevicePixelRatio(dpr);
  QPainter p(&image);
  PaintInLogicalPixels(p, dpr);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  DrawCase(p);
  DrawDisplayWindow(p);
  for (const KeyRect& k : keyRects) DrawPlateLegends(p, k);
  for (const KeyRect& k : keyRects) DrawKey(p, k);
  return image;
}

QPixmap DrawLogo(qreal dpr) {
  QImage image(qRound(32 * dpr), qRound(34 * dpr), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  image.fill(Qt::transparent);
  QPainter p(&image);
  PaintInLogicalPixels(p, dpr);
  p.setRenderHint(QPainter::Antialiasing);
  // A gold-rimmed blue badge carrying a starburst-display "V".
  QLinearGradient g(0, 0, 0, 34);
  g.setColorAt(0, QColor(52, 78, 140));
  g.setColorAt(1, QColor(18, 28, 62));
  p.setPen(QPen(kShiftColour, 1.5));
  p.setBrush(g);
  p.drawRoundedRect(QRectF(1, 1, 30, 32), 5, 5);
  p.setPen(QPen(QColor(240, 238, 228), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(QPointF(9, 8), QPointF(16, 24));
  p.drawLine(QPointF(16, 24), QPointF(23, 8));
  p.setPen(QPen(kShiftColour, 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(10, 28.5), QPointF(22, 28.5));
  p.end();
  return QPixmap::fromImage(image);
}

QPixmap DrawButtonGlyph(ButtonGlyph glyph, qreal dpr, bool lit) {
  QImage image(qRound(16 * dpr), qRound(16 * dpr), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  image.fill(Qt::transparent);
  QPainter p(&image);
  PaintInLogicalPixels(p, dpr);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink = lit ? kShiftColour : QColor(232, 228, 218);
  const QPen pen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  switch (glyph) {
    case ButtonGlyph::Centre:
      // A frame with a dot in its middle and four ticks pointing at it.
      p.setPen(QPen(ink, 1.2));
      p.drawRect(QRectF(2.5, 2.5, 11, 11));
      p.setPen(pen);
      p.drawLine(QPointF(8, 4.5), QPointF(8, 6));
      p.drawLine(QPointF(8, 10), QPointF(8, 11.5));
      p.drawLine(QPointF(4.5, 8), QPointF(6, 8));
      p.drawLine(QPointF(10, 8), QPointF(11.5, 8));
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      p.drawEllipse(QPointF(8, 8), 1.2, 1.2);
      break;
    case ButtonGlyph::Turbo: {
      // Fast forward: two solid triangles.
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      const QPointF a[] = {{2, 3.5}, {8.5, 8}, {2, 12.5}};
      const QPointF b[] = {{8, 3.5}, {14.5, 8}, {8, 12.5}};
      p.drawPolygon(a, 3);
      p.drawPolygon(b, 3);
      break;
    }
    case ButtonGlyph::Printer:
      // Paper feeding in at the back, the body, and the printed strip in front.
      p.setPen(QPen(QColor(40, 38, 36), 0.8));
      p.setBrush(QColor(250, 250, 246));
      p.drawRect(QRectF(4.5, 1.5, 7, 5));
      p.setBrush(QColor(150, 146, 140));
      p.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1.2, 1.2);
      p.setBrush(QColor(250, 250, 246));
      p.drawRect(QRectF(4.5, 10.5, 7, 4.5));
      p.setPen(QPen(QColor(60, 60, 60), 0.8));
      p.drawLine(QPointF(5.8, 12.2), QPointF(10.2, 12.2));
      p.drawLine(QPointF(5.8, 13.8), QPointF(9, 13.8));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(90, 200, 90));
      p.drawEllipse(QPointF(12.5, 7.5), 0.9, 0.9);
      break;
    case ButtonGlyph::Minimise:
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      p.drawRect(QRectF(3.5, 10.5, 9, 2.2));
      break;
    case ButtonGlyph::Exit:
      p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(4, 4), QPointF(12, 12));
      p.drawLine(QPointF(12, 4), QPointF(4, 12));
      break;
  }
  p.end();
  return QPixmap::fromImage(image);
}
