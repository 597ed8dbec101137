#pragma once
// The microcode debugger window: every register of the CPU, the LCD driver and the timer chip as
// editable hexadecimal text beside the instruction at PC; single step, animate, trace and a
// listing of the data RAM. While it is open the CPU thread stands between two instructions.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <array>
#include <string>
#include <string_view>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QToolButton;

// ----- The register fields: what each shows and how its text is written back -----

// What is redisplayed after a field has been committed.
enum class AfterEdit {
  Field,     // the field itself
  CodeLine,  // only the code line (PC, OP and the disassembly)
  Display,   // the calculator's display is redrawn, then the field
};

struct DebugField {
  const char* name;   // component name, "PCEdit"
  const char* label;  // "PC="
  int x, y, width;
  int tab;  // position in the tab order
  // The current value as the field shows it.
  std::string (*show)();
  // Writes a typed text back, reduced into the register's range. False: the text does not
  // parse and nothing was written.
  bool (*commit)(std::string_view text);
  AfterEdit after;
};

constexpr int kDebugFieldCount = 30;
extern const std::array<DebugField, kDebugFieldCount> DebugFields;
// Index into DebugFields of the component name, -1 when there is none.
int DebugFieldIndex(std::string_view name);

// The code line: PC as hex 4, the word at PC as hex 3 and its disassembly.
struct CodeLine {
  std::string pc, op, dis;
};
CodeLine ReadCodeLine();

// One item per existing RAM register, in increasing order: "0FF 00000000000000".
std::vector<std::string> MemoryListing();

// The window's top-left corner: right of the main window, top aligned with it, kept on screen.
QPoint DebuggerPlacement(const QRect& mainFrame, const QSize& frame, const QSize& screen);

// ----- The window -----

class TDebugForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 280, kClientHeight = 501;
  static constexpr int kAllFields = -1;

  explicit TDebugForm(QWidget* parent = nullptr);

  // Places the window beside mainWindow, takes over Animate and Trace, halts the CPU and shows.
  void ShowDebugger(QWidget* mainWindow);
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

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct View;
  void Refresh(int field, bool direct);
  void Apply(const View& view, int field, bool animated);
  void ShowCodeLine(const CodeLine& code);
  bool FormKeyDown(QKeyEvent* e);
  bool DropPendingKey(QKeyEvent* e);

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
  bool closing_ = false;  // no commits while the window goes away
  int dropKey_ = 0;       // a consumed key whose release is still to be swallowed
};

// ----- For the main window -----

// Opens the debugger window (created on first use) beside mainWindow.
void OpenDebuggerWindow(QWidget* mainWindow);
// The animate refresh, run in the GUI thread while the CPU thread waits; nothing without window.
void RefreshDebuggerWindow();
bool DebuggerWindowVisible();
// The window, null before the first OpenDebuggerWindow.
TDebugForm* DebuggerWindow();
