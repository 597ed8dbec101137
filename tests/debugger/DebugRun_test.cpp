// Breakpoints, watchpoints, stepping and the history, through the CPU loop's iteration.

#include "debugger/DebugRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <vector>

#include "cpu/Cpu.h"
#include "debugger/Breakpoints.h"
#include "debugger/DebugFields.h"
#include "debugger/History.h"
#include "debugger/Symbols.h"
#include "memory/Ram.h"
#include "app/StartUp.h"
#include "memory/Rom.h"
#include "support/MachineFixture.h"

namespace {

constexpr uint16_t kIncCX = 0x226;    // C=C+1 X
constexpr uint16_t kBackOne = 0x3FB;  // GONC -1
constexpr uint16_t kNop = 0x000, kRtn = 0x3E0, kPowoff = 0x060;

class DebugRunTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    Fresh();
  }
  // A running machine with empty ROM and no debugging state.
  void Fresh() {
    ResetMachineSettings();
    InitMachine();
    ResetDebugRun();
    Cpu.Running = 1;
    Cpu.Awake = 1;
    Cpu.Carry = 0;  // the calls below are taken on no carry
  }
  // GSUBNC target at address, two words.
  void LoadCall(uint16_t address, uint16_t target) {
    LoadWords(address, {static_cast<uint16_t>(((target & 0xFF) << 2) | 1),
                        static_cast<uint16_t>((target >> 8) << 2)});
  }
  // Runs iterations until a halt or the limit; returns the instructions executed, -1 if none
  // halted.
  int RunUntilHalt(int limit = 200) {
    int executed = 0;
    for (int i = 0; i <= limit; ++i) {
      if (LastHalt().kind != HaltKind::None) return executed;
      const Iteration it = RunIteration();
      if (it == Iteration::Halted) return executed;
      if (it == Iteration::Executed) ++executed;
    }
    return -1;
  }
  void Add(const std::string& written) {
    std::string error;
    auto b = Breakpoint::Parse(written, error);
    ASSERT_TRUE(b) << error;
    Breaks.Breaks().push_back(*b);
    Breaks.Changed();
    UpdateDebugArmed();
  }
  void Watch(const std::string& written) {
    std::string error;
    auto w = Watchpoint::Parse(written, error);
    ASSERT_TRUE(w) << error;
    Breaks.Watches().push_back(*w);
    Breaks.Changed();
    UpdateDebugArmed();
  }
};

TEST_F(DebugRunTest, BreakpointHaltsBeforeExactlyTheRightInstruction) {
  struct Case {
    const char* written;
    std::function<void()> setup;
    int executed;  // -1: never halts
    unsigned c;    // C[2:0] at the halt
  };
  const Case cases[] = {
      {"101", [] {}, 1, 1},
      {"100:C[2:0] == 0x003", [] {}, 6, 3},
      {"100*3", [] {}, 4, 2},  // the pass it starts on counts: no halt stands the CPU there
      {"101@1", [] {}, -1, 0},  // bank 1 is not in force
      {"101@0", [] {}, 1, 1},
      {"101:ST[3] == 1", [] { Cpu.ST[3] = 1; }, 1, 1},
      {"101:ST[3] == 1", [] {}, -1, 0},
      {"101:P == 5", [] { Cpu.P = 5; }, 1, 1},
      {"101:P >= 6", [] { Cpu.P = 5; }, -1, 0},
      {"=LOOP", [] {}, 1, 1},
  };
  ParseSymbols("=LOOP EQU 0101X\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    Fresh();
    LoadWords(0x100, {kIncCX, kBackOne});
    StoreRom(0x101, 1, kNop);  // bank 1 exists but is not selected
    Cpu.PC = 0x100;
    c.setup();
    Add(c.written);
    ResumeFromHalt();  // the run starts standing on 100
    EXPECT_EQ(RunUntilHalt(), c.executed);
    if (c.executed < 0) continue;
    EXPECT_EQ(Cpu.PC, 0x101 - (c.executed % 2 == 0));
    EXPECT_EQ(Cpu.C[0] | Cpu.C[1] << 4 | Cpu.C[2] << 8, c.c);
    EXPECT_EQ(LastHalt().kind, HaltKind::Breakpoint);
    EXPECT_EQ(DebuggerOpen.load(), 1);
  }
}

