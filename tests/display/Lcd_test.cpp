// The LCD driver: register shifts, annunciators, contrast, DISOFF / DISTOG, decoding and the
// redraw with its caches, driven through the CPU's peripheral instructions.

#include "display/Lcd.h"

#include <string>
#include <vector>

#include "cpu/Cpu.h"
#include "memory/Ram.h"
#include "support/MachineFixture.h"

namespace {

constexpr uint16_t kDataEqC = 0x2F0;
constexpr uint16_t kDisoff = 0x2E0;
constexpr uint16_t kDistog = 0x320;
constexpr uint16_t kChkkb = 0x3CC;
uint16_t CEqRegn(int n) {
  return static_cast<uint16_t>(n * 64 + 0x38);
}
uint16_t RegnEqC(int n) {
  return static_cast<uint16_t>(n * 64 + 0x28);
}

const std::string kBlank12(12, ' ');
const std::string kBlank36(36, ' ');

// A display register as hexadecimal digits, position 0 (the leftmost character) first.
std::string RegText(const std::atomic<uint8_t>* r) {
  std::string s;
  for (int i = 0; i < kLcdPositions; ++i) s += "0123456789ABCDEF"[r[i].load() & 15];
  return s;
}
void SetReg(std::atomic<uint8_t>* r, const std::string& hex) {
  for (int i = 0; i < kLcdPositions; ++i) {
    const char c = hex[i];
    r[i] = static_cast<uint8_t>(c <= '9' ? c - '0' : c - 'A' + 10);
  }
}
// The 7-bit character code of a position.
int Code(int i) {
  return (LcdC[i] & 1) * 64 + (LcdB[i] & 3) * 16 + LcdA[i];
}
void SetCode(int i, int code) {
  LcdA[i] = code & 15;
  LcdB[i] = (LcdB[i] & 12) | ((code >> 4) & 3);
  LcdC[i] = (code >> 6) & 1;
}

class LcdTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    ASSERT_FALSE(RamExists[0x3F0]);
    Cpu.DAdd = 0x3F0;  // no RAM register here, so the device answers
    Cpu.PfAd = 0xFD;
    contrast = 15;
  }
  void TearDown() override {
    Cpu.ST[13] = 0;  // CpuReset keeps ST 8..13
    romSignatureMatch = false;
    MachineTest::TearDown();
  }
  // Executes one instruction word through the step sequence.
  void Exec(uint16_t word) {
    LoadWords(0x0100, {word});
    Cpu.PC = 0x0100;
    RunSteps(1);
  }
};

TEST_F(LcdTest, InitShowsTwelveBlanksAndNoAnnunciators) {
  // Disturb everything lcdInit is responsible for, then initialise again.
  SetReg(LcdA, "123456789ABC");
  SetReg(LcdB, "FFFFFFFFFFFF");
  SetReg(LcdC, "111111111111");
  LcdE = 0xFFF;
  displayOn = 0;
  displayDirty = 1;
  lcdInit();
  for (int i = 0; i < kLcdPositions; ++i) {
    EXPECT_EQ(Code(i), 0x20) << "position " << i;
    EXPECT_EQ(LcdB[i] >> 2, 0) << "punctuation at " << i;
  }
  EXPECT_EQ(LcdE, 0u);
  EXPECT_EQ(displayOn, 1);
  EXPECT_EQ(displayDirty, 0);

  panel.redrawDisplay();
  EXPECT_EQ(panel.chars, kBlank12);
  EXPECT_EQ(panel.punct, kBlank12);
  EXPECT_EQ(panel.ann, kBlank36);
}

