#pragma once
// The speed delay at normal speed, as wall time: each instruction is worth Ticks x 0.62 us (the
// default 256 gives about 6,300 instructions per second, the real calculator's rate). The CPU
// thread runs instructions in short batches and then sleeps until the wall clock catches up.

#include <chrono>
#include <optional>

#include "cpu/Wake.h"

constexpr std::chrono::nanoseconds kTickTime{620};
// A batch ends once it is this far ahead of the wall clock: about 32 instructions at Ticks 256.
constexpr std::chrono::microseconds kBatchTime{5000};
// How far the thread may run behind (held in a hand-over to the GUI) and still catch up. Time
// asleep, halted or paused is no lag: the schedule starts anew after it (RestartPacing).
constexpr std::chrono::microseconds kMaxLag{100000};

// The wall time one normal-speed instruction is worth now: none in turbo, while tracing, with
// the debugger open, or for Ticks <= 0.
std::chrono::nanoseconds SpeedDelay();

// The schedule of paced instructions.
class Pacer {
 public:
  // Accounts one instruction worth cost, executed at now. Returns the time to sleep until when
  // the batch is complete. A zero cost (turbo, tracing, no delay) starts the schedule anew.
  std::optional<WakeClock::time_point> Account(std::chrono::nanoseconds cost,
                                               WakeClock::time_point now);
  // Starts the schedule anew at now (after a wake: a key press ends the batch).
  void Restart(WakeClock::time_point now) { due_ = now; }

 private:
  std::optional<WakeClock::time_point> due_;  // where the wall clock should be by now
};

// After a normal-speed step in the CPU thread: accounts it and, at the end of a batch, sleeps
// until the wall clock has caught up or WakeCpu is called.
void PaceStep();
// The CPU thread resumes after standing still (a wake from sleep, a halt, a pause): the next
// paced instruction starts the schedule, with nothing to make up.
void RestartPacing();
