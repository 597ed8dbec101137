#include "frontpanel/CalcForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/Restart.h"
#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "cpu/Wake.h"
#include "debugger/DebugForm.h"
#include "frontpanel/FaceplateView.h"
#include "frontpanel/Keys.h"
#include "frontpanel/ModulesForm.h"
#include "frontpanel/QtCalcMenu.h"
#include "frontpanel/QtKeys.h"
#include "host/Headless.h"
#include "printer/Dovada.h"
#include "printer/DovadaForm.h"

namespace {

const QRect kDispRect(26, 44, 253, 21);
const QRect kAnnRect(26, 68, 253, 14);
const QRect kHpRect(137, 115, 32, 34);
constexpr int kSpeedBarTop = 564;
// The resize grip, in the faceplate's bottom-right corner above the speed bar.
const QRect kGripRect(293, 550, 12, 12);

QToolButton* SmallButton(QWidget* parent, const QString& hint) {
  auto* b = new QToolButton(parent);
  b->setAutoRaise(true);
  b->setToolTip(hint);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

// Copies the pixels of src onto dst at a device position, without any scaling or blending.
void Blit(QImage& dst, QPoint at, const QImage& src) {
  const QRect area = QRect(at, src.size()).intersected(dst.rect());
  const QImage pixels = src.convertToFormat(dst.format());
  const int bytes = area.width() * dst.depth() / 8;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    std::memcpy(dst.scanLine(y) + area.left() * dst.depth() / 8,
                pixels.constScanLine(y - at.y()) + (area.left() - at.x()) * dst.depth() / 8, bytes);
  }
}

// The speed bar, with a mark under the real calculator's speed.
class SpeedBar : public QScrollBar {
 public:
  using QScrollBar::QScrollBar;

 protected:
  void paintEvent(QPaintEvent* e) override {
    QScrollBar::paintEvent(e);
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove =
        style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, this);
    const int span = groove.width() - handle.width();
    const int x = groove.left() + handle.width() / 2 +
                  QStyle::sliderPositionFromValue(minimum(), maximum(), kRealSpeedPosition, span);
    QPainter p(this);
    p.setPen(QColor(200, 60, 40));
    p.drawLine(x, 0, x, height() - 1);
  }
};

}  // namespace

int SpeedBarTicks(int position) {
  const int p = std::clamp(position, 0, kSpeedPositions - 1);
  return static_cast<int>(std::lround(1024.0 * std::exp2(-p / 4.0)));
}

int SpeedBarPosition(int ticks) {
  if (ticks <= 0) return kSpeedPositions - 1;
  const long p = std::lround(4.0 * std::log2(1024.0 / ticks));
  return static_cast<int>(std::clamp(p, 0L, static_cast<long>(kSpeedPositions - 1)));
}

std::string SpeedMessage(int ticks) {
  const double factor = ticks > 0 ? 256.0 / ticks : 0;
  char text[64];
  if (ticks <= 0)
    std::snprintf(text, sizeof text, " Speed adjusting: TICKS=%d (no delay)", ticks);
  else
    std::snprintf(text, sizeof text, " Speed adjusting: TICKS=%d (%.*f\xD7)", ticks,
                  factor < 1 ? 2 : 1, factor);
  return text;
}

TCalcForm::TCalcForm(QWidget* parent, qreal dpr, qreal zoom)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      dpr_(dpr > 0 ? dpr : qApp->devicePixelRatio()),
      zoom_(zoom > 0 ? zoom
                     : FitZoom(QGuiApplication::primaryScreen()->availableGeometry().height())),
      ink_(dpr_ * zoom_),
      view_(ink_) {
  setWindowTitle("VALDOR");
  setMinimumSize(SizeAt(std::min(zoom_, MinZoom(Available()))));
  setMaximumSize(SizeAt(std::max(zoom_, MaxZoom(Available()))));
  resize(SizeAt(zoom_));
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);

  faceplate_ = DrawFaceplate(ink_);
  calcImage_ = faceplate_;
  BuildLabels();
  menu_ = new TCalcMenu(this, [this](const std::string* memory) { return Restart(memory); });
  setAcceptDrops(true);
  BuildButtons();
  BuildSpeedBar();
  grip_ = new QWidget(this);
  grip_->setCursor(Qt::SizeFDiagCursor);
  grip_->setToolTip("Drag to resize the calculator ...");
  grip_->installEventFilter(this);
  placed_.emplace_back(grip_, kGripRect);
  view_.applyContrast(shownContrast_);
  BuildTimers();
  LayOut();
}

