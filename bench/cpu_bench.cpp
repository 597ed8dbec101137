// Nut instructions per second on the turbo path, and the cost of one ROM fetch.

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "cpu/RunLoop.h"
#include "cpu/TurboStep.h"
#include "debugger/Breakpoints.h"
#include "debugger/DebugRun.h"
#include "memory/Rom.h"

namespace {

// A loop mixing class-2 arithmetic on several fields, RAM reads and writes, a call and jumps.
constexpr uint16_t kLoop[] = {
    0x000,  // 00 NOP
    0x16E,  // 01 loop: A=A+1 W
    0x21A,  // 02 C=A+C M
    0x086,  // 03 B=A X
    0x196,  // 04 A=A-B XS
    0x130,  // 05 LDI 005
    0x005,  // 06
    0x270,  // 07 DADD=C
    0x178,  // 08 C=REGN 5
    0x1A8,  // 09 REGN=C 6
    0x081,  // 0A GSUBNC 0020
    0x000,  // 0B
    0x3AB,  // 0C GONC loop
};
constexpr uint16_t kSub[] = {
    0x1FE,  // 20 C=C+C S
    0x302,  // 21 ?A<C PT
    0x3E0,  // 22 RTN
};

void SetUpMachine() {
  ResetMachineSettings();
  InitMachine();
  for (uint16_t i = 0; i < std::size(kLoop); ++i) StoreRom(i, 0, kLoop[i]);
  for (uint16_t i = 0; i < std::size(kSub); ++i) StoreRom(0x20 + i, 0, kSub[i]);
}

void BM_TurboSteps(benchmark::State& state) {
  SetUpMachine();
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) TurboStep();
  }
  benchmark::DoNotOptimize(Cpu.A);
  state.counters["instructions/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * 1000, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TurboSteps);

// The CPU thread's iteration in turbo, as it runs free: with no breakpoint, and with ten set
// (none of them in the loop, so each instruction is tested and passes).
void TurboIterations(benchmark::State& state, int breakpoints) {
  SetUpMachine();
  Cpu.Running = 1;
  Cpu.Awake = 1;
  Turbo = 1;
  for (int i = 0; i < breakpoints; ++i) {
    Breakpoint b;
    b.address = static_cast<uint16_t>(0x1000 + i);
    Breaks.Breaks().push_back(b);
  }
  Breaks.Changed();
  UpdateDebugArmed();
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) RunIteration();
  }
  state.counters["instructions/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * 1000, benchmark::Counter::kIsRate);
  Breaks.Clear();
  UpdateDebugArmed();
  Turbo = 0;
}
void BM_TurboIterations(benchmark::State& state) {
  TurboIterations(state, 0);
}
BENCHMARK(BM_TurboIterations);
void BM_TurboIterationsTenBreakpoints(benchmark::State& state) {
  TurboIterations(state, 10);
}
BENCHMARK(BM_TurboIterationsTenBreakpoints);

// Nanoseconds the thread has run on a core (the scheduler's account: other load on the host
// does not count).
double ThreadCpuSeconds(int tid) {
  std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/schedstat");
  unsigned long long ns = 0;
  in >> ns;
  return static_cast<double>(ns) / 1e9;
}

// The CPU thread in turbo as the desktop runs it (pause point, debugger flags, iteration), on
// the same loop as BM_TurboSteps: Nut instructions per second of the thread's own CPU time, so
// that a loaded host lowers neither figure. Each iteration lets it run for 200 ms.
void BM_ThreadedTurbo(benchmark::State& state) {
  SetUpMachine();
  Cpu.Running = 1;
  Cpu.Awake = 1;
  Turbo = 1;
  TNutCPU::Create();
  while (TNutCPU::ThreadId() == 0) std::this_thread::yield();
  const int tid = TNutCPU::ThreadId();
  double instructions = 0, seconds = 0;
  auto sample = [tid](uint32_t& cycles, double& cpu) {
    TNutCPU::RunHalted([&] {
      cycles = Cpu.CycleCount;
      cpu = ThreadCpuSeconds(tid);
    });
  };
  for (auto _ : state) {
    uint32_t c0 = 0, c1 = 0;
    double s0 = 0, s1 = 0;
    sample(c0, s0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    sample(c1, s1);
    state.SetIterationTime(s1 - s0);
    instructions += static_cast<uint32_t>(c1 - c0);
    seconds += s1 - s0;
  }
  TNutCPU::Stop();
  Turbo = 0;
  state.counters["instructions/s"] = benchmark::Counter(seconds > 0 ? instructions / seconds : 0);
}
BENCHMARK(BM_ThreadedTurbo)->UseManualTime()->Iterations(10);

void BM_NormalSpeedStepsNoDelay(benchmark::State& state) {
  SetUpMachine();
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) Step();
  }
  state.counters["instructions/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * 1000, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NormalSpeedStepsNoDelay);

void BM_FetchRom(benchmark::State& state) {
  SetUpMachine();
  uint32_t address = 0;
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) benchmark::DoNotOptimize(FetchRom(address++ & 0x1F));
  }
  state.counters["fetches/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * 1000,
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FetchRom);

}  // namespace
