// valdor-icon: draws the program's icon, a small HP-41 seen from the front, and writes it as
// PNG files in a hicolor icon tree: DIR/NxN/apps/org.valdor.VALDOR.png for each size.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <cstdio>

namespace {

constexpr int kSizes[] = {48, 128, 256};

// Drawn on a 256-unit square, scaled to the size asked for.
QImage DrawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 256.0, size / 256.0);
  p.setPen(Qt::NoPen);

  // Body, with a lighter rim.
  p.setBrush(QColor(150, 140, 128));
  p.drawRoundedRect(QRectF(52, 6, 152, 244), 18, 18);
  p.setBrush(QColor(44, 38, 34));
  p.drawRoundedRect(QRectF(58, 12, 140, 232), 14, 14);

  // Display window with a few lit characters.
  p.setBrush(QColor(20, 18, 16));
  p.drawRoundedRect(QRectF(68, 24, 120, 44), 5, 5);
  p.setBrush(QColor(168, 168, 144));
  p.drawRect(QRectF(74, 32, 108, 28));
  p.setBrush(QColor(40, 40, 32));
  for (int i = 0; i < 5; ++i) p.drawRect(QRectF(80 + i * 20, 38, 12, 16));

  // Keys: a row of four small ones, three rows of five, then four rows of four.
  auto key = [&](double x, double y, double w, double h, QColor top) {
    p.setBrush(QColor(12, 10, 9));
    p.drawRoundedRect(QRectF(x, y + 2, w, h), 3, 3);
    p.setBrush(top);
    p.drawRoundedRect(QRectF(x, y, w, h - 2), 3, 3);
  };
  const QColor dark(92, 84, 78), gold(214, 140, 48), light(208, 200, 186);
  for (int c = 0; c < 4; ++c) key(70 + c * 30, 78, 24, 10, light);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 5; ++c)
      key(68 + c * 24, 96 + r * 24, 18, 16, (r == 2 && c == 0) ? gold : dark);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      key(68 + c * 31, 170 + r * 18, c == 0 ? 18 : 23, 14, c == 0 ? dark : light);
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: valdor-icon DIR\n");
    return 2;
  }
  for (const int size : kSizes) {
    const QString dir = QString("%1/%2x%2/apps").arg(argv[1]).arg(size);
    const QString file = dir + "/org.valdor.VALDOR.png";
    if (!QDir().mkpath(dir) || !DrawIcon(size).save(file, "PNG")) {
      std::fprintf(stderr, "valdor-icon: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
