#pragma once
// The debugger window's right side: the run commands (Run, Break, Step over, Step out, Run to
// cursor), why the CPU halted, the listing that follows PC, and the breakpoint and history
// lists. A run goes on in the CPU thread; the pane watches for its halt.

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>

class QLabel;
class QTabWidget;
class QToolButton;
class TBreakListView;
class THistoryView;
class TListingView;

class TCodePane : public QWidget {
  Q_OBJECT

 public:
  explicit TCodePane(QWidget* parent = nullptr);

  // Reads the listing's image and PC; call while the CPU stands (inside the window's read).
  void Capture();
  // Shows what Capture read, following PC unless told not to; a full refresh also reloads the
  // lists.
  void Show(bool full, bool follow = true);

  // The commands. Each starts a checked run in the CPU thread, unless one is going on.
  void Run();
  void StepOver();
  void StepOut();
  void RunToCursor();
  void Break();
  // Sets or clears a breakpoint at the address (any bank).
  void ToggleBreak(uint16_t address);
  // Halts a run that is going on and lets the CPU pass the breakpoint it stands on: the window
  // goes away and the CPU runs freely.
  void LeaveDebugger();

  bool Running() const { return running_; }
  void SetHaltText(const QString& text, bool error = false);

  TListingView* Listing() const { return listing_; }
  TBreakListView* BreakList() const { return breakList_; }
  THistoryView* HistoryList() const { return history_; }
  QTabWidget* Tabs() const { return tabs_; }
  QLabel* HaltLabel() const { return haltLabel_; }
  QToolButton* RunButton() const { return runButton_; }
  QToolButton* BreakButton() const { return breakButton_; }
  QToolButton* OverButton() const { return overButton_; }
  QToolButton* OutButton() const { return outButton_; }
  QToolButton* ToCursorButton() const { return toCursorButton_; }

 signals:
  // A run has halted (or a command could not start): the window refreshes every field.
  void Halted();
  // A run started: the window's own step button stands still meanwhile.
  void RunningChanged(bool running);

 private:
  void Start(const std::function<void()>& command);
  void Poll();
  void SetRunning(bool running);

  QToolButton* runButton_;
  QToolButton* breakButton_;
  QToolButton* overButton_;
  QToolButton* outButton_;
  QToolButton* toCursorButton_;
  QLabel* haltLabel_;
  TListingView* listing_;
  QTabWidget* tabs_;
  TBreakListView* breakList_;
  THistoryView* history_;
  QTimer poll_;
  bool running_ = false;
};
