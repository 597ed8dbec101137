#include "debugger/DebugForm.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <QValidator>
#include <algorithm>
#include <atomic>
#include <functional>

#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "cpu/Wake.h"
#include "debugger/CodePaneView.h"
#include "debugger/Debug.h"
#include "debugger/DebugRun.h"
#include "debugger/ListingView.h"
#include "debugger/EditParse.h"
#include "debugger/Trace.h"
#include "display/Lcd.h"
#include "host/Panel.h"
#include "memory/Ram.h"
#include "memory/Rom.h"
#include "timer/Zudaroz.h"

QPoint DebuggerPlacement(const QRect& mainFrame, const QSize& frame, const QRect& available) {
  // Into [low, high - size], the low edge winning when the window is larger than the span.
  auto clamp = [](int v, int size, int low, int high) {
    return std::max(low, std::min(v, high - size));
  };
  auto inside = [&](QPoint p) {
    return QPoint(clamp(p.x(), frame.width(), available.left(), available.right() + 1),
                  clamp(p.y(), frame.height(), available.top(), available.bottom() + 1));
  };
  const QPoint sides[] = {
      {mainFrame.right() + 1, mainFrame.top()},           // right
      {mainFrame.left() - frame.width(), mainFrame.top()},  // left
      {mainFrame.left(), mainFrame.bottom() + 1},         // below
      {mainFrame.left(), mainFrame.top() - frame.height()},  // above
  };
  QPoint best = inside(sides[0]);
  qint64 bestCover = -1;
  for (const QPoint& side : sides) {
    const QPoint p = inside(side);
    const QRect covered = QRect(p, frame).intersected(mainFrame);
    const qint64 cover = covered.isEmpty() ? 0 : qint64{covered.width()} * covered.height();
    if (cover == 0) return p;
    if (bestCover < 0 || cover < bestCover) {
      best = p;
      bestCover = cover;
    }
  }
  return best;
}

// ----- The window -----

namespace {

const QColor kMaroon(128, 0, 0), kNavy(0, 0, 128), kPurple(128, 0, 128);
constexpr int kEditHeight = 21;

QString ToolTipExit() {
  return "Exit and resume execution ...";
}

// Typed letters become capitals.
class UpperCase : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    input = input.toUpper();
    return Acceptable;
  }
};

// An edit field that reports when the focus leaves it for another control of the window.
// Leaving the window (another window activated, a context menu) is not leaving the field.
class FieldEdit : public QLineEdit {
 public:
  FieldEdit(QWidget* parent, std::function<void()> onExit)
      : QLineEdit(parent), onExit_(std::move(onExit)) {}

 protected:
  void focusOutEvent(QFocusEvent* e) override {
    QLineEdit::focusOutEvent(e);
    if (e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason)
      onExit_();
  }

 private:
  std::function<void()> onExit_;
};

QFont FieldFont() {
  QFont f("Liberation Mono");
  f.setStyleHint(QFont::TypeWriter);
  f.setPixelSize(10);
  return f;
}

// The logo: a small chip with its pins, drawn at the screen's pixel ratio.
// Drawn on a 32-pixel grid, scaled to size.
QPixmap DrawDebugLogo(qreal dpr, int size) {
  QPixmap pm(QSize(size, size) * dpr);
  pm.setDevicePixelRatio(dpr);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(190, 160, 70));
  for (int i = 0; i < 4; ++i) {
    const int c = 9 + 4 * i;
    p.drawRect(QRectF(c, 2, 2, 5));
    p.drawRect(QRectF(c, 25, 2, 5));
    p.drawRect(QRectF(2, c, 5, 2));
    p.drawRect(QRectF(25, c, 5, 2));
  }
  p.setBrush(QColor(45, 45, 60));
  p.drawRoundedRect(QRectF(6, 6, 20, 20), 2, 2);
  p.setBrush(QColor(90, 90, 110));
  p.drawEllipse(QRectF(8.5, 8.5, 3, 3));
  QFont f("Liberation Sans");
  f.setPixelSize(9);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(240, 220, 160));
  p.drawText(QRectF(6, 11, 20, 13), Qt::AlignCenter, "41");
  return pm;
}

