#include "debugger/DebugRun.h"

#include "cpu/Cpu.h"
#include "cpu/Pacing.h"
#include "cpu/TurboStep.h"
#include "debugger/Breakpoints.h"
#include "debugger/Debug.h"
#include "debugger/DebugFields.h"
#include "debugger/History.h"
#include "debugger/Symbols.h"
#include "debugger/WatchKinds.h"
#include "memory/Ram.h"
#include "memory/Rom.h"

std::atomic<uint8_t> DebugArmed{0};
std::atomic<uint8_t> DebugRunning{0};
std::atomic<uint8_t> HaltHolds{0};

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

RunMode mode = RunMode::Free;
uint16_t runToAddress = 0;
uint16_t startPc = 0;      // where the stepping command began
int64_t level = 0;         // return stack pushes minus pops since the stepping command
int32_t resumeAt = -1;     // a breakpoint here is passed once: the CPU stands on it
int32_t haltedOnBreak = -1;  // PC of the breakpoint that halted the CPU, while it stands there
bool historyArmed = false;
HaltReport report;
std::atomic<uint8_t> showPending{0};

// What the instruction about to run does to the return stack: +1 a push, -1 a pop, 0 nothing.
// Decided before it runs: its carry test reads the carry that becomes PrevCarry.
int StackEffect(uint16_t pc, uint16_t word) {
  if (Cpu.SmartPeripheral != kNoPeripheral) return 0;
  const bool carry = Cpu.Carry != 0;
  if ((word & 3) == 1) {
    const uint16_t second = FetchRom(static_cast<uint16_t>(pc + 1));
    if ((second & 2) || carry != ((second & 1) != 0)) return 0;  // a jump, or not taken
    const uint16_t target = static_cast<uint16_t>((word >> 2) | ((second & 0x3FC) << 6));
    return FetchRom(target) != 0 ? 1 : 0;  // a call into empty ROM does nothing
  }
  switch (word) {
    case 0x3E0: return -1;             // RTN
    case 0x360: return carry ? -1 : 0;  // RTNC
    case 0x3A0: return carry ? 0 : -1;  // RTNNC
    case 0x020:                        // SPOPND
    case 0x1B0: return -1;             // C=STK
    case 0x170: return 1;              // STK=C
    default: return 0;
  }
}

std::string At(uint16_t address) {
  std::string t = HexDigits(address, 4);
  if (const std::string* name = LookupSymbol(address)) t += " " + *name;
  return t;
}

// The enabled watchpoint that the instruction about to run touches, as a text, or empty.
std::string WatchHit(uint16_t word) {
  const uint8_t kind = WatchKindOf(word);
  if (Cpu.SmartPeripheral != kNoPeripheral || !(kind & Breaks.WatchedKinds())) return {};
  const int n = word >> 6;
  int reg = Cpu.DAdd;
  if (kind == kWatchRamRead && n != 0) reg = (Cpu.DAdd & 0x3F0) | n;
  if (kind == kWatchRamWrite && word != 0x2F0) reg = (Cpu.DAdd & 0x3F0) | n;
  if ((kind & (kWatchRamRead | kWatchRamWrite)) && !RamExists[reg]) return {};
  for (Watchpoint& w : Breaks.Watches()) {
    if (!w.enabled) continue;
    bool hit = false;
    switch (w.kind) {
      case Watchpoint::Kind::Read: hit = kind == kWatchRamRead && w.number == reg; break;
      case Watchpoint::Kind::Write: hit = kind == kWatchRamWrite && w.number == reg; break;
      case Watchpoint::Kind::Access:
        hit = (kind & (kWatchRamRead | kWatchRamWrite)) && w.number == reg;
        break;
      case Watchpoint::Kind::Peripheral: hit = kind == kWatchSelect && w.number == n; break;
      case Watchpoint::Kind::PowerOff: hit = kind == kWatchPowoff; break;
    }
    if (!hit) continue;
    ++w.hits;
    std::string text = "watchpoint " + w.Text() + ": ";
    if (kind == kWatchRamRead) text += "register " + HexDigits(reg, 3) + " read";
    if (kind == kWatchRamWrite) text += "register " + HexDigits(reg, 3) + " written";
    if (kind == kWatchSelect) text += "peripheral " + std::to_string(n) + " selected";
    if (kind == kWatchPowoff) text += "power off";
    return text;
  }
  return {};
}

