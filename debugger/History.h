#pragma once
// The last executed instructions, oldest overwritten first. Recorded only where the debugger or
// the runner asks for it, so the free-running machine never pays for it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct HistoryEntry {
  uint16_t address;
  uint16_t word;
};

class History {
 public:
  static constexpr size_t kCapacity = 1024;

  void Record(uint16_t address, uint16_t word) {
    ring_[next_] = {address, word};
    next_ = (next_ + 1) % kCapacity;
    if (size_ < kCapacity) ++size_;
  }
  size_t Size() const { return size_; }
  void Clear() { next_ = size_ = 0; }
  // The newest n entries (at most Size()), oldest first.
  std::vector<HistoryEntry> Last(size_t n) const;

 private:
  std::array<HistoryEntry, kCapacity> ring_{};
  size_t next_ = 0, size_ = 0;
};

extern History ExecutionHistory;
