#pragma once
// Time made of executed instructions, for reproducible headless runs: the headless host's tick
// counter and local time follow it instead of the wall clock.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "host/Headless.h"

// "YYYY-MM-DDTHH:MM:SS", a real date from 1900 to 9999; nullopt for anything else.
std::optional<LocalDateTime> ParseDateTime(std::string_view text);
// A whole number with its unit, "250ms", "5s", "2m" or "1h", in milliseconds (at most 1000 hours);
// nullopt for anything else.
std::optional<uint64_t> ParseDurationMs(std::string_view text);

// The clock starts at start (the local time the timer chip reads at start-up) with the tick
// counter at 0, and moves only when told: by instructions, each worth the time set, or by a
// jump forward while the calculator sleeps.
class VirtualClock {
 public:
  VirtualClock(HeadlessHost& host, const LocalDateTime& start);
  void SetInstructionTime(std::chrono::nanoseconds t) {
    instructionNs_ = static_cast<uint64_t>(t.count());
  }
  void Instruction() { AdvanceTo(ns_ + instructionNs_); }
  void AdvanceTo(uint64_t ns);
  uint64_t Now() const { return ns_; }
  // The tick counter now, and the moment it shows ms more.
  uint32_t TickCount() const { return static_cast<uint32_t>(ns_ / 10'000'000 * 10); }
  uint64_t TickTime(uint64_t ms) const { return (ns_ / 10'000'000 * 10 + ms) * 1'000'000; }

 private:
  HeadlessHost& host_;
  uint64_t ns_ = 0;
  uint64_t instructionNs_ = 0;
};
