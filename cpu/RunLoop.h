#pragma once
// One iteration of the CPU thread's loop, shared by the CPU thread and valdor-run.

#include <cstdint>

enum class Iteration {
  Executed,  // one instruction ran
  Idle,      // asleep: one idle poll
  Halted,    // held by the debugger, or stopped after the all-segments pattern
  Ended,     // Running is 0
};

// The loop's first step: clears the keyboard flag and arms the automatic power-off.
void RunLoopStart();
// Runs one iteration: a step at normal speed or in turbo, an animated step, or an idle poll.
// In turbo without the debugger, up to turboBatch steps: the flags other threads change are
// then tested once a batch, the CPU's own sleep and halt after every step.
Iteration RunIteration(uint32_t turboBatch = 1);
// The CPU thread's turbo batch: about 6 us of instructions.
constexpr uint32_t kTurboBatch = 1000;
// One idle poll of the sleeping CPU: automatic power-off, flag and status clearing, a timer
// poll, and the wake-up test.
void IdlePoll();
// Whether a sleeping CPU wakes now, with key as the key down (the one read now, without it).
bool WakeCondition(int32_t key);
bool WakeCondition();
// How long a sleeping CPU may wait for WakeCpu before its next idle poll: until the automatic
// power-off or the timer chip's next event, at most kMaxIdleWaitMs.
constexpr uint32_t kMaxIdleWaitMs = 1000;
uint32_t IdleWaitMs();