// The name and foot printed on the faceplate, and the debugger's logo.
void TCalcForm::BuildLabels() {
  name_ = new QLabel("VALDOR 1.0", this);
  placed_.emplace_back(name_, QRect(61, 4, 185, 13));
  name_->setAlignment(Qt::AlignCenter);
  name_->setAttribute(Qt::WA_TransparentForMouseEvents);
  foot_ = new QLabel("An HP-41 microcode emulator", this);
  placed_.emplace_back(foot_, QRect(49, 537, 208, 28));
  foot_->setAlignment(Qt::AlignCenter);
  foot_->setWordWrap(true);
  foot_->setAttribute(Qt::WA_TransparentForMouseEvents);

  hpImage_ = new QLabel(this);
  placed_.emplace_back(hpImage_, kHpRect);
  hpImage_->setToolTip("Launching debugger ...");
  // Faint until the pointer is over it, so that it can be found.
  logoEffect_ = new QGraphicsOpacityEffect(hpImage_);
  logoEffect_->setOpacity(kLogoFaint);
  hpImage_->setGraphicsEffect(logoEffect_);
  hpImage_->setMouseTracking(true);
  hpImage_->installEventFilter(this);
}

// The small buttons along the top.
void TCalcForm::BuildButtons() {
  // A button, its faceplate rectangle and its glyph (none: a text button).
  auto button = [this](QRect r, std::optional<ButtonGlyph> glyph, const QString& hint) {
    QToolButton* b = SmallButton(this, hint);
    placed_.emplace_back(b, r);
    glyphed_.push_back({b, glyph});
    return b;
  };
  auto* centre = button(QRect(0, 0, 16, 16), ButtonGlyph::Centre, "Center emulator on screen ...");
  connect(centre, &QToolButton::clicked, this, [this] { CenterSpeedButtonClick(); });
  turboButton_ = button(QRect(18, 0, 16, 16), ButtonGlyph::Turbo, "Turbo / normal speed ...");
  turboButton_->setCheckable(true);
  turboButton_->setStyleSheet(
      "QToolButton:checked { background: rgb(20, 17, 15); border: 1px solid rgb(236, 146, 52);"
      " border-radius: 3px; }");
  connect(turboButton_, &QToolButton::clicked, this, [this] { TurboSpeedButtonClick(); });
  auto* minus = button(QRect(8, 16, 16, 16), std::nullopt, "Decrease contrast ...");
  minus->setText("-");
  connect(minus, &QToolButton::clicked, this, [this] { DecreaseContrastSpeedButtonClick(); });
  auto* plus = button(QRect(282, 16, 16, 16), std::nullopt, "Increase contrast ...");
  plus->setText("+");
  connect(plus, &QToolButton::clicked, this, [this] { IncreaseContrastSpeedButtonClick(); });
  printerButton_ =
      button(QRect(254, 0, 16, 16), ButtonGlyph::Printer, "Activate or deactivate printer ...");
  printerButton_->setCheckable(true);
  connect(printerButton_, &QToolButton::clicked, this, [this] { DovadaSpeedButtonClick(); });
  SetPrinterMainWindow(this);
  // Hiding the printer window (close box, Esc) sets this button up.
  SetPrinterHiddenHandler([this] { printerButton_->setChecked(false); });
  auto* minimise = button(QRect(273, 0, 16, 16), ButtonGlyph::Minimise, "Minimize emulator ...");
  connect(minimise, &QToolButton::clicked, this, [this] { showMinimized(); });
  auto* exit = button(QRect(291, 0, 16, 16), ButtonGlyph::Exit, "Close emulator ...");
  connect(exit, &QToolButton::clicked, this, [this] { close(); });
}

