#include "app/QtLifeCycle.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCloseEvent>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>

namespace {

int signalPipe[2] = {-1, -1};  // [0] written by the handler, [1] read in the GUI thread

void OnEndSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);  // full pipe: one is enough
  errno = saved;
}

}  // namespace

bool CatchEndSignals() {
  if (signalPipe[0] >= 0) return true;
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return false;
  ::fcntl(signalPipe[0], F_SETFL, O_NONBLOCK);
  ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  bool ok = true;
  for (const int sig : {SIGTERM, SIGINT, SIGHUP}) ok = ::sigaction(sig, &action, nullptr) == 0 && ok;
  return ok;
}

TLifeCycle::TLifeCycle(QWidget* mainWindow) {
  if (mainWindow) SetMainWindow(mainWindow);
  if (signalPipe[1] < 0) return;
  signals_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
  connect(signals_, &QSocketNotifier::activated, this, [this] {
    char bytes[64];
    while (::read(signalPipe[1], bytes, sizeof bytes) > 0) {
    }
    EndBySignal();
  });
}

TLifeCycle::~TLifeCycle() {
  if (main_) main_->removeEventFilter(this);
}

void TLifeCycle::SetMainWindow(QWidget* mainWindow) {
  main_ = mainWindow;
  main_->installEventFilter(this);
}

void TLifeCycle::EndBySignal() {
  if (!bySignal_ && onEndSignal_) onEndSignal_();
  bySignal_ = true;
  // A box waiting for its OK (or a dialog for its choice) is answered "no" at once; the code that
  // opened it goes on, and the close below runs when control is back in an event loop.
  for (int i = 0; i < 16; ++i) {
    QWidget* box = QApplication::activeModalWidget();
    if (!box) break;
    box->close();
  }
  if (!main_ || !started_) {  // carried out when start-up has loaded the memory
    deferred_ = true;
    return;
  }
  // Queued: the close runs the shut-down, which processes events, this one's included.
  QMetaObject::invokeMethod(main_, &QWidget::close, Qt::QueuedConnection);
}

void TLifeCycle::StartUpFinished() {
  started_ = true;
  if (deferred_ && main_) QMetaObject::invokeMethod(main_, &QWidget::close, Qt::QueuedConnection);
}

bool TLifeCycle::eventFilter(QObject* watched, QEvent* event) {
  if (watched != main_) return false;
  switch (event->type()) {
    case QEvent::Close:
      if (!started_) {  // the RAM image may not be loaded yet: saving now would lose it
        deferred_ = true;
        event->ignore();
        return true;
      }
      closing_ = true;
      break;
    case QEvent::Hide:
      // The close was accepted after the shut-down: the program ends, even where another
      // window (printer, debugger) would keep a plain Qt program running, or a message box
      // shown before the close still waits for its OK.
      if (closing_ && !event->spontaneous()) {
        closed_ = true;
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
      }
      break;
    case QEvent::WindowStateChange:
      FollowMinimise();
      break;
    default:
      break;
  }
  return false;
}

void TLifeCycle::FollowMinimise() {
  if (main_->isMinimized()) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      const Qt::WindowType type = w->windowType();
      if (w == main_ || !w->isVisible() || w->isMinimized() ||
          (type != Qt::Window && type != Qt::Dialog))
        continue;
      minimised_.append(w);
      w->showMinimized();
    }
    return;
  }
  for (const QPointer<QWidget>& w : minimised_)
    if (w && w->isVisible()) w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
  minimised_.clear();
}
