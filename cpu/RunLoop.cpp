#include "cpu/RunLoop.h"

#include <algorithm>

#include "cpu/Cpu.h"
#include "cpu/Pacing.h"
#include "cpu/TurboStep.h"
#include "debugger/DebugRun.h"
#include "display/Lcd.h"
#include "host/Host.h"
#include "printer/Dovada.h"
#include "timer/Zudaroz.h"

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
constexpr uint32_t kAutoOffMs = 600000;  // ten minutes of light sleep
}  // namespace

void RunLoopStart() {
  Cpu.KbFlag = 0;
  AutoOffDeadline = static_cast<int32_t>(TheHost().TickCount() + kAutoOffMs);
}

bool WakeCondition() {
  return WakeCondition(Cpu.KeyDown.load(relaxed));
}

bool WakeCondition(int32_t key) {
  const bool on = displayOn.load(relaxed);
  return (key == 1 && !on) || (key != -1 && on) || Cpu.FI[13].load(relaxed) != 0 ||
         PrinterButtonsForWake() != 0;
}

void IdlePoll() {
  // A light sleep with the display driver selected turns into a deep one after ten minutes.
  // The tick counter wraps, so the deadline is compared by the signed difference.
  const uint32_t deadline = static_cast<uint32_t>(AutoOffDeadline.load(relaxed));
  if (displayOn.load(relaxed) && Cpu.PfAd == 0xFD &&
      static_cast<int32_t>(TheHost().TickCount() - deadline) > 0) {
    displayOn = 0;
    RefreshDisplay();
    Cpu.Carry = 1;
  }
  Cpu.FI[12].store(0, relaxed);
  Cpu.FI[13].store(0, relaxed);
  TimerStatus.fetch_and(0x1FC0, relaxed);
  PollTimer();
  OfferPrinterClicks();
  // The key is read once: a press landing after this read is judged at the next poll.
  const int32_t key = Cpu.KeyDown.load();
  if (WakeCondition(key)) {
    Cpu.Awake = 1;
    RestartPacing();  // the time asleep is not made up
    ResumeTimerThread();
    // In turbo the display is redrawn by the GUI's idle redraw, which stops while the CPU
    // sleeps: this hand-over starts it again.
    if (Turbo.load(relaxed)) RefreshDisplay();
  } else {
    DropDeferredRelease(key);  // a released key that cannot wake the CPU is never seen
  }
}

uint32_t IdleWaitMs() {
  uint32_t wait = std::min(kMaxIdleWaitMs, MsToNextTimerEvent());
  if (displayOn.load(relaxed) && Cpu.PfAd == 0xFD) {
    // The power-off happens once the tick counter is past the deadline: one 10 ms tick later.
    const int32_t left =
        static_cast<int32_t>(static_cast<uint32_t>(AutoOffDeadline.load(relaxed)) -
                             TheHost().TickCount()) + 10;
    wait = std::min(wait, static_cast<uint32_t>(std::max(left, 0)));
  }
  return wait;
}

Iteration RunIteration(uint32_t turboBatch) {
  if (!Cpu.Running.load(relaxed)) return Iteration::Ended;
  if (allSegmentsHalt.load(relaxed)) return Iteration::Halted;
  if (!Cpu.Awake.load(relaxed)) {
    IdlePoll();
    return Iteration::Idle;
  }
  if (DebuggerOpen.load(relaxed)) {
    if (DebugRunning.load(relaxed)) return DebugIteration();
    if (!Animate.load(relaxed) || HaltHolds.load(relaxed)) return Iteration::Halted;
    StepInto();
    RefreshDebuggerAnimate();
    return Iteration::Executed;
  }
  // Chosen per iteration by one flag, so an empty breakpoint set leaves turbo as it was.
  if (DebugArmed.load(relaxed)) return DebugIteration();
  if (Turbo.load(relaxed)) {
    TurboStep();
    for (uint32_t i = 1;
         i < turboBatch && Cpu.Awake.load(relaxed) && !allSegmentsHalt.load(relaxed); ++i)
      TurboStep();
  } else {
    Step();
    PaceStep();
  }
  return Iteration::Executed;
}