QLabel* Label(QWidget* parent, const QString& text, const QRect& r, Qt::Alignment align) {
  auto* l = new QLabel(text, parent);
  l->setGeometry(r);
  l->setAlignment(align);
  l->setAttribute(Qt::WA_TransparentForMouseEvents);
  return l;
}

QToolButton* CaptionButton(QWidget* parent, const QString& text, const QRect& r,
                           const QString& hint) {
  auto* b = new QToolButton(parent);
  b->setText(text);
  b->setGeometry(r);
  b->setFocusPolicy(Qt::NoFocus);
  b->setToolTip(hint);
  QPalette pal = b->palette();
  pal.setColor(QPalette::ButtonText, kPurple);
  b->setPalette(pal);
  return b;
}

QPointer<TDebugForm> debugForm;

}  // namespace

struct TDebugForm::View {
  CodeLine code;
  std::array<std::string, kDebugFieldCount> texts;
  uint8_t base = 16;
};

TDebugForm::TDebugForm(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint) {
  setWindowTitle("Nut CPU MicroCode Debugger");
  setFixedSize(kClientWidth, kClientHeight);
  QFont font("Liberation Sans");
  font.setPixelSize(11);
  setFont(font);
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, kMaroon);
  setPalette(pal);
  QPalette fieldPalette = pal;
  fieldPalette.setColor(QPalette::Text, kNavy);

  BuildFields(fieldPalette);
  BuildBaseGroup();
  BuildControls(fieldPalette);
  codePane_ = new TCodePane(this);
  codePane_->setGeometry(kRegisterWidth, 0, kClientWidth - kRegisterWidth, kClientHeight);
  connect(codePane_, &TCodePane::Halted, this, [this] { RefreshDebugger(); });
  connect(codePane_, &TCodePane::RunningChanged, this, [this](bool on) { RunningChanged(on); });
  SetTabOrder();

  // Every key reaches the window first (FormKeyDown); double clicks on the logo and the list.
  installEventFilter(this);
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

// The register fields, each with its label just left of it, and the instruction at PC.
void TDebugForm::BuildFields(const QPalette& fieldPalette) {
  const QFont fieldFont = FieldFont();
  auto* upper = new UpperCase(this);
  for (int i = 0; i < kDebugFieldCount; ++i) {
    const DebugField& f = DebugFields[i];
    auto* edit = new FieldEdit(this, [this, i] {
      if (!closing_ && isVisible()) EditExit(i);
    });
    edit->setObjectName(f.name);
    edit->setGeometry(f.x, f.y, f.width, kEditHeight);
    edit->setFont(fieldFont);
    edit->setPalette(fieldPalette);
    edit->setValidator(upper);
    edit->setTextMargins(0, 0, 0, 0);
    edits_[i] = edit;
    // The label ends just left of its field and covers nothing else.
    QLabel* label = Label(this, f.label, QRect(), Qt::AlignRight | Qt::AlignVCenter);
    const int w = label->sizeHint().width();
    label->setGeometry(f.x - 2 - w, f.y, w, kEditHeight);
  }
  disLabel_ = Label(this, "", QRect(140, 12, kRegisterWidth - 142, 14), Qt::AlignLeft | Qt::AlignTop);
  disLabel_->setObjectName("DisLabel");
  disLabel_->setFont(fieldFont);
}

void TDebugForm::BuildBaseGroup() {
  auto* group = new QGroupBox(" Base ", this);
  group->setObjectName("ArithRadioGroup");
  group->setGeometry(176, 135, 98, 36);
  base16_ = new QRadioButton("16", group);
  base10_ = new QRadioButton("10", group);
  base16_->setGeometry(10, 15, 40, 17);
  base10_->setGeometry(54, 15, 40, 17);
  baseGroup_ = new QButtonGroup(this);
  baseGroup_->addButton(base16_, 16);
  baseGroup_->addButton(base10_, 10);
  // Tab enters the group at its selected button only.
  for (QRadioButton* b : {base16_, base10_}) {
    b->setFocusPolicy(Qt::ClickFocus);
    connect(b, &QRadioButton::toggled, b,
            [b](bool on) { b->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus); });
  }
  connect(baseGroup_, &QButtonGroup::idClicked, this, [this](int id) { ArithRadioGroupClick(id); });
}

