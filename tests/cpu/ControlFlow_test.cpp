// Jumps, calls, returns, status bits, pointers, transfers and POWOFF.

#include <gtest/gtest.h>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "display/Lcd.h"
#include "memory/Rom.h"
#include "support/MachineFixture.h"
#include "timer/Zudaroz.h"

namespace {

// Class-3 word: offset -64..63, jump on carry (c = 1) or on no carry (c = 0).
constexpr uint16_t Go(int offset, int c) {
  return static_cast<uint16_t>((offset & 0x7F) << 3 | c << 2 | 3);
}
// Class-1 pair for a target; jump or call; on carry or not.
constexpr uint16_t LongFirst(uint16_t target) {
  return static_cast<uint16_t>((target & 0xFF) << 2 | 1);
}
constexpr uint16_t LongSecond(uint16_t target, bool jump, int c) {
  return static_cast<uint16_t>((target >> 8) << 2 | (jump ? 2 : 0) | c);
}
constexpr uint16_t kNop = 0x000, kRtn = 0x3E0, kRtnc = 0x360, kRtnnc = 0x3A0;
constexpr uint16_t Class0(int row, int column) {
  return static_cast<uint16_t>(row * 64 + column * 4);
}
uint16_t StTest(int d) {
  return Class0(DigitRow[d], 3);
}
uint16_t Rcr(int d) {
  return Class0(DigitRow[d], 15);
}
uint16_t PtSet(int d) {
  return Class0(DigitRow[d], 7);
}

class ControlFlowTest : public MachineTest {
 protected:
  // Runs one word at address with the given carry left by the previous instruction.
  void RunAt(uint16_t address, std::initializer_list<uint16_t> words, int prevCarry) {
    LoadWords(address, words);
    Cpu.PC = address;
    Cpu.Carry = static_cast<uint8_t>(prevCarry);
    Step();
  }
};

struct JumpCase {
  uint16_t at;
  int offset, condition, carry;
  uint16_t expected;
};

TEST_F(ControlFlowTest, RelativeJumps) {
  const JumpCase cases[] = {
      {0x1000, 1, 1, 1, 0x1001},   // offset 1 taken: like a NOP
      {0x1000, 0, 1, 1, 0x1000},   // offset 0: jumps to itself
      {0x0005, -6, 1, 1, 0xFFFF},  // wraps below 0
      {0x1000, 5, 0, 0, 0x1005},   // NC with no carry: taken
      {0x1000, 5, 0, 1, 0x1001},   // NC with carry: not taken
      {0x1000, -64, 1, 1, 0x0FC0}, {0x1000, 63, 1, 1, 0x103F}, {0xFFF0, 63, 1, 1, 0x002F},
  };
  for (const JumpCase& c : cases) {
    RunAt(c.at, {Go(c.offset, c.condition)}, c.carry);
    EXPECT_EQ(Cpu.PC, c.expected) << "offset " << c.offset << " at " << std::hex << c.at;
  }
}

TEST_F(ControlFlowTest, LongJumpsAndCalls) {
  // Jump to 0x1234 (second word's bits 9..2 = 0x12, first's = 0x34).
  RunAt(0x2000, {LongFirst(0x1234), LongSecond(0x1234, true, 0)}, 0);
  EXPECT_EQ(Cpu.PC, 0x1234);
  // Condition false: continues after both words, nothing pushed.
  RunAt(0x2000, {LongFirst(0x1234), LongSecond(0x1234, true, 1)}, 0);
  EXPECT_EQ(Cpu.PC, 0x2002);
  // Call into empty ROM: nothing happens, stack untouched.
  Cpu.Stack[0] = 0x4444;
  RunAt(0x2000, {LongFirst(0x3000), LongSecond(0x3000, false, 0)}, 0);
  EXPECT_EQ(Cpu.PC, 0x2002);
  EXPECT_EQ(Cpu.Stack[0], 0x4444);
  // A real call pushes the address after the pair; RTN returns there.
  LoadWords(0x3000, {kRtn});
  RunAt(0x2000, {LongFirst(0x3000), LongSecond(0x3000, false, 1)}, 1);
  EXPECT_EQ(Cpu.PC, 0x3000);
  EXPECT_EQ(Cpu.Stack[0], 0x2002);
  EXPECT_EQ(Cpu.Stack[1], 0x4444);
  Step();
  EXPECT_EQ(Cpu.PC, 0x2002);
}

TEST_F(ControlFlowTest, ConditionalReturnsReadOnlyThePreviousCarry) {
  Cpu.Stack[0] = 0x0500;
  RunAt(0x100, {kRtnc}, 0);
  EXPECT_EQ(Cpu.PC, 0x101);
  RunAt(0x100, {kRtnc}, 1);
  EXPECT_EQ(Cpu.PC, 0x500);
  Cpu.Stack[0] = 0x0600;
  RunAt(0x100, {kRtnnc}, 1);
  EXPECT_EQ(Cpu.PC, 0x101);
  RunAt(0x100, {kRtnnc}, 0);
  EXPECT_EQ(Cpu.PC, 0x600);
}

TEST_F(ControlFlowTest, ReturnStackHoldsFourAndPopsZeroAfter) {
  for (uint16_t a = 1; a <= 5; ++a) PushReturn(a);
  EXPECT_EQ(PopReturn(), 5);
  EXPECT_EQ(PopReturn(), 4);
  EXPECT_EQ(PopReturn(), 3);
  EXPECT_EQ(PopReturn(), 2);
  EXPECT_EQ(PopReturn(), 0);
}

TEST_F(ControlFlowTest, ResetKeepsHighStatusBitsAndStack) {
  for (auto& s : Cpu.ST) s = 1;
  Cpu.Stack[2] = 0x777;
  Cpu.DAdd = 0x55;
  CpuReset();
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Cpu.ST[i], 0);
  for (int i = 8; i < 14; ++i) EXPECT_EQ(Cpu.ST[i], 1);
  EXPECT_EQ(Cpu.Stack[2], 0x777);
  EXPECT_EQ(Cpu.DAdd, 0x55);
  EXPECT_EQ(Cpu.Base, 16);
  EXPECT_EQ(Cpu.SmartPeripheral, kNoPeripheral);
  // The first instruction after reset sees the carry set.
  LoadWords(0, {Go(5, 1)});
  Step();
  EXPECT_EQ(Cpu.PC, 5);
}

