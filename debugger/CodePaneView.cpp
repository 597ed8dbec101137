#include "debugger/CodePaneView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "debugger/BreakListView.h"
#include "debugger/DebugRun.h"
#include "debugger/HistoryView.h"
#include "debugger/ListingView.h"

namespace {

constexpr int kPollMs = 30;

QToolButton* CommandButton(QWidget* parent, const QString& text, const QString& hint) {
  auto* b = new QToolButton(parent);
  b->setText(text);
  b->setToolTip(hint);
  b->setFocusPolicy(Qt::NoFocus);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  QPalette pal = b->palette();
  pal.setColor(QPalette::ButtonText, QColor(128, 0, 128));
  b->setPalette(pal);
  return b;
}

}  // namespace

TCodePane::TCodePane(QWidget* parent) : QWidget(parent) {
  setObjectName("CodePane");
  runButton_ = CommandButton(this, "Run", "Run until a breakpoint, a watchpoint or Break (F5)");
  breakButton_ = CommandButton(this, "Break", "Halt the run (Pause)");
  overButton_ = CommandButton(this, "Over", "Step over: a call runs until it returns (F10)");
  outButton_ = CommandButton(this, "Out", "Step out of the current routine (Shift+F11)");
  toCursorButton_ = CommandButton(this, "To cursor", "Run to the selected line (Ctrl+F10)");
  connect(runButton_, &QToolButton::clicked, this, [this] { Run(); });
  connect(breakButton_, &QToolButton::clicked, this, [this] { Break(); });
  connect(overButton_, &QToolButton::clicked, this, [this] { StepOver(); });
  connect(outButton_, &QToolButton::clicked, this, [this] { StepOut(); });
  connect(toCursorButton_, &QToolButton::clicked, this, [this] { RunToCursor(); });

  haltLabel_ = new QLabel(this);
  haltLabel_->setObjectName("HaltLabel");
  haltLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  haltLabel_->setMinimumWidth(0);
  haltLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

  listing_ = new TListingView(this);
  QFont mono("Liberation Mono");
  mono.setStyleHint(QFont::TypeWriter);
  mono.setPixelSize(11);
  listing_->setFont(mono);
  listing_->setFocusPolicy(Qt::ClickFocus);
  connect(listing_, &TListingView::ToggleBreak, this, [this](uint16_t a) { ToggleBreak(a); });

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("DebugTabs");
  tabs_->setFocusPolicy(Qt::NoFocus);
  tabs_->tabBar()->setFocusPolicy(Qt::NoFocus);
  breakList_ = new TBreakListView(tabs_);
  history_ = new THistoryView(tabs_);
  history_->setFont(mono);
  history_->setFocusPolicy(Qt::ClickFocus);
  breakList_->Table()->setFocusPolicy(Qt::ClickFocus);
  breakList_->AddEdit()->setFocusPolicy(Qt::ClickFocus);
  tabs_->addTab(breakList_, "Breakpoints");
  tabs_->addTab(history_, "History");
  connect(breakList_, &TBreakListView::Changed, this,
          [this] { listing_->Model()->BreaksChanged(); });
  connect(breakList_, &TBreakListView::Message, this, [this](const QString& m) {
    if (!m.isEmpty()) SetHaltText(m, true);
  });
  connect(history_, &THistoryView::ShowAddress, this, [this](uint16_t a) {
    listing_->ShowAddress(a, true);
  });
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int) {
    if (tabs_->currentWidget() == history_ && !running_) history_->Reload();
  });

  auto* commands = new QHBoxLayout;
  commands->setContentsMargins(0, 0, 0, 0);
  commands->setSpacing(2);
  for (QToolButton* b : {runButton_, breakButton_, overButton_, outButton_, toCursorButton_})
    commands->addWidget(b);
  commands->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 6, 6, 6);
  layout->setSpacing(3);
  layout->addLayout(commands);
  layout->addWidget(haltLabel_);
  layout->addWidget(listing_, 3);
  layout->addWidget(tabs_, 2);

  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
  SetRunning(false);
}

void TCodePane::Capture() {
  listing_->Model()->Capture();
}

void TCodePane::Show(bool full, bool follow) {
  listing_->Model()->Update();
  if (follow) listing_->ShowAddress(listing_->Model()->Pc(), false);
  if (!full) return;
  breakList_->Reload();
  if (tabs_->currentWidget() == history_) history_->Reload();
}

void TCodePane::Run() {
  Start([] { RunFree(); });
}

void TCodePane::StepOver() {
  Start([] { ::StepOver(); });
}

void TCodePane::StepOut() {
  Start([] { ::StepOut(); });
}

void TCodePane::RunToCursor() {
  const uint16_t address = listing_->CursorAddress();
  Start([address] { RunTo(address); });
}

void TCodePane::Break() {
  if (!running_) return;
  TNutCPU::RunHalted([] { BreakRun(); });
  Poll();
}

// The list changes the set and reports it, and the listing redraws its margin.
void TCodePane::ToggleBreak(uint16_t address) {
  breakList_->Toggle(address);
}

void TCodePane::LeaveDebugger() {
  TNutCPU::RunHalted([] {
    BreakRun();
    ResumeFromHalt();
    ClearHalt();
  });
  poll_.stop();
  SetRunning(false);
}

void TCodePane::SetHaltText(const QString& text, bool error) {
  haltLabel_->setText(text);
  haltLabel_->setToolTip(text);
  QPalette pal = haltLabel_->palette();
  pal.setColor(QPalette::WindowText, error ? QColor(200, 0, 0) : QColor(0, 0, 128));
  haltLabel_->setPalette(pal);
}

// A command starts only where the CPU could run it: start-up done, no animation going on.
void TCodePane::Start(const std::function<void()>& command) {
  if (running_) return;
  if (Animate.load()) {
    SetHaltText("Animate is on: switch it off to run", true);
    return;
  }
  bool started = false;
  TNutCPU::RunHalted([&] {
    if (!Cpu.Running) return;
    command();
    started = true;
  });
  if (!started) return;
  SetHaltText("Running ...");
  SetRunning(true);
  poll_.start();
}

void TCodePane::Poll() {
  if (!running_ || DebugRunning.load()) return;
  poll_.stop();
  SetRunning(false);
  QString why;
  TNutCPU::RunHalted([&] { why = QString::fromStdString(LastHalt().text); });
  SetHaltText(why);
  emit Halted();
}

void TCodePane::SetRunning(bool running) {
  running_ = running;
  for (QToolButton* b : {runButton_, overButton_, outButton_, toCursorButton_})
    b->setEnabled(!running);
  breakButton_->setEnabled(running);
  emit RunningChanged(running);
}
