#include "cpu/CpuThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "cpu/Cpu.h"
#include "cpu/Pacing.h"
#include "cpu/RunLoop.h"
#include "cpu/Wake.h"
#include "debugger/DebugRun.h"
#include "display/Lcd.h"
#include "host/Host.h"
#include "host/Threads.h"

namespace {

std::thread cpuThread;
std::atomic<pid_t> cpuTid{0};
std::atomic<bool> threadExists{false};
std::atomic<bool> loopEnded{false};

// While the debugger is open, every iteration runs under this lock, so that the debugger's
// reads, edits and single steps fall between two instructions.
std::mutex machineLock;
// Each close of the debugger starts a new session; an iteration held under the lock
// acknowledges the session it saw (its number + 1; 0 for none). An acknowledgement from before
// a close therefore never admits RunHalted after a reopen.
std::atomic<uint64_t> debuggerCloses{0};
std::atomic<uint64_t> haltAcknowledged{0};

std::mutex pauseMutex;
std::condition_variable pauseChanged;
int pauseRequests = 0;  // pauses nest: each Pause is paired with one Resume
std::atomic<int> pauseRequested{0};  // pauseRequests, for the test without the lock
bool pausedNow = false;

bool OnCpuThread() {
  return threadExists && cpuThread.get_id() == std::this_thread::get_id();
}

// Stands still while a pause is requested; acknowledges it to the requester. The requests are
// tested first without the lock: in turbo this runs before every instruction.
void PausePoint() {
  if (pauseRequested.load(std::memory_order_relaxed) == 0) return;
  std::unique_lock lock(pauseMutex);
  if (pauseRequests == 0) return;
  pausedNow = true;
  pauseChanged.notify_all();
  pauseChanged.wait(lock, [] { return pauseRequests == 0 || !Cpu.Running; });
  pausedNow = false;
  RestartPacing();  // the pause is not made up
}

void RunLoop() {
  NameThisThread("TNutCPU");
  cpuTid = CurrentThreadId();
  RunLoopStart();
  SetThreadPriority(cpuTid, NormalPriority);  // whatever Turbo is; the switch applies the other
  for (;;) {
    PausePoint();
    const uint64_t seen = WakeSequence();  // before the iteration tests what it waits for
    Iteration it;
    const uint64_t session = debuggerCloses.load(std::memory_order_acquire);
    const bool held = DebuggerOpen.load(std::memory_order_acquire);
    if (held) {
      std::unique_lock lock(machineLock);
      haltAcknowledged.store(session + 1, std::memory_order_release);
      const bool animate = Animate.load(std::memory_order_relaxed) && Cpu.Awake && !HaltHolds;
      if (animate && Cpu.Running && !allSegmentsHalt && !DebugRunning) {
        StepInto();
        lock.unlock();
        RefreshDebuggerAnimate();  // outside the lock: the GUI reads while this thread waits
        continue;
      }
      it = RunIteration();
      RestartPacing();  // standing or running for the debugger is no lag
    } else {
      haltAcknowledged.store(0, std::memory_order_relaxed);
      it = RunIteration(kTurboBatch);
    }
    if (it == Iteration::Ended) break;
    // A hit with the debugger closed opens it once the halt is acknowledged, outside the lock:
    // the next iteration acknowledges it, at once rather than after a wait. Whatever that
    // iteration did (a POWOFF watchpoint leaves the CPU asleep), the window opens now.
    if (!held && DebuggerOpen.load(std::memory_order_relaxed)) continue;
    if (held) ShowDebuggerAfterHalt();
    // Asleep or halted: block until something can change that (WakeCpu), or until the next
    // event of the sleeping calculator's own (automatic power-off, the timer chip).
    if (it == Iteration::Idle && !Cpu.Awake.load(std::memory_order_relaxed))  // not just woken
      WaitForWake(seen, WakeClock::now() + std::chrono::milliseconds(IdleWaitMs()));
    else if (it == Iteration::Halted)
      WaitForWake(seen, WakeClock::now() + std::chrono::milliseconds(kMaxIdleWaitMs));
  }
  haltAcknowledged = 0;
  loopEnded = true;
}

}  // namespace

void TNutCPU::Create() {
  if (threadExists) return;
  pauseRequests = 0;
  pauseRequested = 0;
  loopEnded = false;
  threadExists = true;
  cpuThread = std::thread(RunLoop);
}

void TNutCPU::Stop() {
  if (!threadExists) return;
  {
    std::lock_guard lock(pauseMutex);
    Cpu.Running = 0;
    pauseChanged.notify_all();
  }
  WakeCpu();
  // The loop may be blocked in a hand-over to the GUI thread, which is the caller.
  while (!loopEnded) {
    TheHost().ProcessMessages();
    IdleSleep();
  }
  cpuThread.join();
  threadExists = false;
  cpuTid = 0;
}

bool TNutCPU::StopWithoutGui(int limitMs) {
  if (!threadExists) return true;
  {
    std::lock_guard lock(pauseMutex);
    Cpu.Running = 0;
    pauseChanged.notify_all();
  }
  WakeCpu();
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!loopEnded && std::chrono::steady_clock::now() < end) IdleSleep();
  const bool ended = loopEnded;
  if (ended)
    cpuThread.join();
  else
    cpuThread.detach();
  threadExists = false;
  cpuTid = 0;
  return ended;
}

bool TNutCPU::Exists() {
  return threadExists;
}

int TNutCPU::ThreadId() {
  return cpuTid;
}

void TNutCPU::CloseDebugger() {
  DebuggerOpen = 0;
  ++debuggerCloses;  // after the flag: an iteration that saw it set acknowledges the old session
  WakeCpu();
}

void TNutCPU::SetTurbo(bool on) {
  Turbo = on ? 1 : 0;
  TurboSuspended = 0;
  if (cpuTid) SetThreadPriority(cpuTid, on ? TurboPriority : NormalPriority);
  WakeCpu();  // out of a pacing wait at once
}

bool TNutCPU::Pause() {
  if (!threadExists || OnCpuThread()) return false;
  std::unique_lock lock(pauseMutex);
  pauseRequested = ++pauseRequests;
  WakeCpu();  // a waiting thread reaches its pause point now
  while (!pausedNow && !loopEnded) {
    lock.unlock();
    TheHost().ProcessMessages();
    IdleSleep();
    lock.lock();
  }
  return true;
}

void TNutCPU::Resume() {
  std::lock_guard lock(pauseMutex);
  if (pauseRequests > 0) --pauseRequests;
  pauseRequested = pauseRequests;
  pauseChanged.notify_all();
}

void TNutCPU::RunHalted(const std::function<void()>& fn) {
  if (!threadExists || OnCpuThread() || !Cpu.Running) {
    fn();
    return;
  }
  if (!DebuggerOpen.load()) {
    // Without the debugger there is no halt to wait for: pause the thread instead.
    const bool paused = Pause();
    fn();
    if (paused) Resume();
    return;
  }
  WakeCpu();  // out of a pacing wait, to acknowledge the halt
  while (!loopEnded) {
    if (haltAcknowledged.load(std::memory_order_acquire) == debuggerCloses.load() + 1 &&
        machineLock.try_lock()) {
      fn();
      machineLock.unlock();
      WakeCpu();  // fn may have changed what the thread waits for
      return;
    }
    TheHost().ProcessMessages();
    std::this_thread::yield();
  }
  fn();  // the loop has ended: nothing runs any more
}
