#include "memory/Rom.h"

std::atomic<RomBlock*> RomPages[16][4];
std::atomic<uint8_t> CurrentBank[16];

void StoreRom(uint32_t address, int bank, uint16_t value) {
  const unsigned page = (address >> 12) & 15;
  // The bank index is two bits, like the fetch's; callers pass 0..3.
  std::atomic<RomBlock*>& slot = RomPages[page][bank & 3];
  RomBlock* block = slot.load(std::memory_order_acquire);
  if (!block) {
    // The CPU thread (WMLDL) and the debugger may both create a block; the first one wins.
    RomBlock* fresh = new RomBlock{};
    if (slot.compare_exchange_strong(block, fresh, std::memory_order_acq_rel)) {
      block = fresh;
    } else {
      delete fresh;
    }
  }
  (*block)[address & 0xFFF] = static_cast<uint16_t>(value & 0x3FF);
}

namespace {

struct PageRange {
  int first = 0, last = -1;  // empty when last < first
};

// Which pages a bank switch executed at address affects.
PageRange SwitchedPages(uint16_t address, bool upperBanks) {
  switch (address >> 12) {
    case 0x3:
      return upperBanks ? PageRange{} : PageRange{5, 5};
    case 0x5:
      return upperBanks ? PageRange{4, 5} : PageRange{5, 5};
    case 0x6:
    case 0x7:
      return upperBanks ? PageRange{6, 7} : PageRange{};
    case 0x8:
    case 0x9:
      return {8, 9};
    case 0xA:
    case 0xB:
      return {10, 11};
    case 0xC:
    case 0xD:
      return {12, 13};
    case 0xE:
      return {14, 15};
    default:  // pages 0..2, 4 and 15 switch nothing
      return {};
  }
}

}  // namespace

void SelectBank(uint16_t address, int bank) {
  if (bank < 0 || bank > 3) return;
  const PageRange pages = SwitchedPages(address, bank >= 2);
  for (int page = pages.first; page <= pages.last; ++page) {
    // A page keeps its bank unless the requested one holds ROM.
    if (RomPages[page][bank].load(std::memory_order_acquire)) {
      CurrentBank[page].store(static_cast<uint8_t>(bank), std::memory_order_relaxed);
    }
  }
}

void ClearRom() {
  for (auto& page : RomPages) {
    for (auto& slot : page) delete slot.exchange(nullptr);
  }
  for (auto& bank : CurrentBank) bank.store(0, std::memory_order_relaxed);
}
