// VALDOR, the desktop program: the calculator's window over the emulated machine.

#include <QApplication>
#include <QToolButton>
#include <cstdio>
#include <cstring>

#include "app/MissingRom.h"
#include "app/QtLifeCycle.h"
#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "debugger/Symbols.h"
#include "debugger/Trace.h"
#include "frontpanel/CalcForm.h"
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

}  // namespace

int main(int argc, char** argv) {
  if (AnswerOnTerminal(argc, argv)) return 0;
  // First of all: from here on an end signal becomes an orderly close of the main window.
  CatchEndSignals();
  QApplication app(argc, argv);
  QApplication::setApplicationVersion(VALDOR_VERSION);
  QtHost host;
  SetHost(&host);
  std::string homeError;
  if (!PrepareHome(host.Home(), host.ProgramName(),
                   QCoreApplication::applicationDirPath().toStdString(), homeError))
    host.MessageBox("VALDOR", homeError);

  // Program initialisation: the timer thread polls from now on; the symbols are read once.
  ZIrizuvaRezeze::Start();
  LoadSymbols();

  QApplication::setApplicationName("VALDOR");
  TCalcForm form;
  SetPanel(&form);
  TLifeCycle life(&form);
  for (int i = 1; i < argc; ++i) ApplySwitch(argv[i]);
  // Before start-up, so that a debugger opened by "/D" shows them.
  const std::string breakMessage = LoadBreakpoints();

  StartUp();
  life.StartUpFinished();  // the memory is loaded: a close from now on saves it
  if (const std::string missing = NoRomMessage(); !missing.empty())
    host.MessageBox("VALDOR", missing);
  if (!breakMessage.empty() && !life.Closed()) host.FileError(breakMessage);
  // Turbo from the configuration runs at the normal priority until the switch is used.
  form.TurboSpeedButton()->setChecked(Turbo);
  // "/P": the printer button goes down as the window is first shown.
  if (printerSwitch) {
    form.DovadaSpeedButton()->setChecked(true);
    form.DovadaSpeedButtonClick();
  }
  // A close while the message above was shown has shut down already.
  int status = 0;
  if (!life.Closed()) {
    TNutCPU::Create();
    status = app.exec();
  }
  TNutCPU::Stop();
  EndOpenPrintJob();  // a job still open is printed, not lost
  CloseTrace();
  SaveSettings();
  SaveBreakpoints();
  SetPanel(nullptr);
  ZIrizuvaRezeze::Stop();
  SetHost(nullptr);
  return status;
}
