// The listing's image: two-word instructions, the program counter inside one, banks, and the
// same text as the disassembler gives for the live ROM.

#include "debugger/Listing.h"

#include <gtest/gtest.h>

#include "cpu/Cpu.h"
#include "debugger/Debug.h"
#include "debugger/Symbols.h"
#include "memory/Rom.h"
#include "support/MachineFixture.h"

namespace {

class ListingTest : public MachineTest {};

TEST_F(ListingTest, SecondWordsAreKnownAndTheTextMatchesTheDisassembler) {
  // GSUBNC 0010, LDI 2AB, NOP, GONC back, RTN; then a word that looks like a call's operand.
  LoadWords(0, {0x041, 0x000, 0x130, 0x2AB, 0x000, 0x3E3, 0x3E0, 0x001});
  ParseSymbols("=START EQU 0000H\n=SUB EQU 0010H\n");
  ListingImage image;
  image.Read();
  const bool continues[] = {false, true, false, true, false, false, false, false, true};
  for (uint16_t a = 0; a < 9; ++a) {
    EXPECT_EQ(image.Continues(a), continues[a]) << a;
    const ListingLine line = image.Line(a);
    EXPECT_EQ(line.word, FetchRom(a)) << a;
    if (continues[a]) {
      EXPECT_EQ(line.instruction, "") << a;
      continue;
    }
    int32_t at = a;
    std::string live;
    Disassemble(at, live);
    EXPECT_EQ(line.instruction, live) << a;
  }
  EXPECT_EQ(image.Line(0).label, "=START");
  EXPECT_EQ(image.Line(0).instruction, "GSUBNC 0010 =SUB");
  // The program counter may stand on a word the reading from 0 took as an operand.
  int32_t at = 3;
  std::string live;
  Disassemble(at, live);
  EXPECT_EQ(image.Line(3, true).instruction, live);
  EXPECT_NE(live, "");
}

// The image holds the bank each page fetches now, and its words are read as the CPU's own even
// while a smart peripheral has control.
TEST_F(ListingTest, ReadsTheCurrentBankAsCpuWords) {
  LoadWords(0x5000, {0x3E0});
  StoreRom(0x5000, 1, 0x130);
  StoreRom(0x5001, 1, 0x045);
  Cpu.SmartPeripheral = 9;
  ListingImage image;
  image.Read();
  EXPECT_EQ(image.Line(0x5000).instruction, "RTN");
  SelectBank(0x5000, 1);
  image.Read();
  EXPECT_EQ(image.Line(0x5000).instruction, "LDI 045");
  EXPECT_TRUE(image.Continues(0x5001));
  Cpu.SmartPeripheral = kNoPeripheral;
}

}  // namespace