// Everything drawn at the zoom: positions, the button glyphs, the logo and the label fonts.
void TCalcForm::LayOut() {
  for (const auto& [widget, r] : placed_) widget->setGeometry(Zoomed(r));
  for (const Glyphed& g : glyphed_) {
    g.button->setIconSize(QSize(16, 16) * zoom_);
    if (!g.glyph) {
      g.button->setStyleSheet(QString("color: #e0d8c0; font-weight: bold; font-size: %1px;")
                                  .arg(std::max(6, qRound(12 * zoom_))));
      continue;
    }
    const ButtonGlyph glyph = *g.glyph;
    QIcon icon(DrawButtonGlyph(glyph, ink_));
    // On, the turbo glyph is lit in the accent colour on a dark face, so it reads in both states.
    if (glyph == ButtonGlyph::Turbo)
      icon.addPixmap(DrawButtonGlyph(glyph, ink_, true), QIcon::Normal, QIcon::On);
    g.button->setIcon(icon);
  }
  name_->setStyleSheet(
      QString("color: #d8c8a0; font: bold %1pt 'Liberation Sans';").arg(8 * zoom_));
  foot_->setStyleSheet(QString("color: #b0a080; font: %1pt 'Liberation Sans';").arg(7 * zoom_));
  QPixmap logo = DrawLogo(ink_);
  logo.setDevicePixelRatio(dpr_);  // its size zoomed, its pixels the screen's
  hpImage_->setPixmap(logo);
}

void TCalcForm::BuildSpeedBar() {
  speedBar_ = new SpeedBar(Qt::Horizontal, this);
  placed_.emplace_back(speedBar_, QRect(0, kSpeedBarTop, 307, 12));
  speedBar_->setRange(0, kSpeedPositions - 1);
  speedBar_->setSingleStep(1);
  speedBar_->setPageStep(4);  // an octave: half or twice the speed
  speedBar_->setValue(kRealSpeedPosition);
  speedBar_->setFocusPolicy(Qt::NoFocus);
  speedBar_->setToolTip(
      "Adjusting the speed of the emulator (left - slower, right - faster; a quarter of the real "
      "HP-41 to sixteen times it) ...");
  speedBar_->hide();
  speedBar_->setEnabled(false);
  speedBar_->installEventFilter(this);
  connect(speedBar_, &QScrollBar::valueChanged, this, [this](int v) { SpeedScrollBarScroll(v); });
}

void TCalcForm::BuildTimers() {
  // The idle redraw: the display in turbo mode. It runs only while turbo is on, so that a
  // sleeping calculator costs nothing.
  idleTimer_ = new QTimer(this);
  idleTimer_->setInterval(20);
  connect(idleTimer_, &QTimer::timeout, this, [this] { idleRedraw(); });
  // The window system's move is not limited: once a move has settled, the window comes back.
  settleTimer_ = new QTimer(this);
  settleTimer_->setSingleShot(true);
  settleTimer_->setInterval(300);
  connect(settleTimer_, &QTimer::timeout, this, [this] {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QPoint back = KeepHalfOnScreen(frameGeometry(), s->availableGeometry());
    if (back != frameGeometry().topLeft()) move(back);
  });
  // A resize by the window manager keeps no aspect: once it has ended, the window takes the
  // zoom that fits in what it was given.
  resizeTimer_ = new QTimer(this);
  resizeTimer_->setSingleShot(true);
  resizeTimer_->setInterval(200);
  connect(resizeTimer_, &QTimer::timeout, this, [this] {
    if (size() == SizeAt(zoom_)) return;
    userZoomed_ = true;
    ZoomTo(ZoomOfSize(size()));
    FitOnScreen();
  });
  // Turbo from the configuration checks the button before the first show.
  connect(turboButton_, &QToolButton::toggled, this, [this] { ArmIdleRedraw(); });
}

TCalcForm::~TCalcForm() {
  Cpu.Running = 0;
}

// ----- Panel -----

void TCalcForm::drawCharacters(const std::string& text) {
  shownChars_ = text;
  drawn_ |= 1;
  view_.drawCharacters(text);
  update(Zoomed(kDispRect));
}

void TCalcForm::drawPunctuation(const std::string& text) {
  shownPunct_ = text;
  drawn_ |= 2;
  view_.drawPunctuation(text);
  update(Zoomed(kDispRect));
}

void TCalcForm::drawAnnunciators(const std::string& text) {
  shownAnn_ = text;
  drawn_ |= 4;
  view_.drawAnnunciators(text);
  update(Zoomed(kAnnRect));
}

void TCalcForm::applyContrast() {
  shownContrast_ = contrast.load() & 15;
  view_.applyContrast(shownContrast_);
  redrawer_.EmptyCaches();
}