TEST_F(DebugRunTest, StepOverNestedCallsAndPastFourLevels) {
  // 200 calls 300, which calls 310; 3F0 calls a chain five deep, which loses the return to 3F2.
  // (A call into a word 0 does nothing, so no routine starts with NOP.)
  LoadCall(0x200, 0x300);
  LoadWords(0x202, {kNop});
  LoadCall(0x300, 0x310);
  LoadWords(0x302, {kRtn});
  LoadWords(0x310, {kIncCX, kRtn});
  LoadCall(0x3F0, 0x400);
  for (uint16_t a = 0x400; a < 0x440; a += 0x10) {
    LoadCall(a, static_cast<uint16_t>(a + 0x10));
    LoadWords(a + 2, {kRtn});
  }
  LoadWords(0x440, {kRtn});
  struct Case {
    uint16_t from;
    int executed;
    uint16_t to;
  };
  for (const Case& c : {Case{0x200, 5, 0x202}, Case{0x202, 1, 0x203}, Case{0x3F0, 10, 0x000}}) {
    SCOPED_TRACE(c.from);
    Cpu.PC = c.from;
    DebuggerOpen = 1;
    StepOver();
    EXPECT_EQ(RunUntilHalt(), c.executed);
    EXPECT_EQ(Cpu.PC, c.to);
    EXPECT_EQ(LastHalt().kind, HaltKind::Step);
    EXPECT_EQ(LastHalt().text.substr(0, 17), "stepped over " + HexDigits(c.from, 4));
    EXPECT_EQ(DebugArmed.load(), 0);
  }
  // A breakpoint inside the call stops the step over there.
  Add("310");
  Cpu.PC = 0x200;
  StepOver();
  EXPECT_EQ(RunUntilHalt(), 2);
  EXPECT_EQ(LastHalt().kind, HaltKind::Breakpoint);
}

// Every instruction that may change the return stack, taken and not, under step over and step
// out. From 100, with 250 on the stack and C[6:3] = 0110; 300 increments and returns, 110
// returns, 500 is empty ROM.
TEST_F(DebugRunTest, StepOverAndOutThroughEveryStackChange) {
  constexpr uint16_t kRtnc = 0x360, kRtnnc = 0x3A0, kStkC = 0x170, kCStk = 0x1B0;
  const auto call = [](uint16_t target, bool onCarry) {
    return std::vector<uint16_t>{static_cast<uint16_t>(((target & 0xFF) << 2) | 1),
                                 static_cast<uint16_t>(((target >> 8) << 2) | onCarry)};
  };
  auto with = [](std::vector<uint16_t> a, std::initializer_list<uint16_t> b) {
    a.insert(a.end(), b);
    return a;
  };
  struct Case {
    const char* what;
    bool out;  // step out, else step over
    uint8_t carry;
    std::vector<uint16_t> code;
    int executed;
    uint16_t to;
  };
  const Case cases[] = {
      {"GSUBNC taken", false, 0, call(0x300, false), 3, 0x102},
      {"GSUBNC not taken", false, 1, call(0x300, false), 1, 0x102},
      {"GSUBC taken", false, 1, call(0x300, true), 3, 0x102},
      {"GSUBC not taken", false, 0, call(0x300, true), 1, 0x102},
      {"call into empty ROM", false, 0, call(0x500, false), 1, 0x102},
      {"STK=C then RTN", false, 0, {kStkC, kRtn}, 2, 0x110},
      {"C=STK", false, 0, {kCStk}, 1, 0x101},
      {"out: GSUBNC taken", true, 0, with(call(0x300, false), {kRtn}), 4, 0x250},
      {"out: GSUBNC not taken", true, 1, with(call(0x300, false), {kRtn}), 2, 0x250},
      {"out: GSUBC taken", true, 1, with(call(0x300, true), {kRtn}), 4, 0x250},
      {"out: call into empty ROM", true, 0, with(call(0x500, false), {kRtn}), 2, 0x250},
      {"out: RTNC taken", true, 1, {kRtnc}, 1, 0x250},
      {"out: RTNC not taken", true, 0, {kRtnc, kRtn}, 2, 0x250},
      {"out: RTNNC taken", true, 0, {kRtnnc}, 1, 0x250},
      {"out: RTNNC not taken", true, 1, {kRtnnc, kRtn}, 2, 0x250},
      {"out: STK=C", true, 0, {kStkC, kRtn}, 3, 0x250},
      {"out: C=STK", true, 0, {kCStk}, 1, 0x101},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    LoadWords(0x300, {kIncCX, kRtn});
    LoadWords(0x110, {kRtn});
    for (size_t i = 0; i < c.code.size(); ++i)
      StoreRom(static_cast<uint16_t>(0x100 + i), 0, c.code[i]);
    Cpu.PC = 0x100;
    Cpu.Stack[0] = 0x250;
    SetDigits(Cpu.C, "0000000110000");
    Cpu.Carry = c.carry;
    DebuggerOpen = 1;
    c.out ? StepOut() : StepOver();
    EXPECT_EQ(RunUntilHalt(), c.executed);
    EXPECT_EQ(Cpu.PC, c.to);
    EXPECT_EQ(LastHalt().kind, HaltKind::Step);
  }
}

