#include "memory/Ram.h"

#include <algorithm>

#include "host/ProfileFile.h"

DigitRegister RamRegisters[kRamRegisters];
uint8_t RamExists[kRamRegisters];
int32_t RamSize = 320;
uint8_t SaveRam = 1;

void ClearRamMap() {
  std::fill(std::begin(RamExists), std::end(RamExists), 0);
}

void AddRamRange(int64_t first, int64_t last) {
  if (last < first) return;
  // Parts of the range beyond the 1024 registers are dropped.
  first = std::max<int64_t>(first, 0);
  last = std::min<int64_t>(last, kRamRegisters - 1);
  for (int64_t r = first; r <= last; ++r) {
    RamExists[r] = 1;
    ClearDigits(RamRegisters[r]);
  }
}

RamEntryParse ParseRamEntry(const std::string& value, int64_t& first, int64_t& last,
                            std::string& badText) {
  const size_t space = value.find(' ');
  if (value.empty() || space == std::string::npos) return RamEntryParse::Skip;
  const std::string firstText = value.substr(0, space);
  const std::string lastText = value.substr(space + 1);
  int64_t f = 0, l = 0;
  if (!TextToInteger(firstText, f)) {
    badText = firstText;
    return RamEntryParse::BadNumber;
  }
  if (!TextToInteger(lastText, l)) {
    badText = lastText;
    return RamEntryParse::BadNumber;
  }
  // A single register (first = last) and register 0 as either end are not accepted.
  if (f <= 0 || l <= 0 || l <= f) return RamEntryParse::Skip;
  first = f;
  last = l;
  return RamEntryParse::Ok;
}
