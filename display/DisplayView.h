#pragma once
// The display on the main window: the font strip, the contrast colour, and the drawing of
// characters, punctuation and annunciators into the display and annunciator images.

#include <QColor>
#include <QFont>
#include <QImage>
#include <string>

class QPainter;

// Makes a painter on a picture drawn at device pixel ratio dpr work in logical pixels. QPainter
// applies a picture's ratio only from 1 up; below 1 (a calculator made smaller than its own
// size at ratio 1) the painter is scaled here, or it would draw the full-size picture's corner.
void PaintInLogicalPixels(QPainter& p, qreal dpr);

// Background of both display images.
inline const QColor kDisplayBackground(168, 168, 144);

// The stored font strip, 901 × 17: 80 starburst glyphs of 11 × 17 from a segment table,
// 5 punctuation cells of 3 × 17 from column 880; lit pixels pure white, the rest
// RGB(160, 160, 128).
QImage BuildFontStrip();
// The glyph that a byte of a character text is drawn with.
int GlyphOf(unsigned char byte);
// RGB(16q, 16q, 64) with q = 10 × (15 − contrast) / 16.
QColor ContrastColour(int contrast);

class DisplayView {
 public:
  // dpr: the screen's device pixel ratio; images are drawn at it, positions stay in pixels.
  explicit DisplayView(qreal dpr = 1.0);

  void drawCharacters(const std::string& text);
  void drawPunctuation(const std::string& text);
  void drawAnnunciators(const std::string& text);
  // Recolours fontStrip and the annunciator text for the contrast (0..15).
  void applyContrast(int contrast);

  const QImage& DispImage() const { return dispImage_; }  // 253 × 21 logical pixels
  const QImage& AnnImage() const { return annImage_; }    // 253 × 14 logical pixels
  const QImage& FontStrip() const { return fontStrip_; }  // recoloured copy, 901 × 17
  const QImage& StoredFontStrip() const { return fontImage_; }

 private:
  qreal dpr_;
  QImage fontImage_, fontStrip_, dispImage_, annImage_;
  QFont annFont_;
  QColor textColour_;
};