// Every read and write sub-operation from a known state: registers A, B, C hold
// "0123456789AB", "CDEF01234567" and "101100111000" (position 0 first) and CPU register C holds
// C[k] = k + 2 for writes, all F for reads (reads other than 5 must clear it first).
TEST_F(LcdTest, SubOperationsShiftTheRightRegistersAtTheRightEnd) {
  struct Case {
    bool write;
    int n;
    const char* a;
    const char* b;
    const char* c;
    const char* cpuC;  // most significant digit first
    bool dirty;
  };
  const char* kWriteC = "FEDCBA98765432";
  const std::vector<Case> cases = {
      // Writes.
      {true, 0, "DCBA98765432", "CDEF01234567", "101100111000", kWriteC, true},
      {true, 1, "0123456789AB", "DCBA98765432", "101100111000", kWriteC, true},
      {true, 2, "0123456789AB", "CDEF01234567", "101010101010", kWriteC, true},
      {true, 3, "CA8642012345", "DB9753CDEF01", "101100111000", kWriteC, true},
      {true, 4, "B85201234567", "C963CDEF0123", "101010110011", kWriteC, true},
      {true, 5, "6789AB2468AC", "2345673579BD", "101100111000", kWriteC, true},
      {true, 6, "456789AB258B", "01234567369C", "001110000101", kWriteC, true},
      {true, 7, "20123456789A", "CDEF01234567", "101100111000", kWriteC, true},
      {true, 8, "0123456789AB", "2CDEF0123456", "101100111000", kWriteC, true},
      {true, 9, "0123456789AB", "CDEF01234567", "010110011100", kWriteC, true},
      {true, 10, "123456789AB2", "CDEF01234567", "101100111000", kWriteC, true},
      {true, 11, "0123456789AB", "DEF012345672", "101100111000", kWriteC, true},
      {true, 12, "20123456789A", "3CDEF0123456", "101100111000", kWriteC, true},
      {true, 13, "123456789AB2", "DEF012345673", "101100111000", kWriteC, true},
      {true, 14, "20123456789A", "3CDEF0123456", "010110011100", kWriteC, true},
      {true, 15, "123456789AB2", "DEF012345673", "011001110000", kWriteC, true},
      // Reads.
      {false, 0, "0123456789AB", "CDEF01234567", "101100111000", "00BA9876543210", false},
      {false, 1, "0123456789AB", "CDEF01234567", "101100111000", "0076543210FEDC", false},
      {false, 2, "0123456789AB", "CDEF01234567", "101100111000", "00000111001101", false},
      {false, 3, "6789AB012345", "234567CDEF01", "101100111000", "001504F3E2D1C0", false},
      {false, 4, "456789AB0123", "01234567CDEF", "001110001011", "001F31E20D11C0", false},
      {false, 6, "0123456789AB", "CDEF01234567", "011001110001", "00000000000001", false},
      {false, 7, "B0123456789A", "CDEF01234567", "101100111000", "0000000000000B", false},
      {false, 8, "0123456789AB", "7CDEF0123456", "101100111000", "00000000000007", false},
      {false, 9, "0123456789AB", "CDEF01234567", "010110011100", "00000000000000", false},
      {false, 10, "123456789AB0", "CDEF01234567", "101100111000", "00000000000000", false},
      {false, 11, "0123456789AB", "DEF01234567C", "101100111000", "0000000000000C", false},
      {false, 12, "B0123456789A", "7CDEF0123456", "101100111000", "0000000000007B", false},
      {false, 13, "123456789AB0", "DEF01234567C", "101100111000", "000000000000C0", false},
      {false, 14, "B0123456789A", "7CDEF0123456", "010110011100", "0000000000007B", true},
      {false, 15, "123456789AB0", "DEF01234567C", "011001110001", "000000000001C0", true},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE((t.write ? "write " : "read ") + std::to_string(t.n));
    SetReg(LcdA, "0123456789AB");
    SetReg(LcdB, "CDEF01234567");
    SetReg(LcdC, "101100111000");
    displayDirty = 0;
    SetDigits(Cpu.C, t.write ? kWriteC : "FFFFFFFFFFFFFF");
    Exec(t.write ? RegnEqC(t.n) : CEqRegn(t.n));
    EXPECT_EQ(RegText(LcdA), t.a);
    EXPECT_EQ(RegText(LcdB), t.b);
    EXPECT_EQ(RegText(LcdC), t.c);
    EXPECT_EQ(DigitsText(Cpu.C), t.cpuC);
    EXPECT_EQ(displayDirty, t.dirty ? 1 : 0);
  }
  EXPECT_EQ(panel.redraws, 0);  // deferred mode: nothing is drawn by the handlers
}

TEST_F(LcdTest, TwelveCharacterWriteReadsBackReversed) {
  for (int n : {0, 1, 2}) {
    SCOPED_TRACE(n);
    SetDigits(Cpu.C, "00BA9876543210");  // C[k] = k
    Exec(RegnEqC(n));
    SetDigits(Cpu.C, "FFFFFFFFFFFFFF");
    Exec(CEqRegn(n));
    for (int k = 0; k < 12; ++k) {
      const int expected = n == 2 ? (11 - k) & 1 : 11 - k;  // LcdC keeps one bit
      EXPECT_EQ(Cpu.C[k], expected) << "C[" << k << "]";
    }
    EXPECT_EQ(Cpu.C[12], 0);
    EXPECT_EQ(Cpu.C[13], 0);
  }
}

