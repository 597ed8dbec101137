#pragma once
// Which instruction words a watchpoint kind looks at.

#include <cstdint>

constexpr uint8_t kWatchRamRead = 1;   // C=REGN n (C=DATA for n = 0)
constexpr uint8_t kWatchRamWrite = 2;  // REGN=C n, DATA=C
constexpr uint8_t kWatchSelect = 4;    // SELPF n
constexpr uint8_t kWatchPowoff = 8;    // POWOFF

constexpr uint8_t WatchKindOf(uint16_t word) {
  if ((word & 0x3F) == 0x38) return kWatchRamRead;
  if ((word & 0x3F) == 0x28 || word == 0x2F0) return kWatchRamWrite;
  if ((word & 0x3F) == 0x24) return kWatchSelect;
  if (word == 0x060) return kWatchPowoff;
  return 0;
}
