#pragma once
// The microcode debugger window: every register of the CPU, the LCD driver and the timer chip as
// editable hexadecimal text beside the instruction at PC; single step, animate, trace and a
// listing of the data RAM on the left, the code pane (run commands, the disassembly listing,
// breakpoints and history) on the right. While it is open the CPU thread stands between two
// instructions, unless a run of the code pane goes on.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "debugger/DebugFields.h"

class QButtonGroup;
class QCheckBox;
class QEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPalette;
class QRadioButton;
class QToolButton;
class TCodePane;

// The window's top-left corner within the screen's available area: right of the main window,
// top aligned with it; else left of it; else below it; else wherever it covers the least of it.
QPoint DebuggerPlacement(const QRect& mainFrame, const QSize& frame, const QRect& available);

// ----- The window -----

class TDebugForm : public QWidget {
  Q_OBJECT

 public:
  // The register fields take the left 280 pixels; the code pane the rest.
  static constexpr int kRegisterWidth = 280, kClientWidth = 730, kClientHeight = 501;
  static constexpr int kAllFields = -1;

  explicit TDebugForm(QWidget* parent = nullptr);

  // Places the window beside mainWindow, takes over Animate and Trace, halts the CPU and shows.
  // Without activate (opened by a hit) the keyboard focus stays where it was.
  void ShowDebugger(QWidget* mainWindow, bool activate = true);
  // Updates the code line and the given field (or all of them), holding the CPU thread between
  // two instructions while the values are read.
  void RefreshDebugger(int field = kAllFields);
  // The same for all fields from the animate hand-over, where the CPU thread already waits:
  // reads directly. A field the user is typing into keeps its text.
  void RefreshAnimated();
  void RefreshCodeLine();

  // Event handlers.
  void EditExit(int field);
  void ArithRadioGroupClick(int base);
  void SSTSpeedButtonClick();
  void ExitSpeedButtonClick();
  void AnimateCheckBoxClick();
  void TraceCheckBoxClick();
  void MemListBoxDblClick();

  // Components.
  QLineEdit* Edit(int field) const { return edits_[field]; }
  QLineEdit* Edit(std::string_view name) const { return edits_[DebugFieldIndex(name)]; }
  QLabel* DisLabel() const { return disLabel_; }
  QRadioButton* BaseButton(int base) const { return base == 10 ? base10_ : base16_; }
  QCheckBox* AnimateCheckBox() const { return animateBox_; }
  QCheckBox* TraceCheckBox() const { return traceBox_; }
  QListWidget* MemListBox() const { return memList_; }
  QToolButton* SSTSpeedButton() const { return sstButton_; }
  QToolButton* ExitSpeedButton() const { return exitButton_; }
  QLabel* HPImage() const { return hpImage_; }
  TCodePane* CodePane() const { return codePane_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct View;
  void BuildFields(const QPalette& fieldPalette);
  void BuildBaseGroup();
  void BuildControls(const QPalette& fieldPalette);
  void SetTabOrder();
  void Refresh(int field, bool direct);
  void Apply(const View& view, int field, bool animated);
  void ShowCodeLine(const CodeLine& code);
  bool FormKeyDown(QKeyEvent* e);
  bool DropPendingKey(QKeyEvent* e);
  bool CommandKey(QKeyEvent* e);
  void RunningChanged(bool running);

  std::array<QLineEdit*, kDebugFieldCount> edits_{};
  QLabel* disLabel_ = nullptr;
  QRadioButton* base16_ = nullptr;
  QRadioButton* base10_ = nullptr;
  QButtonGroup* baseGroup_ = nullptr;
  QCheckBox* animateBox_ = nullptr;
  QCheckBox* traceBox_ = nullptr;
  QListWidget* memList_ = nullptr;
  QToolButton* sstButton_ = nullptr;
  QToolButton* exitButton_ = nullptr;
  QLabel* hpImage_ = nullptr;
  TCodePane* codePane_ = nullptr;
  bool closing_ = false;  // no commits while the window goes away
  int dropKey_ = 0;       // a consumed key whose release is still to be swallowed
};

// ----- For the main window -----

// Opens the debugger window (created on first use) beside mainWindow.
void OpenDebuggerWindow(QWidget* mainWindow, bool activate = true);
// The animate refresh, run in the GUI thread while the CPU thread waits; nothing without window.
void RefreshDebuggerWindow();
bool DebuggerWindowVisible();
// The window, null before the first OpenDebuggerWindow.
TDebugForm* DebuggerWindow();
