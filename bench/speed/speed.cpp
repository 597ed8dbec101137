// The calculator's own speed on this PC: the threaded machine (CPU thread and timer thread, as
// in the desktop program) runs a firmware loop that never sleeps, at normal speed. Prints the
// instructions per second and the process's CPU time for a few values of Ticks, and the time
// from a key press to the sleeping CPU's first instruction.
//
//   valdor_speed [SECONDS] [PRESSES]     (defaults 5 and 20)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "host/Headless.h"
#include "memory/Rom.h"
#include "timer/Zudaroz.h"
#include "tools/nutasm/Assembler.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kLoop =
    "        .org 0\n"
    "LOOP:   A=A+1 W\n"
    "        C=A+C M\n"
    "        GONC LOOP\n";
// Toggling the display twice leaves it as it was and makes it due for a redraw, which POWOFF
// then hands to the GUI thread: the sign that the CPU ran after the key.
constexpr const char* kSleep =
    "        .org 0\n"
    "        DISTOG\n"
    "        DISTOG\n"
    "        POWOFF\n";

HeadlessHost host;
HeadlessPanel panel;

bool Load(const char* source) {
  const nutasm::Program p = nutasm::Assemble(source, "speed.asm");
  for (const auto& e : p.errors) std::fprintf(stderr, "%s\n", e.c_str());
  for (const auto& [address, word] : p.words) StoreRom(address, 0, word);
  return p.Ok();
}

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

uint32_t Cycles() {
  uint32_t c = 0;
  TNutCPU::RunHalted([&] { c = Cpu.CycleCount; });
  return c;
}

void Start() {
  Cpu.PC = 0;
  Cpu.Awake = 1;
  Cpu.Running = 1;
  TNutCPU::Create();
}

// Instructions per second and the share of one core, over seconds of wall time.
void MeasureRate(int32_t ticks, double seconds) {
  Ticks = ticks;
  Start();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const uint32_t c0 = Cycles();
  const double cpu0 = ProcessCpuSeconds();
  const auto t0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const uint32_t c1 = Cycles();
  const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
  const double cpu = ProcessCpuSeconds() - cpu0;
  TNutCPU::Stop();
  std::printf("Ticks %4d: %9.0f instructions/s over %.1f s, %.2f %% of one core\n", ticks,
              (c1 - c0) / wall, wall, 100 * cpu / wall);
}

// Key press to the sleeping CPU's first display hand-over, received by this thread, which
// plays the GUI thread and polls for it without pausing.
void MeasureWake(int presses) {
  Ticks = 256;
  Start();
  std::vector<double> us;
  for (int i = 0; i < presses; ++i) {
    const auto settle = Clock::now() + std::chrono::milliseconds(50);
    while (Clock::now() < settle) {
      host.ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (Cpu.Awake) continue;
    const int redraws = panel.redraws;
    const auto t0 = Clock::now();
    KeyPressed(52);
    while (panel.redraws == redraws) host.ProcessMessages();
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    KeyReleased();
  }
  TNutCPU::Stop();
  if (us.empty()) return;
  std::sort(us.begin(), us.end());
  std::printf("key press to wake: median %.0f us, min %.0f us, max %.0f us over %zu presses\n",
              us[us.size() / 2], us.front(), us.back(), us.size());
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
  const int presses = argc > 2 ? std::atoi(argv[2]) : 20;
  host.homeDir = "/tmp/";
  SetHost(&host);
  SetPanel(&panel);
  host.BecomeGuiThread();
  ResetMachineSettings();
  InitMachine();
  NormalPriority = 2;  // the desktop program's default
  ZIrizuvaRezeze::Start();
  if (!Load(kLoop)) return 1;
  for (const int32_t ticks : {256, 100}) MeasureRate(ticks, seconds);
  displayOn = 1;  // a light sleep: any key wakes
  if (!Load(kSleep)) return 1;
  MeasureWake(presses);
  ZIrizuvaRezeze::Stop();
  SetPanel(nullptr);
  SetHost(nullptr);
  return 0;
}