// Animate and Trace, the memory list, SST and Exit, and the logo.
void TDebugForm::BuildControls(const QPalette& fieldPalette) {
  animateBox_ = new QCheckBox("&Animate", this);
  animateBox_->setGeometry(206, 388, 67, 17);
  animateBox_->setToolTip("Animated microcode execution ...");
  traceBox_ = new QCheckBox("&Trace", this);
  traceBox_->setGeometry(214, 412, 59, 17);
  traceBox_->setToolTip("Trace mode (logging to file) ...");
  for (QCheckBox* box : {animateBox_, traceBox_}) {
    box->setLayoutDirection(Qt::RightToLeft);  // caption left of the box
    box->setFocusPolicy(Qt::ClickFocus);
  }
  connect(animateBox_, &QCheckBox::clicked, this, [this] { AnimateCheckBoxClick(); });
  connect(traceBox_, &QCheckBox::clicked, this, [this] { TraceCheckBoxClick(); });

  Label(this, "Mem", QRect(0, 384, 38, 15), Qt::AlignRight | Qt::AlignTop);
  memList_ = new QListWidget(this);
  memList_->setObjectName("MemListBox");
  memList_->setGeometry(40, 384, 136, 109);
  memList_->setFont(FieldFont());
  memList_->setPalette(fieldPalette);
  memList_->setFocusPolicy(Qt::ClickFocus);
  memList_->setWordWrap(true);  // the hint fits the list's width on two lines
  memList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memList_->addItem("Double click to refresh ...");

  sstButton_ = CaptionButton(this, "SST", QRect(224, 444, 49, 21), "Step by step execution ...");
  exitButton_ = CaptionButton(this, "Exit", QRect(224, 472, 49, 21), ToolTipExit());
  connect(sstButton_, &QToolButton::clicked, this, [this] { SSTSpeedButtonClick(); });
  connect(exitButton_, &QToolButton::clicked, this, [this] { ExitSpeedButtonClick(); });

  hpImage_ = new QLabel(this);
  hpImage_->setObjectName("HPImage");
  // Between the C field, the N label, P and the Stack row, touching none of them.
  hpImage_->setGeometry(142, 87, 24, 24);
  hpImage_->setPixmap(DrawDebugLogo(qApp->devicePixelRatio(), 24));
  hpImage_->setToolTip(ToolTipExit());
}

// Tab order: the fields by their tab numbers, the Base group at 14.
void TDebugForm::SetTabOrder() {
  std::vector<std::pair<int, QWidget*>> order;
  for (int i = 0; i < kDebugFieldCount; ++i) order.emplace_back(DebugFields[i].tab, edits_[i]);
  order.emplace_back(14, base16_);
  order.emplace_back(14, base10_);
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1].second, order[i].second);
}

void TDebugForm::ShowDebugger(QWidget* mainWindow, bool activate) {
  setAttribute(Qt::WA_ShowWithoutActivating, !activate);  // before the platform window exists
  if (mainWindow) {
    create();  // lets the platform report the frame's size
    const QScreen* screen = mainWindow->screen() ? mainWindow->screen() : qApp->primaryScreen();
    move(DebuggerPlacement(mainWindow->frameGeometry(), frameGeometry().size(),
                           screen->availableGeometry()));
  }
  animateBox_->setChecked(Animate.load() != 0);
  traceBox_->setChecked(Trace.load() != 0);
  sstButton_->setEnabled(!Animate.load());
  DebuggerOpen = 1;
  WakeCpu();
  show();
  raise();
  if (activate) activateWindow();
}

void TDebugForm::RefreshDebugger(int field) {
  Refresh(field, false);
}

void TDebugForm::RefreshAnimated() {
  if (isVisible()) Refresh(kAllFields, true);
}

