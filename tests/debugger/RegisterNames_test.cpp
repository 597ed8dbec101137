// Registers named as the debugger labels them: lookup, writing as typed in a field, reading back.

#include "debugger/RegisterNames.h"

#include <gtest/gtest.h>

#include "cpu/Cpu.h"
#include "memory/Ram.h"
#include "support/MachineFixture.h"
#include "timer/Zudaroz.h"

namespace {

class RegisterNamesTest : public MachineTest {};

TEST_F(RegisterNamesTest, WritesAndShowsByName) {
  AddRamRange(0x100, 0x1FF);
  const struct {
    const char* name;
    const char* value;
    const char* shown;  // as read back, or nullptr when the value is refused
  } cases[] = {
      {"A", "12345678ABCDEF", "12345678ABCDEF"},
      {"c", "5", "00000000000005"},  // any case; digits fill from the right
      {"PC", "1A2B", "1A2B"},
      {"pfad", "FB", "FB"},
      {"Cy", "1", "1"},
      {"ST", "00000000000101", "00000000000101"},
      {"CLA", "00315567360000", "00315567360000"},
      {"SR", "540", "0540"},
      {"TR", "00100", "00100"},
      {"R:X", "11", "00000000000011"},  // status register 3
      {"R:1ff", "22", "00000000000022"},
      {"R:0x100", "33", "00000000000033"},
      {"A", "12G4", nullptr},
      {"PC", "", nullptr},
      {"R:200", "1", nullptr},  // not present
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + "=" + c.value);
    std::string error;
    const auto r = FindRegister(c.name, error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(SetRegister(*r, c.value, error), c.shown != nullptr) << error;
    if (c.shown) {
      EXPECT_EQ(ShowRegister(*r), c.shown);
    }
  }
  EXPECT_EQ(Cpu.PC, 0x1A2B);
  EXPECT_EQ(TimerStatus.load(), 0x540u);
  EXPECT_EQ(RamRegisters[3][1], 1);
  EXPECT_EQ(RamRegisters[0x100][1], 3);
}

TEST_F(RegisterNamesTest, RefusesNamesThatNameNothing) {
  for (const char* name : {"", "Z", "PC=", "R:", "R:400", "R:c:r", "R:POWOFF", "R:|-", "KEYS"}) {
    std::string error;
    EXPECT_FALSE(FindRegister(name, error)) << name;
    EXPECT_NE(error.find(name), std::string::npos) << error;
  }
  std::string error;
  const auto r = FindRegister("R:300", error);
  ASSERT_TRUE(r);
  EXPECT_FALSE(RegisterExists(*r, error));
  EXPECT_EQ(error, "RAM register 300 does not exist");
}

}  // namespace
