#pragma once
// The pictures of the main window, drawn by code: the faceplate with its 39 keys and legends,
// the small logo, the printer button picture and the symbol glyphs of the small buttons.

#include <QImage>
#include <QPixmap>

// The faceplate, 306 × 576 logical pixels at device pixel ratio dpr; every key at its rectangle
// of keyRects.
QImage DrawFaceplate(qreal dpr = 1.0);
// The small logo shown over the faceplate (32 × 34).
QPixmap DrawLogo(qreal dpr = 1.0);
enum class ButtonGlyph { Centre, Turbo, Printer, Minimise, Exit };
// A 16 × 16 button picture; `lit` draws it in the accent colour, for a button that is on.
QPixmap DrawButtonGlyph(ButtonGlyph glyph, qreal dpr = 1.0, bool lit = false);
