// The speed delay as wall time: what one instruction is worth, the batches of the schedule, and
// the rate it gives, on a simulated clock.

#include "cpu/Pacing.h"

#include <gtest/gtest.h>

#include <cmath>

#include "cpu/Cpu.h"
#include "support/MachineFixture.h"

namespace {

using namespace std::chrono_literals;
using std::chrono::nanoseconds;

class PacingTest : public MachineTest {};

TEST_F(PacingTest, WhatOneInstructionIsWorth) {
  struct Case {
    int32_t ticks;
    uint8_t turbo, trace, debugger;
    nanoseconds worth;
  } cases[] = {
      {256, 0, 0, 0, 158720ns}, {100, 0, 0, 0, 62000ns},
      {2048, 0, 0, 0, 1269760ns},  // no longer wraps to nothing
      {1, 0, 0, 0, 620ns},         {0, 0, 0, 0, 0ns},
      {-5, 0, 0, 0, 0ns},          {256, 1, 0, 0, 0ns},
      {256, 0, 1, 0, 0ns},         {256, 0, 0, 1, 0ns},
  };
  for (const Case& c : cases) {
    Ticks = c.ticks;
    Turbo = c.turbo;
    Trace = c.trace;
    DebuggerOpen = c.debugger;
    EXPECT_EQ(SpeedDelay(), c.worth) << c.ticks << " " << +c.turbo << +c.trace << +c.debugger;
  }
}

// Instructions accounted until the first sleep, after the clock jumped by lag past the start.
TEST(PacerTest, BatchesAndHowMuchLagIsMadeUp) {
  const nanoseconds cost = kTickTime * 256;
  struct Case {
    WakeClock::duration lag;
    bool restartedBetween;  // a zero-cost step (turbo, trace) between: nothing to make up
    int calls;
  } cases[] = {
      {0ms, false, 32},     // 32 x 158.72 us is the first batch past 5 ms
      {10ms, false, 95},    // 10 ms behind: made up at full speed
      {1s, false, 663},     // only kMaxLag (100 ms) is made up
      {1s, true, 32},
  };
  for (const Case& c : cases) {
    Pacer p;
    const WakeClock::time_point t0 = WakeClock::time_point{} + 1h;
    ASSERT_FALSE(p.Account(cost, t0));
    if (c.restartedBetween) p.Account(0ns, t0);
    const auto now = t0 + c.lag;
    int calls = c.restartedBetween ? 0 : 1;
    std::optional<WakeClock::time_point> until;
    while (!(until = p.Account(cost, now))) ++calls;
    ++calls;
    EXPECT_EQ(calls, c.calls) << c.lag.count();
    EXPECT_GE(*until - now, kBatchTime);
    EXPECT_LT(*until - now, kBatchTime + cost);
  }
}

// Sleeping until each batch's end gives Ticks x 0.62 us per instruction, whatever the host.
TEST(PacerTest, RateOnASimulatedClock) {
  struct Case {
    int32_t ticks;
    double perSecond;
  } cases[] = {{256, 6300.4}, {100, 16129.0}, {2048, 787.55}, {1, 1612903.0}};
  for (const Case& c : cases) {
    Pacer p;
    WakeClock::time_point now = WakeClock::time_point{} + 1h;
    const auto end = now + 5s;
    int64_t n = 0;
    while (now < end) {
      ++n;
      now += 100ns;  // the instruction itself
      if (const auto until = p.Account(kTickTime * c.ticks, now)) now = std::max(now, *until);
    }
    EXPECT_NEAR(n / 5.0, c.perSecond, c.perSecond * 0.005) << c.ticks;
  }
}

}  // namespace