TEST_F(LcdTest, ReadThreeTwiceReturnsBothHalvesAndRestoresTheRegisters) {
  SetReg(LcdA, "0123456789AB");
  SetReg(LcdB, "CDEF01234567");
  Exec(CEqRegn(3));
  EXPECT_EQ(DigitsText(Cpu.C), "001504F3E2D1C0");  // positions 0..5
  Exec(CEqRegn(3));
  EXPECT_EQ(DigitsText(Cpu.C), "007B6A59483726");  // positions 6..11
  EXPECT_EQ(RegText(LcdA), "0123456789AB");
  EXPECT_EQ(RegText(LcdB), "CDEF01234567");
}

TEST_F(LcdTest, AnnunciatorsAreWrittenByDataAndReadByFive) {
  SetDigits(Cpu.C, "12345678900ABC");
  Exec(kDataEqC);
  EXPECT_EQ(LcdE, 0xABCu);
  EXPECT_EQ(displayDirty, 1);
  EXPECT_EQ(panel.redraws, 0);

  LcdE = 0x5A3;
  SetDigits(Cpu.C, "FEDCBA98765432");
  Exec(CEqRegn(5));
  EXPECT_EQ(DigitsText(Cpu.C), "FEDCBA987655A3");  // C[3..13] keep their values
}

TEST_F(LcdTest, Distog) {
  struct Case {
    bool st13;
    bool dirtyBefore;
    int redraws;
    bool dirtyAfter;
  };
  const Case cases[] = {
      {false, false, 0, true},
      {false, true, 1, true},  // the pending change is drawn first
      {true, false, 0, false},
      {true, true, 0, true},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(testing::Message() << "ST13 " << t.st13 << " dirty " << t.dirtyBefore);
    for (uint8_t on : {0, 1}) {
      displayOn = on;
      displayDirty = t.dirtyBefore;
      Cpu.ST[13] = t.st13;
      const int before = panel.redraws;
      Exec(kDistog);
      EXPECT_EQ(displayOn, on ? 0 : 1);
      EXPECT_EQ(panel.redraws - before, t.redraws);
      EXPECT_EQ(displayDirty, t.dirtyAfter ? 1 : 0);
    }
  }
}

TEST_F(LcdTest, DisoffSwitchesOffWithoutARedraw) {
  for (uint8_t dirty : {0, 1}) {
    displayOn = 1;
    displayDirty = dirty;
    Exec(kDisoff);
    EXPECT_EQ(displayOn, 0);
    EXPECT_EQ(displayDirty, dirty);
    EXPECT_EQ(panel.redraws, 0);
  }
}

TEST_F(LcdTest, ContrastRegister) {
  Cpu.PfAd = 0x10;
  contrast = 9;
  for (int n = 0; n < 16; ++n) {
    SetDigits(Cpu.C, "FFFFFFFFFFFFFF");
    Exec(CEqRegn(n));
    EXPECT_EQ(DigitsText(Cpu.C), n == 5 ? "00000000000009" : "00000000000000") << n;
  }
  // Writes other than 5 and 15 do nothing.
  for (int n = 0; n < 15; ++n) {
    if (n == 5) continue;
    SetDigits(Cpu.C, "00000000000003");
    Exec(RegnEqC(n));
    EXPECT_EQ(contrast, 9) << n;
    EXPECT_EQ(displayDirty, 0) << n;
  }
  EXPECT_EQ(panel.contrastApplied, 0);
  EXPECT_EQ(allSegmentsHalt, 0);

  SetDigits(Cpu.C, "1234567890ABC3");
  Exec(kDataEqC);
  EXPECT_EQ(DigitsText(Cpu.C), "1234567890ABC3");
  EXPECT_EQ(LcdE, 0u);

  // Write 5 recolours, which empties the caches so that the next redraw draws every line.
  panel.redrawDisplay();
  panel.chars = panel.punct = panel.ann = "stale";
  Exec(RegnEqC(5));
  EXPECT_EQ(contrast, 3);
  EXPECT_EQ(panel.contrastApplied, 1);
  EXPECT_EQ(displayDirty, 1);
  panel.redrawDisplay();
  EXPECT_EQ(panel.chars, kBlank12);
  EXPECT_EQ(panel.punct, kBlank12);
  EXPECT_EQ(panel.ann, kBlank36);
}