// The listing shows a typed word, and follows a typed PC. Leaving the field unchanged does not
// scroll it: that happens as a click into the listing takes the focus, before the click is seen.
void TDebugForm::RefreshCodeLine() {
  CodeLine code;
  const uint16_t shownPc = codePane_->Listing()->Model()->Pc();
  TNutCPU::RunHalted([&] {
    code = ReadCodeLine();
    codePane_->Capture();
  });
  ShowCodeLine(code);
  codePane_->Show(false, codePane_->Listing()->Model()->Pc() != shownPc);
}

// direct: the CPU thread already waits (animate hand-over), so nothing needs to be halted.
void TDebugForm::Refresh(int field, bool direct) {
  if (displayDirty.load()) ThePanel().redrawDisplay();
  View view;
  auto read = [&] {
    view.code = ReadCodeLine();
    if (field == kAllFields) {
      for (int i = 0; i < kDebugFieldCount; ++i) view.texts[i] = DebugFields[i].show();
      view.base = Cpu.Base;
      codePane_->Capture();
    } else {
      view.texts[field] = DebugFields[field].show();
    }
  };
  if (direct)
    read();
  else
    TNutCPU::RunHalted(read);
  Apply(view, field, direct);
}

void TDebugForm::Apply(const View& view, int field, bool animated) {
  for (int i = 0; i < kDebugFieldCount; ++i) {
    if (field != kAllFields && field != i) continue;
    QLineEdit* edit = edits_[i];
    // While animating, a field being typed into keeps its text until it is committed.
    if (animated && edit->hasFocus() && edit->isModified()) continue;
    edit->setText(QString::fromStdString(view.texts[i]));
  }
  if (field == kAllFields) {
    (view.base == 10 ? base10_ : base16_)->setChecked(true);
    // Animated: the listing follows PC; the lists wait for the next halt.
    codePane_->Show(!animated);
  }
  ShowCodeLine(view.code);
}

void TDebugForm::ShowCodeLine(const CodeLine& code) {
  edits_[0]->setText(QString::fromStdString(code.pc));
  edits_[1]->setText(QString::fromStdString(code.op));
  disLabel_->setText(QString::fromStdString(code.dis));
}

void TDebugForm::EditExit(int field) {
  const std::string text = edits_[field]->text().toStdString();
  const DebugField& f = DebugFields[field];
  bool written = false;
  TNutCPU::RunHalted([&] { written = f.commit(text); });
  switch (f.after) {
    case AfterEdit::CodeLine:
      RefreshCodeLine();
      break;
    case AfterEdit::Display:
      if (written) ThePanel().redrawDisplay();
      RefreshDebugger(field);
      break;
    case AfterEdit::Field:
      RefreshDebugger(field);
      break;
  }
}

void TDebugForm::ArithRadioGroupClick(int base) {
  TNutCPU::RunHalted([base] { Cpu.Base = static_cast<uint8_t>(base == 10 ? 10 : 16); });
}

void TDebugForm::SSTSpeedButtonClick() {
  bool stepped = false;
  uint16_t pc = 0;
  TNutCPU::RunHalted([&] {
    if (!Cpu.Running || Animate.load() || codePane_->Running()) return;
    StepInto();
    ClearHalt();
    pc = Cpu.PC;
    stepped = true;
  });
  if (!stepped) return;
  RefreshDebugger();
  // The status line follows the step, rather than keeping the last command's halt.
  codePane_->SetHaltText(QString::fromStdString("stepped to " + HexDigits(pc, 4)));
}

void TDebugForm::ExitSpeedButtonClick() {
  close();
}

void TDebugForm::AnimateCheckBoxClick() {
  const bool on = animateBox_->isChecked();
  Animate = on ? 1 : 0;
  HaltHolds = 0;  // the box lets a halted CPU animate (or stand) as it now says
  WakeCpu();
  sstButton_->setEnabled(!on && !codePane_->Running());
}

void TDebugForm::RunningChanged(bool running) {
  sstButton_->setEnabled(!running && !Animate.load());
}

// Not under RunHalted: closing the log pauses the CPU thread itself.
void TDebugForm::TraceCheckBoxClick() {
  if (traceBox_->isChecked())
    OpenTrace();
  else
    CloseTrace();
}

