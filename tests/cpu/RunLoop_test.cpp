// The CPU thread's loop, one iteration at a time: stepping, the debugger, sleep and waking,
// and the automatic power-off.

#include "cpu/RunLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "debugger/Trace.h"
#include "display/Lcd.h"
#include "printer/Dovada.h"
#include "support/MachineFixture.h"
#include "timer/Zudaroz.h"

namespace {

constexpr uint16_t kNop = 0x000;
constexpr uint16_t kPowoff = 0x060;
constexpr uint16_t kDisoff = 0x2E0;
constexpr uint16_t kGoncSelf = 0x003;  // jumps to itself unless the previous carry is set
constexpr uint16_t kSleepAt = 0x200;

class RunLoopTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    Start();
  }
  void TearDown() override {
    CloseTrace();
    MachineTest::TearDown();
  }
  // The machine as the CPU thread finds it when it starts.
  void Start() {
    ResetMachineSettings();
    InitMachine();
    Cpu.Running = 1;
    RunLoopStart();
  }
  // Executes POWOFF at kSleepAt, with the display on (light sleep) or off (deep sleep).
  void Sleep(bool light, int pfad = 0xFD) {
    LoadWords(kSleepAt, {kDisoff, kPowoff});
    Cpu.PC = light ? kSleepAt + 1 : kSleepAt;
    Cpu.PfAd = pfad;
    if (!light) {
      ASSERT_EQ(RunIteration(), Iteration::Executed);
    }
    ASSERT_EQ(RunIteration(), Iteration::Executed);
    ASSERT_EQ(Cpu.Awake.load(), 0);
    ASSERT_EQ(displayOn.load(), light ? 1 : 0);
    ASSERT_TRUE(TimerThreadSuspended());
  }
  // Idle polls after advancing the fake clock by ms; true when the CPU woke.
  bool PollAfter(uint32_t ms) {
    host.AdvanceFakeTicks(ms);
    EXPECT_EQ(RunIteration(), Iteration::Idle);
    return Cpu.Awake.load() != 0;
  }
};

TEST_F(RunLoopTest, StartClearsTheKeyboardFlag) {
  Cpu.KbFlag = 1;
  RunLoopStart();
  EXPECT_EQ(Cpu.KbFlag, 0);
}