// In turbo the CPU thread hands a redraw over when it wakes: the idle redraw resumes then.
void TCalcForm::redrawDisplay() {
  redrawer_.Redraw();
  ArmIdleRedraw();
}

// Without a printer window the line is not drawn, but the buffer is still cleared.
void TCalcForm::RefreshPrinter() {
  DovadaRefreshPrinter();
}

// Opened by the machine (a hit, the start switch): the calculator keeps the keyboard.
void TCalcForm::ShowDebugger() {
  OpenDebuggerWindow(this, false);
}

void TCalcForm::RefreshDebugger() {
  RefreshDebuggerWindow();
}

void TCalcForm::SavePrinterPlacement() {
  if (!::SavePrinterPlacement())
    TheHost().MessageBox("VALDOR", "Unable to write to " + HomeFile(".Ini"));
}

void TCalcForm::DovadaSpeedButtonClick() {
  if (printerButton_->isChecked())
    ShowPrinter();
  else
    HidePrinter();
}

void TCalcForm::SetSpeedBar(int ticks) {
  const QSignalBlocker quiet(speedBar_);  // placing the bar does not change Ticks
  speedBar_->setValue(SpeedBarPosition(ticks));
  speedBar_->setEnabled(true);
}

void TCalcForm::SetShutDownWaits(uint32_t a, uint32_t b, uint32_t c) {
  shutDownWaits_.shutDownMs[0] = a;
  shutDownWaits_.shutDownMs[1] = b;
  shutDownWaits_.shutDownMs[2] = c;
}

// ----- Keys -----

void TCalcForm::DrawKeyPressed(int index) {
  RestoreKey();
  const KeyRect& k = keyRects[index];
  backupRect_ = DeviceRect(QRect(k.x - 2, k.y + 1, k.width + 2, k.height + 1));
  keyBackup_ = calcImage_.copy(backupRect_);
  // The face two pixels further left and one lower, clipped to the area the backup holds.
  const QRect target = DeviceRect(QRect(k.x, k.y + 1, k.width, k.height));
  const QRect source(DeviceRect(QRect(k.x + 2, k.y, k.width, k.height)).topLeft(), target.size());
  Blit(calcImage_, target.topLeft(), calcImage_.copy(source));
  heldKeyIndex_ = index;
  keyHeld_ = true;
  update(Zoomed(QRect(k.x - 4, k.y - 1, k.width + 8, k.height + 6)));
}

void TCalcForm::RestoreKey() {
  if (!keyHeld_ || heldKeyIndex_ < 0) return;
  const KeyRect& k = keyRects[heldKeyIndex_];
  Blit(calcImage_, backupRect_.topLeft(), keyBackup_);
  keyHeld_ = false;
  update(Zoomed(QRect(k.x - 4, k.y - 1, k.width + 8, k.height + 6)));
}

void TCalcForm::CalcImageMouseDown(QPoint p) {
  const int i = hitTest(p.x(), p.y());
  if (i < 0) return;
  DrawKeyPressed(i);
  KeyPressed(keyRects[i].number);
}

void TCalcForm::CalcImageMouseUp() {
  if (!keyHeld_) return;
  KeyReleased();
  ArmIdleRedraw();  // turbo held back by the key returns
  RestoreKey();
  update(Zoomed(kDispRect.united(kAnnRect)));
}

void TCalcForm::CalcImageMouseMove(QPoint p) {
  logoEffect_->setOpacity(kLogoFaint);  // the pointer is on the faceplate, not on the logo
  speedBar_->setVisible(!Turbo && p.y() >= kSpeedBarTop);
  if (annMessageShown_ && !speedBarHeld_) {
    annMessageShown_ = false;
    redrawer_.EmptyAnnCache();
    redrawDisplay();
  }
}

void TCalcForm::PressAtKeyCentre(int keyNumber) {
  const int i = KeyIndex(keyNumber);
  if (i < 0) return;
  const KeyRect& k = keyRects[i];
  CalcImageMouseDown(QPoint(k.x + k.width / 2, k.y + k.height / 2));
}

void TCalcForm::idleRedraw() {
  if (shuttingDown) return;
  // The speed message is not cleared here: it stays until the pointer is back on the faceplate.
  // Asleep, nothing changes the display until a wake hands a redraw over.
  if (Turbo && Cpu.Awake)
    redrawer_.Redraw();
  else
    idleTimer_->stop();
}

