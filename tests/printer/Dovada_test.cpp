// The printer device: its answers to the instruction stream after SELPF 9, the print bytes and
// their width accounting, line ends, the status word and its concurrent setters.

#include "printer/Dovada.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "cpu/Cpu.h"
#include "support/MachineFixture.h"

namespace {

constexpr uint16_t kSelpf9 = 0x264;
constexpr uint16_t kPrintcLast = 0x007;
constexpr uint16_t kRdtprLast = 0x03B;

using Bytes = std::vector<uint8_t>;

Bytes Repeat(uint8_t b, int n) {
  return Bytes(static_cast<size_t>(n), b);
}
Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Bytes Buffer() {
  const std::string_view line = PrintLine();
  return Bytes(line.begin(), line.end());
}
std::string AsString(const Bytes& b) {
  return std::string(b.begin(), b.end());
}

class PrinterTest : public MachineTest {
 protected:
  void Send(const Bytes& bytes) {
    for (uint8_t b : bytes) PrintByte(b);
  }
  // Hands the printer the words after SELPF 9, as the firmware does.
  void Peripheral(std::initializer_list<uint16_t> words) {
    LoadWords(0x0200, {kSelpf9});
    LoadWords(0x0201, words);
    Cpu.PC = 0x0200;
    RunSteps(static_cast<int>(words.size()) + 1);
  }
  void Printc(uint8_t b) {
    Cpu.C[1] = b >> 4;
    Cpu.C[0] = b & 15;
    Peripheral({kPrintcLast});
  }
  std::string Rdtpr() {
    SetDigits(Cpu.C, "FFFFFFFFFFFFFF");
    Peripheral({kRdtprLast});
    return DigitsText(Cpu.C);
  }
};

TEST_F(PrinterTest, StatusReadAfterReset) {
  PrinterStatus = 0xFFFF;
  PrinterReset();
  EXPECT_EQ(Rdtpr(), "0300FFFFFFFFFF");
  EXPECT_EQ(Cpu.SmartPeripheral, kNoPeripheral);
  // The even word reads the status too and keeps the printer in control until an odd one.
  SetDigits(Cpu.C, "FFFFFFFFFFFFFF");
  Peripheral({0x03A, 0x001});
  EXPECT_EQ(DigitsText(Cpu.C), "0300FFFFFFFFFF");
  EXPECT_EQ(Cpu.SmartPeripheral, kNoPeripheral);
}

TEST_F(PrinterTest, StatusReadShowsSwitchKeysAndFormat) {
  struct Case {
    PrinterMode mode;
    bool print, adv;
    Bytes bytes;
    const char* top;  // C[13..10]
  };
  const Case cases[] = {
      {PrinterMode::Trace, true, false, {}, "A300"},
      {PrinterMode::Norm, false, false, {}, "4300"},
      {PrinterMode::Norm, false, true, {}, "5300"},
      {PrinterMode::Man, true, true, {}, "3300"},
      {PrinterMode::Trace, false, false, {0xD5}, "83A0"},
      {PrinterMode::Man, false, false, {0xD7}, "03A0"},
      {PrinterMode::Man, false, false, {0xE8}, "0310"},
      {PrinterMode::Man, false, false, {0xE8, 0xE0}, "0300"},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.top);
    PrinterReset();
    SetPrinterMode(t.mode);
    SetPrintKey(t.print);
    SetAdvKey(t.adv);
    Send(t.bytes);
    EXPECT_EQ(Rdtpr(), std::string(t.top) + "FFFFFFFFFF");
  }
}

// A click over before the firmware looks is shown by the next status read, once.
TEST_F(PrinterTest, AShortClickShowsOnceAtTheNextStatusRead) {
  struct Case {
    void (*button)(bool);
    const char* top;
  } cases[] = {{SetPrintKey, "2300"}, {SetAdvKey, "1300"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.top);
    PrinterReset();
    c.button(true);
    c.button(false);
    EXPECT_EQ(Rdtpr().substr(0, 4), c.top);
    EXPECT_EQ(Rdtpr().substr(0, 4), "0300");
  }
}

