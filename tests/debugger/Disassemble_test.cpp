#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "cpu/Cpu.h"
#include "debugger/Debug.h"
#include "debugger/Symbols.h"
#include "memory/Rom.h"
#include "support/Class0Map.h"
#include "support/MachineFixture.h"

namespace {

class DisassembleTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    SymbolTable.clear();
    SymbolTableLoaded = false;
    Cpu.SmartPeripheral = kNoPeripheral;
  }
  void TearDown() override {
    SymbolTable.clear();
    SymbolTableLoaded = false;
    Cpu.SmartPeripheral = kNoPeripheral;
    MachineTest::TearDown();
  }

  // The text at address, and how far the address moved.
  std::string At(int32_t address, int* advance = nullptr) {
    int32_t a = address;
    std::string text = "stale";
    Disassemble(a, text);
    if (advance) *advance = a - address;
    return text;
  }
};

// The digit a row carries; rows 7 and 15 carry none.
const int kRowDigit[16] = {3, 4, 5, 10, 8, 6, 11, -1, 2, 9, 7, 13, 1, 12, 0, -1};
const char* const kRegisterNames[16] = {"T", "Z", "Y",  "X", "L", "M", "N", "O",
                                        "P", "Q", "|-", "a", "b", "c", "d", "e"};

bool IsDigitFamily(const std::string& cell) {
  static const std::set<std::string> kFamilies = {
      "ST=0", "ST=1", "?ST=1", "?PT=", "PT=", "?F=1", "RCR"};
  return kFamilies.count(cell) > 0;
}

std::string Hex(unsigned value, int digits) {
  char s[16];
  std::snprintf(s, sizeof s, "%0*X", digits, value);
  return s;
}

// The disassembler's text for a class-0 cell; ldiValue is the word after the instruction.
std::string ExpectedClass0(int row, int column, uint16_t ldiValue) {
  const std::string cell = kClass0Map[row][column];
  if (cell == "-") {
    // The CPU runs row 7 of a digit column as a no-op, but it is named with the digit -1.
    if (row == 7 && IsDigitFamily(kClass0Map[6][column])) {
      return std::string(kClass0Map[6][column]) + " -1";
    }
    return "?!?";
  }
  if (IsDigitFamily(cell)) return cell + " " + std::to_string(kRowDigit[row]);
  if (cell == "LC" || cell == "SELPF") return cell + " " + std::to_string(row);
  if (cell == "REGN=C" || cell == "C=REGN") {
    return cell + " " + std::to_string(row) + " (" + kRegisterNames[row] + ")";
  }
  if (cell == "HPIL=C") return cell + " " + Hex(row - 8, 1);
  if (cell == "LDI") return "LDI " + Hex(ldiValue, 3);
  return cell;
}

TEST_F(DisassembleTest, EveryClass0WordMatchesTheMap) {
  const uint16_t next = 0x2A5;
  for (int row = 0; row < 16; ++row) {
    for (int column = 0; column < 16; ++column) {
      const uint16_t word = static_cast<uint16_t>(row * 64 + column * 4);
      LoadWords(0x2000, {word, next});
      int advance = 0;
      EXPECT_EQ(At(0x2000, &advance), ExpectedClass0(row, column, next)) << "word " << Hex(word, 3);
      EXPECT_EQ(advance, word == 0x130 ? 2 : 1) << "word " << Hex(word, 3);
    }
  }
}

struct CpuCase {
  int32_t address;
  std::vector<uint16_t> words;
  const char* text;
  int advance;
};

