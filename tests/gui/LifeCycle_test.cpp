// The desktop program's life: every way it is asked to end (a close during start-up, the end
// signals, with the printer and debugger open) runs the orderly shut-down, which saves the RAM
// image, the settings and the breakpoints; and the other windows follow the main window's
// minimise.

#include "app/QtLifeCycle.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "printer/DovadaForm.h"
#include "support/MachineFixture.h"

namespace {

using namespace std::chrono_literals;

// Whether the process has a handler for sig (the SigCgt mask of /proc/PID/status).
bool Catches(qint64 pid, int sig) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
  return false;
}

struct Ending {
  const char* name;
  std::vector<int> sigs;  // sent one after another
  std::chrono::milliseconds first, between;
  QStringList args;
  bool rom = true;  // without one, a message box waits for its OK after start-up
  std::unique_ptr<QTemporaryDir> home = std::make_unique<QTemporaryDir>();
  std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
};

TEST(ProgramEndTest, EveryEndSavesTheRamImageAndTheSettings) {
  // Start-up lasts over 2 s (the window in which ON skips the RAM image), shut-down 4 s; on a
  // busy machine start-up takes longer, and a signal meant for the running program may land in
  // it, which must end the same way.
  Ending runs[] = {
      {"TERM during start-up", {SIGTERM}, 0ms, 0ms, {}},
      {"TERM while running", {SIGTERM}, 6000ms, 0ms, {}},
      {"INT", {SIGINT}, 6000ms, 0ms, {}},
      {"HUP", {SIGHUP}, 6000ms, 0ms, {}},
      {"TERM again during shut-down", {SIGTERM, SIGTERM}, 6000ms, 1500ms, {}},
      {"TERM with printer and debugger open", {SIGTERM}, 6000ms, 0ms, {"/P", "/D"}},
      {"TERM while the message on the missing ROM is shown", {SIGTERM}, 6000ms, 0ms, {}, false},
  };
  for (Ending& r : runs) {
    // A breakpoint by symbol, written loosely: read after the symbols, written back canonically.
    std::ofstream(r.home->filePath("Entries.A").toStdString()) << "=MAIN EQU 0123X\n";
    std::ofstream(r.home->filePath("VALDOR.BRK").toStdString()) << " MAIN @ 1 \n";
    if (r.rom) {
      std::ofstream ini(r.home->filePath("VALDOR.Ini").toStdString());
      ini << "[ROM]\nModules=1\nModule1=0 " << std::getenv("VALDOR_DEMO_ROM") << "\n";
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VALDOR_HOME", r.home->path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    r.process->setProcessEnvironment(env);
    r.process->start(VALDOR_PROGRAM, r.args);
    ASSERT_TRUE(r.process->waitForStarted(10000)) << r.name;
  }
  for (Ending& r : runs) {
    const qint64 pid = r.process->processId();
    for (auto end = std::chrono::steady_clock::now() + 20s;
         !Catches(pid, SIGTERM) && std::chrono::steady_clock::now() < end;)
      std::this_thread::sleep_for(5ms);
  }
  const auto start = std::chrono::steady_clock::now();
  for (Ending& r : runs) {
    std::this_thread::sleep_until(start + r.first);
    for (size_t i = 0; i < r.sigs.size(); ++i) {
      if (i > 0) std::this_thread::sleep_for(r.between);
      ::kill(static_cast<pid_t>(r.process->processId()), r.sigs[i]);
    }
  }
  for (Ending& r : runs) {
    SCOPED_TRACE(r.name);
    const bool ended = r.process->waitForFinished(60000);
    EXPECT_TRUE(ended);
    if (!ended) r.process->kill();
    EXPECT_EQ(r.process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(r.process->exitCode(), 0);
    const std::filesystem::path home = r.home->path().toStdString();
    EXPECT_TRUE(std::filesystem::exists(home / "VALDOR.RAM"));
    std::ifstream ini(home / "VALDOR.Ini");
    std::stringstream text;
    text << ini.rdbuf();
    EXPECT_NE(text.str().find("Ticks=256"), std::string::npos);
    std::ifstream brk(home / "VALDOR.BRK");
    std::stringstream breaks;
    breaks << brk.rdbuf();
    EXPECT_EQ(breaks.str(), "MAIN@1\n");
  }
}

class LifeCycleTest : public MachineTest {
 protected:
  void TearDown() override {
    DestroyPrinterWindow();
    MachineTest::TearDown();
  }
};

TEST_F(LifeCycleTest, OtherWindowsFollowTheMainWindowsMinimise) {
  QWidget main;
  TLifeCycle life(&main);
  main.show();
  ShowPrinter();
  QWidget hidden;  // a window that is not shown stays so
  TDovadaForm* printer = PrinterWindow();
  struct Step {
    const char* what;
    bool minimise, printerMinimised;
  } steps[] = {{"minimise", true, true}, {"restore", false, false}, {"again", true, true},
               {"restore again", false, false}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.minimise ? main.showMinimized() : main.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(printer->isMinimized(), s.printerMinimised);
    EXPECT_TRUE(printer->isVisible());
    EXPECT_FALSE(hidden.isVisible());
  }
}

TEST_F(LifeCycleTest, CloseDuringStartUpWaitsForItsEnd) {
  QWidget main;
  TLifeCycle life(&main);
  main.show();
  QMetaObject::invokeMethod(&main, &QWidget::close, Qt::QueuedConnection);
  QApplication::processEvents();
  EXPECT_TRUE(main.isVisible());
  EXPECT_TRUE(life.CloseDeferred());
  life.StartUpFinished();
  QApplication::processEvents();
  EXPECT_FALSE(main.isVisible());
}

}  // namespace
