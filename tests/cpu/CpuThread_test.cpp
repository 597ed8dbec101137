// The CPU thread and the timer thread: stopping, pausing, the debugger halt, priorities, and
// idling without burning the host.

#include "cpu/CpuThread.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <thread>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "debugger/Trace.h"
#include "display/Lcd.h"
#include "host/Threads.h"
#include "support/MachineFixture.h"
#include "timer/Zudaroz.h"

namespace {

using namespace std::chrono_literals;

constexpr uint16_t kPowoff = 0x060, kDistog = 0x320, kLoopToPrevious = 0x3FB;  // GONC -1
constexpr uint16_t kLoopToSelf = 0x003;                                        // GONC +0

class CpuThreadTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    host.SetFakeTicks(std::nullopt);
    host.BecomeGuiThread();
    Cpu.Running = 1;
  }
  void TearDown() override {
    TNutCPU::Stop();
    ZIrizuvaRezeze::Stop();
    MachineTest::TearDown();
  }
  // Processes GUI messages for a while, as the event loop would.
  void Pump(std::chrono::milliseconds d) {
    const auto end = std::chrono::steady_clock::now() + d;
    while (std::chrono::steady_clock::now() < end) {
      host.ProcessMessages();
      std::this_thread::sleep_for(1ms);
    }
  }
  // Processes messages until pred holds (at most five seconds); a loaded machine may be slow.
  bool PumpUntil(const std::function<bool()>& pred) {
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!pred()) {
      if (std::chrono::steady_clock::now() > end) return false;
      host.ProcessMessages();
      std::this_thread::sleep_for(1ms);
    }
    return true;
  }
  // Waits for n more display hand-overs of the DISTOG loop: proof that the thread executes.
  bool SeesProgress(int n = 3) {
    const int target = panel.redraws + n;
    return PumpUntil([&] { return panel.redraws >= target; });
  }
  uint32_t Cycles() {
    uint32_t c = 0;
    TNutCPU::RunHalted([&] { c = Cpu.CycleCount; });
    return c;
  }
};

TEST_F(CpuThreadTest, StopsWhileRunningAndWhileAsleep) {
  LoadWords(0, {kDistog, kLoopToPrevious});
  TNutCPU::Create();
  ASSERT_TRUE(SeesProgress());
  TNutCPU::Stop();
  EXPECT_GE(Cpu.CycleCount, 6u);
  EXPECT_FALSE(TNutCPU::Exists());

  InitMachine();
  Cpu.Running = 1;
  LoadWords(0, {kPowoff});
  TNutCPU::Create();
  ASSERT_TRUE(PumpUntil([] { return Cpu.Awake == 0; }));
  TNutCPU::Stop();
  EXPECT_EQ(Cpu.CycleCount, 1u);
}

TEST_F(CpuThreadTest, DebuggerHoldsTheCpuUnlessAnimating) {
  LoadWords(0, {kLoopToSelf});
  DebuggerOpen = 1;
  TNutCPU::Create();
  Pump(30ms);
  EXPECT_EQ(Cycles(), 0u);
  const int refreshes = panel.debuggerRefreshes;
  Animate = 1;
  ASSERT_TRUE(PumpUntil([&] { return panel.debuggerRefreshes >= refreshes + 3; }));
  const uint32_t animated = Cycles();
  EXPECT_GT(animated, 0u);
  Animate = 0;
  EXPECT_GT(panel.debuggerRefreshes, refreshes);
  // Edits land between two instructions: nothing runs under them.
  TNutCPU::RunHalted([] { Cpu.PC = 0x0000; });
  const uint32_t held = Cycles();
  Pump(20ms);
  EXPECT_EQ(Cycles(), held);
  DebuggerOpen = 0;
  ASSERT_TRUE(PumpUntil([&] { return Cycles() > held; }));
}

// The CPU thread waits in a display hand-over while the GUI asks for the halt: the GUI keeps
// processing messages, so the hand-over completes and the halt is granted.
TEST_F(CpuThreadTest, HaltWhileTheCpuWaitsInAHandOverDoesNotDeadlock) {
  LoadWords(0, {kDistog, kLoopToPrevious});
  TNutCPU::Create();
  std::this_thread::sleep_for(30ms);  // no messages processed: the CPU thread is blocked
  DebuggerOpen = 1;
  uint16_t pc = 0xFFFF;
  TNutCPU::RunHalted([&] { pc = Cpu.PC; });
  EXPECT_LE(pc, 1);
  DebuggerOpen = 0;
}

TEST_F(CpuThreadTest, PauseStandsTheThreadUntilResumed) {
  LoadWords(0, {kDistog, kLoopToPrevious});
  TNutCPU::Create();
  ASSERT_TRUE(SeesProgress());
  TNutCPU::Pause();
  const uint32_t paused = Cpu.CycleCount;
  Pump(20ms);
  EXPECT_EQ(Cpu.CycleCount, paused);
  TNutCPU::Resume();
  ASSERT_TRUE(SeesProgress());
}

