#pragma once
// valdor-run's debugging options: breakpoints, watchpoints, the history and register dumps,
// and the report printed when the CPU halts on one of them.

#include <cstddef>
#include <string>
#include <vector>

// The status with which the runner ends after a halt on a breakpoint or watchpoint.
constexpr int kHaltStatus = 3;

extern const char* const kDebugUsage;

struct DebugOptions {
  std::vector<std::string> breaks;   // "ADDR[@BANK][*COUNT][:CONDITION]"
  std::vector<std::string> watches;  // "REG[:r|w]", "SELPF n", "POWOFF"
  size_t history = 0;                // entries printed with a halt report
  bool keepGoing = false;            // --continue
  bool dump = false;                 // --dump
};

// Takes argv[i] (and its value) when it is a debugging option: true. error is set when the
// option is one of ours but wrong.
bool ParseDebugOption(int argc, char** argv, int& i, DebugOptions& o, std::string& error);
// Sets the breakpoints and watchpoints (after the symbols are loaded); false with error.
bool ArmDebugOptions(const DebugOptions& o, std::string& error);
// After each iteration: prints the report of a halt, if there was one. Returns true when the
// run stops there; with --continue the CPU is let go and the run goes on.
bool HandleDebugHalt(const DebugOptions& o);
// The registers in the debugger's layout.
void PrintRegisters();
