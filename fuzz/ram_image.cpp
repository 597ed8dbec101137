// The RAM image: any bytes, applied from memory and loaded from the file, over a RAM map taken
// from the first bytes. Records change only registers that exist; the rest of RAM is untouched.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "host/Host.h"
#include "memory/Ram.h"

namespace {

void FillPattern() {
  for (int r = 0; r < kRamRegisters; ++r) {
    for (int d = 0; d < kDigits; ++d) RamRegisters[r][d] = static_cast<uint8_t>((r * 5 + d) & 15);
  }
}

// What the image should leave: each whole record, in order, sets an existing register.
void Model(const std::string& bytes, DigitRegister* regs) {
  for (size_t at = 0; at + 9 <= bytes.size(); at += 9) {
    const auto b = [&](size_t k) { return static_cast<uint8_t>(bytes[at + k]); };
    const unsigned r = b(0) | b(1) << 8;
    if (r >= kRamRegisters || !RamExists[r]) continue;
    for (int k = 0; k < 7; ++k) {
      regs[r][2 * k] = b(2 + k) & 15;
      regs[r][2 * k + 1] = b(2 + k) >> 4;
    }
  }
}

void CheckEqual(const DigitRegister* expected) {
  for (int r = 0; r < kRamRegisters; ++r) FUZZ_CHECK(RamRegisters[r] == expected[r]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHome& home = Home();
  InputReader in(data, size);
  FreshMachine();
  // The configured ranges: "Size" and one module entry, any numbers.
  const int32_t ramSize = static_cast<int16_t>(in.Byte() << 8 | in.Byte());
  const int64_t first = static_cast<int16_t>(in.Byte() << 8 | in.Byte());
  const int64_t last = static_cast<int16_t>(in.Byte() << 8 | in.Byte());
  AddRamRange(192, 191 + static_cast<int64_t>(ramSize));
  AddRamRange(first, last);
  const std::string bytes(reinterpret_cast<const char*>(in.Rest()), in.RestSize());

  static DigitRegister expected[kRamRegisters];
  FillPattern();
  for (int r = 0; r < kRamRegisters; ++r) expected[r] = RamRegisters[r];
  Model(bytes, expected);

  ApplyRamImage(bytes);
  CheckEqual(expected);

  FillPattern();
  WriteFile(HomeFile(".RAM"), bytes);
  LoadRamImage(0);
  CheckEqual(expected);
  FUZZ_CHECK(home.host.messages.empty());

  // What is saved is read back as it was.
  const std::string saved = EncodeRamImage();
  FUZZ_CHECK(saved.size() % 9 == 0);
  FillPattern();
  ApplyRamImage(saved);
  CheckEqual(expected);
  return 0;
}