TEST_F(RunLoopTest, AwakeIterationsStepAtEitherSpeed) {
  // A carry set by one word is seen by the next one only.
  for (uint8_t turbo : {0, 1}) {
    SCOPED_TRACE(int(turbo));
    Start();
    Turbo = turbo;
    Cpu.Carry = 1;
    LoadWords(0, {kGoncSelf, kNop, kGoncSelf});
    EXPECT_EQ(RunIteration(), Iteration::Executed);
    EXPECT_EQ(Cpu.PC, 1);  // PrevCarry = 1: falls through
    EXPECT_EQ(Cpu.Carry, 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(RunIteration(), Iteration::Executed);
    EXPECT_EQ(Cpu.PC, 2);  // PrevCarry = 0: jumps to itself
    EXPECT_EQ(Cpu.LastPC, 2);
    EXPECT_EQ(Cpu.CycleCount, 5u);
  }
}

TEST_F(RunLoopTest, DebuggerHoldsTheCpuUnlessAnimating) {
  struct Case {
    uint8_t turbo, animate;
    Iteration result;
    int steps;
  };
  const Case cases[] = {
      {0, 0, Iteration::Halted, 0},
      {1, 0, Iteration::Halted, 0},
      {0, 1, Iteration::Executed, 4},
      {1, 1, Iteration::Executed, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "turbo " << int(c.turbo) << " animate " << int(c.animate));
    Start();
    panel.debuggerRefreshes = 0;
    Turbo = c.turbo;
    DebuggerOpen = 1;
    Animate = c.animate;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(RunIteration(), c.result);
    EXPECT_EQ(Cpu.PC, c.steps);
    EXPECT_EQ(Cpu.CycleCount, static_cast<uint32_t>(c.steps));
    EXPECT_EQ(panel.debuggerRefreshes, c.steps);
  }
}

TEST_F(RunLoopTest, RunningZeroEndsTheLoopAwakeOrAsleep) {
  for (bool asleep : {false, true}) {
    SCOPED_TRACE(asleep);
    Start();
    if (asleep) Sleep(false);
    const uint16_t pc = Cpu.PC;
    Cpu.KeyDown = 1;  // would wake a poll
    Cpu.FI[13] = 1;   // would be cleared by a poll
    Cpu.Running = 0;
    EXPECT_EQ(RunIteration(), Iteration::Ended);
    EXPECT_EQ(Cpu.PC, pc);
    EXPECT_EQ(Cpu.Awake.load(), asleep ? 0 : 1);
    EXPECT_EQ(Cpu.FI[13].load(), 1);
    Cpu.KeyDown = -1;
  }
}

TEST_F(RunLoopTest, WakeRulesAndTheCarrySeenAtAddressZero) {
  enum Event { None, Key, OnKey, PrintButton, AdvButton, OtherPrinterBits };
  struct Case {
    bool light;
    Event event;
    bool wakes;
  };
  const Case cases[] = {
      {true, None, false},
      {true, Key, true},
      {true, PrintButton, true},
      {false, Key, false},
      {false, OnKey, true},
      {false, AdvButton, true},
      {false, OtherPrinterBits, false},
  };
  for (uint8_t turbo : {0, 1}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << (c.light ? "light" : "deep") << " event " << c.event
                                      << " turbo " << int(turbo));
      Start();
      Turbo = turbo;
      LoadWords(0, {kGoncSelf});
      Sleep(c.light);
      EXPECT_FALSE(PollAfter(10));
      switch (c.event) {
        case None:
          break;
        case Key:
          KeyPressed(31);
          break;
        case OnKey:
          KeyPressed(1);
          break;
        case PrintButton:
          SetPrintKey(true);
          break;
        case AdvButton:
          SetAdvKey(true);
          break;
        case OtherPrinterBits:
          PrinterStatus.fetch_or(0xCFFF);
          break;
      }
      Turbo = turbo;  // a key press pauses turbo
      EXPECT_EQ(PollAfter(10), c.wakes);
      EXPECT_EQ(TimerThreadSuspended(), !c.wakes);
      if (c.wakes) {
        // Execution resumes at 0; only a deep sleep leaves the carry set.
        EXPECT_EQ(RunIteration(), Iteration::Executed);
        EXPECT_EQ(Cpu.LastPC, 0);
        EXPECT_EQ(Cpu.PC, c.light ? 0 : 1);
      }
      KeyReleased();
      SetPrintKey(false);
      SetAdvKey(false);
    }
  }
}

TEST_F(RunLoopTest, WakeConditionTable) {
  struct Case {
    int key;
    uint8_t display, fi12, fi13;
    uint32_t printer;
    bool wakes;
  };
  const Case cases[] = {
      {-1, 1, 0, 0, 0, false},     {-1, 0, 0, 0, 0, false},     {1, 0, 0, 0, 0, true},
      {1, 1, 0, 0, 0, true},       {31, 1, 0, 0, 0, true},      {31, 0, 0, 0, 0, false},
      {0, 1, 0, 0, 0, true},       {-1, 0, 0, 1, 0, true},      {-1, 0, 1, 0, 0, false},
      {-1, 0, 0, 0, 0x2000, true}, {-1, 0, 0, 0, 0x1000, true}, {-1, 1, 0, 0, 0xCFFF, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "key " << c.key << " display " << int(c.display) << " FI12 " << int(c.fi12)
                 << " FI13 " << int(c.fi13) << " printer " << std::hex << c.printer);
    Cpu.KeyDown = c.key;
    displayOn = c.display;
    Cpu.FI[12] = c.fi12;
    Cpu.FI[13] = c.fi13;
    PrinterStatus = c.printer;
    EXPECT_EQ(WakeCondition(), c.wakes);
  }
}

