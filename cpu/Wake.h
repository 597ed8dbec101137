#pragma once
// The CPU thread's one place to block: a sleeping calculator, a halted debugger and the pause
// between two batches of paced instructions all wait here until something can change what the
// thread does next, or until their deadline.

#include <chrono>
#include <cstdint>

using WakeClock = std::chrono::steady_clock;

// Ends any wait of the CPU thread. Call it after changing what such a wait depends on: a key,
// a printer button, the debugger's flags, turbo, the speed, a pause request or Running.
void WakeCpu();

// The number of WakeCpu calls so far. Read it before testing the conditions a wait depends on,
// and pass it to WaitForWake: a call in between is then never missed.
uint64_t WakeSequence();

// Blocks until WakeCpu has been called since seen was read, or until the deadline. Returns
// true when woken by WakeCpu, false at the deadline.
bool WaitForWake(uint64_t seen, WakeClock::time_point deadline);