// Each field kind under each operator, around the value it holds: a field read short (G without
// its second digit) or an operator taken for its neighbour (<= as <) fails a row.
TEST_F(DebugRunTest, ConditionsReadEveryFieldAndOperator) {
  SetDigits(Cpu.A, "00000000000123");
  SetDigits(Cpu.B, "70000000000000");
  SetDigits(Cpu.C, "0000000000004F");
  SetDigits(Cpu.M, "000000000000A0");
  SetDigits(Cpu.N, "00000000900000");
  Cpu.ST[3] = 1;
  Cpu.P = 5;
  Cpu.Q = 0xC;
  Cpu.G[1] = 3;
  Cpu.G[0] = 0xA;
  Cpu.FO = 0x81;
  Cpu.Carry = 1;
  Cpu.DAdd = 0x3F0;
  Cpu.PfAd = 0xFD;
  Cpu.PC = 0x1234;
  Cpu.Base = 10;
  const struct {
    const char* text;
    bool holds;
  } cases[] = {
      {"A[3:0] == 123", true},  {"A[3:0] != 123", false}, {"A[3:0] < 123", false},
      {"A[3:0] <= 123", true},  {"A[3:0] > 122", true},   {"A[3:0] >= 124", false},
      {"B[13] == 7", true},     {"B[13] > 7", false},     {"C == 4F", true},
      {"C < 50", true},         {"M[1:0] >= A0", true},   {"M[1:0] > A0", false},
      {"N[5] == 9", true},      {"N[5] <= 8", false},     {"ST[3] == 1", true},
      {"ST[3:2] == 2", true},   {"P <= 5", true},         {"P < 5", false},
      {"Q >= C", true},         {"Q > C", false},         {"G == 3A", true},
      {"G < 3A", false},        {"G != A", true},         {"FO == 81", true},
      {"CY == 1", true},        {"CY != 1", false},       {"DADD == 3F0", true},
      {"PFAD >= FD", true},     {"PFAD < FD", false},     {"PC == 1234", true},
      {"PC <= 1233", false},    {"BASE == A", true},      {"BASE > A", false},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto condition = Condition::Parse(c.text, error);
    ASSERT_TRUE(condition) << c.text << ": " << error;
    EXPECT_EQ(condition->Holds(), c.holds) << c.text;
  }
}

TEST_F(DebugRunTest, StepOutAndRunTo) {
  LoadWords(0x300, {kRtn, kNop});
  LoadWords(0x310, {kIncCX});
  LoadCall(0x311, 0x320);
  LoadWords(0x313, {kRtn});
  LoadWords(0x320, {kRtn});
  Cpu.PC = 0x310;
  Cpu.Stack[0] = 0x300;
  Cpu.Stack[1] = 0x250;
  DebuggerOpen = 1;
  StepOut();  // over the inner call, out through the RTN at 313
  EXPECT_EQ(RunUntilHalt(), 4);
  EXPECT_EQ(Cpu.PC, 0x300);
  StepOut();
  EXPECT_EQ(RunUntilHalt(), 1);
  EXPECT_EQ(Cpu.PC, 0x250);
  Cpu.PC = 0x310;
  RunTo(0x313);
  EXPECT_EQ(RunUntilHalt(), 3);
  EXPECT_EQ(Cpu.PC, 0x313);
}