void TCalcForm::ArmIdleRedraw() {
  if (Turbo && Cpu.Awake && !idleTimer_->isActive()) idleTimer_->start();
}

qreal TCalcForm::LogoOpacity() const {
  return logoEffect_->opacity();
}

bool TCalcForm::IdleRedrawActive() const {
  return idleTimer_->isActive();
}

// ----- Buttons -----

void TCalcForm::CenterSpeedButtonClick() {
  move(Placed(-1, -1));
}

void TCalcForm::TurboSpeedButtonClick() {
  TNutCPU::SetTurbo(turboButton_->isChecked());
  ArmIdleRedraw();
}

void TCalcForm::DecreaseContrastSpeedButtonClick() {
  if (contrast == 0) return;
  contrast = contrast - 1;
  applyContrast();
  redrawDisplay();
}

void TCalcForm::IncreaseContrastSpeedButtonClick() {
  if (contrast >= 15) return;
  contrast = contrast + 1;
  applyContrast();
  redrawDisplay();
}

void TCalcForm::SpeedScrollBarScroll(int position) {
  const int ticks = SpeedBarTicks(position);
  Ticks = ticks;
  WakeCpu();  // the new speed applies from the next instruction
  drawAnnunciators(SpeedMessage(ticks));
  annMessageShown_ = displayOn;
}

// The window may be held open by a hit (DebuggerOpen) and yet not be shown: the logo opens it.
void TCalcForm::HpImageDblClick() {
  if (DebuggerWindowVisible()) return;
  OpenDebuggerWindow(this);
}

// ----- Events -----

void TCalcForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(192, 192, 192));
  p.setPen(QColor(64, 64, 64));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.translate(Zoomed(QRect(0, 0, 1, 1)).topLeft());
  p.scale(zoom_, zoom_);  // the pictures are drawn at ink_: one of their pixels to one device pixel
  p.drawImage(QPoint(0, 0), calcImage_);
  p.drawImage(kDispRect.topLeft(), view_.DispImage());
  p.drawImage(kAnnRect.topLeft(), view_.AnnImage());
  // The resize grip's three diagonal ridges.
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(176, 160, 128), 1.2));
  const QPoint corner = kGripRect.bottomRight();
  for (int d : {3, 7, 11}) p.drawLine(corner - QPoint(d, 0), corner - QPoint(0, d));
}

// Only the faceplate picture itself drags the window, where it has no key, and not with a
// modifier held. The logo, the buttons, the speed bar and the display never start a drag; the
// labels are printed on the faceplate and let presses through to it.
bool TCalcForm::StartsDrag(const QMouseEvent& e) const {
  if (e.button() != Qt::LeftButton) return false;
  if (e.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) return false;
  if (childAt(e.position().toPoint()) != nullptr) return false;  // passed on by a component
  const QPoint p = OnFaceplate(e.position());
  if (kDispRect.united(kAnnRect).contains(p)) return false;
  return hitTest(p.x(), p.y()) < 0;
}

void TCalcForm::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) return;  // the context menu's button
  const QPoint p = OnFaceplate(e->position());
  if (StartsDrag(*e)) {
    // The window system's own move; where it is refused, follow the mouse ourselves.
    manualDrag_ = !(windowHandle() && windowHandle()->startSystemMove());
    dragOffset_ = e->globalPosition().toPoint() - pos();
    return;
  }
  CalcImageMouseDown(p);
}

void TCalcForm::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) return;  // a key held with another button stays down
  manualDrag_ = false;
  CalcImageMouseUp();
}

void TCalcForm::mouseMoveEvent(QMouseEvent* e) {
  if (manualDrag_ && (e->buttons() & Qt::LeftButton)) {
    move(e->globalPosition().toPoint() - dragOffset_);
    return;
  }
  CalcImageMouseMove(OnFaceplate(e->position()));
}

void TCalcForm::contextMenuEvent(QContextMenuEvent* e) {
  menu_->popup(e->globalPos());
}