TEST_F(ControlFlowTest, TestResultReachesOnlyTheNextWord) {
  Cpu.ST[5] = 1;
  LoadWords(0x10, {StTest(5), kNop, Go(4, 1)});
  Cpu.PC = 0x10;
  RunSteps(3);
  EXPECT_EQ(Cpu.PC, 0x13);  // the NOP replaced the test's carry
  LoadWords(0x20, {StTest(5), Go(4, 1)});
  Cpu.PC = 0x20;
  RunSteps(2);
  EXPECT_EQ(Cpu.PC, 0x25);
}

TEST_F(ControlFlowTest, PointerInstructions) {
  // LC 3 at p = 0 writes C[0] and leaves p = 13; INCPT at 13 gives 0; DECPT at 0 gives 13.
  Cpu.P = 0;
  RunAt(0x10, {Class0(3, 4)}, 0);
  EXPECT_EQ(Cpu.C[0], 3);
  EXPECT_EQ(Cpu.P, 13);
  RunAt(0x10, {0x3DC}, 0);
  EXPECT_EQ(Cpu.P, 0);
  RunAt(0x10, {0x3D4}, 0);
  EXPECT_EQ(Cpu.P, 13);
  // SELQ then PT= 7 moves Q only; ?P=Q and ?PT= answer in the carry.
  RunAt(0x10, {0x0E0}, 0);
  RunAt(0x10, {PtSet(7)}, 0);
  EXPECT_EQ(Cpu.Q, 7);
  EXPECT_EQ(Cpu.P, 13);
  RunAt(0x10, {0x120}, 0);
  EXPECT_EQ(Cpu.Carry, 0);
  RunAt(0x10, {Class0(DigitRow[7], 5)}, 0);
  EXPECT_EQ(Cpu.Carry, 1);
  RunAt(0x10, {0x0A0}, 0);  // SELP
  EXPECT_EQ(Cpu.ActivePointer, &Cpu.P);
}

