#include "cpu/Pacing.h"

#include "cpu/Cpu.h"

namespace {
constexpr auto relaxed = std::memory_order_relaxed;
Pacer pacer;  // used by the CPU thread only
}  // namespace

std::chrono::nanoseconds SpeedDelay() {
  const int32_t ticks = Ticks.load(relaxed);
  if (ticks <= 0 || Turbo.load(relaxed) || Trace.load(relaxed) || DebuggerOpen.load(relaxed))
    return std::chrono::nanoseconds{0};
  return kTickTime * ticks;
}

std::optional<WakeClock::time_point> Pacer::Account(std::chrono::nanoseconds cost,
                                                    WakeClock::time_point now) {
  if (cost.count() <= 0) {
    due_.reset();
    return std::nullopt;
  }
  // Behind by more than kMaxLag (or not started): racing to catch up would be visible.
  if (!due_ || *due_ < now - kMaxLag) due_ = now - (due_ ? kMaxLag : WakeClock::duration{0});
  *due_ += cost;
  if (*due_ - now >= kBatchTime) return due_;
  return std::nullopt;
}

void RestartPacing() {
  pacer.Account(std::chrono::nanoseconds{0}, {});
}

void PaceStep() {
  const auto cost = SpeedDelay();
  if (cost.count() <= 0) {
    pacer.Account(cost, {});
    return;
  }
  const uint64_t seen = WakeSequence();
  const auto now = WakeClock::now();
  if (const auto until = pacer.Account(cost, now))
    if (WaitForWake(seen, *until)) pacer.Restart(WakeClock::now());
}