void TCalcForm::keyPressEvent(QKeyEvent* e) {
  if (e->matches(QKeySequence::Copy)) {  // Ctrl+C copies the display, as the menu does
    menu_->CopyAction()->trigger();
    return;
  }
  const quint64 identity = PcKeyIdentity(*e);
  int key = KeyDownKey(*e);
  if (key < 0) {
    if (e->key() == Qt::Key_F9) {
      turboButton_->toggle();
      TurboSpeedButtonClick();
      return;
    }
    if (e->key() == Qt::Key_Escape && Cpu.Running) {
      close();
      return;
    }
    key = KeyPressKey(*e);
  }
  if (key < 0) {
    QWidget::keyPressEvent(e);
    return;
  }
  // An auto-repeating key presses again: the calculator sees one long press.
  pcKeysDown_[identity] = key;
  PressAtKeyCentre(key);
}

void TCalcForm::keyReleaseEvent(QKeyEvent* e) {
  if (e->isAutoRepeat()) return;
  const quint64 identity = PcKeyIdentity(*e);
  // The release ends the press this PC key began, whatever character it would give now.
  auto it = pcKeysDown_.find(identity);
  if (it == pcKeysDown_.end()) {
    QWidget::keyReleaseEvent(e);
    return;
  }
  pcKeysDown_.erase(it);
  CalcImageMouseUp();
}

bool TCalcForm::eventFilter(QObject* watched, QEvent* event) {
  // The grip: the corner follows the pointer along the faceplate's diagonal.
  if (watched == grip_) {
    auto* m = static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseButtonPress && m->button() == Qt::LeftButton) {
      gripStart_ = m->globalPosition().toPoint();
      gripZoom_ = zoom_;
      return true;
    }
    if (event->type() == QEvent::MouseMove && (m->buttons() & Qt::LeftButton)) {
      const QPointF d = m->globalPosition() - QPointF(gripStart_);
      const qreal w = kClientWidth, h = kClientHeight;
      userZoomed_ = true;
      ZoomTo(gripZoom_ + (d.x() * w + d.y() * h) / (w * w + h * h));
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
      FitOnScreen();
      return true;
    }
  }
  if (watched == hpImage_ && event->type() == QEvent::MouseButtonDblClick) {
    HpImageDblClick();
    return true;
  }
  if (watched == hpImage_) {
    const QEvent::Type t = event->type();
    if (t == QEvent::Enter || t == QEvent::MouseMove) logoEffect_->setOpacity(1.0);
    if (t == QEvent::Leave) logoEffect_->setOpacity(kLogoFaint);
  }
  // While a button is held on the speed bar (slider, arrows or track) its message stays.
  if (watched == speedBar_ && event->type() == QEvent::MouseButtonPress) speedBarHeld_ = true;
  if (watched == speedBar_ && event->type() == QEvent::MouseButtonRelease) speedBarHeld_ = false;
  return QWidget::eventFilter(watched, event);
}

void TCalcForm::moveEvent(QMoveEvent* e) {
  QWidget::moveEvent(e);
  if (isVisible()) settleTimer_->start();
}

void TCalcForm::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (resizeTimer_ && size() != SizeAt(zoom_)) resizeTimer_->start();
}

void TCalcForm::closeEvent(QCloseEvent* e) {
  if (closing_) {  // a second request while shutting down does nothing more
    e->ignore();
    return;
  }
  if (restarting_) {  // the memory is between two machines: it is saved once it is back
    closeAfterRestart_ = true;
    e->ignore();
    return;
  }
  // After a CPU error (Running 0) the memory is still the user's: it is saved all the same.
  if (Cpu.Running || (StartedUp && !shutDownRan_)) {
    closing_ = true;
    Cpu.Running = 0;
    TNutCPU::Stop();  // the CPU thread ends within one instruction or idle poll
    ShutDown(shutDownWaits_);
    shutDownRan_ = true;
    closing_ = false;
  }
  e->accept();
}

bool TCalcForm::Restart(const std::string* memory) {
  if (restarting_ || closing_ || shutDownRan_ || !StartedUp) return false;
  restarting_ = true;
  RestartMachine(kNoWaits, memory);
  turboButton_->setChecked(Turbo);
  restarting_ = false;
  if (closeAfterRestart_) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  closeAfterRestart_ = false;
  return true;
}

void TCalcForm::dragEnterEvent(QDragEnterEvent* e) {
  AcceptFileDrag(e);
}

void TCalcForm::dropEvent(QDropEvent* e) {
  TakeDroppedFiles(e, this,
                   [this](const QStringList& files) { menu_->ShowModules()->AddFiles(files); });
}
