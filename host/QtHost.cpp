#include "host/QtHost.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMessageBox>
#include <QThread>
#include <cstdio>
#include <cstdlib>

#include "host/Headless.h"
#include "host/HomeFolder.h"
#include "host/Panel.h"

qint64 BeeperDevice::readData(char* data, qint64 maxSize) {
  const int n = static_cast<int>(maxSize / 2);
  wave_.Fill(reinterpret_cast<int16_t*>(data), n);
  return n * 2;
}

QtHost::QtHost() = default;
QtHost::~QtHost() {
  if (sink_) sink_->stop();
}

void QtHost::RunInGuiThread(const std::function<void()>& fn) {
  if (QThread::currentThread() == qApp->thread()) {
    fn();
    return;
  }
  // Blocks until the GUI thread has run it; a GUI thread that waits for this thread keeps
  // processing events, so the call always gets through.
  QMetaObject::invokeMethod(qApp, fn, Qt::BlockingQueuedConnection);
}

void QtHost::ShowBox(int icon, const std::string& caption, const std::string& text) {
  if (ending_) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return;
  }
  RunInGuiThread([&] {
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
  });
}

void QtHost::MessageBox(const std::string& caption, const std::string& text) {
  ShowBox(QMessageBox::Warning, caption, text);
}

void QtHost::Notice(const std::string& caption, const std::string& text) {
  ShowBox(QMessageBox::Information, caption, text);
}

void QtHost::Announce(const std::string& text) {
  QMetaObject::invokeMethod(qApp, [text] { ThePanel().drawAnnunciators(text); },
                            Qt::QueuedConnection);
}

void QtHost::ProcessMessages() {
  QCoreApplication::processEvents();
}

uint32_t QtHost::TickCount() {
  return DefaultHost().TickCount();
}

LocalDateTime QtHost::LocalTime() {
  return DefaultHost().LocalTime();
}

void QtHost::Speaker(bool on) {
  wave_.SetOn(on);
  if (!on || sink_) return;
  // The audio output opens on the first tone; without a device the beeper stays silent.
  RunInGuiThread([this] {
    if (sink_) return;
    const QAudioDevice out = QMediaDevices::defaultAudioOutput();
    if (out.isNull()) return;
    QAudioFormat format;
    format.setSampleRate(44100);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!out.isFormatSupported(format)) return;
    device_ = std::make_unique<BeeperDevice>(wave_);
    device_->open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(out, format);
    sink_->start(device_.get());
  });
}

std::string QtHost::HomeDir() {
  return Home().dir;
}

std::string QtHost::DataDir() {
  return ProgramDataDir(QCoreApplication::applicationDirPath().toStdString());
}

HomeChoice QtHost::Home() {
  return ChooseHome(
      std::getenv("VALDOR_HOME"), QCoreApplication::applicationDirPath().toStdString(),
      ProgramName(), XdgDataHome());
}

std::string QtHost::ProgramName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}
