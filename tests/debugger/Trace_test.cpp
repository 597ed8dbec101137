#include "debugger/Trace.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "cpu/Cpu.h"
#include "debugger/Symbols.h"
#include "memory/Rom.h"
#include "support/MachineFixture.h"

namespace {

class TraceTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    SymbolTable.clear();
    SymbolTableLoaded = false;
    ZeroRegisters();
  }
  void TearDown() override {
    CloseTrace();
    SymbolTable.clear();
    SymbolTableLoaded = false;
    Cpu.SmartPeripheral = kNoPeripheral;
    MachineTest::TearDown();
  }

  // Every register 0 except Carry = 1, hexadecimal arithmetic, PC at 0, the CPU in control.
  static void ZeroRegisters() {
    for (auto* reg : {&Cpu.A, &Cpu.B, &Cpu.C, &Cpu.M, &Cpu.N}) reg->fill(0);
    Cpu.G[0] = Cpu.G[1] = 0;
    Cpu.P = Cpu.Q = 0;
    for (auto& st : Cpu.ST) st = 0;
    Cpu.FO = 0;
    Cpu.Carry = 1;
    Cpu.Base = 16;
    Cpu.PC = 0;
    for (auto& s : Cpu.Stack) s = 0;
    Cpu.DAdd = 0;
    Cpu.PfAd = 0;
    Cpu.SmartPeripheral = kNoPeripheral;
  }

  std::string Log() { return ReadFile(home + "VALDOR.LOG"); }
};

// Lines 2 and 3 of a record with every register 0 and Carry = 1.
const std::string kZeroTail =
    "  A=00000000000000 B=00000000000000 C=00000000000000 Stack=0000 0000 0000 0000\r\n"
    "  M=00000000000000 N=00000000000000 Cy=1 P=0 Q=0 G=00 FO=00 ST=00000000000000\r\n";

std::string Line1(uint16_t pc, uint16_t word, const std::string& text) {
  char head[16];
  std::snprintf(head, sizeof head, "%04X %03X ", pc, word);
  return head + text + " DAdd=000 PfAd=00 Base=16\r\n";
}

TEST_F(TraceTest, RecordOfTheZeroMachine) {
  OpenTrace();
  WriteTraceRecord();
  CloseTrace();
  EXPECT_EQ(Log(),
            "0000 000 NOP DAdd=000 PfAd=00 Base=16\r\n"
            "  A=00000000000000 B=00000000000000 C=00000000000000 Stack=0000 0000 0000 0000\r\n"
            "  M=00000000000000 N=00000000000000 Cy=1 P=0 Q=0 G=00 FO=00 ST=00000000000000\r\n");
}

TEST_F(TraceTest, RecordPlacesEveryRegister) {
  LoadWords(0x1234, {0x0A9, 0x10C});
  Cpu.PC = 0x1234;
  Cpu.DAdd = 0x3FF;
  Cpu.PfAd = 0xFD;
  Cpu.Base = 10;
  SetDigits(Cpu.A, "0123456789ABCD");
  SetDigits(Cpu.B, "FEDCBA98765432");
  SetDigits(Cpu.C, "10000000000001");
  SetDigits(Cpu.M, "ABC");
  SetDigits(Cpu.N, "99999999999999");
  Cpu.Stack[0] = 0xABCD;
  Cpu.Stack[1] = 0x0012;
  Cpu.Stack[2] = 0xF000;
  Cpu.Stack[3] = 0x0001;
  Cpu.Carry = 0;
  Cpu.P = 13;
  Cpu.Q = 7;
  Cpu.G[1] = 0xA;
  Cpu.G[0] = 5;
  Cpu.FO = 0x0C;
  Cpu.ST[13] = Cpu.ST[5] = Cpu.ST[0] = 1;
  OpenTrace();
  WriteTraceRecord();
  CloseTrace();
  EXPECT_EQ(Log(),
            "1234 0A9 GSUBNC 432A DAdd=3FF PfAd=FD Base=10\r\n"
            "  A=0123456789ABCD B=FEDCBA98765432 C=10000000000001 Stack=ABCD 0012 F000 0001\r\n"
            "  M=00000000000ABC N=99999999999999 Cy=0 P=D Q=7 G=A5 FO=0C ST=10000000100001\r\n");
}

TEST_F(TraceTest, PeripheralFormWhileThePrinterHasControl) {
  LoadWords(0x0100, {0x007, 0x001});
  Cpu.SmartPeripheral = 9;
  OpenTrace();
  Cpu.PC = 0x0100;
  WriteTraceRecord();
  Cpu.PC = 0x0101;
  WriteTraceRecord();
  CloseTrace();
  // An empty peripheral text leaves two blanks between the word and DAdd.
  EXPECT_EQ(Log(), Line1(0x100, 0x007, "PRINTC") + kZeroTail + Line1(0x101, 0x001, "") + kZeroTail);
}

TEST_F(TraceTest, JumpTargetShowsItsSymbol) {
  ParseSymbols("LOOP EQU 0005X\n=loop equ 0005X\n=LOOP EQU 0005X\n=LATER EQU 0005X\n");
  LoadWords(0x0002, {0x01B});
  Cpu.PC = 0x0002;
  OpenTrace();
  WriteTraceRecord();
  CloseTrace();
  EXPECT_EQ(Log(), Line1(0x0002, 0x01B, "GONC +02 0005 =LOOP") + kZeroTail);
}

