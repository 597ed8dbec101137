// The dispatch table against the class-0 map, and the step sequence.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "cpu/Handlers.h"
#include "memory/Rom.h"
#include "support/Class0Map.h"
#include "support/MachineFixture.h"

namespace {

const std::map<std::string, Handler>& Handlers() {
  static const std::map<std::string, Handler> m = {
      {"-", OpNop},          {"NOP", OpNop},        {"HPIL=C", OpNop},     {"ROMBLK", OpNop},
      {"WPTOG", OpNop},      {"?LLD", OpNop},       {"CLREGS", OpNop},     {"WMLDL", OpWmldl},
      {"ENROM0", OpEnrom},   {"ENROM1", OpEnrom},   {"ENROM2", OpEnrom},   {"ENROM3", OpEnrom},
      {"ST=0", OpStClear},   {"ST=1", OpStSet},     {"?ST=1", OpStTest},   {"LC", OpLc},
      {"?PT=", OpPtTest},    {"PT=", OpPtSet},      {"SELPF", OpSelpf},    {"REGN=C", OpRegnEqC},
      {"?F=1", OpFlagTest},  {"C=REGN", OpCEqRegn}, {"RCR", OpRcr},        {"SPOPND", OpSpopnd},
      {"POWOFF", OpPowoff},  {"SELP", OpSelp},      {"SELQ", OpSelq},      {"?P=Q", OpPEqQ},
      {"CLRABC", OpClrabc},  {"GOTOC", OpGotoc},    {"C=KEYS", OpCEqKeys}, {"SETHEX", OpSethex},
      {"SETDEC", OpSetdec},  {"RTNC", OpRtnc},      {"RTNNC", OpRtnnc},    {"RTN", OpRtn},
      {"G=C", OpGEqC},       {"C=G", OpCEqG},       {"CGEX", OpCgex},      {"M=C", OpMEqC},
      {"C=M", OpCEqM},       {"CMEX", OpCmex},      {"F=SB", OpFEqSb},     {"SB=F", OpSbEqF},
      {"FEXSB", OpFexsb},    {"ST=C", OpStEqC},     {"C=ST", OpCEqSt},     {"CSTEX", OpCstex},
      {"N=C", OpNEqC},       {"C=N", OpCEqN},       {"CNEX", OpCnex},      {"LDI", OpLdi},
      {"STK=C", OpStkEqC},   {"C=STK", OpCEqStk},   {"GOKEYS", OpGokeys},  {"DADD=C", OpDaddEqC},
      {"DATA=C", OpDataEqC}, {"CXISA", OpCxisa},    {"C=C!A", OpCOrA},     {"C=C&A", OpCAndA},
      {"PFAD=C", OpPfadEqC}, {"CLRST", OpClrst},    {"RSTKB", OpRstkb},    {"CHKKB", OpChkkb},
      {"DECPT", OpDecpt},    {"INCPT", OpIncpt},
  };
  return m;
}

class DispatchTest : public MachineTest {};

TEST_F(DispatchTest, EveryWordReachesTheHandlerOfItsClassOrMapCell) {
  BuildDispatchTable();  // without the LCD driver's two words
  for (int w = 0; w < 1024; ++w) {
    Handler expected;
    switch (w & 3) {
      case 0: {
        const std::string name = kClass0Map[w >> 6][(w >> 2) & 15];
        if (name == "DISOFF" || name == "DISTOG") continue;
        ASSERT_TRUE(Handlers().count(name)) << name;
        expected = Handlers().at(name);
        break;
      }
      case 1:
        expected = Class1;
        break;
      case 2:
        expected = Class2;
        break;
      default:
        expected = Class3;
        break;
    }
    EXPECT_EQ(DispatchTable[w], expected) << "word " << std::hex << w;
  }
}

// The digit a row carries, checked through the status instructions.
TEST_F(DispatchTest, DigitRowsAreTheInverseOfRowDigit) {
  for (int row = 0; row < 16; ++row) {
    if (RowDigit[row] < 0) continue;
    EXPECT_EQ(DigitRow[RowDigit[row]], row);
    for (auto& s : Cpu.ST) s = 0;
    DispatchTable[row * 64 + 8](static_cast<uint16_t>(row * 64 + 8));  // ST=1 d
    EXPECT_EQ(Cpu.ST[RowDigit[row]], 1) << "row " << row;
  }
}

TEST_F(DispatchTest, NoOpWordsChangeOnlyTheStepBookkeeping) {
  for (uint16_t w : {0x000, 0x034, 0x3F4, 0x1C4, 0x1C8, 0x1CC, 0x1D4, 0x1DC, 0x1EC, 0x1FC, 0x3EC,
                     0x3FC, 0x200, 0x3C0, 0x030, 0x1F0, 0x160, 0x2B0}) {
    InitMachine();
    SetDigits(Cpu.A, "123");
    Cpu.Stack[0] = 0x1234;
    Cpu.ST[3] = 1;
    LoadWords(0x100, {w});
    Cpu.PC = 0x100;
    Step();
    EXPECT_EQ(Cpu.PC, 0x101) << std::hex << w;
    EXPECT_EQ(Cpu.LastPC, 0x100);
    EXPECT_EQ(Cpu.Carry, 0);
    EXPECT_EQ(Cpu.PrevCarry, 1);  // from reset
    EXPECT_EQ(Cpu.CycleCount, 1u);
    EXPECT_EQ(DigitsText(Cpu.A), "00000000000123");
    EXPECT_EQ(DigitsText(Cpu.C), "00000000000000");
    EXPECT_EQ(Cpu.Stack[0], 0x1234);
    EXPECT_EQ(Cpu.ST[3], 1);
    EXPECT_EQ(Cpu.DAdd, 0);
    EXPECT_EQ(Cpu.PfAd, 0);
  }
}

TEST_F(DispatchTest, StepWrapsAtTheTopOfTheAddressSpace) {
  Cpu.PC = 0xFFFF;
  Step();
  EXPECT_EQ(Cpu.PC, 0x0000);
  EXPECT_EQ(Cpu.LastPC, 0xFFFF);
}

TEST_F(DispatchTest, SmartPeripheralSkipsWordsUntilBitZero) {
  // SELPF 5, two words that would change C if executed, a word with bit 0 set, then LC 7.
  LoadWords(0, {0x164, 0x1D0, 0x0AE, 0x0A3, 0x1D0});
  Cpu.P = 0;
  RunSteps(3);
  EXPECT_EQ(Cpu.SmartPeripheral, 5);
  EXPECT_EQ(DigitsText(Cpu.C), "00000000000000");
  Step();  // bit 0 set: consumed by the peripheral, control returns
  EXPECT_EQ(Cpu.SmartPeripheral, kNoPeripheral);
  EXPECT_EQ(DigitsText(Cpu.C), "00000000000000");
  Step();
  EXPECT_EQ(Cpu.C[0], 7);
}

// Step itself never waits: the CPU thread paces normal speed (PaceStep), so the debugger's
// single step and the headless runner run at full speed whatever Ticks is.
TEST_F(DispatchTest, SpeedDelayIsSkippedWhereItMustBe) {
  Ticks = 2047;  // 1.27 ms per instruction when paced
  const auto start = std::chrono::steady_clock::now();
  RunSteps(200);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

TEST_F(DispatchTest, ErrorReportFormatsAndStopsTheMachine) {
  Cpu.Running = 1;
  Cpu.LastPC = 0x1A;
  Cpu.CycleCount = 1234;
  ReportCpuError(0, "Cannot load module file: /x/y.rom");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0],
            "Cannot load module file: /x/y.rom\r\n\r\nCPU: OP=000 PC=001A Cycle=1234");
  EXPECT_EQ(Cpu.Running, 0);
}

}  // namespace