// A press and release that both land between two idle polls. A PRINT or ADV click wakes the
// CPU once (the firmware's status read would show it); a key that can wake the CPU is kept
// even when it lands between the poll's read of the keyboard and its drop of a release that
// no keyboard check saw; a key that cannot wake it is dropped.
TEST_F(RunLoopTest, ClicksBetweenTwoPollsAreNotLost) {
  struct Case {
    const char* what;
    bool light;
    void (*press)(bool);
    bool wakes;
  } cases[] = {
      {"PRINT", false, SetPrintKey, true},
      {"ADV", true, SetAdvKey, true},
      {"key, light sleep", true, [](bool down) { down ? KeyPressed(31) : KeyReleased(); }, true},
      {"key, deep sleep", false, [](bool down) { down ? KeyPressed(31) : KeyReleased(); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start();
    LoadWords(0, {kGoncSelf});
    Sleep(c.light);
    const int32_t judged = Cpu.KeyDown.load();  // the poll found no key...
    c.press(true);                              // ...then the click came...
    c.press(false);
    DropDeferredRelease(judged);  // ...before it dropped the release of the key it had judged
    EXPECT_EQ(PollAfter(10), c.wakes);
    if (!c.wakes) continue;
    // The CPU goes back to sleep without reading the printer or the keyboard: woken once.
    Cpu.KeyDown = -1;
    Sleep(c.light);
    EXPECT_FALSE(PollAfter(10));
  }
}

// A turbo batch runs its instructions in one iteration but ends at once when the CPU sleeps.
TEST_F(RunLoopTest, ATurboBatchEndsWhenTheCpuSleeps) {
  struct Case {
    std::initializer_list<uint16_t> words;
    uint32_t cycles;
  } cases[] = {{{kNop, kNop, kPowoff, kNop}, 3}, {{kGoncSelf}, 500}};
  for (const Case& c : cases) {
    Start();
    LoadWords(0, c.words);
    Turbo = 1;
    EXPECT_EQ(RunIteration(500), Iteration::Executed);
    EXPECT_EQ(Cpu.CycleCount, c.cycles);
    Turbo = 0;
  }
}

TEST_F(RunLoopTest, DebuggerOpenStillPollsWhileAsleep) {
  Sleep(true);
  DebuggerOpen = 1;
  KeyPressed(31);
  EXPECT_TRUE(PollAfter(10));
  EXPECT_EQ(RunIteration(), Iteration::Halted);
  EXPECT_EQ(Cpu.PC, 0);
}

TEST_F(RunLoopTest, LightSleepPowersOffAfterTenMinutes) {
  LoadWords(0, {kGoncSelf});
  host.AdvanceFakeTicks(300000);  // the deadline is armed again by POWOFF
  Sleep(true);
  const int redraws = panel.redraws;
  EXPECT_FALSE(PollAfter(599990));
  EXPECT_FALSE(PollAfter(10));
  EXPECT_EQ(displayOn.load(), 1);
  EXPECT_EQ(panel.redraws, redraws);
  EXPECT_FALSE(PollAfter(10));
  EXPECT_EQ(displayOn.load(), 0);
  EXPECT_EQ(panel.redraws, redraws + 1);
  EXPECT_EQ(Cpu.Carry, 1);

  // Now a deep sleep: a key other than ON does not wake it; ON does.
  KeyPressed(31);
  EXPECT_FALSE(PollAfter(10));
  EXPECT_FALSE(PollAfter(10));
  KeyReleased();
  KeyPressed(1);
  EXPECT_TRUE(PollAfter(10));
  EXPECT_FALSE(TimerThreadSuspended());
  EXPECT_EQ(panel.redraws, redraws + 1);
  EXPECT_EQ(RunIteration(), Iteration::Executed);
  EXPECT_EQ(Cpu.PrevCarry, 1);
  EXPECT_EQ(Cpu.PC, 1);
}

TEST_F(RunLoopTest, DeadlineArmedAtThreadStart) {
  // Asleep from the start (no POWOFF): the deadline of RunLoopStart applies.
  Cpu.Awake = 0;
  Cpu.PfAd = 0xFD;
  EXPECT_FALSE(PollAfter(600000));
  EXPECT_EQ(displayOn.load(), 1);
  EXPECT_FALSE(PollAfter(10));
  EXPECT_EQ(displayOn.load(), 0);
}

TEST_F(RunLoopTest, AutoPowerOffAcrossTickCounterWraps) {
  for (uint32_t start : {0x7FFFFFFFu - 1000u, 0xFFFFFFFFu - 1000u, 0x7FFFFFFFu - 600005u}) {
    SCOPED_TRACE(testing::Message() << std::hex << start);
    host.SetFakeTicks(start);
    Start();
    Sleep(true);
    EXPECT_FALSE(PollAfter(0));
    EXPECT_EQ(displayOn.load(), 1);
    EXPECT_FALSE(PollAfter(599990));
    EXPECT_EQ(displayOn.load(), 1);
    EXPECT_FALSE(PollAfter(20));
    EXPECT_EQ(displayOn.load(), 0);
  }
}

TEST_F(RunLoopTest, LightSleepWithoutTheDisplaySelectedNeverPowersOff) {
  for (int pfad : {0x00, 0x10, 0xFB, 0xFC, 0xFE}) {
    SCOPED_TRACE(pfad);
    Start();
    Sleep(true, pfad);
    EXPECT_FALSE(PollAfter(600010));
    EXPECT_FALSE(PollAfter(0x40000000));
    EXPECT_EQ(displayOn.load(), 1);
    EXPECT_EQ(Cpu.Carry, 0);
  }
}

// A sleeping CPU waits for its own next event: the automatic power-off (one tick past the
// deadline) or the timer chip's, and at most kMaxIdleWaitMs.
TEST_F(RunLoopTest, IdleWaitEndsAtTheNextOwnEvent) {
  struct Case {
    bool light;
    int pfad;
    uint32_t advance, status, ms;
  } cases[] = {
      {true, 0xFD, 0, 0, kMaxIdleWaitMs},
      {true, 0xFD, 599700, 0, 310},
      {true, 0xFD, 600000, 0, 10},
      {true, 0x10, 599700, 0, kMaxIdleWaitMs},   // no power-off without the display selected
      {false, 0xFD, 599700, 0, kMaxIdleWaitMs},  // deep sleep: nothing to power off
      {false, 0xFD, 0, (1 << 10) | (1 << 4), 0},  // the interval timer has elapsed
  };
  for (const Case& c : cases) {
    Start();
    Sleep(c.light, c.pfad);
    TimerStatus = c.status;
    host.AdvanceFakeTicks(c.advance);
    EXPECT_EQ(IdleWaitMs(), c.ms) << c.light << " " << c.advance;
  }
}

TEST_F(RunLoopTest, IdlePollClearsFlagsAndTimerEventBits) {
  Sleep(true, 0x20);
  TimerStatus = 0x1BFF;  // every bit but the interval timer's run bit
  Cpu.FI[12] = 1;
  Cpu.FI[13] = 1;
  EXPECT_FALSE(PollAfter(0));
  EXPECT_EQ(Cpu.FI[12].load(), 0);
  EXPECT_EQ(Cpu.FI[13].load(), 0);
  EXPECT_EQ(TimerStatus.load(), 0x1BC0u);
}

TEST_F(RunLoopTest, TimerEventWakesADeepSleep) {
  enum Source { Interval, AlarmA };
  for (Source source : {Interval, AlarmA}) {
    SCOPED_TRACE(source == Interval ? "interval timer" : "alarm A");
    Start();
    Sleep(false);
    // One second ahead, through the chip's registers as the firmware writes them.
    Cpu.PfAd = 0xFB;
    if (source == Interval) {
      SetDigits(Cpu.C, "100");
      TimerWrite(5);
    } else {
      SetDigits(Cpu.C, "0");
      TimerWrite(0);
      SetDigits(Cpu.C, "100");
      TimerWrite(2);
    }
    EXPECT_FALSE(PollAfter(500));
    EXPECT_FALSE(PollAfter(490));
    EXPECT_TRUE(PollAfter(10));
    EXPECT_EQ(Cpu.FI[13].load(), 1);
    EXPECT_FALSE(TimerThreadSuspended());
  }
}

TEST_F(RunLoopTest, TurboRunsWithoutTheSpeedDelayAndTrace) {
  Ticks = 2047;  // 65504 delay fetches per step at normal speed
  using Clock = std::chrono::steady_clock;
  auto run = [&](uint8_t turbo) {
    Turbo = turbo;
    Cpu.PC = 0;
    const auto t0 = Clock::now();
    for (int i = 0; i < 100; ++i) RunIteration();
    return Clock::now() - t0;
  };
  const auto normal = run(0);
  auto turbo = run(1);
  for (int i = 0; i < 4; ++i) turbo = std::min(turbo, run(1));
  EXPECT_LT(turbo * 20, normal);

  // The trace log records normal-speed steps only.
  Ticks = 0;
  OpenTrace();
  run(1);
  CloseTrace();
  EXPECT_EQ(ReadFile(home + "VALDOR.LOG"), "");
  OpenTrace();
  Turbo = 0;
  RunIteration();
  CloseTrace();
  EXPECT_NE(ReadFile(home + "VALDOR.LOG"), "");
}

}  // namespace