TEST_F(DisassembleTest, CpuModeTexts) {
  const CpuCase cases[] = {
      {0x1000, {0x000}, "NOP", 1},
      {0x7123, {}, "NOP", 1},  // no ROM there
      {0x1000, {0x130, 0x05A}, "LDI 05A", 2},
      {0x1000, {0x130, 0x3FF}, "LDI 3FF", 2},
      {0x1000, {0x0A9, 0x10C}, "GSUBNC 432A", 2},
      {0x1000, {0x0A9, 0x10F}, "GOLC 432A", 2},
      {0x1000, {0x0A9, 0x10D}, "GSUBC 432A", 2},
      {0x1000, {0x0A9, 0x10E}, "GOLNC 432A", 2},
      {0x1000, {0x3FD, 0x3FC}, "GSUBNC FFFF", 2},
      {0x1000, {0x001, 0x000}, "GSUBNC 0000", 2},
      {0x1000, {0x02B}, "GONC +04 1005", 1},
      {0x1000, {0x02F}, "GOC +04 1005", 1},
      {0x1000, {0x3F3}, "GONC -03 0FFE", 1},
      {0x1000, {0x00B}, "GONC +00 1001", 1},  // offset 1
      {0x1000, {0x003}, "GONC 01 1000", 1},   // offset 0
      {0x1000, {0x1FB}, "GONC +3E 103F", 1},  // offset 63
      {0x1000, {0x207}, "GOC -41 0FC0", 1},   // offset -64
      // Targets wrap at 16 bits, as the CPU's jump does.
      {0x0001, {0x3F3}, "GONC -03 FFFF", 1},
      {0xFFFE, {0x02B}, "GONC +04 0003", 1},
      // The second word of a two-word instruction at 0xFFFF comes from 0x0000.
      {0xFFFF, {0x130}, "LDI 000", 2},
      {0x1000, {0x0AE}, "ACEX W", 1},
      {0x1000, {0x002}, "A=0 PT", 1},
      {0x1000, {0x136}, "A=A+B XS", 1},
      {0x1000, {0x23A}, "C=C+1 M", 1},
      {0x1000, {0x34A}, "?A<>0 WPT", 1},
      {0x1000, {0x292}, "C=-C PQ", 1},
      {0x1000, {0x3FE}, "ASL S", 1},
      {0x1000, {0x1C4}, "ST=0 -1", 1},
      {0x1000, {0x3C4}, "CLRST", 1},
      {0x1000, {0x3FC}, "?!?", 1},
      {0x1000, {0x3EC}, "?!?", 1},
      {0x1000, {0x080}, "?!?", 1},
      {0x1000, {0x034}, "?!?", 1},
      {0x1000, {0x268}, "REGN=C 9 (Q)", 1},
      {0x1000, {0x2A8}, "REGN=C 10 (|-)", 1},
      {0x1000, {0x3F8}, "C=REGN 15 (e)", 1},
      {0x1000, {0x3D0}, "LC 15", 1},
      {0x1000, {0x264}, "SELPF 9", 1},
      {0x1000, {0x3C0}, "HPIL=C 7", 1},
  };
  for (const CpuCase& c : cases) {
    ClearRom();
    for (size_t i = 0; i < c.words.size(); ++i) {
      StoreRom(static_cast<uint32_t>(c.address + i) & 0xFFFF, 0, c.words[i]);
    }
    int advance = 0;
    EXPECT_EQ(At(c.address, &advance), c.text) << c.text;
    EXPECT_EQ(advance, c.advance) << c.text;
  }
}

// Reads the offset back from the sign and digits of a relative jump's text.
int OffsetFromText(const std::string& text) {
  const size_t blank = text.find(' ');
  const std::string field = text.substr(blank + 1, text.find(' ', blank + 1) - blank - 1);
  if (field[0] == '+') return std::stoi(field.substr(1), nullptr, 16) + 1;
  if (field[0] == '-') return 1 - std::stoi(field.substr(1), nullptr, 16);
  EXPECT_EQ(field, "01");
  return 0;
}

TEST_F(DisassembleTest, EveryRelativeJumpShowsItsOwnOffsetAndTarget) {
  const int32_t address = 0x8000;
  std::set<int> offsets[2];
  for (uint16_t word = 3; word < 1024; word += 4) {
    LoadWords(address, {word});
    const std::string text = At(address);
    const bool onCarry = (word & 4) != 0;
    ASSERT_EQ(text.substr(0, 4), onCarry ? "GOC " : "GONC") << text;
    const int offset = OffsetFromText(text);
    EXPECT_EQ(text.substr(text.rfind(' ') + 1), Hex(address + offset, 4)) << text;
    offsets[onCarry].insert(offset);
  }
  for (const auto& seen : offsets) {
    ASSERT_EQ(seen.size(), 128u);
    EXPECT_EQ(*seen.begin(), -64);
    EXPECT_EQ(*seen.rbegin(), 63);
  }
}