TEST_F(PrinterTest, ModeSettersChangeOnlyTheirBits) {
  PrinterReset();
  SetPrintKey(true);
  Send({0xD5});
  const uint32_t others = 0x0300 | 0x2000 | 0x00A0;
  SetPrinterMode(PrinterMode::Norm);
  EXPECT_EQ(PrinterStatus, others | 0x4000);
  SetPrinterMode(PrinterMode::Trace);
  EXPECT_EQ(PrinterStatus, others | 0x8000);
  SetPrinterMode(PrinterMode::Man);
  EXPECT_EQ(PrinterStatus, others);
  SetAdvKey(true);
  SetPrintKey(false);
  EXPECT_EQ(PrinterStatus, (others & ~0x2000u) | 0x1000);
  SetAdvKey(false);
  EXPECT_EQ(PrinterStatus, others & ~0x2000u);
}

TEST_F(PrinterTest, FlagQuestionsAnswerWhetherThePrinterIsOn) {
  struct Case {
    uint16_t word;
    bool on;
    int carry;
  };
  const Case cases[] = {
      {0x002, true, 0},  {0x003, true, 0},  {0x042, true, 1},  {0x043, true, 1},
      {0x082, true, 1},  {0x083, true, 1},  {0x042, false, 0}, {0x043, false, 0},
      {0x082, false, 0}, {0x083, false, 0}, {0x0C3, true, 0},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << t.word << " on " << t.on);
    PrinterOn = t.on;
    Peripheral({t.word});
    EXPECT_EQ(Cpu.Carry, t.carry);
    // A word with bit 0 clear keeps the printer in control.
    EXPECT_EQ(Cpu.SmartPeripheral, (t.word & 1) ? kNoPeripheral : 9);
    Cpu.SmartPeripheral = kNoPeripheral;
  }
}

TEST_F(PrinterTest, UnknownWordsDoNothing) {
  Send({'A', 0xD5});
  SetDigits(Cpu.C, "123456789ABCDE");
  for (uint16_t w : {0x000, 0x001, 0x004, 0x005, 0x008, 0x03C, 0x044, 0x046, 0x102, 0x3FF}) {
    Peripheral({w});
    Cpu.SmartPeripheral = kNoPeripheral;
  }
  EXPECT_EQ(DigitsText(Cpu.C), "123456789ABCDE");
  EXPECT_EQ(PrinterStatus, 0x03A0u);
  EXPECT_EQ(Buffer(), (Bytes{'A', 0xD5}));
  EXPECT_TRUE(panel.paper.empty());
}

TEST_F(PrinterTest, PrintcSendsTheLowTwoDigitsOfC) {
  PrinterOn = 0;  // bytes are taken whether the printer is on or not
  SetDigits(Cpu.C, "FFFFFFFFFFFF48");
  Peripheral({0x006, 0x006, kPrintcLast});
  EXPECT_EQ(AsString(Buffer()), "HHH");
  for (char ch : std::string("ELLO")) Printc(static_cast<uint8_t>(ch));
  EXPECT_TRUE(panel.paper.empty());
  Printc(0xE8);  // C[1] = E, C[0] = 8: right-justified end of line
  ASSERT_EQ(panel.paper.size(), 1u);
  EXPECT_EQ(panel.paper[0], "HHHELLO");
  EXPECT_EQ(panel.paperStart[0], kPaperWidth - 7 * 14);
  EXPECT_NE(PrinterStatus & 0x10, 0u);
  EXPECT_TRUE(PrintLine().empty());
}

