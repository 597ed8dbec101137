// RAM, program memory, peripheral and keyboard instructions.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "cpu/Handlers.h"
#include "cpu/RunLoop.h"
#include "display/Lcd.h"
#include "frontpanel/Keys.h"
#include "memory/Ram.h"
#include "memory/Rom.h"
#include "support/MachineFixture.h"

namespace {

constexpr uint16_t Class0(int row, int column) {
  return static_cast<uint16_t>(row * 64 + column * 4);
}
constexpr uint16_t CEqRegn(int n) {
  return Class0(n, 14);
}
constexpr uint16_t RegnEqC(int n) {
  return Class0(n, 10);
}
constexpr uint16_t kDataEqC = 0x2F0, kDaddEqC = 0x270, kPfadEqC = 0x3F0, kCxisa = 0x330,
                   kLdi = 0x130, kWmldl = 0x040, kChkkb = 0x3CC, kRstkb = 0x3C8, kCEqKeys = 0x220,
                   kGokeys = 0x230;

class MemoryIoTest : public MachineTest {
 protected:
  void Exec(uint16_t word) {
    LoadWords(0x0800, {word});
    Cpu.PC = 0x0800;
    Step();
  }
};

TEST_F(MemoryIoTest, RegisterNumberChangesTheDataAddressForGood) {
  AddRamRange(0x0C0, 0x0CF);
  SetDigits(RamRegisters[0x0C3], "33");
  SetDigits(RamRegisters[0x0C0], "10");
  Cpu.DAdd = 0x0C5;
  Exec(CEqRegn(3));
  EXPECT_EQ(Cpu.DAdd, 0x0C3);
  EXPECT_EQ(DigitsText(Cpu.C), "00000000000033");
  Exec(CEqRegn(0));  // row 0 uses DAdd unchanged
  EXPECT_EQ(DigitsText(Cpu.C), "00000000000033");
  SetDigits(Cpu.C, "ABC");
  Cpu.DAdd = 0x0C5;
  Exec(RegnEqC(0));  // REGN=C 0 does change it
  EXPECT_EQ(Cpu.DAdd, 0x0C0);
  EXPECT_EQ(DigitsText(RamRegisters[0x0C0]), "00000000000ABC");
  SetDigits(Cpu.C, "DEF");
  Exec(kDataEqC);
  EXPECT_EQ(DigitsText(RamRegisters[0x0C0]), "00000000000DEF");
}

TEST_F(MemoryIoTest, PresentRamWinsOverADevice) {
  Cpu.PfAd = 0xFD;
  Cpu.DAdd = 0x005;
  SetDigits(Cpu.C, "41");
  const uint8_t before = LcdA[11];
  Exec(RegnEqC(7));
  EXPECT_EQ(DigitsText(RamRegisters[7]), "00000000000041");
  EXPECT_EQ(LcdA[11], before);
}

TEST_F(MemoryIoTest, AbsentRegisterWithoutDeviceReadsZeroAndIgnoresWrites) {
  Cpu.PfAd = 0x20;
  Cpu.DAdd = 0x3F5;
  SetDigits(Cpu.C, "FFFF");
  Exec(CEqRegn(3));
  EXPECT_EQ(DigitsText(Cpu.C), "00000000000000");
  EXPECT_EQ(Cpu.DAdd, 0x3F3);
  SetDigits(Cpu.C, "1");
  Exec(RegnEqC(4));
  EXPECT_EQ(Cpu.DAdd, 0x3F4);
  EXPECT_EQ(RamExists[0x3F4], 0);
}

TEST_F(MemoryIoTest, AddressAndPeripheralSelectStayInRange) {
  SetDigits(Cpu.C, "FFF");
  Exec(kDaddEqC);
  EXPECT_EQ(Cpu.DAdd, 0x3FF);
  Exec(kPfadEqC);
  EXPECT_EQ(Cpu.PfAd, 0xFF);
}

TEST_F(MemoryIoTest, ProgramMemoryReadsAndWrites) {
  StoreRom(0x4321, 0, 0x2AB);
  SetDigits(Cpu.C, "FF4321000");
  Exec(kCxisa);
  EXPECT_EQ(DigitsText(Cpu.C), "00000FF43212AB");
  SetDigits(Cpu.C, "5000000");  // empty page
  Exec(kCxisa);
  EXPECT_EQ(DigitsText(Cpu.C), "00000005000000");

  // LDI at 0x1000 loads the word at 0x1001 and continues at 0x1002.
  LoadWords(0x1000, {kLdi, 0x05A});
  Cpu.PC = 0x1000;
  Step();
  EXPECT_EQ(Cpu.PC, 0x1002);
  EXPECT_EQ(Cpu.C[2] << 8 | Cpu.C[1] << 4 | Cpu.C[0], 0x05A);

  // WMLDL cannot write pages 0..3; at 0x4000 it creates the block of the current bank.
  SetDigits(Cpu.C, "3FFF123");
  Exec(kWmldl);
  EXPECT_EQ(FetchRom(0x3FFF), 0);
  EXPECT_EQ(RomPages[3][0].load(), nullptr);
  SetDigits(Cpu.C, "8000FFF");
  Exec(kWmldl);
  EXPECT_EQ(FetchRom(0x8000), 0x3FF);
  SetDigits(Cpu.C, "4000123");
  Exec(kWmldl);
  EXPECT_EQ(FetchRom(0x4000), 0x123);
}

TEST_F(MemoryIoTest, EnromSwitchesByTheExecutingAddress) {
  StoreRom(0x5000, 0, 0x222);
  StoreRom(0x5000, 1, 0x111);
  LoadWords(0x3123, {0x180});  // ENROM1 in page 3 switches page 5
  Cpu.PC = 0x3123;
  Step();
  EXPECT_EQ(FetchRom(0x5000), 0x111);
  StoreRom(0x5123, 1, 0x100);  // ENROM0 in page 5, bank 1
  Cpu.PC = 0x5123;
  Step();
  EXPECT_EQ(CurrentBank[5], 0);
  EXPECT_EQ(FetchRom(0x5000), 0x222);
}

TEST_F(MemoryIoTest, FlagInputsAndSmartPeripheralSelect) {
  Cpu.FI[13] = 1;
  Exec(Class0(DigitRow[13], 11));
  EXPECT_EQ(Cpu.Carry, 1);
  Exec(Class0(DigitRow[12], 11));
  EXPECT_EQ(Cpu.Carry, 0);
  Exec(0x160);  // ?LLD is always false
  EXPECT_EQ(Cpu.Carry, 0);
  Exec(Class0(9, 9));
  EXPECT_EQ(Cpu.SmartPeripheral, 9);
}

TEST_F(MemoryIoTest, KeyboardFlagFollowsPressReleaseAndSensitivity) {
  struct Case {
    int sensitivity, rstkbWithFlagSet;
  } cases[] = {{1, 0}, {0, 0}, {3, 2}};
  for (const Case& c : cases) {
    InitMachine();
    Sensitivity = c.sensitivity;
    Exec(kRstkb);  // the first RSTKB after reset raises the flag
    Exec(kRstkb);  // and the next, with no key, clears it
    Exec(kChkkb);
    ASSERT_EQ(Cpu.Carry, 0);

    KeyPressed(1);
    Exec(kChkkb);
    EXPECT_EQ(Cpu.Carry, 1);
    EXPECT_EQ(Cpu.KEYS, 0x18);
    Exec(kRstkb);  // a held key: nothing changes
    Exec(kChkkb);
    EXPECT_EQ(Cpu.Carry, 1);
    KeyReleased();
    for (int i = 0; i < c.rstkbWithFlagSet; ++i) {
      Exec(kRstkb);
      Exec(kChkkb);
      EXPECT_EQ(Cpu.Carry, 1) << "sensitivity " << c.sensitivity << " rstkb " << i;
    }
    Exec(kRstkb);
    Exec(kChkkb);
    EXPECT_EQ(Cpu.Carry, 0) << "sensitivity " << c.sensitivity;
    EXPECT_EQ(Cpu.KEYS, 0);
  }
}

TEST_F(MemoryIoTest, FirstRstkbAfterResetReportsAKey) {
  Cpu.KEYS = 0x87;
  Exec(kRstkb);
  Exec(kChkkb);
  EXPECT_EQ(Cpu.Carry, 1);
  EXPECT_EQ(Cpu.KEYS, 0x87);
}

TEST_F(MemoryIoTest, KeyCodeReachesCAndGokeys) {
  Cpu.KEYS = 0x87;
  SetDigits(Cpu.C, "FFFFFF");
  Exec(kCEqKeys);
  EXPECT_EQ(DigitsText(Cpu.C), "00000000F87FFF");
  LoadWords(0x1234, {kGokeys});
  Cpu.PC = 0x1234;
  Step();
  EXPECT_EQ(Cpu.PC, 0x1287);
  LoadWords(0x12FF, {kGokeys});
  Cpu.PC = 0x12FF;
  Step();
  EXPECT_EQ(Cpu.PC, 0x1387);
}

TEST_F(MemoryIoTest, ChkkbRedrawsAtNormalSpeedOnly) {
  displayDirty = 1;
  const int before = panel.redraws;
  Turbo = 1;
  Exec(kChkkb);
  EXPECT_EQ(panel.redraws, before);
  Turbo = 0;
  Exec(kChkkb);
  EXPECT_EQ(panel.redraws, before + 1);
  EXPECT_EQ(displayDirty, 0);
}

TEST_F(MemoryIoTest, KeyHeldInTurboPausesTurbo) {
  Turbo = 1;
  displayDirty = 1;
  const int before = panel.redraws;
  KeyPressed(52);
  EXPECT_EQ(Turbo, 0);
  EXPECT_EQ(TurboSuspended, 1);
  EXPECT_EQ(panel.redraws, before + 1);
  KeyReleased();
  EXPECT_EQ(Turbo, 1);
  EXPECT_EQ(TurboSuspended, 0);
  EXPECT_EQ(Cpu.KeyDown, -1);
}

TEST_F(MemoryIoTest, ShortClickIsHeldUntilAKeyboardCheckSawIt) {
  struct Case {
    const char* what;
    bool running, awake, checkFirst;
    int key, second;           // second: a press right after the release (-1 none)
    int afterRelease, afterCheck;  // KeyDown then
  } cases[] = {
      {"unseen: held for the check", true, true, false, 52, -1, 52, -1},
      {"seen: released at once", true, true, true, 52, -1, -1, -1},
      {"no CPU running: released at once", false, true, false, 52, -1, -1, -1},
      {"a newer press stays down", true, true, false, 52, 53, 53, 53},
      {"asleep, display off: never seen, dropped", true, false, false, 52, -1, 52, -1},
      {"asleep, display off, ON: wakes and is seen", true, false, false, 1, -1, 1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InitMachine();
    Cpu.Running = c.running;
    Cpu.Awake = c.awake;
    displayOn = 0;
    KeyPressed(c.key);
    if (c.checkFirst) Exec(kChkkb);
    KeyReleased();
    if (c.second != -1) KeyPressed(c.second);
    EXPECT_EQ(Cpu.KeyDown, c.afterRelease);
    if (!Cpu.Awake) IdlePoll();
    if (Cpu.Awake) {
      Exec(kChkkb);
      EXPECT_EQ(Cpu.Carry, 1);
      EXPECT_EQ(Cpu.KEYS, KeyCode(c.second != -1 ? c.second : c.key));
    }
    EXPECT_EQ(Cpu.KeyDown, c.afterCheck);
  }
}

TEST_F(MemoryIoTest, RstkbCountingDownNeverOverwritesANewPress) {
  // RSTKB counts down a long release in one thread while presses arrive from another: each
  // press's count must be its own, not the count of the release before it.
  std::atomic<bool> stop{false};
  std::atomic<uint64_t> rounds{0};
  std::thread cpu([&] {
    while (!stop) {
      OpRstkb(0);
      rounds.fetch_add(1);
    }
  });
  int overwritten = 0;
  for (int i = 0; i < 1000; ++i) {
    Sensitivity = 1'000'000'000;
    KeyPressed(52);
    KeyReleased();  // the count now runs down from a billion
    Sensitivity = 1000;
    KeyPressed(53);
    const uint64_t pressed = rounds;
    while (rounds < pressed + 2) std::this_thread::yield();
    if (Cpu.ReleaseCount > 1000) ++overwritten;
  }
  stop = true;
  cpu.join();
  EXPECT_EQ(overwritten, 0);
}

}  // namespace
