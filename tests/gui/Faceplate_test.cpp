// The faceplate picture and the key areas it is drawn for.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "display/DisplayView.h"
#include "frontpanel/FaceplateView.h"
#include "frontpanel/Keys.h"

namespace {

int Distance(QColor a, QColor b) {
  return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
         std::abs(a.blue() - b.blue());
}

// The colour at a logical point of a picture drawn at its device pixel ratio.
QColor At(const QImage& image, qreal x, qreal y) {
  const qreal dpr = image.devicePixelRatio();
  return image.pixelColor(int(x * dpr + dpr / 2), int(y * dpr + dpr / 2));
}

TEST(FaceplateTest, SizeIsLogicalAtAnyPixelRatio) {
  const struct {
    qreal dpr;
    int width, height;
  } cases[] = {{1.0, 306, 576}, {2.0, 612, 1152}, {1.5, 459, 864}};
  for (const auto& c : cases) {
    const QImage image = DrawFaceplate(c.dpr);
    EXPECT_EQ(image.width(), c.width) << c.dpr;
    EXPECT_EQ(image.height(), c.height) << c.dpr;
    EXPECT_EQ(image.deviceIndependentSize(), QSizeF(306, 576)) << c.dpr;
  }
}

// Each key's face, just inside its left and right borders, stands out from the plate, while
// the plate just outside them looks like the plate between the keys.
TEST(FaceplateTest, EveryKeySitsExactlyAtItsRectangle) {
  for (qreal dpr : {1.0, 2.0}) {
    const QImage image = DrawFaceplate(dpr);
    const QColor plate = At(image, 153, 140);  // between the top row and the first key row
    for (const KeyRect& k : keyRects) {
      const qreal mid = k.y + k.height / 2.0;
      for (qreal x : {k.x + 2.0, k.x + k.width - 2.0, k.x + k.width / 2.0}) {
        if (k.height > 20 && x == k.x + k.width / 2.0) continue;  // legend there
        EXPECT_GT(Distance(At(image, x, mid), plate), 40)
            << "inside key " << int(k.number) << " at x " << x << " dpr " << dpr;
      }
      for (qreal x : {k.x - 3.0, k.x + k.width + 4.0})
        EXPECT_LT(Distance(At(image, x, mid), plate), 12)
            << "beside key " << int(k.number) << " at x " << x << " dpr " << dpr;
      EXPECT_GT(Distance(At(image, k.x + k.width / 2.0, k.y + 2), plate), 40)
          << "top edge of key " << int(k.number);
      EXPECT_GT(Distance(At(image, k.x + 3, k.y + k.height - 1), plate), 20)
          << "bottom edge of key " << int(k.number);
    }
  }
}

// The plate's legends: shifted functions in orange above the keys that have one, ALPHA
// characters in blue below right of the keys that have one.
TEST(FaceplateTest, ShiftedAndAlphaLegendsWhereTheKeysHaveThem) {
  const QImage image = DrawFaceplate(2.0);
  auto count = [&](qreal x0, qreal y0, qreal x1, qreal y1, auto colourTest) {
    int n = 0;
    for (qreal y = y0; y < y1; y += 0.5)
      for (qreal x = x0; x < x1; x += 0.5) n += colourTest(At(image, x, y)) ? 1 : 0;
    return n;
  };
  auto orange = [](QColor c) { return c.red() > 150 && c.red() - c.blue() > 80; };
  auto blue = [](QColor c) { return c.blue() > 140 && c.blue() - c.red() > 60; };
  for (const KeyRect& k : keyRects) {
    if (k.number < 10) continue;
    const bool hasShifted = k.number != 31;
    const bool hasAlpha = k.number != 31 && k.number != 35 && k.number != 45 && k.number != 84;
    const int shifted = count(k.x - 6, k.y - 12, k.x + k.width + 6, k.y - 1, orange);
    const int alpha =
        count(k.x + k.width - 2, k.y + k.height, k.x + k.width + 14, k.y + k.height + 11, blue);
    EXPECT_EQ(shifted > 10, hasShifted) << "above key " << int(k.number) << ": " << shifted;
    EXPECT_EQ(alpha > 4, hasAlpha) << "below right of key " << int(k.number) << ": " << alpha;
  }
}

TEST(FaceplateTest, KeyFacesOfTheDigitsAreLightAndTheShiftKeyOrange) {
  const QImage image = DrawFaceplate();
  for (const KeyRect& k : keyRects) {
    const QColor face = At(image, k.x + 3, k.y + k.height / 2.0);
    const std::string legend = k.legend;
    const bool digit =
        (legend.size() == 1 && legend[0] >= '0' && legend[0] <= '9') || legend == "\u2022";
    if (digit) {
      EXPECT_GT(face.lightness(), 150) << int(k.number);
    } else if (k.number == 31) {
      EXPECT_TRUE(face.red() > 180 && face.blue() < 100) << face.name().toStdString();
    } else {
      EXPECT_LT(face.lightness(), 110) << int(k.number);
    }
  }
}

TEST(FaceplateTest, DisplayAreaIsTheLcdBackground) {
  const QImage image = DrawFaceplate(2.0);
  for (QPointF p : {QPointF(27, 45), QPointF(278, 81), QPointF(150, 66)})
    EXPECT_EQ(At(image, p.x(), p.y()), QColor(168, 168, 144)) << p.x() << "," << p.y();
}

TEST(FaceplateTest, SmallPicturesHaveTheirSizesAndSomethingDrawn) {
  auto inked = [](const QPixmap& pm) {
    const QImage im = pm.toImage();
    int opaque = 0;
    for (int y = 0; y < im.height(); ++y)
      for (int x = 0; x < im.width(); ++x) opaque += qAlpha(im.pixel(x, y)) > 128;
    return opaque;
  };
  for (qreal dpr : {1.0, 2.0}) {
    const QPixmap logo = DrawLogo(dpr);
    EXPECT_EQ(logo.deviceIndependentSize(), QSizeF(32, 34));
    EXPECT_EQ(logo.size(), QSize(qRound(32 * dpr), qRound(34 * dpr)));
    EXPECT_GT(inked(logo), 200 * dpr * dpr);
    QList<QImage> glyphs;
    for (ButtonGlyph g : {ButtonGlyph::Centre, ButtonGlyph::Turbo, ButtonGlyph::Printer,
                          ButtonGlyph::Minimise, ButtonGlyph::Exit}) {
      const QPixmap pm = DrawButtonGlyph(g, dpr);
      EXPECT_EQ(pm.deviceIndependentSize(), QSizeF(16, 16));
      EXPECT_GT(inked(pm), 10 * dpr * dpr) << int(g);
      EXPECT_LT(inked(pm), 200 * dpr * dpr) << int(g);  // a glyph, not a filled square
      glyphs.append(pm.toImage());
    }
    for (int i = 0; i < glyphs.size(); ++i)
      for (int j = i + 1; j < glyphs.size(); ++j) EXPECT_NE(glyphs[i], glyphs[j]) << i << j;
  }
}

// Below ratio 1 (a calculator made smaller than its own size) every picture is the whole
// picture made smaller, not the corner of a full-size one: it looks like the full-size picture
// scaled down.
TEST(FaceplateTest, PicturesBelowRatioOneAreTheWholePictureSmaller) {
  auto display = [](qreal dpr) {
    DisplayView view(dpr);
    view.applyContrast(15);
    view.drawCharacters("-1.234567 88");
    view.drawPunctuation("  .");
    return view.DispImage();
  };
  auto annunciators = [](qreal dpr) {
    DisplayView view(dpr);
    view.applyContrast(15);
    view.drawAnnunciators("USER  G RAD  0 1 2 3 4 PRGM ALPHA");
    return view.AnnImage();
  };
  const struct {
    const char* what;
    std::function<QImage(qreal)> draw;
  } cases[] = {
      {"faceplate", [](qreal dpr) { return DrawFaceplate(dpr); }},
      {"logo", [](qreal dpr) { return DrawLogo(dpr).toImage(); }},
      {"glyph", [](qreal dpr) { return DrawButtonGlyph(ButtonGlyph::Exit, dpr).toImage(); }},
      {"display", display},
      {"annunciators", annunciators},
  };
  // The mean distance of two pictures of the same size, colour and opacity.
  auto distance = [](const QImage& a, const QImage& b) {
    long total = 0;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x)
        total += Distance(a.pixelColor(x, y), b.pixelColor(x, y)) +
                 std::abs(a.pixelColor(x, y).alpha() - b.pixelColor(x, y).alpha());
    return total / (a.width() * a.height());
  };
  for (const auto& c : cases) {
    const QImage small = c.draw(0.5).convertToFormat(QImage::Format_ARGB32);
    const QImage full = c.draw(1.0).convertToFormat(QImage::Format_ARGB32);
    const QImage scaled =
        full.scaled(small.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage corner = full.copy(QRect(QPoint(0, 0), small.size()));
    EXPECT_LT(distance(small, scaled), distance(small, corner)) << c.what;
  }
}

TEST(KeyAreaTest, BordersHitAndGapsMiss) {
  for (int i = 0; i < kKeyCount; ++i) {
    const KeyRect& k = keyRects[i];
    const int r = k.x + k.width, b = k.y + k.height;
    const struct {
      int x, y, expected;
    } points[] = {
        {k.x, k.y, i},
        {r, b, i},
        {r, k.y, i},
        {k.x, b, i},
        {(k.x + r) / 2, (k.y + b) / 2, i},
        {k.x - 1, k.y, -1},
        {r + 1, b, -1},
        {k.x, k.y - 1, -1},
        {r, b + 1, -1},
    };
    for (const auto& p : points)
      EXPECT_EQ(hitTest(p.x, p.y), p.expected)
          << "key " << int(k.number) << " " << p.x << "," << p.y;
  }
  // Between keys, beside ENTER↑, on the display and in the logo's place.
  for (QPoint p : {QPoint(80, 178), QPoint(56, 200), QPoint(128, 325), QPoint(150, 60),
                   QPoint(153, 140), QPoint(85, 522), QPoint(300, 300)})
    EXPECT_EQ(hitTest(p.x(), p.y()), -1) << p.x() << "," << p.y();
}

}  // namespace