TEST_F(ControlFlowTest, GRegisterAtTheTopDigit) {
  SetDigits(Cpu.C, "A0000000000000");
  Cpu.G[1] = 9;
  Cpu.P = 13;
  RunAt(0x10, {0x058}, 0);  // G=C
  EXPECT_EQ(Cpu.G[0], 0xA);
  EXPECT_EQ(Cpu.G[1], 9);
  Cpu.G[0] = 5;
  Cpu.C.fill(0);
  RunAt(0x10, {0x098}, 0);  // C=G
  EXPECT_EQ(DigitsText(Cpu.C), "50000000000000");
  Cpu.P = 4;
  SetDigits(Cpu.C, "7600000");
  Cpu.G[0] = 1;
  Cpu.G[1] = 2;
  RunAt(0x10, {0x0D8}, 0);  // CGEX
  EXPECT_EQ(DigitsText(Cpu.C), "00000007210000");
  EXPECT_EQ(Cpu.G[0], 0);
  EXPECT_EQ(Cpu.G[1], 6);
}

TEST_F(ControlFlowTest, RotateAndStatusTransfers) {
  SetDigits(Cpu.C, "DCBA9876543210");
  RunAt(0x10, {Rcr(1)}, 0);
  EXPECT_EQ(DigitsText(Cpu.C), "0DCBA987654321");
  SetDigits(Cpu.C, "DCBA9876543210");
  RunAt(0x10, {Rcr(13)}, 0);
  EXPECT_EQ(DigitsText(Cpu.C), "CBA9876543210D");

  // CSTEX swaps C[1..0] and the status byte, leaving ST 8..13.
  SetDigits(Cpu.C, "5A");
  SetStatusByte(0x0F);
  Cpu.ST[9] = 1;
  RunAt(0x10, {0x3D8}, 0);
  EXPECT_EQ(DigitsText(Cpu.C), "0000000000000F");
  EXPECT_EQ(StatusByte(), 0x5A);
  EXPECT_EQ(Cpu.ST[9], 1);
  // C=ST, ST=C, CLRST, and the flag-out exchanges.
  RunAt(0x10, {0x398}, 0);
  EXPECT_EQ(DigitsText(Cpu.C), "0000000000005A");
  RunAt(0x10, {0x3C4}, 0);
  EXPECT_EQ(StatusByte(), 0);
  EXPECT_EQ(Cpu.ST[9], 1);
  RunAt(0x10, {0x358}, 0);
  EXPECT_EQ(StatusByte(), 0x5A);
  RunAt(0x10, {0x258}, 0);  // F=SB
  EXPECT_EQ(Cpu.FO, 0x5A);
  SetStatusByte(0x11);
  RunAt(0x10, {0x2D8}, 0);  // FEXSB
  EXPECT_EQ(Cpu.FO, 0x11);
  EXPECT_EQ(StatusByte(), 0x5A);
  RunAt(0x10, {0x298}, 0);  // SB=F
  EXPECT_EQ(StatusByte(), 0x11);
}

TEST_F(ControlFlowTest, StackAndAddressTransfers) {
  SetDigits(Cpu.C, "1234000");
  RunAt(0x10, {0x170}, 0);  // STK=C
  EXPECT_EQ(Cpu.Stack[0], 0x1234);
  Cpu.C.fill(0xF);
  RunAt(0x10, {0x1B0}, 0);  // C=STK
  EXPECT_EQ(DigitsText(Cpu.C), "FFFFFFF1234FFF");
  RunAt(0x10, {0x1E0}, 0);  // GOTOC
  EXPECT_EQ(Cpu.PC, 0x1234);
}

