#pragma once
// The desktop program's life follows its main window. A close asked for during start-up (close
// box, signal) is carried out when start-up has finished, so that the RAM image is loaded before
// it is saved; SIGTERM, SIGINT and SIGHUP close the main window like its close button, so the
// usual shut-down saves the RAM image; the program ends when the main window has closed, whatever
// other windows are open; and minimising the main window minimises the other windows with it.
// A signal also dismisses any modal box (a start-up error, a file dialog, a message) that would
// otherwise hold the program until someone answers it.

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QSocketNotifier;
class QWidget;

// Routes SIGTERM, SIGINT and SIGHUP into a pipe that the life cycle reads; a signal that comes
// before the main window exists waits there. Call once, first thing. False when it failed (the
// signals then keep their default action).
bool CatchEndSignals();

class TLifeCycle : public QObject {
 public:
  // Created before the main window exists, the life cycle catches the signals from then on;
  // SetMainWindow hands it the window.
  explicit TLifeCycle(QWidget* mainWindow = nullptr);
  ~TLifeCycle() override;
  void SetMainWindow(QWidget* mainWindow);
  // Runs when an end signal arrives, before the modal boxes are dismissed and the main window
  // is closed (the program sends its boxes to the terminal and drops its shut-down waits).
  void OnEndSignal(std::function<void()> fn) { onEndSignal_ = std::move(fn); }
  bool EndedBySignal() const { return bySignal_; }

  // Start-up has finished: a close asked for meanwhile runs now, from the event loop.
  void StartUpFinished();
  bool CloseDeferred() const { return deferred_; }
  // The main window has closed after its shut-down: the program ends.
  bool Closed() const { return closed_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FollowMinimise();
  void EndBySignal();

  QPointer<QWidget> main_;  // the life cycle may outlive its window
  std::function<void()> onEndSignal_;
  bool bySignal_ = false;
  QSocketNotifier* signals_ = nullptr;
  bool started_ = false;
  bool deferred_ = false;
  bool closing_ = false;
  bool closed_ = false;
  QList<QPointer<QWidget>> minimised_;  // windows minimised with the main window
};
