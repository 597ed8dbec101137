// VALDOR, the desktop program: the calculator's window over the emulated machine.

#include <QApplication>
#include <QLockFile>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/MissingRom.h"
#include "app/QtLifeCycle.h"
#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "debugger/Symbols.h"
#include "debugger/Trace.h"
#include "frontpanel/CalcForm.h"
#include "host/HomeLock.h"
#include "host/QtHost.h"
#include "printer/DovadaForm.h"
#include "timer/Zudaroz.h"

namespace {

constexpr const char* kHelp =
    "usage: VALDOR [/P] [/D] [/A] [/T] [--help] [--version]\n"
    "An HP-41C/CV/CX emulator that runs the calculator's own firmware.\n"
    "  /P  open the printer window at start\n"
    "  /D  start halted in the microcode debugger\n"
    "  /A  animate the debugger when it opens\n"
    "  /T  write the trace log VALDOR.LOG from the start\n"
    "  (each switch also with '-', in any case)\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "Files (VALDOR.Ini, VALDOR.RAM, VALDOR.LOG, Entries.A) live in $VALDOR_HOME if set, else\n"
    "beside the program when VALDOR.Ini is there, else in $XDG_DATA_HOME/valdor\n"
    "(~/.local/share/valdor), which the first start creates.\n";

// --help and --version answer on the terminal without opening a window; true if one was given.
bool AnswerOnTerminal(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelp, stdout);
      return true;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("VALDOR %s\n", VALDOR_VERSION);
      return true;
    }
  }
  return false;
}

// Set while the event loop runs. Qt ends the program with exit() when the connection to the
// display breaks (log-out, a dropped ssh -X): the handler below then saves what the usual
// shut-down would have saved, and ends before any thread object is destroyed.
TCalcForm* runningForm = nullptr;
QtHost* runningHost = nullptr;

void EndWithoutTheDisplay() {
  TCalcForm* form = runningForm;
  if (!form) return;  // an ordinary end, or an exit before the memory was loaded
  runningForm = nullptr;
  runningHost->SetEnding();
  std::fputs("VALDOR: the display has gone; the calculator's memory is saved\n", stderr);
  TNutCPU::StopWithoutGui(1000);
  SaveSettings();
  SaveBreakpoints();
  SetPanel(nullptr);  // nothing can be drawn any more
  if (!form->ShutDownRan()) ShutDown(kNoWaits);
  CloseTrace();
  ZIrizuvaRezeze::Stop();
  std::fflush(nullptr);
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerOnTerminal(argc, argv)) return 0;
  // First of all: from here on an end signal becomes an orderly close of the main window.
  CatchEndSignals();
  QApplication app(argc, argv);
  QApplication::setApplicationVersion(VALDOR_VERSION);
  QtHost host;
  SetHost(&host);
  // From here on a signal answers any box at once and ends the program without waiting.
  TLifeCycle life;
  life.OnEndSignal([&host] { host.SetEnding(); });
  std::string homeError;
  if (!PrepareHome(host.Home(), host.ProgramName(),
                   QCoreApplication::applicationDirPath().toStdString(), homeError))
    host.MessageBox("VALDOR", homeError);
  if (host.HomeDir().empty()) return 1;  // no folder to keep the user's files in
  // One program per home folder: a second one would write its memory over the first one's.
  QLockFile homeLock(QString::fromStdString(HomeLockPath(host.HomeDir(), host.ProgramName())));
  homeLock.setStaleLockTime(0);  // a lock is stale only when its process has gone
  if (!homeLock.tryLock(0) && homeLock.error() == QLockFile::LockFailedError) {
    qint64 pid = 0;
    homeLock.getLockInfo(&pid, nullptr, nullptr);
    const std::string message = "VALDOR is already running (process " + std::to_string(pid) +
                                ") with the home folder " + host.HomeDir() +
                                ". This second copy ends, so that neither writes its memory "
                                "over the other's.";
    std::fprintf(stderr, "VALDOR: %s\n", message.c_str());
    host.MessageBox("VALDOR", message);
    SetHost(nullptr);
    return 1;
  }
  // Program initialisation: the timer thread polls from now on; the symbols are read once.
  ZIrizuvaRezeze::Start();
  LoadSymbols();

  QApplication::setApplicationName("VALDOR");
  TCalcForm form;
  SetPanel(&form);
  life.SetMainWindow(&form);
  life.OnEndSignal([&host, &form] {
    host.SetEnding();
    form.SetShutDownWaits(0, 0, 0);  // nobody is there to hold ON or read the last message
  });
  if (life.EndedBySignal()) form.SetShutDownWaits(0, 0, 0);
  for (int i = 1; i < argc; ++i) ApplySwitch(argv[i]);
  // Before start-up, so that a debugger opened by "/D" shows them.
  const std::string breakMessage = LoadBreakpoints();

  StartUp();
  life.StartUpFinished();  // the memory is loaded: a close from now on saves it
  if (const std::string missing = NoRomMessage(); !missing.empty() && !life.Closed())
    host.MessageBox("VALDOR", missing);
  if (!breakMessage.empty() && !life.Closed()) host.FileError(breakMessage);
  // Turbo from the configuration runs at the normal priority until the switch is used.
  form.TurboSpeedButton()->setChecked(Turbo);
  // "/P": the printer button goes down as the window is first shown.
  if (printerSwitch && !life.Closed()) {
    form.DovadaSpeedButton()->setChecked(true);
    form.DovadaSpeedButtonClick();
  }
  // A close while the message above was shown has shut down already.
  int status = 0;
  if (!life.Closed()) {
    TNutCPU::Create();
    runningForm = &form;
    runningHost = &host;
    std::atexit(EndWithoutTheDisplay);
    status = app.exec();
    runningForm = nullptr;
  }
  TNutCPU::Stop();
  // No box may wait for an OK once the window has gone: the files are written first, and what
  // is left to say goes to standard error.
  host.SetEnding();
  SaveSettings();
  SaveBreakpoints();
  EndOpenPrintJob();  // a job still open is printed, not lost
  CloseTrace();
  SetPanel(nullptr);
  ZIrizuvaRezeze::Stop();
  SetHost(nullptr);
  return status;
}
