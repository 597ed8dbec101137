#include "cpu/Wake.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {
std::mutex wakeMutex;
std::condition_variable wakeChanged;
std::atomic<uint64_t> wakeCount{0};  // changed under wakeMutex, read without it
}  // namespace

void WakeCpu() {
  {
    std::lock_guard lock(wakeMutex);
    ++wakeCount;
  }
  wakeChanged.notify_all();
}

uint64_t WakeSequence() {
  return wakeCount.load();
}

bool WaitForWake(uint64_t seen, WakeClock::time_point deadline) {
  std::unique_lock lock(wakeMutex);
  return wakeChanged.wait_until(lock, deadline, [&] { return wakeCount != seen; });
}