void TDebugForm::MemListBoxDblClick() {
  std::vector<std::string> items;
  TNutCPU::RunHalted([&] { items = MemoryListing(); });
  memList_->clear();
  for (const std::string& item : items) memList_->addItem(QString::fromStdString(item));
}

void TDebugForm::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  closing_ = false;
  dropKey_ = 0;
  RefreshDebugger();
  // Opened by a hit: say why.
  QString why;
  TNutCPU::RunHalted([&] { why = QString::fromStdString(LastHalt().text); });
  codePane_->SetHaltText(why.isEmpty() ? QString("Halted") : why);
}

void TDebugForm::closeEvent(QCloseEvent* e) {
  closing_ = true;
  // A run ends here, and the CPU passes the breakpoint it may stand on instead of halting on it
  // again at once.
  codePane_->LeaveDebugger();
  TNutCPU::CloseDebugger();
  e->accept();
}

bool TDebugForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (DropPendingKey(key)) return true;
      if (event->type() != QEvent::KeyPress) break;
      if (CommandKey(key)) return true;
      // In the code pane the lists keep their own keys (arrows, Enter in an editor); Esc
      // still closes unless a text is being typed there.
      if (codePane_->isAncestorOf(qobject_cast<QWidget*>(watched)) &&
          (key->key() != Qt::Key_Escape || qobject_cast<QLineEdit*>(watched)))
        break;
      if (FormKeyDown(key)) return true;
      break;
    }
    case QEvent::MouseButtonDblClick:
      if (watched == hpImage_) {
        ExitSpeedButtonClick();
        return true;
      }
      if (watched == memList_->viewport()) {
        MemListBoxDblClick();
        return true;
      }
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

// Enter moves on (committing the field left), Esc closes, Down and Page Down step.
bool TDebugForm::FormKeyDown(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return false;
      focusNextPrevChild(true);
      break;
    case Qt::Key_Escape:
      close();
      break;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
      SSTSpeedButtonClick();
      break;
    default:
      return false;
  }
  dropKey_ = e->key();
  return true;
}

// The code pane's commands, from any control: F5 run, Pause break, F9 breakpoint on the selected
// line, F10 step over, Shift+F11 step out, Ctrl+F10 run to the selected line, F11 single step.
bool TDebugForm::CommandKey(QKeyEvent* e) {
  const Qt::KeyboardModifiers mods =
      e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  switch (e->key()) {
    case Qt::Key_F5:
      if (mods != Qt::NoModifier) return false;
      codePane_->Run();
      break;
    case Qt::Key_Pause:
      codePane_->Break();
      break;
    case Qt::Key_F9:
      if (mods != Qt::NoModifier) return false;
      codePane_->ToggleBreak(codePane_->Listing()->CursorAddress());
      break;
    case Qt::Key_F10:
      if (mods == Qt::ControlModifier) codePane_->RunToCursor();
      else if (mods == Qt::NoModifier) codePane_->StepOver();
      else return false;
      break;
    case Qt::Key_F11:
      if (mods == Qt::ShiftModifier) codePane_->StepOut();
      else if (mods == Qt::NoModifier) SSTSpeedButtonClick();
      else return false;
      break;
    default:
      return false;
  }
  dropKey_ = e->key();
  return true;
}

// After a consumed key, the next key message to the window is looked at once: the release of
// that same key is swallowed, so no control sees half of a key the window has handled.
bool TDebugForm::DropPendingKey(QKeyEvent* e) {
  if (!dropKey_) return false;
  const bool drop = e->type() == QEvent::KeyRelease && e->key() == dropKey_;
  dropKey_ = 0;
  return drop;
}

// ----- For the main window -----

void OpenDebuggerWindow(QWidget* mainWindow, bool activate) {
  if (!debugForm) debugForm = new TDebugForm(mainWindow);
  debugForm->ShowDebugger(mainWindow, activate);
}

void RefreshDebuggerWindow() {
  if (debugForm) debugForm->RefreshAnimated();
}

bool DebuggerWindowVisible() {
  return debugForm && debugForm->isVisible();
}

TDebugForm* DebuggerWindow() {
  return debugForm;
}
