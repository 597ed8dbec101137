#pragma once
// What the fuzz targets share: a temporary home folder made once per run with the headless
// host and panel installed over it, a fresh machine per input, and a check that aborts so that
// libFuzzer keeps the input that broke it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/Headless.h"

#define FUZZ_CHECK(cond)                                                             \
  do {                                                                               \
    if (!(cond)) {                                                                   \
      std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                                  \
    }                                                                                \
  } while (0)

struct FuzzHome {
  HeadlessHost host;
  HeadlessPanel panel;
  std::string dir;  // ends in '/'
};

// Created at the first call; the folder is removed when the run ends.
FuzzHome& Home();
// The machine as after program start and initialisation, with no message recorded.
void FreshMachine();
void WriteFile(const std::string& path, const void* data, size_t size);
void WriteFile(const std::string& path, const std::string& bytes);

// Takes the first bytes of an input as numbers.
class InputReader {
 public:
  InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  int32_t Int32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
    return static_cast<int32_t>(v);
  }
  const uint8_t* Rest() const { return data_ + at_; }
  size_t RestSize() const { return at_ < size_ ? size_ - at_ : 0; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};
