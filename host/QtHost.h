#pragma once
// The platform services on Qt 6: hand-overs to the GUI thread, the message box, message
// processing, the tick counter, local time, the beeper and the home folder.

#include <QIODevice>
#include <atomic>
#include <memory>

#include "host/Beeper.h"
#include "host/HomeFolder.h"
#include "host/Host.h"

class QAudioSink;

// Pulls the beeper's samples for the audio output.
class BeeperDevice : public QIODevice {
 public:
  explicit BeeperDevice(SquareWave& wave) : wave_(wave) {}
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char*, qint64) override { return -1; }
  qint64 bytesAvailable() const override { return 4096 + QIODevice::bytesAvailable(); }
  bool isSequential() const override { return true; }

 private:
  SquareWave& wave_;
};

class QtHost : public Host {
 public:
  QtHost();
  ~QtHost() override;
  void RunInGuiThread(const std::function<void()>& fn) override;
  void MessageBox(const std::string& caption, const std::string& text) override;
  void Notice(const std::string& caption, const std::string& text) override;
  void FileError(const std::string& text) override { MessageBox(ProgramName(), text); }
  void Announce(const std::string& text) override;
  void ProcessMessages() override;
  uint32_t TickCount() override;
  LocalDateTime LocalTime() override;
  void Speaker(bool on) override;
  std::string HomeDir() override;
  std::string DataDir() override;
  // VALDOR_HOME, else the program's folder when it holds the configuration, else the per-user
  // data folder.
  HomeChoice Home();
  std::string ProgramName() override;
  // The program is ending (after its event loop, or asked to by a signal): from now on the boxes
  // write their text to standard error instead of waiting for an OK that nobody may give, and
  // the timed waits of start-up and shut-down end at once.
  void SetEnding() { ending_ = true; }
  bool Ending() override { return ending_; }

 private:
  void ShowBox(int icon, const std::string& caption, const std::string& text);

  std::atomic<bool> ending_{false};  // the CPU thread's error box reads it
  SquareWave wave_;
  std::unique_ptr<BeeperDevice> device_;
  std::unique_ptr<QAudioSink> sink_;  // none where no audio output exists: silent
};