void Halt(HaltKind kind, std::string text) {
  report = {kind, Cpu.PC, std::move(text)};
  haltedOnBreak = kind == HaltKind::Breakpoint ? Cpu.PC : -1;
  mode = RunMode::Free;
  DebugRunning = 0;
  HaltHolds = 1;
  if (!DebuggerOpen.exchange(1)) showPending = 1;
  UpdateDebugArmed();
}

void Start(RunMode m) {
  mode = m;
  level = 0;
  startPc = Cpu.PC;
  report = {};
  ResumeFromHalt();
  DebugRunning = 1;
  UpdateDebugArmed();
}

}  // namespace

void UpdateDebugArmed() {
  DebugArmed.store(Breaks.Armed() || historyArmed || mode != RunMode::Free, relaxed);
}

void ArmHistory(bool on) {
  historyArmed = on;
  UpdateDebugArmed();
}

Iteration DebugIteration() {
  const uint16_t pc = Cpu.PC;
  if (Breaks.AnyAt(pc) && pc != resumeAt) {
    if (const Breakpoint* b = Breaks.Hit(pc)) {
      std::string text = "breakpoint " + b->Text() + " at " + At(pc) + ", hit " +
                         std::to_string(b->hits);
      Halt(HaltKind::Breakpoint, std::move(text));
      return Iteration::Halted;
    }
  }
  resumeAt = -1;
  const uint16_t word = FetchRom(pc);
  std::string watched = WatchHit(word);
  if (mode == RunMode::Over || mode == RunMode::Out) level += StackEffect(pc, word);
  ExecutionHistory.Record(pc, word);
  if (DebuggerOpen.load(relaxed)) {
    Step();  // the debugger's run: no speed delay
  } else if (Turbo.load(relaxed)) {
    TurboStep();
  } else {
    Step();
    PaceStep();
  }
  // These halts come after the instruction: it counts as executed, the next iteration stands.
  if (!watched.empty()) {
    Halt(HaltKind::Watchpoint, watched + " at " + At(pc));
  } else if (mode == RunMode::Over && level <= 0) {
    Halt(HaltKind::Step, "stepped over " + At(startPc));
  } else if (mode == RunMode::Out && level < 0) {
    Halt(HaltKind::Step, "stepped out to " + At(Cpu.PC));
  } else if (mode == RunMode::To && Cpu.PC == runToAddress) {
    Halt(HaltKind::Step, "ran to " + At(Cpu.PC));
  }
  return Iteration::Executed;
}

void StepInto() {
  haltedOnBreak = -1;
  ExecutionHistory.Record(Cpu.PC, FetchRom(Cpu.PC));
  Step();
}

void RunFree() {
  Start(RunMode::Free);
}
void StepOver() {
  Start(RunMode::Over);
}
void StepOut() {
  Start(RunMode::Out);
}
void RunTo(uint16_t address) {
  runToAddress = address;
  Start(RunMode::To);
}

void ResumeFromHalt() {
  resumeAt = haltedOnBreak == Cpu.PC ? Cpu.PC : -1;
  haltedOnBreak = -1;
  HaltHolds = 0;
}

void BreakRun() {
  if (!DebugRunning.exchange(0)) return;
  mode = RunMode::Free;
  UpdateDebugArmed();
  report = {HaltKind::UserBreak, Cpu.PC, "break at " + At(Cpu.PC)};
}

const HaltReport& LastHalt() {
  return report;
}

void ClearHalt() {
  report = {};
}

void ShowDebuggerAfterHalt() {
  if (showPending.exchange(0)) ShowDebugger();
}

void ResetDebugRun() {
  Breaks.Clear();
  ForgetBreakFile();
  ExecutionHistory.Clear();
  mode = RunMode::Free;
  historyArmed = false;
  report = {};
  resumeAt = -1;
  haltedOnBreak = -1;
  DebugRunning = 0;
  HaltHolds = 0;
  showPending = 0;
  UpdateDebugArmed();
}
