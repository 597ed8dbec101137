// The desktop program's life: every way it is asked to end (a close during start-up, the end
// signals, with the printer and debugger open) runs the orderly shut-down, which saves the RAM
// image, the settings and the breakpoints; and the other windows follow the main window's
// minimise.

#include "app/QtLifeCycle.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
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
  // Start-up lasts over 2 s (the window in which ON skips the RAM image); on a busy machine it
  // takes longer, and a signal meant for the running program may land in it, which must end the
  // same way.
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

// ----- The real program in a home folder of its own -----

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WaitForHandlers(QProcess& p) {
  for (auto end = std::chrono::steady_clock::now() + 20s;
       !Catches(p.processId(), SIGTERM) && std::chrono::steady_clock::now() < end;)
    std::this_thread::sleep_for(5ms);
}

// VALDOR in its own home, ROM = the demo unless the configuration says otherwise.
struct Program {
  QTemporaryDir home;
  QProcess process;
  std::filesystem::path Home() const { return home.path().toStdString(); }
  void Write(const char* name, const std::string& text) const {
    std::ofstream(Home() / name) << text;
  }
  void Start(const QStringList& args = {}, const QString& display = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VALDOR_HOME", home.path());
    if (display.isEmpty()) {
      env.insert("QT_QPA_PLATFORM", "offscreen");
    } else {
      env.insert("QT_QPA_PLATFORM", "xcb");
      env.insert("DISPLAY", display);
    }
    process.setProcessEnvironment(env);
    process.start(VALDOR_PROGRAM, args);
    ASSERT_TRUE(process.waitForStarted(10000));
    WaitForHandlers(process);
  }
  void Signal(int sig) { ::kill(static_cast<pid_t>(process.processId()), sig); }
  // Whether it ended within the time; a program that did not is killed.
  bool Ends(std::chrono::milliseconds within) {
    const bool ended = process.waitForFinished(static_cast<int>(within.count()));
    if (!ended) {
      process.kill();
      process.waitForFinished(5000);
    }
    return ended;
  }
  // The memory and the settings written by an orderly end.
  void ExpectSaved() const {
    EXPECT_TRUE(std::filesystem::exists(Home() / "VALDOR.RAM"));
    EXPECT_NE(ReadFile(Home() / "VALDOR.Ini").find("Ticks=256"), std::string::npos);
  }
};

std::string DemoIni(const std::string& more = {}) {
  return "[ROM]\nModules=1\nModule1=0 " + std::string(std::getenv("VALDOR_DEMO_ROM")) + "\n" +
         more;
}

// A private X server (Xvfb on a display number of its own) and xdotool to click in it.
class PrivateDisplay {
 public:
  PrivateDisplay() {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty()) return;
    // A number in use makes Xvfb end at once; a lock left by a server that died is taken over.
    for (int n = 157; n < 190 && display_.isEmpty(); ++n) {
      server_.start("Xvfb", {QString(":%1").arg(n), "-screen", "0", "1024x768x24", "-nolisten",
                             "tcp"});
      if (!server_.waitForStarted(5000)) return;
      if (Ready(QString(":%1").arg(n))) display_ = QString(":%1").arg(n);
      else if (server_.state() != QProcess::NotRunning) server_.kill(), server_.waitForFinished();
    }
  }
  ~PrivateDisplay() { Kill(); }
  const QString& Name() const { return display_; }
  // SIGTERM: the server goes away as at a log-out, and removes its lock file.
  void Kill() {
    if (server_.state() == QProcess::NotRunning) return;
    server_.terminate();
    if (!server_.waitForFinished(5000)) server_.kill(), server_.waitForFinished(5000);
  }
  // Runs xdotool with the arguments; its standard output.
  QString Xdotool(const QStringList& args, int ms = 20000) {
    QProcess x;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
    x.setProcessEnvironment(env);
    x.start("xdotool", args);
    if (!x.waitForFinished(ms)) x.kill(), x.waitForFinished();
    return QString::fromUtf8(x.readAllStandardOutput()).trimmed();
  }
  // The first visible window whose title matches, once it is shown.
  QString Window(const QString& title) {
    return Xdotool({"search", "--sync", "--onlyvisible", "--name", title}).section('\n', 0, 0);
  }
  void Click(const QString& window, int x, int y) {
    Xdotool({"mousemove", "--window", window, QString::number(x), QString::number(y), "click",
             "1"});
  }

 private:
  bool Ready(const QString& name) {
    for (int i = 0; i < 100 && server_.state() == QProcess::Running; ++i) {
      QProcess probe;
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert("DISPLAY", name);
      probe.setProcessEnvironment(env);
      probe.start("xdotool", {"getdisplaygeometry"});
      if (probe.waitForFinished(5000) && probe.exitCode() == 0) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }
  QProcess server_;
  QString display_;
};