TEST_F(DebugRunTest, EachWatchpointKindHaltsAfterItsInstruction) {
  struct Case {
    uint16_t word;
    const char* watch;
    bool hits;
  };
  const Case cases[] = {
      {0x178, "0C5:r", true},   {0x178, "0C5:w", false}, {0x178, "0C5", true},
      {0x178, "0C6", false},    {0x168, "0C5:w", true},  {0x168, "0C5:r", false},
      {0x038, "0C0:r", true},   {0x2F0, "0C0:w", true},  {0x2F0, "0C0:r", false},
      {0x264, "SELPF 9", true}, {0x264, "SELP9", true},  {0x264, "SELPF 8", false},
      {kPowoff, "POWOFF", true}, {0x178, "POWOFF", false},
      {0x1B8, "0C6", false},  // register 0C6 does not exist: the peripheral answers
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.watch) + " on " + std::to_string(c.word));
    Fresh();
    RamExists[0xC0] = RamExists[0xC5] = 1;
    RamExists[0xC6] = 0;
    Cpu.DAdd = 0xC0;
    LoadWords(0x500, {c.word, kNop, kNop});
    Cpu.PC = 0x500;
    Watch(c.watch);
    const int executed = RunUntilHalt(2);
    EXPECT_EQ(executed, c.hits ? 1 : -1);
    if (c.hits) {
      EXPECT_EQ(LastHalt().kind, HaltKind::Watchpoint);
    }
  }
}

TEST_F(DebugRunTest, HistoryKeepsTheNewestInOrderAfterAWrap) {
  History h;
  for (uint16_t i = 0; i < History::kCapacity + 6; ++i) h.Record(i, i & 0x3FF);
  EXPECT_EQ(h.Size(), History::kCapacity);
  const auto all = h.Last(5000);
  ASSERT_EQ(all.size(), History::kCapacity);
  EXPECT_EQ(all.front().address, 6);
  EXPECT_EQ(all.back().address, History::kCapacity + 5);
  const auto three = h.Last(3);
  EXPECT_EQ(three[0].address, History::kCapacity + 3);
  EXPECT_EQ(three[2].address, History::kCapacity + 5);

  // The run records only while armed.
  LoadWords(0x100, {kIncCX, kBackOne});
  Cpu.PC = 0x100;
  for (int i = 0; i < 4; ++i) RunIteration();
  EXPECT_EQ(ExecutionHistory.Size(), 0u);
  ArmHistory(true);
  for (int i = 0; i < 3; ++i) RunIteration();
  const auto run = ExecutionHistory.Last(3);
  ASSERT_EQ(run.size(), 3u);
  EXPECT_EQ(run[0].address, 0x100);
  EXPECT_EQ(run[1].address, 0x101);
  EXPECT_EQ(run[1].word, kBackOne);
  EXPECT_EQ(run[2].address, 0x100);
}

TEST_F(DebugRunTest, TextFormsRoundTripAndBadOnesAreRefused) {
  ParseSymbols("=MAIN EQU 0123X\n");
  const std::string text =
      "=MAIN@2*4:C[2:0] == 0B1\n!7FF0:ST[3] == 1\nwatch 0C5:w\n!watch SELPF 9\nwatch POWOFF\n";
  std::vector<std::string> errors;
  Breaks.FromText(text + "# a comment\nZZZZ\n100:Q ~ 3\n100@7\nwatch 400\n", errors);
  EXPECT_EQ(errors.size(), 4u);
  EXPECT_EQ(Breaks.ToText(), text);
  ASSERT_EQ(Breaks.Breaks().size(), 2u);
  EXPECT_EQ(Breaks.Breaks()[0].address, 0x123);
  EXPECT_TRUE(Breaks.AnyAt(0x123));
  EXPECT_FALSE(Breaks.AnyAt(0x7FF0));  // disabled

  std::string error;
  ASSERT_TRUE(SaveBreakFile(error)) << error;
  EXPECT_EQ(ReadFile(home + "VALDOR.BRK"), text);
  Breaks.Clear();
  EXPECT_TRUE(LoadBreakFile().empty());
  EXPECT_EQ(Breaks.ToText(), text);
  // An empty set leaves no file behind.
  Breaks.Clear();
  ASSERT_TRUE(SaveBreakFile(error));
  EXPECT_FALSE(std::ifstream(home + "VALDOR.BRK").good());
}

}  // namespace