TEST_F(PrinterTest, ByteWidthsAndStoredCodes) {
  struct Case {
    Bytes in;
    Bytes stored;
    int spaceLeft;
    bool column;
  };
  const Case cases[] = {
      {{'A'}, {'A'}, 322, false},
      {Bytes{0xD4} + Repeat('A', 24), Bytes{0xD4} + Repeat('A', 24), 336 - 672, false},
      {{0xA0}, {0xA0}, 336, false},
      {{0xD2, 0xA0}, {0xD2, 0xA0}, 336, false},  // skip 0 ends column mode
      {{0xA5}, {0xA5}, 336 - 70, false},
      {{0xD4, 0xA5}, {0xD4, 0xA5}, 336 - 140, false},
      {{0xB7}, {0xB7}, 336 - 322, false},
      {{0xB8}, {0xB8}, 336, false},
      {{0xBF}, {0xBF}, 336 - 14, false},
      {{0xD4, 0xBF}, {0xD4, 0xBF}, 336 - 14, false},  // dot columns are not doubled
      {{0xD2, 'A', 'A', 'A'}, {0xD2, 'A', 'A', 'A'}, 336 - 6, true},
      {{0xD6, 'A'}, {0xD6, 'A'}, 336 - 2, true},
      {{0xD2, 0xB9, 'A'}, {0xD2, 0xB9, 'A'}, 336 - 2 - 14, false},
      {{0xD1, 0xC1}, {0xD1, 0x61}, 322, false},  // bit 7 dropped, then lower case
      {{0xD0, 0xC1}, {0xD0, 0x41}, 322, false},
      {{0xD1, 0x41, 0x5A, 0x5B, 0x40}, {0xD1, 0x61, 0x7A, 0x5B, 0x40}, 336 - 56, false},
      {{0xD1, 0x61, 0x7A}, {0xD1, 0x61, 0x7A}, 336 - 28, false},
      {{0x61, 0x7A}, {0x61, 0x7A}, 336 - 28, false},
      {{0xD1, 0xDA, 0xE1}, {0xD1, 0x7A, 0x61}, 336 - 28, false},
      {{0xD3, 0x41}, {0xD3, 0x41}, 336 - 2, true},  // dot columns are not converted
      {{0xD5, 0xC1}, {0xD5, 0x61}, 336 - 28, false},
      {{0x9F, 0xC0, 0xCF, 0xD8, 0xDF, 0xE7, 0xE9, 0xFF},
       {0x1F, 0x40, 0x4F, 0x58, 0x5F, 0x67, 0x69, 0x7F},
       336 - 8 * 14,
       false},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(testing::PrintToString(t.in));
    PrinterReset();
    ClearPrintBuffer();
    Send(t.in);
    EXPECT_EQ(Buffer(), t.stored);
    EXPECT_EQ(SpaceLeft, t.spaceLeft);
    EXPECT_EQ(ColumnMode, t.column);
  }
}

TEST_F(PrinterTest, ModeBytesSetLowerCaseDoubleWidthAndColumnMode) {
  for (uint8_t b = 0xD0; b <= 0xD7; ++b) {
    SCOPED_TRACE(testing::Message() << std::hex << int(b));
    Send({0xD7});  // everything on first, so that each bit must also clear
    Send({b});
    EXPECT_EQ((PrinterStatus & 0x80) != 0, (b & 1) != 0);
    EXPECT_EQ(ColumnMode, (b & 2) != 0);
    EXPECT_EQ((PrinterStatus & 0x20) != 0, (b & 4) != 0);
    EXPECT_EQ(SpaceLeft, 336);
    EXPECT_EQ(PrinterStatus & 0xFF00, 0x0300u);
  }
}

TEST_F(PrinterTest, EndOfLineWithAnEmptyBufferDrawsNothing) {
  for (uint8_t end : {0xE0, 0xE8}) {
    ColumnMode = true;
    SpaceLeft = 5;
    Send({end});
    EXPECT_TRUE(panel.paper.empty());
    EXPECT_EQ(SpaceLeft, 336);
    EXPECT_FALSE(ColumnMode);
    EXPECT_EQ((PrinterStatus & 0x10) != 0, end == 0xE8);
  }
}

TEST_F(PrinterTest, ModeOrSkipAloneIsABlankLine) {
  Send({0xD4, 0xE0});
  Send({0xA3, 0xE8});
  ASSERT_EQ(panel.paper.size(), 2u);
  EXPECT_EQ(panel.paper[0], "\xD4");
  EXPECT_EQ(panel.paperStart[0], 0);
  EXPECT_EQ(panel.paper[1], "\xA3");
  EXPECT_EQ(panel.paperStart[1], 336 - 3 * 28);  // double width is still on
}

TEST_F(PrinterTest, LinesWiderThanThePaper) {
  Send(Repeat('A', 30));
  EXPECT_EQ(SpaceLeft, -84);
  Send({0xE0});  // left-justified: starts at 0, the last six fall off the right
  Send(Repeat('B', 30) + Bytes{0xE8});  // right-justified: the first six fall off the left
  ASSERT_EQ(panel.paper.size(), 2u);
  EXPECT_EQ(panel.paper[0], std::string(30, 'A'));
  EXPECT_EQ(panel.paperStart[0], 0);
  EXPECT_EQ(panel.paper[1], std::string(30, 'B'));
  EXPECT_EQ(panel.paperStart[1], -84);
  EXPECT_EQ(SpaceLeft, 336);
  EXPECT_TRUE(PrintLine().empty());
}

TEST_F(PrinterTest, DoubleWidthLastsAcrossLinesColumnModeDoesNot) {
  Send({0xD4, 'A', 'B', 0xE8});
  Send({'C', 'D', 0xE8});
  Send({0xD2, 'E', 0xE8});
  Send({'F', 0xE8});
  ASSERT_EQ(panel.paperStart.size(), 4u);
  EXPECT_EQ(panel.paperStart[0], 336 - 56);
  EXPECT_EQ(panel.paperStart[1], 336 - 56);
  EXPECT_EQ(panel.paperStart[2], 336 - 2);
  EXPECT_EQ(panel.paperStart[3], 336 - 14);
}

