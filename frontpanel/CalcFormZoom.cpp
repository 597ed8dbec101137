// The calculator's size and place: the zoom that fits the screen or that the user chose, the
// pictures drawn again at a new zoom, the mapping between window and faceplate, and the window
// kept on the screen's available area.

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "frontpanel/CalcForm.h"
#include "frontpanel/FaceplateView.h"
#include "host/Headless.h"

namespace {
constexpr int kBorder = TCalcForm::kBorder;
}  // namespace

QPoint KeepHalfOnScreen(const QRect& frame, const QRect& available) {
  const int x = std::clamp(frame.x(), available.left() - frame.width() / 2,
                           std::max(available.left(), available.right() + 1 - frame.width() / 2));
  const int y = std::clamp(frame.y(), available.top(),
                           std::max(available.top(), available.bottom() + 1 - frame.height() / 2));
  return {x, y};
}

qreal FitZoom(int availableHeight) {
  const qreal whole = TCalcForm::kClientHeight + 2 * kBorder;
  return std::clamp(availableHeight / whole, 0.25, 1.0);
}

namespace {
// The zoom at which the faceplate fills a window size along its tighter side.
qreal FillZoom(QSize window) {
  return std::min((window.width() - 2 * kBorder) / qreal(TCalcForm::kClientWidth),
                  (window.height() - 2 * kBorder) / qreal(TCalcForm::kClientHeight));
}
}  // namespace

qreal MaxZoom(QSize available) {
  return std::max(0.1, std::floor(FillZoom(available) * 100) / 100);
}

qreal MinZoom(QSize available) {
  return std::min(0.5, MaxZoom(available));
}

// A window size comes from a zoom rounded to whole pixels: the nearest percent gives it back.
qreal ZoomOfSize(QSize window) {
  return std::max(0.1, std::round(FillZoom(window) * 100) / 100);
}

QSize TCalcForm::SizeAt(qreal zoom) {
  return {qRound(kClientWidth * zoom) + 2 * kBorder, qRound(kClientHeight * zoom) + 2 * kBorder};
}

// The pictures are drawn again at the new ink, the display from what it shows, a held key
// pressed again.
void TCalcForm::Rescale(qreal zoom) {
  const int held = keyHeld_ ? heldKeyIndex_ : -1;
  zoom_ = zoom;
  ink_ = dpr_ * zoom_;
  view_ = DisplayView(ink_);
  view_.applyContrast(shownContrast_);
  if (drawn_ & 1) view_.drawCharacters(shownChars_);
  if (drawn_ & 2) view_.drawPunctuation(shownPunct_);
  if (drawn_ & 4) view_.drawAnnunciators(shownAnn_);
  faceplate_ = DrawFaceplate(ink_);
  calcImage_ = faceplate_;
  keyHeld_ = false;
  if (held >= 0) DrawKeyPressed(held);
  LayOut();
  setMinimumSize(SizeAt(std::min(zoom_, MinZoom(Available()))));
  setMaximumSize(SizeAt(std::max(zoom_, MaxZoom(Available()))));
  resize(SizeAt(zoom_));
  update();
}

QSize TCalcForm::Available() const {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  return s->availableGeometry().size();
}

void TCalcForm::ZoomTo(qreal zoom) {
  const QSize area = Available();
  zoom = std::clamp(std::round(zoom * 100) / 100, MinZoom(area), MaxZoom(area));
  if (zoom != zoom_)
    Rescale(zoom);
  else if (size() != SizeAt(zoom_))
    resize(SizeAt(zoom_));
}

// A window grown past the available area's right or bottom edge moves back onto it.
void TCalcForm::FitOnScreen() {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  const QRect area = s->availableGeometry(), frame = frameGeometry();
  const QPoint back(std::max(area.left(), std::min(frame.x(), area.right() + 1 - frame.width())),
                    std::max(area.top(), std::min(frame.y(), area.bottom() + 1 - frame.height())));
  if (back != frame.topLeft()) move(pos() + back - frame.topLeft());
}

void TCalcForm::ZoomMainWindow(int percent) {
  if (percent <= 0) return;  // not configured: the zoom that fits the screen stays
  userZoomed_ = true;
  ZoomTo(percent / 100.0);
}

int TCalcForm::MainZoom() {
  return userZoomed_ ? qRound(zoom_ * 100) : 0;
}

// Within the screen's available area (panels excluded); a negative value centres.
QPoint TCalcForm::Placed(int left, int top) const {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  auto axis = [](int v, int origin, int span, int size) {
    return origin + PlaceAxis(v < 0 ? v : std::max(0, v - origin), span, size);
  };
  return {axis(left, area.left(), area.width(), width()),
          axis(top, area.top(), area.height(), height())};
}

void TCalcForm::PlaceMainWindow(int left, int top) {
  move(Placed(left, top));
  show();
  QCoreApplication::processEvents();
}

// The faceplate starts inside the one-pixel border, which is not zoomed.
QRect TCalcForm::Zoomed(QRect faceplate) const {
  const QRectF r(faceplate.x() * zoom_ + kBorder, faceplate.y() * zoom_ + kBorder,
                 faceplate.width() * zoom_, faceplate.height() * zoom_);
  return r.toAlignedRect();
}

QPoint TCalcForm::OnFaceplate(QPointF window) const {
  return ((window - QPointF(kBorder, kBorder)) / zoom_).toPoint();
}

// Pressed keys are drawn in device pixels: a logical rectangle maps to the device pixels between
// its rounded edges, so the backup and its restoration cover the same pixels at any ratio.
QRect TCalcForm::DeviceRect(QRect r) const {
  const QPoint topLeft(qRound(r.x() * ink_), qRound(r.y() * ink_));
  const QPoint end(qRound((r.x() + r.width()) * ink_), qRound((r.y() + r.height()) * ink_));
  return QRect(topLeft, end - QPoint(1, 1));
}
