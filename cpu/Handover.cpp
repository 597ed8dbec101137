// The CPU thread's hand-overs to the GUI thread, and the beeper.

#include "cpu/Cpu.h"
#include "host/Host.h"
#include "host/Panel.h"

void RefreshDisplay() {
  TheHost().RunInGuiThread([] { ThePanel().redrawDisplay(); });
}

void ShowDebugger() {
  TheHost().RunInGuiThread([] { ThePanel().ShowDebugger(); });
}

void RefreshPrinter() {
  TheHost().RunInGuiThread([] { ThePanel().RefreshPrinter(); });
}

void RefreshDebuggerAnimate() {
  TheHost().RunInGuiThread([] { ThePanel().RefreshDebugger(); });
}

// A steady tone while FO is not 0, followed by a short pause, so that how fast the firmware
// toggles FO shapes what is heard.
void SpeakerUpdate() {
  if (!Sound) return;
  TheHost().Speaker(Cpu.FO != 0);
  volatile int countdown = 0x2000;
  while (countdown > 0) countdown = countdown - 1;
}
