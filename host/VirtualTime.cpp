#include "host/VirtualTime.h"

#include <charconv>

namespace {

// Exactly digits decimal digits at text[at...], within min..max.
bool Field(std::string_view text, size_t at, size_t digits, int min, int max, int& value) {
  if (at + digits > text.size()) return false;
  for (size_t i = at; i < at + digits; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  std::from_chars(text.data() + at, text.data() + at + digits, value);
  return value >= min && value <= max;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<LocalDateTime> ParseDateTime(std::string_view text) {
  LocalDateTime t{};
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':')
    return std::nullopt;
  if (!Field(text, 0, 4, 1900, 9999, t.year) || !Field(text, 5, 2, 1, 12, t.month) ||
      !Field(text, 8, 2, 1, DaysInMonth(t.year, t.month), t.day) ||
      !Field(text, 11, 2, 0, 23, t.hour) || !Field(text, 14, 2, 0, 59, t.minute) ||
      !Field(text, 17, 2, 0, 59, t.second))
    return std::nullopt;
  return t;
}

std::optional<uint64_t> ParseDurationMs(std::string_view text) {
  const size_t unitAt = text.find_first_not_of("0123456789");
  if (unitAt == 0 || unitAt == std::string_view::npos) return std::nullopt;
  const std::string_view unit = text.substr(unitAt);
  uint64_t scale = 0;
  if (unit == "ms")
    scale = 1;
  else if (unit == "s")
    scale = 1000;
  else if (unit == "m")
    scale = 60'000;
  else if (unit == "h")
    scale = 3'600'000;
  else
    return std::nullopt;
  constexpr uint64_t kMaxMs = 1000ull * 3'600'000;
  uint64_t n = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + unitAt, n);
  if (error != std::errc() || n > kMaxMs / scale) return std::nullopt;
  return n * scale;
}

VirtualClock::VirtualClock(HeadlessHost& host, const LocalDateTime& start) : host_(host) {
  host_.SetFakeTime(start);
  host_.SetFakeTicks(0);
}

void VirtualClock::AdvanceTo(uint64_t ns) {
  if (ns <= ns_) return;
  const uint32_t before = TickCount();
  ns_ = ns;
  if (TickCount() != before) host_.SetFakeTicks(TickCount());
}
