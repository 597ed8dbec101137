// VALDOR, the desktop program: the calculator's window over the emulated machine.

#include <QApplication>
#include <QToolButton>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "debugger/Symbols.h"
#include "debugger/Trace.h"
#include "frontpanel/CalcForm.h"
#include "host/QtHost.h"
#include "printer/DovadaForm.h"
#include "timer/Zudaroz.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QtHost host;
  SetHost(&host);

  // Program initialisation: the timer thread polls from now on; the symbols are read once.
  ZIrizuvaRezeze::Start();
  LoadSymbols();

  QApplication::setApplicationName("VALDOR");
  TCalcForm form;
  SetPanel(&form);
  for (int i = 1; i < argc; ++i) ApplySwitch(argv[i]);

  StartUp();
  // Turbo from the configuration runs at the normal priority until the switch is used.
  form.TurboSpeedButton()->setChecked(Turbo);
  // "/P": the printer button goes down as the window is first shown.
  if (printerSwitch) {
    form.DovadaSpeedButton()->setChecked(true);
    form.DovadaSpeedButtonClick();
  }
  TNutCPU::Create();

  const int status = app.exec();
  TNutCPU::Stop();
  EndOpenPrintJob();  // a job still open is printed, not lost
  CloseTrace();
  SaveSettings();
  SetPanel(nullptr);
  ZIrizuvaRezeze::Stop();
  SetHost(nullptr);
  return status;
}