TEST_F(LcdTest, AllSegmentsPatternDrawsWithoutTouchingTheRegistersAndHalts) {
  SetReg(LcdA, "0123456789AB");
  LcdE = 0x123;
  Cpu.PfAd = 0x10;
  Exec(RegnEqC(15));
  EXPECT_EQ(panel.chars, "::::::::::::");
  EXPECT_EQ(panel.punct, ";;;;;;;;;;;;");
  EXPECT_EQ(panel.ann, "BAT USER GRAD SHIFT 01234 PRGM ALPHA");
  EXPECT_EQ(allSegmentsHalt, 1);
  EXPECT_EQ(RegText(LcdA), "0123456789AB");
  EXPECT_EQ(LcdE, 0x123u);
}

TEST_F(LcdTest, WriteTwelveSwitchesToImmediateModeOnlyWithTheRomSignature) {
  for (bool signature : {false, true}) {
    SCOPED_TRACE(signature);
    lcdInit();
    immediateRedraw = 0;
    romSignatureMatch = signature;
    panel.redraws = 0;
    SetDigits(Cpu.C, "00000000000041");
    Exec(RegnEqC(12));
    EXPECT_EQ(immediateRedraw, signature ? 1 : 0);
    EXPECT_EQ(panel.redraws, signature ? 1 : 0);
    if (signature) {
      EXPECT_EQ(panel.chars[0], 'A');
    }
    Exec(RegnEqC(0));
    Exec(kDataEqC);
    Exec(CEqRegn(3));  // reads never draw
    EXPECT_EQ(panel.redraws, signature ? 3 : 0);
    EXPECT_EQ(displayDirty, signature ? 0 : 1);
  }
}

// Character code (c b a) to the byte of the character text.
TEST_F(LcdTest, DecodesEveryRowOfTheCharacterTable) {
  struct Case {
    int code;
    char byte;
  };
  std::vector<Case> cases = {
      {0x00, '@'},  {0x01, 'A'},  {0x0F, 'O'},  {0x10, 'P'},  {0x1A, 'Z'},  {0x1F, '_'},
      {0x20, ' '},  {0x21, '!'},  {0x2F, '/'},  {0x30, '0'},  {0x39, '9'},  {0x3A, ':'},
      {0x3F, '?'},  {0x40, 0x7F}, {0x41, 'a'},  {0x45, 'e'},  {0x46, 0x00}, {0x47, 0x60},
      {0x48, 0x06}, {0x49, 0x04}, {0x4A, 0x05}, {0x4B, 0x01}, {0x4C, 0x0C}, {0x4D, 0x1D},
      {0x4E, 0x7E}, {0x4F, 0x0D},
  };
  for (int code = 0x50; code <= 0x7F; ++code) cases.push_back({code, ':'});  // all segments
  for (const Case& t : cases) {
    SetCode(5, t.code);
    const DisplayText d = DecodeDisplay();
    ASSERT_EQ(d.chars.size(), 12u);
    EXPECT_EQ(d.chars[5], t.byte) << "code " << std::hex << t.code;
  }
}

TEST_F(LcdTest, DecodesPunctuationAndAnnunciators) {
  const char marks[] = {' ', '.', ':', ','};
  for (int p = 0; p < 4; ++p) {
    LcdB[7] = static_cast<uint8_t>(p << 2 | 3);
    const DisplayText d = DecodeDisplay();
    EXPECT_EQ(d.punct[7], marks[p]);
    EXPECT_EQ(d.chars[7], '0');  // the punctuation bits do not change the character
  }
  struct Ann {
    uint32_t e;
    std::string text;
  };
  const Ann anns[] = {
      {0x000, kBlank36},
      {0x200, std::string(9, ' ') + "G" + std::string(26, ' ')},
      {0x300, std::string(9, ' ') + "GRAD" + std::string(23, ' ')},
      {0x800, "BAT" + std::string(33, ' ')},
      {0x001, std::string(30, ' ') + " ALPHA"},
      {0x054, std::string(20, ' ') + "0 2 4" + std::string(11, ' ')},
      {0xFFF, "BAT USER GRAD SHIFT 01234 PRGM ALPHA"},
  };
  for (const Ann& a : anns) {
    LcdE = a.e;
    EXPECT_EQ(DecodeDisplay().ann, a.text) << std::hex << a.e;
  }
}

TEST_F(LcdTest, HighRowValueAboveFifteenContributesNoByte) {
  SetReg(LcdA, "123456789012");
  SetReg(LcdB, "333333333333");
  LcdA[4] = 0x10;  // only a debugger edit can store this
  LcdB[4] = 0;
  LcdC[4] = 1;
  const DisplayText d = DecodeDisplay();
  EXPECT_EQ(d.chars, "12346789012");
  EXPECT_EQ(d.punct.size(), 12u);
}