TEST_F(TraceTest, StepWritesTheStateBeforeTheInstruction) {
  // C=0 W, then two NOPs.
  LoadWords(0x0000, {0x04E, 0x000, 0x000});
  SetDigits(Cpu.C, "12345678901234");
  OpenTrace();
  RunSteps(3);
  CloseTrace();
  const std::string log = Log();
  ASSERT_EQ(log.substr(0, 12), "0000 04E C=0");
  EXPECT_NE(log.find(" C=12345678901234 "), std::string::npos);
  const size_t second = log.find("0001 000 NOP");
  ASSERT_NE(second, std::string::npos);
  EXPECT_NE(log.find(" C=00000000000000 ", second), std::string::npos);
  EXPECT_NE(log.find("0002 000 NOP", second), std::string::npos);
  EXPECT_EQ(log.find("0003 "), std::string::npos);
}

TEST_F(TraceTest, SwitchingOffAndOnAgainStartsAnEmptyLog) {
  OpenTrace();
  WriteTraceRecord();
  WriteTraceRecord();
  CloseTrace();
  EXPECT_EQ(Trace.load(), 0);
  EXPECT_EQ(Log(), Line1(0, 0, "NOP") + kZeroTail + Line1(0, 0, "NOP") + kZeroTail);

  OpenTrace();
  EXPECT_EQ(Trace.load(), 1);
  EXPECT_EQ(Log(), "");
  Cpu.PC = 7;
  WriteTraceRecord();
  CloseTrace();
  EXPECT_EQ(Log(), Line1(7, 0, "NOP") + kZeroTail);
}

TEST_F(TraceTest, OpeningWhileOnKeepsTheLog) {
  OpenTrace();
  WriteTraceRecord();
  OpenTrace();
  WriteTraceRecord();
  CloseTrace();
  EXPECT_EQ(Log(), Line1(0, 0, "NOP") + kZeroTail + Line1(0, 0, "NOP") + kZeroTail);
}

TEST_F(TraceTest, NothingIsWrittenWithoutAnOpenLog) {
  OpenTrace();
  CloseTrace();
  WriteTraceRecord();  // tracing off
  Trace = 1;           // flag on, but no file open
  WriteTraceRecord();
  Trace = 0;
  CloseTrace();
  EXPECT_EQ(Log(), "");
}

TEST_F(TraceTest, LogThatCannotBeCreatedLosesRecordsSilently) {
  host.homeDir = home + "missing/";
  OpenTrace();
  EXPECT_EQ(Trace.load(), 1);
  WriteTraceRecord();
  RunSteps(2);
  CloseTrace();
  EXPECT_EQ(Trace.load(), 0);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(std::filesystem::exists(home + "missing"));
}

TEST_F(TraceTest, ManyRecordsSurviveTheBuffering) {
  std::string expected;
  OpenTrace();
  for (int pc = 0; pc < 3000; ++pc) {
    Cpu.PC = static_cast<uint16_t>(pc);
    WriteTraceRecord();
    expected += Line1(static_cast<uint16_t>(pc), 0, "NOP") + kZeroTail;
  }
  CloseTrace();
  ASSERT_GT(expected.size(), 3u * 64 * 1024);
  EXPECT_EQ(Log(), expected);
}

// A busy loop traced for seconds would fill the disk: the log stops at its limit, on a line's end.
TEST_F(TraceTest, LogStopsAtItsLimitAndSaysSo) {
  const std::string record = Line1(0, 0, "NOP") + kZeroTail;
  struct Case {
    const char* name;
    uint64_t limit;
    bool stops;
  } cases[] = {{"below one buffer", 10'000, true},
               {"across several buffers", 300'000, true},
               {"no limit", 0, false},
               {"beyond what is written", 10'000'000, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.messages.clear();
    SetTraceLimit(c.limit);
    OpenTrace();
    for (int i = 0; i < 3000; ++i) WriteTraceRecord();
    EXPECT_EQ(Trace.load() != 0, !c.stops);
    CloseTrace();
    const std::string log = Log();
    if (!c.stops) {
      EXPECT_EQ(log.size(), 3000 * record.size());
      EXPECT_TRUE(host.messages.empty());
      continue;
    }
    EXPECT_LE(log.size(), c.limit);
    EXPECT_GT(log.size(), c.limit - record.size());
    EXPECT_EQ(log.back(), '\n');
    std::string full;
    for (int i = 0; i < 3000; ++i) full += record;
    EXPECT_EQ(full.substr(0, log.size()), log);  // the first records, as written
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("Trace stopped"), std::string::npos);
    EXPECT_EQ(panel.ann, host.messages[0]);
  }
}

TEST_F(TraceTest, LongSymbolNamesAreWrittenWhole) {
  // Names long enough that a record no longer fits behind the previous one.
  const std::string name = "=" + std::string(40000, 'L');
  ParseSymbols(name + " EQU 0005X\n");
  LoadWords(0x0002, {0x01B});
  Cpu.PC = 0x0002;
  std::string expected;
  OpenTrace();
  for (int i = 0; i < 5; ++i) {
    WriteTraceRecord();
    expected += Line1(0x0002, 0x01B, "GONC +02 0005 " + name) + kZeroTail;
  }
  CloseTrace();
  EXPECT_EQ(Log(), expected);
}

}  // namespace
