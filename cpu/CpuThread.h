#pragma once
// The CPU thread: runs the machine iteration by iteration at normal speed or in turbo, sleeps,
// halts or animates for the debugger, and pauses on request.

#include <functional>

class TNutCPU {
 public:
  // Starts the thread; Running must be 1 (set by the end of start-up).
  static void Create();
  // Sets Running = 0, wakes a paused thread and waits until the loop has ended.
  static void Stop();
  static bool Exists();
  // Stop for a program whose GUI can no longer run (its display has gone): processes no events
  // and waits at most limitMs. A thread still blocked in a hand-over to the GUI then is left
  // behind, detached, so that the process can end; false in that case.
  static bool StopWithoutGui(int limitMs);

  // The turbo switch: turbo at TurboPriority, or normal speed at NormalPriority.
  static void SetTurbo(bool on);

  // Pauses the whole thread between two iterations and waits (processing messages) until it
  // stands; Resume lets it continue. Paired one to one (the printer's paper, for example), and
  // pauses nest. Returns false, and pauses nothing, without a thread or on the thread itself.
  static bool Pause();
  static void Resume();

  // Runs fn while the CPU thread stands between two instructions: at once when there is no
  // CPU thread or when called from it; otherwise, after DebuggerOpen is set, it waits until the
  // thread has acknowledged the halt, processing messages meanwhile (the thread may be blocked
  // in a hand-over to the GUI). In Animate mode fn lands between two instructions. Without the
  // debugger open, the thread is paused around fn.
  static void RunHalted(const std::function<void()>& fn);

  // Lets the CPU go from the debugger: clears DebuggerOpen and voids the halt acknowledged so
  // far, so that a reopen waits for a new one.
  static void CloseDebugger();

  // The thread's kernel id (for its priority), 0 when it does not exist.
  static int ThreadId();
};