TEST_F(CpuThreadTest, TurboStartsAtNormalPriorityUntilTheSwitchIsUsed) {
  LoadWords(0, {kLoopToSelf});
  Turbo = 1;
  NormalPriority = 2;
  TurboPriority = 1;  // both lower than normal, so the host grants them without privilege
  TNutCPU::Create();
  while (TNutCPU::ThreadId() == 0) std::this_thread::sleep_for(1ms);
  Pump(10ms);
  errno = 0;
  EXPECT_EQ(getpriority(PRIO_PROCESS, TNutCPU::ThreadId()), NiceOfPriority(2));
  TNutCPU::SetTurbo(true);
  EXPECT_EQ(getpriority(PRIO_PROCESS, TNutCPU::ThreadId()), NiceOfPriority(1));
}

TEST_F(CpuThreadTest, PowoffPausesTheTimerThreadAndWakingResumesIt) {
  ZIrizuvaRezeze::Start();
  // DISTOG twice (one display hand-over), POWOFF (another): each wake shows as two redraws.
  LoadWords(0, {kDistog, kDistog, kPowoff});
  TNutCPU::Create();
  ASSERT_TRUE(PumpUntil([] { return Cpu.Awake == 0; }));
  EXPECT_TRUE(TimerThreadSuspended());
  const int before = panel.redraws;
  KeyPressed(52);  // the display is on: any key wakes
  ASSERT_TRUE(SeesProgress(2));
  KeyReleased();
  ASSERT_TRUE(PumpUntil([] { return Cpu.Awake == 0 && TimerThreadSuspended(); }));
  EXPECT_GE(panel.redraws, before + 2);
}

// Tracing switched off while the thread runs traced: the log closes between two steps, so it
// ends with whole records and nothing is written to a closed file.
TEST_F(CpuThreadTest, TraceClosesBetweenTwoSteps) {
  LoadWords(0, {kDistog, kLoopToPrevious});
  OpenTrace();
  TNutCPU::Create();
  ASSERT_TRUE(SeesProgress());
  CloseTrace();
  Pump(5ms);
  TNutCPU::Stop();
  const std::string log = ReadFile(home + "VALDOR.LOG");
  size_t lines = 0;
  for (size_t p = log.find("\r\n"); p != std::string::npos; p = log.find("\r\n", p + 2)) ++lines;
  EXPECT_GT(lines, 0u);
  EXPECT_EQ(lines % 3, 0u);
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

// Pauses nest: the printer's pause survives a pause and resume of the trace.
TEST_F(CpuThreadTest, PausesNest) {
  LoadWords(0, {kDistog, kLoopToPrevious});
  TNutCPU::Create();
  ASSERT_TRUE(SeesProgress());
  ASSERT_TRUE(TNutCPU::Pause());
  ASSERT_TRUE(TNutCPU::Pause());
  TNutCPU::Resume();
  const uint32_t held = Cpu.CycleCount;
  Pump(10ms);
  EXPECT_EQ(Cpu.CycleCount, held);
  TNutCPU::Resume();
  ASSERT_TRUE(SeesProgress());
}

// A calculator that is switched off must not keep host cores busy, and its clock must keep
// time: both threads run for two seconds with the CPU asleep.
TEST_F(CpuThreadTest, SleepingMachineIdlesAndKeepsTime) {
  LoadWords(0, {kPowoff});
  NormalPriority = 3;
  displayOn = 0;  // deep sleep
  TimerInit();
  ZIrizuvaRezeze::Start();
  TNutCPU::Create();
  ASSERT_TRUE(PumpUntil([] { return Cpu.Awake == 0; }));
  Pump(20ms);  // the display hand-over of POWOFF

  auto clockA = [] {
    uint64_t v = 0;
    for (int i = 13; i >= 0; --i) v = v * 10 + CLA[i].load();
    return v;
  };
  const uint32_t tick0 = host.TickCount();
  const uint64_t clock0 = clockA();
  timespec cpu0{}, cpu1{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu0);
  const auto wall0 = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(2s);
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu1);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  const double cpu = (cpu1.tv_sec - cpu0.tv_sec) + (cpu1.tv_nsec - cpu0.tv_nsec) / 1e9;
  // Stop both pollers, then bring the clock up to date once: no time may have been lost.
  TNutCPU::Stop();
  ZIrizuvaRezeze::Stop();
  UpdateClock(0);
  const uint32_t tick1 = host.TickCount();
  const uint64_t clock1 = clockA();
  std::printf("[ idle ] process CPU time %.2f%% of one core while asleep\n", 100 * cpu / wall);
  EXPECT_LT(cpu / wall, 0.05);
  // Clock A counts centiseconds of the tick counter; allow one tick each side.
  const int64_t elapsedCs = (tick1 - tick0) / 10;
  EXPECT_NEAR(static_cast<double>(clock1 - clock0), static_cast<double>(elapsedCs), 1.0);
}

}  // namespace