TEST_F(PrinterTest, ResetKeepsTheBuffer) {
  Send({'A', 'B', 0xD5});
  SetPrinterMode(PrinterMode::Norm);
  PrinterReset();
  EXPECT_EQ(PrinterStatus, 0x0300u);
  EXPECT_EQ(AsString(Buffer()), "AB\xD5");
  EXPECT_EQ(SpaceLeft, 336 - 28);
  ClearPrintBuffer();
  EXPECT_TRUE(PrintLine().empty());
  EXPECT_EQ(SpaceLeft, 336);
}

TEST_F(PrinterTest, BufferKeepsTheFirst4096BytesAndAccountsForAll) {
  Send(Repeat('A', 5000));
  EXPECT_EQ(PrintLine().size(), 4096u);
  EXPECT_EQ(SpaceLeft, 336 - 5000 * 14);
  Send({0xE8});
  Send(Repeat('B', 5000) + Bytes{0xE0});
  ASSERT_EQ(panel.paper.size(), 2u);
  EXPECT_EQ(panel.paper[0], std::string(4096, 'A'));
  EXPECT_EQ(panel.paperStart[0], 336 - 5000 * 14);
  EXPECT_EQ(panel.paper[1], std::string(4096, 'B'));
  EXPECT_EQ(panel.paperStart[1], 0);

  // A mode byte past the bound is not stored but still takes effect.
  Send(Repeat('C', 4096) + Bytes{0xD4, 'C'});
  EXPECT_EQ(PrintLine().size(), 4096u);
  EXPECT_NE(PrinterStatus & 0x20, 0u);
  EXPECT_EQ(SpaceLeft, 336 - 4096 * 14 - 28);
  Send({0xE0, 'D', 0xE8});
  EXPECT_EQ(panel.paper.back(), "D");
}

// The window thread changes bits 15..12 while the executing thread changes 7, 5 and 4; neither
// may lose the other's bits. Each thread watches its own bits for a while after every change,
// so that a stale word written back by the other thread is seen. The threads go on until the
// executing thread has seen many changes of the window's bits (they really ran side by side),
// or for one second at most.
TEST_F(PrinterTest, ConcurrentStatusChangesLoseNoBits) {
  std::atomic<int> ready{0};
  std::atomic<bool> stop{false};
  auto startTogether = [&] {
    ++ready;
    while (ready < 2) {
    }
  };
  auto lost = [](uint32_t mask, uint32_t expected) {
    for (int k = 0; k < 32; ++k)
      if ((PrinterStatus.load() & mask) != expected) return 1;
    return 0;
  };
  int guiLost = 0, cpuLost = 0;
  std::thread gui([&] {
    startTogether();
    for (int i = 0; !stop; ++i) {
      const PrinterMode mode = i % 3 == 0   ? PrinterMode::Man
                               : i % 3 == 1 ? PrinterMode::Norm
                                            : PrinterMode::Trace;
      SetPrinterMode(mode);
      SetPrintKey(i & 1);
      SetAdvKey(!(i & 1));
      const uint32_t modeBits = i % 3 == 0 ? 0 : i % 3 == 1 ? 0x4000 : 0x8000;
      guiLost += lost(0xF000, modeBits | ((i & 1) ? 0x2000 : 0x1000));
    }
    SetPrinterMode(PrinterMode::Trace);
    SetPrintKey(true);
    SetAdvKey(false);
  });
  std::thread cpu([&] {
    startTogether();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    uint32_t lastGui = 0;
    for (int seen = 0; seen < 200000 && std::chrono::steady_clock::now() < deadline;) {
      PrintByte(0xD5);
      cpuLost += lost(0xA0, 0xA0);
      PrintByte(0xD0);
      cpuLost += lost(0xA0, 0);
      const uint32_t gui = PrinterStatus & 0xF000;
      if (gui != lastGui) ++seen;
      lastGui = gui;
    }
    stop = true;
    PrintByte(0xD5);
  });
  gui.join();
  cpu.join();
  EXPECT_EQ(guiLost, 0);
  EXPECT_EQ(cpuLost, 0);
  EXPECT_EQ(PrinterStatus, 0x8000u | 0x2000 | 0x0300 | 0x00A0);
  ClearPrintBuffer();
}

}  // namespace