#define REQUIRE_DISPLAY(d)                                                        \
  if ((d).Name().isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty()) \
  GTEST_SKIP() << "needs Xvfb and xdotool"

TEST(ProgramEndTest, SignalDuringAModalBoxEndsInOrderWithinASecond) {
  struct Box {
    const char* name;
    std::string ini, brk;
    std::unique_ptr<Program> p = std::make_unique<Program>();
  } boxes[] = {
      // Shown during start-up, when the module is loaded, before the memory may be saved.
      {"start-up error: a module file missing",
       "[ROM]\nModules=2\nModule1=0 " + std::string(std::getenv("VALDOR_DEMO_ROM")) +
           "\nModule2=$1000 missing.rom\n",
       ""},
      {"the message on the missing ROM", "", ""},
      {"the breakpoint file's lines not understood", DemoIni(), "no such thing\n"},
  };
  for (Box& b : boxes) {
    if (!b.ini.empty()) b.p->Write("VALDOR.Ini", b.ini);
    if (!b.brk.empty()) b.p->Write("VALDOR.BRK", b.brk);
    b.p->Start();
  }
  std::this_thread::sleep_for(5s);  // start-up (2 s for ON to skip loading the memory) and the box
  for (Box& b : boxes) {
    SCOPED_TRACE(b.name);
    const auto sent = std::chrono::steady_clock::now();
    b.p->Signal(SIGTERM);
    EXPECT_TRUE(b.p->Ends(10s));
    const auto took = std::chrono::steady_clock::now() - sent;
    std::printf("%s: ended %lld ms after SIGTERM\n", b.name,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
    EXPECT_LT(took, 1500ms);
    EXPECT_EQ(b.p->process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(b.p->process.exitCode(), 0);
    b.p->ExpectSaved();
  }
}

// The printer window's Printer button starts a job (a PDF here, without a system printer); the
// program then ends with the job open. Nothing may wait for an OK once the window has gone: the
// job's result (nothing was printed in it) is said on standard error.
TEST(ProgramEndTest, PrintJobOpenAtExitIsWrittenWithoutABox) {
  PrivateDisplay x;
  REQUIRE_DISPLAY(x);
  struct End {
    const char* name;
    bool click;  // the close button, else SIGTERM
  } ends[] = {{"close button", true}, {"SIGTERM", false}};
  for (const End& e : ends) {
    SCOPED_TRACE(e.name);
    Program p;
    p.Write("VALDOR.Ini", DemoIni("[Calc]\nLeft=0\nTop=0\n[Dovada]\nLeft=400\nTop=0\n"));
    p.Start({"/P"}, x.Name());
    const QString printer = x.Window("Dovada");
    ASSERT_FALSE(printer.isEmpty());
    std::this_thread::sleep_for(3s);  // start-up has ended
    x.Click(printer, 210, 16);       // Printer: the job begins
    std::this_thread::sleep_for(500ms);
    if (e.click)
      x.Click(x.Window("^VALDOR$"), 299, 8);
    else
      p.Signal(SIGTERM);
    EXPECT_TRUE(p.Ends(15s));
    EXPECT_EQ(p.process.exitCode(), 0);
    p.ExpectSaved();
    EXPECT_NE(p.process.readAllStandardError().indexOf("Nothing was printed."), -1);
  }
}

// Log-out or a dropped ssh -X: the X server goes away under the running program.
TEST(ProgramEndTest, DisplayServerGoingAwaySavesTheMemoryWithoutAnAbort) {
  PrivateDisplay x;
  REQUIRE_DISPLAY(x);
  Program p;
  p.Write("VALDOR.Ini", DemoIni());
  p.Start({}, x.Name());
  ASSERT_FALSE(x.Window("^VALDOR$").isEmpty());
  std::this_thread::sleep_for(3s);  // start-up has ended
  x.Kill();
  EXPECT_TRUE(p.Ends(15s));
  EXPECT_EQ(p.process.exitStatus(), QProcess::NormalExit);  // not killed by SIGABRT
  EXPECT_EQ(p.process.readAllStandardError().indexOf("terminate called"), -1);
  p.ExpectSaved();
}

// A close by the close button keeps the time to hold ON and to read the last message, and no
// more; a close by signal waits for nothing.
TEST(ProgramEndTest, CloseTakesNoFixedWaits) {
  PrivateDisplay x;
  REQUIRE_DISPLAY(x);
  struct Close {
    const char* name;
    bool click;
    std::chrono::milliseconds limit;
  } closes[] = {{"close button", true, 2500ms}, {"SIGTERM", false, 1000ms}};  // were 4 s each
  for (const Close& c : closes) {
    SCOPED_TRACE(c.name);
    Program p;
    p.Write("VALDOR.Ini", DemoIni("[Calc]\nLeft=0\nTop=0\n"));
    p.Start({}, x.Name());
    const QString window = x.Window("^VALDOR$");
    std::this_thread::sleep_for(3s);  // start-up has ended
    const auto start = std::chrono::steady_clock::now();
    if (c.click)
      x.Click(window, 299, 8);
    else
      p.Signal(SIGTERM);
    EXPECT_TRUE(p.Ends(15s));
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("close by %s: %lld ms to the process's end\n", c.name,
                static_cast<long long>(took.count()));
    EXPECT_LT(took, c.limit);
    EXPECT_EQ(p.process.exitCode(), 0);
    p.ExpectSaved();
  }
}

// Two programs on one home folder would write their memory over each other's.
TEST(ProgramEndTest, OneProgramPerHomeFolder) {
  Program first;
  first.Write("VALDOR.Ini", DemoIni());
  first.Start();
  std::this_thread::sleep_for(3s);  // start-up has ended
  const std::string ini = ReadFile(first.Home() / "VALDOR.Ini");

  // A second VALDOR says so (on the terminal and in a box) and ends, writing nothing.
  QProcess second;
  second.setProcessEnvironment(first.process.processEnvironment());
  second.start(VALDOR_PROGRAM, {});
  ASSERT_TRUE(second.waitForStarted(10000));
  QByteArray said;
  for (auto end = std::chrono::steady_clock::now() + 20s;
       !said.contains("already running") && second.state() != QProcess::NotRunning &&
       std::chrono::steady_clock::now() < end;) {
    second.waitForReadyRead(100);
    said += second.readAllStandardError();
  }
  EXPECT_TRUE(said.contains("already running")) << said.toStdString();
  ::kill(static_cast<pid_t>(second.processId()), SIGTERM);  // answers the box
  EXPECT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_FALSE(std::filesystem::exists(first.Home() / "VALDOR.RAM"));
  EXPECT_EQ(ReadFile(first.Home() / "VALDOR.Ini"), ini);

  // valdor-run there refuses to save, and runs with --no-save.
  struct Run {
    QStringList args;
    int status;
  } runs[] = {{{"--steps", "10"}, 1}, {{"--steps", "10", "--no-save"}, 0}};
  for (const Run& r : runs) {
    QProcess run;
    run.start(VALDOR_RUN_PROGRAM, QStringList{"--home", first.home.path()} + r.args);
    ASSERT_TRUE(run.waitForFinished(20000));
    EXPECT_EQ(run.exitCode(), r.status) << r.args.join(' ').toStdString();
    if (r.status == 1) {
      EXPECT_TRUE(run.readAllStandardError().contains("--no-save"));
    }
  }
  EXPECT_FALSE(std::filesystem::exists(first.Home() / "VALDOR.RAM"));

  // A crash leaves its lock behind: the next program takes it over.
  first.Signal(SIGKILL);
  first.process.waitForFinished(10000);
  EXPECT_TRUE(std::filesystem::exists(first.Home() / "VALDOR.lock"));
  Program& next = first;
  next.Start();
  std::this_thread::sleep_for(3s);
  next.Signal(SIGTERM);
  EXPECT_TRUE(next.Ends(10s));
  EXPECT_EQ(next.process.exitCode(), 0);
  next.ExpectSaved();
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
