#pragma once
// The headless host and panel: used by the tests and valdor-run. Messages go to a list (and, if
// asked, to standard error); hand-overs run at once; the tick counter may be a fake one.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "display/Lcd.h"
#include "host/HomeFolder.h"
#include "host/Host.h"
#include "host/Panel.h"

class HeadlessHost : public Host {
 public:
  // Runs fn at once, unless a GUI thread has been named and the caller is another thread: then
  // fn waits in a queue until the GUI thread processes messages, and the caller waits for it.
  void RunInGuiThread(const std::function<void()>& fn) override;
  void MessageBox(const std::string& caption, const std::string& text) override;
  // Kept with the messages; echoed on standard error, captioned with the program's name.
  void FileError(const std::string& text) override { MessageBox(programName, text); }
  // Drawn on the panel at once, and kept (and echoed) with the messages.
  void Announce(const std::string& text) override;
  void ProcessMessages() override;
  // Makes the calling thread the GUI thread (threaded tests).
  void BecomeGuiThread();
  uint32_t TickCount() override;
  LocalDateTime LocalTime() override;
  void Speaker(bool on) override { speakerOn = on; }
  std::string HomeDir() override;
  std::string DataDir() override { return dataDir; }
  // homeDir when set, else the folder ChooseHome picks.
  HomeChoice Home();
  std::string ProgramName() override { return programName; }

  // A fixed tick counter (tests); nullopt uses the monotonic clock.
  void SetFakeTicks(std::optional<uint32_t> ticks) {
    fakeTicks_ = ticks.value_or(0);
    useFakeTicks_ = ticks.has_value();
  }
  void AdvanceFakeTicks(uint32_t ms) { fakeTicks_ += ms; }
  void SetFakeTime(std::optional<LocalDateTime> t) { fakeTime_ = t; }
  // Called at every read of the tick counter, from any thread (tests: to act at a chosen point
  // of the CPU thread's loop). Set it before the threads start.
  std::function<void()> tickHook;

  std::string homeDir;  // empty: chosen by ChooseHomeDir
  std::string dataDir;  // the program's data folder (valdor-run sets it); empty: none
  std::string programName = "VALDOR";
  bool echoMessages = false;  // also print messages on standard error
  std::vector<std::string> messages;
  std::vector<std::string> captions;  // of the boxes, one per message
  std::atomic<bool> speakerOn{false};

 private:
  std::atomic<bool> useFakeTicks_{false};
  std::atomic<uint32_t> fakeTicks_{0};
  std::optional<LocalDateTime> fakeTime_;

  struct Request {
    const std::function<void()>* fn;
    bool done = false;
  };
  std::mutex queueMutex_;
  std::condition_variable queueDone_;
  std::deque<Request*> queue_;
  std::optional<std::thread::id> guiThread_;
};

class HeadlessPanel : public Panel {
 public:
  void drawCharacters(const std::string& text) override;
  void drawPunctuation(const std::string& text) override;
  void drawAnnunciators(const std::string& text) override;
  void applyContrast() override;
  void redrawDisplay() override;
  void RefreshPrinter() override;
  void ShowDebugger() override { debuggerShown = true; }
  void RefreshDebugger() override { ++debuggerRefreshes; }
  void PlaceMainWindow(int left, int top) override;
  void SetSpeedBar(int ticks) override { speedBar = ticks; }
  int MainLeft() override { return left; }
  int MainTop() override { return top; }

  // What the display shows now.
  std::string chars, punct, ann;
  std::vector<std::string> annHistory;  // every annunciator text in order
  std::vector<std::string> paper;       // printed lines, as raw print buffers
  std::vector<int> paperStart;          // x position of each printed line
  int redraws = 0;
  int contrastApplied = 0;
  int debuggerRefreshes = 0;
  bool debuggerShown = false;
  int left = 0, top = 0, speedBar = 0;
  DisplayRedrawer redrawer;
  int screenWidth = 1920, screenHeight = 1080;
  static constexpr int kWindowWidth = 307, kWindowHeight = 576;
};

// The installed instances when nothing else is installed.
HeadlessHost& DefaultHost();
HeadlessPanel& DefaultPanel();

// The folder of the running executable, ending in '/'.
std::string ExecutableDir();
// Places one axis: negative centres, then clamps into the screen; never below 0.
int PlaceAxis(int value, int screen, int window);
