#pragma once
// Running under the debugger's eye: breakpoints and watchpoints tested between two
// instructions, stepping over and out, running to an address, the execution history, and the
// report of why the CPU halted. Without Qt: the window and the runner share it.

#include <atomic>
#include <cstdint>
#include <string>

#include "cpu/RunLoop.h"

enum class HaltKind : uint8_t { None, Breakpoint, Watchpoint, Step, UserBreak };

struct HaltReport {
  HaltKind kind = HaltKind::None;
  uint16_t address = 0;  // PC when it halted
  std::string text;      // why, in words
};

enum class RunMode : uint8_t { Free, Over, Out, To };

// Set while a checked run is needed (breakpoints or watchpoints enabled, the history armed, or
// a stepping command); RunIteration tests it once per iteration and otherwise runs as before.
extern std::atomic<uint8_t> DebugArmed;
// With the debugger open: the CPU runs checked instead of standing still.
extern std::atomic<uint8_t> DebugRunning;
// Set by a halt: the CPU stands, Animate or not, until a command, Exit or the Animate box lets
// it go.
extern std::atomic<uint8_t> HaltHolds;

// Recomputes DebugArmed; call after changing Breaks.
void UpdateDebugArmed();
// Records every executed instruction in ExecutionHistory (the runner's --history).
void ArmHistory(bool on);

// One checked instruction of an awake, running CPU: a breakpoint at PC halts before it, a
// watchpoint halts after the instruction that touched it, a stepping command after its end.
Iteration DebugIteration();
// The debugger's single step: Step with the history recorded.
void StepInto();

// Commands, given while the CPU stands between two instructions. Each continues past a
// breakpoint at PC (the one it may have halted on) and sets DebugRunning.
void RunFree();
void StepOver();  // a call runs until it has returned (its level popped)
void StepOut();   // until the current return level is popped
void RunTo(uint16_t address);
// The debugger lets the CPU go (Exit). Standing on the breakpoint that halted it, the instruction
// at PC runs without re-hitting; after any other halt a breakpoint at PC still halts.
void ResumeFromHalt();
// Stops a checked run between two instructions (the window's Break).
void BreakRun();

const HaltReport& LastHalt();
void ClearHalt();

// After a hit with the debugger closed the CPU thread opens it, once it stands halted.
void ShowDebuggerAfterHalt();

// No breakpoints, watchpoints, history or command: as at program start (tests).
void ResetDebugRun();
