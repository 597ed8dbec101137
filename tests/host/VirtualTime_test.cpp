// Time made of instructions: the date and duration texts, and the tick counter it drives.

#include "host/VirtualTime.h"

#include <gtest/gtest.h>

namespace {

TEST(VirtualTime, ParsesDatesAndTimes) {
  const struct {
    const char* text;
    bool ok;
  } cases[] = {
      {"2000-01-01T00:00:00", true},   {"1900-01-01T00:00:00", true},
      {"2024-02-29T23:59:59", true},   {"2000-02-29T12:00:00", true},
      {"1899-12-31T23:59:59", false},  {"2023-02-29T00:00:00", false},
      {"1900-02-29T00:00:00", false},  {"2000-13-01T00:00:00", false},
      {"2000-04-31T00:00:00", false},  {"2000-01-01T24:00:00", false},
      {"2000-01-01T00:60:00", false},  {"2000-01-01 00:00:00", false},
      {"2000-1-01T00:00:00", false},   {"2000-01-01T00:00:0x", false},
      {"2000-01-01T00:00:00Z", false}, {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDateTime(c.text).has_value(), c.ok) << c.text;
  const auto t = ParseDateTime("2026-12-09T10:05:07");
  ASSERT_TRUE(t);
  EXPECT_EQ((std::array{t->year, t->month, t->day, t->hour, t->minute, t->second}),
            (std::array{2026, 12, 9, 10, 5, 7}));
}

TEST(VirtualTime, ParsesDurations) {
  const struct {
    const char* text;
    std::optional<uint64_t> ms;
  } cases[] = {
      {"250ms", 250},
      {"5s", 5000},
      {"2m", 120000},
      {"1h", 3600000},
      {"0s", 0},
      {"1000h", 3600000000},
      {"1001h", std::nullopt},
      {"5", std::nullopt},
      {"s", std::nullopt},
      {"5 s", std::nullopt},
      {"-5s", std::nullopt},
      {"5S", std::nullopt},
      {"1.5s", std::nullopt},
      {"99999999999999999999ms", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDurationMs(c.text), c.ms) << c.text;
}

// The tick counter moves in whole 10 ms steps of the instructions' time, and never back.
TEST(VirtualTime, DrivesTheHostsTickCounterAndTime) {
  HeadlessHost host;
  VirtualClock clock(host, {2000, 1, 1, 0, 0, 0});
  EXPECT_EQ(host.LocalTime().year, 2000);
  EXPECT_EQ(host.TickCount(), 0u);
  clock.SetInstructionTime(std::chrono::nanoseconds(158720));  // Ticks 256
  for (int i = 0; i < 63; ++i) clock.Instruction();
  EXPECT_EQ(host.TickCount(), 0u);  // 9.999 ms
  clock.Instruction();
  EXPECT_EQ(host.TickCount(), 10u);  // 10.158 ms
  clock.AdvanceTo(clock.TickTime(990));
  EXPECT_EQ(host.TickCount(), 1000u);
  EXPECT_EQ(clock.Now(), 1'000'000'000u);
  clock.AdvanceTo(5);
  EXPECT_EQ(host.TickCount(), 1000u);
}

}  // namespace