TEST_F(ControlFlowTest, RegisterCopiesAndLogic) {
  SetDigits(Cpu.C, "1234");
  SetDigits(Cpu.A, "0F0F");
  RunAt(0x10, {0x370}, 0);  // C=C!A
  EXPECT_EQ(DigitsText(Cpu.C), "00000000001F3F");
  RunAt(0x10, {0x3B0}, 0);  // C=C&A
  EXPECT_EQ(DigitsText(Cpu.C), "00000000000F0F");
  RunAt(0x10, {0x158}, 0);  // M=C
  SetDigits(Cpu.C, "77");
  RunAt(0x10, {0x1D8}, 0);  // CMEX
  EXPECT_EQ(DigitsText(Cpu.C), "00000000000F0F");
  EXPECT_EQ(DigitsText(Cpu.M), "00000000000077");
  RunAt(0x10, {0x070}, 0);  // N=C
  RunAt(0x10, {0x1A0}, 0);  // CLRABC
  EXPECT_EQ(DigitsText(Cpu.C), "00000000000000");
  EXPECT_EQ(DigitsText(Cpu.A), "00000000000000");
  RunAt(0x10, {0x0B0}, 0);  // C=N
  EXPECT_EQ(DigitsText(Cpu.C), "00000000000F0F");
  RunAt(0x10, {0x2A0}, 0);
  EXPECT_EQ(Cpu.Base, 10);
  RunAt(0x10, {0x260}, 0);
  EXPECT_EQ(Cpu.Base, 16);
}

TEST_F(ControlFlowTest, PowoffIntoLightSleepArmsTheAutoOffOnlyWithTheDisplaySelected) {
  Cpu.PfAd = 0xFD;
  RunAt(0x1234, {0x060}, 0);
  EXPECT_EQ(Cpu.Awake, 0);
  EXPECT_EQ(Cpu.PC, 0);
  EXPECT_EQ(Cpu.Carry, 0);
  EXPECT_TRUE(TimerThreadSuspended());
  EXPECT_EQ(AutoOffDeadline, static_cast<int32_t>(host.TickCount() + 600000));

  InitMachine();
  AutoOffDeadline = 77;
  Cpu.PfAd = 0x20;
  RunAt(0x1234, {0x060}, 0);
  EXPECT_EQ(AutoOffDeadline, 77);
}

TEST_F(ControlFlowTest, PowoffIntoDeepSleepSetsCarryTimerStatusAndRedraws) {
  displayOn = 0;
  TimerStatus = 0x1FFF;
  const int redraws = panel.redraws;
  RunAt(0x1234, {0x060}, 0);
  EXPECT_EQ(Cpu.Awake, 0);
  EXPECT_EQ(Cpu.Carry, 1);
  EXPECT_EQ(TimerStatus, 0x140u);
  EXPECT_EQ(panel.redraws, redraws + 1);
  EXPECT_EQ(displayDirty, 0);  // the redraw cleared it
}

TEST_F(ControlFlowTest, PowoffSelectsBankZero) {
  StoreRom(0x8000, 0, 0x060);  // POWOFF in page 8, bank 0
  StoreRom(0x8000, 1, 0x060);
  SelectBank(0x8000, 1);
  ASSERT_EQ(CurrentBank[8], 1);
  Cpu.PC = 0x8000;
  Step();
  EXPECT_EQ(CurrentBank[8], 0);
}

TEST_F(ControlFlowTest, SpeakerFollowsFlagOutWhenSoundIsOn) {
  Sound = 1;
  SetStatusByte(0x01);
  RunAt(0x10, {0x258}, 0);  // F=SB
  EXPECT_TRUE(host.speakerOn);
  SetStatusByte(0);
  RunAt(0x10, {0x258}, 0);
  EXPECT_FALSE(host.speakerOn);
  Sound = 0;
  SetStatusByte(0x01);
  RunAt(0x10, {0x258}, 0);
  EXPECT_FALSE(host.speakerOn);
}

}  // namespace