struct PeripheralCase {
  uint8_t peripheral;
  uint16_t word;
  const char* text;
};

TEST_F(DisassembleTest, PeripheralModeTexts) {
  const PeripheralCase cases[] = {
      {9, 0x007, "PRINTC"},
      {9, 0x006, "PRINTC"},
      {9, 0x03A, "RDTPR"},
      {9, 0x03B, "RDTPRN"},
      {9, 0x043, "?PFSET 1"},
      {9, 0x3C2, "?PFSET 7"},
      {9, 0x3FD, "PF= 7F"},
      {9, 0x00C, "PF= 01"},
      {9, 0x001, ""},
      {9, 0x0A9, ""},  // a class-1 word: no second word is read
      {5, 0x007, "PFLOAD RTNUT"},
      {5, 0x006, "PFLOAD"},
      {5, 0x03A, "PFSAVE"},
      {5, 0x03B, "PFSAVE RTNUT"},
      {5, 0x043, "?PFSET 1 RTNUT"},
      {5, 0x3FD, "PF= 7F RTNUT"},
      {5, 0x001, " RTNUT"},
      {5, 0x130, ""},  // LDI's word: no second word is read
      {0, 0x000, ""},
  };
  for (const PeripheralCase& c : cases) {
    Cpu.SmartPeripheral = c.peripheral;
    LoadWords(0x3000, {c.word, 0x3FF});
    int advance = 0;
    EXPECT_EQ(At(0x3000, &advance), c.text) << c.peripheral << " " << Hex(c.word, 3);
    EXPECT_EQ(advance, 1) << c.peripheral << " " << Hex(c.word, 3);
  }
}

struct SymbolCase {
  std::vector<uint16_t> words;
  const char* text;
};

TEST_F(DisassembleTest, JumpAndCallTargetsGetTheFirstMatchingSymbol) {
  ParseSymbols(
      "=FIRST EQU 432AH\n"
      "=SECOND EQU 432AH\n"
      "=NEAR EQU 1005H\n"
      "=LDIVAL EQU 05AH\n");
  const SymbolCase cases[] = {
      {{0x0A9, 0x10C}, "GSUBNC 432A =FIRST"},
      {{0x02B}, "GONC +04 1005 =NEAR"},
      {{0x3F3}, "GONC -03 0FFE"},   // no entry for the target
      {{0x130, 0x05A}, "LDI 05A"},  // only jump and call targets get a name
  };
  for (const SymbolCase& c : cases) {
    ClearRom();
    uint32_t a = 0x1000;
    for (uint16_t w : c.words) StoreRom(a++, 0, w);
    EXPECT_EQ(At(0x1000), c.text);
  }
}

TEST_F(DisassembleTest, BufferFormTruncatesAndReportsTheFullLength) {
  LoadWords(0x1000, {0x0A9, 0x10C});
  char out[8];
  std::memset(out, 'x', sizeof out);
  int32_t address = 0x1000;
  EXPECT_EQ(DisassembleTo(address, out, sizeof out), 11);
  EXPECT_STREQ(out, "GSUBNC ");
  EXPECT_EQ(address, 0x1002);

  address = 0x1000;
  EXPECT_EQ(DisassembleTo(address, out, 0), 11);
  EXPECT_EQ(out[0], 'G');  // nothing written
  EXPECT_EQ(address, 0x1002);
}

TEST_F(DisassembleTest, LongSymbolNameIsShownWhole) {
  const std::string name = "=" + std::string(300, 'N');
  ParseSymbols(name + " EQU 432AH\n");
  LoadWords(0x1000, {0x0A9, 0x10C});
  int advance = 0;
  EXPECT_EQ(At(0x1000, &advance), "GSUBNC 432A " + name);
  EXPECT_EQ(advance, 2);
}

}  // namespace