TEST_F(LcdTest, FirmwareWriteIsDrawnAtTheNextKeyboardCheck) {
  // "HELLO WORLD!" as character codes, rightmost character in C[0].
  const std::string text = "HELLO WORLD!";
  DigitRegister a{}, b{};
  for (int i = 0; i < 12; ++i) {
    const int code = text[i] & 0x3F;  // codes 0x00..0x3F for these characters
    a[11 - i] = code & 15;
    b[11 - i] = code >> 4;
  }
  Cpu.C = a;
  Exec(RegnEqC(0));
  Cpu.C = b;
  Exec(RegnEqC(1));
  EXPECT_EQ(panel.redraws, 0);
  Exec(kChkkb);
  EXPECT_EQ(panel.redraws, 1);
  EXPECT_EQ(panel.chars, text);
  EXPECT_EQ(displayDirty, 0);
  Exec(kChkkb);  // nothing new: no redraw
  EXPECT_EQ(panel.redraws, 1);
}

TEST_F(LcdTest, RedrawDrawsOnlyTheLinesThatChanged) {
  panel.redrawDisplay();
  auto mark = [&] {
    panel.chars = panel.punct = "#";
    panel.annHistory.clear();
  };
  mark();
  panel.redrawDisplay();  // nothing changed
  EXPECT_EQ(panel.chars, "#");
  EXPECT_EQ(panel.punct, "#");
  EXPECT_TRUE(panel.annHistory.empty());

  SetCode(0, 0x01);
  panel.redrawDisplay();
  EXPECT_EQ(panel.chars, "A" + std::string(11, ' '));
  EXPECT_EQ(panel.punct, "#");
  EXPECT_TRUE(panel.annHistory.empty());

  mark();
  LcdB[11] = LcdB[11] | 4;
  panel.redrawDisplay();
  EXPECT_EQ(panel.chars, "#");
  EXPECT_EQ(panel.punct, std::string(11, ' ') + ".");
  EXPECT_TRUE(panel.annHistory.empty());

  mark();
  LcdE = 0x001;
  panel.redrawDisplay();
  EXPECT_EQ(panel.chars, "#");
  EXPECT_EQ(panel.punct, "#");
  ASSERT_EQ(panel.annHistory.size(), 1u);
  EXPECT_EQ(panel.ann, std::string(30, ' ') + " ALPHA");
}

TEST_F(LcdTest, MessageStandsUntilTheCharactersChange) {
  panel.redrawDisplay();
  panel.drawCharacters("** VALDOR **");
  panel.redrawDisplay();
  EXPECT_EQ(panel.chars, "** VALDOR **");
  SetCode(3, 0x31);
  panel.redrawDisplay();
  EXPECT_EQ(panel.chars, "   1        ");
}

TEST_F(LcdTest, DisplayOffKeepsThePictureWhileAwakeAndBlanksAsleep) {
  SetCode(0, 0x01);
  LcdB[0] = LcdB[0] | 4;
  LcdE = 0x800;
  panel.redrawDisplay();
  const std::string chars = panel.chars, punct = panel.punct, ann = panel.ann;
  ASSERT_EQ(chars.substr(0, 1), "A");

  Cpu.Awake = 1;
  Exec(kDisoff);
  displayDirty = 1;
  panel.redrawDisplay();
  EXPECT_EQ(displayDirty, 0);
  EXPECT_EQ(panel.chars, chars);
  EXPECT_EQ(panel.punct, punct);
  EXPECT_EQ(panel.ann, ann);

  Cpu.Awake = 0;
  panel.redrawDisplay();
  EXPECT_EQ(panel.chars, "");
  EXPECT_EQ(panel.punct, "");
  EXPECT_EQ(panel.ann, "");

  // Switched on again, everything is drawn anew.
  displayOn = 1;
  panel.redrawDisplay();
  EXPECT_EQ(panel.chars, chars);
  EXPECT_EQ(panel.ann, ann);
}

TEST_F(LcdTest, NothingIsDrawnOnceShutDownHasBegun) {
  panel.redrawDisplay();
  panel.drawAnnunciators(" Shutting down ...");
  shuttingDown = 1;
  SetCode(0, 0x01);
  LcdE = 0xFFF;
  displayDirty = 1;
  panel.redrawDisplay();
  EXPECT_EQ(panel.chars, kBlank12);
  EXPECT_EQ(panel.ann, " Shutting down ...");
  EXPECT_EQ(displayDirty, 1);
}

}  // namespace
