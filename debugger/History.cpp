#include "debugger/History.h"

History ExecutionHistory;

std::vector<HistoryEntry> History::Last(size_t n) const {
  if (n > size_) n = size_;
  std::vector<HistoryEntry> out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) out.push_back(ring_[(next_ + kCapacity - n + i) % kCapacity]);
  return out;
}
