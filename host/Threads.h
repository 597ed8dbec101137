#pragma once
// Thread services over POSIX: the 7-step priority scale and short idle sleeps.

#include <sys/types.h>

// The calling thread's kernel id, for setting its priority from another thread.
pid_t CurrentThreadId();
// Maps 0..6 (idle, lowest, below normal, normal, above normal, highest, time-critical) onto
// SCHED_IDLE and nice values; values outside the scale are clamped. A request the host refuses
// (raising priority without the right to) is ignored. Returns whether the host accepted it.
bool SetThreadPriority(pid_t tid, int level);
// The nice value a priority level maps to (SCHED_IDLE for level 0 keeps nice 19).
int NiceOfPriority(int level);
// Names the calling thread for debuggers and process lists (at most 15 characters).
void NameThisThread(const char* name);
// Sleeps about one millisecond: the pause after an idle poll, so that idling costs no core.
void IdleSleep();
