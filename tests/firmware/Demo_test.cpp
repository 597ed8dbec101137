// The demonstration firmware (firmware/demo.asm, built into demo.rom): run headless through
// valdor-run, and in this process where the test drives the clock and the printer's buttons.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cpu/Cpu.h"
#include "cpu/RunLoop.h"
#include "display/Lcd.h"
#include "memory/Ram.h"
#include "memory/Rom.h"
#include "printer/Dovada.h"
#include "support/MachineFixture.h"
#include "support/RunnerFixture.h"

namespace {

std::string DemoRom() {
  const char* rom = std::getenv("VALDOR_DEMO_ROM");
  return rom ? rom : "demo.rom";
}

const std::string kGreeting = " VALDOR DEMO\n    USER                  PRGM ALPHA\n";
const std::string kNoAnnunciators(36, ' ');

// ----- Through valdor-run ---------------------------------------------------------------

class DemoRunTest : public RunnerFixture {
 protected:
  void SetUp() override {
    RunnerFixture::SetUp();
    ASSERT_TRUE(std::filesystem::exists(DemoRom())) << DemoRom();
    std::filesystem::copy_file(DemoRom(), home_ + "demo.rom");
    std::ofstream(home_ + "VALDOR.Ini") << "[ROM]\nModules=1\nModule1=0 demo.rom\n";
  }

  // Runs valdor-run with the arguments; returns its standard output, and fails the test on an
  // exit status other than 0.
  std::string Run(const std::string& args) {
    std::string out;
    EXPECT_EQ(RunTool(args, &out), 0) << args << ": " << Errors();
    return out;
  }
};

TEST_F(DemoRunTest, GreetsWithAnnunciatorsAfterPowerOn) {
  EXPECT_EQ(Run("--display --no-save"), kGreeting);
}

struct KeysCase {
  const char* keys;
  const char* display;  // the display line after them
};

TEST_F(DemoRunTest, KeysShowWhatTheyDo) {
  const KeysCase cases[] = {
      // Keys without a task of their own: code and legend.
      {"XEQ", "KEY 32 XEQ  "},
      {"23", "KEY 71 SIN  "},
      {"11", "KEY 10 \u03a3+   "},
      {"USER", "KEY C6 USER "},
      {".", "KEY 77 POINT"},
      // Typing a number.
      {"1 2 CHS", "         -12"},
      {"9 0 7 BKSP", "          90"},
      {"1 2 3 4 5 6 7 8 9 1", "   123456789"},  // nine digits at most
      {"CHS", "          -0"},
      // The adding machine.
      {"1 2 + 3 0 +", "\u03a3=        42"},
      {"5 - 2 CHS -", "\u03a3=        -3"},
      {"7 + ENTER", "\u03a3=         7"},
      {"7 + BKSP", "\u03a3=         0"},  // back arrow with nothing typed clears the total
      // The contrast, from 15 at start.
      {"*", "CONTRAST  15"},
      {"/ / /", "CONTRAST  12"},
      // The stopwatch set to zero.
      {"SST", "SW       0.00"},
  };
  for (const auto& c : cases) {
    const std::string out = Run(std::string("--display --no-save --keys \"") + c.keys + "\"");
    EXPECT_EQ(out.substr(0, out.find('\n')), c.display) << c.keys;
  }
}

TEST_F(DemoRunTest, PrintsEachNumberAndTheRunningTotalWhenThePrinterIsOn) {
  const std::string paper = home_ + "paper.txt";
  const std::string out = Run("--printer-on --display --no-save --paper " + paper +
                              " --keys \"1 2 + 3 0 + 5 0 - ENTER\"");
  EXPECT_EQ(out, "\u03a3=        -8\n" + kNoAnnunciators + "\n");
  // Right-justified lines: "12 +" is 4 characters, so it starts after 20 blank ones.
  const std::string pad(20, ' ');
  EXPECT_EQ(Slurp(paper), pad + "12 +\n" + pad + "12 *\n" + pad + "30 +\n" + pad + "42 *\n" + pad +
                              "50 -\n" + pad + "-8 *\n" + pad + "-8 *\n");
  // With the printer off, nothing is printed.
  Run("--no-save --paper " + paper + " --keys \"1 2 +\"");
  EXPECT_EQ(Slurp(paper), "");
}

TEST_F(DemoRunTest, TotalSurvivesARestartInTheRamImage) {
  Run("--keys \"4 2 +\"");
  const std::string out = Run("--display --keys ENTER");
  EXPECT_EQ(out.substr(0, out.find('\n')), "\u03a3=        42");
  // Switched off and on again, it greets; the total is still there.
  EXPECT_EQ(Run("--display --keys \"ON ON\""), kGreeting);
  const std::string again = Run("--display --no-save --keys \"3 -\"");
  EXPECT_EQ(again.substr(0, again.find('\n')), "\u03a3=        39");
}

TEST_F(DemoRunTest, OnSwitchesOffAndOnlyOnWakesFromDeepSleep) {
  const std::string off = std::string(12, ' ') + "\n\n";
  EXPECT_EQ(Run("--display --no-save --keys ON"), off);
  EXPECT_EQ(Run("--display --no-save --keys \"ON 5 ENTER\""), off);
  EXPECT_EQ(Run("--display --no-save --keys \"ON 5 ON\""), kGreeting);
}

// Under virtual time the stopwatch shows what the keys and the wait took, not the wall clock's
// time, and two runs write the same trace byte for byte.
TEST_F(DemoRunTest, StopwatchUnderVirtualTimeRunsTheSameEveryTime) {
  std::string logs[2];
  for (std::string& log : logs) {
    EXPECT_EQ(Run("--no-save --virtual-time --trace --keys 'R/S wait:5s R/S' --display"),
              "SW       5.37\n" + kNoAnnunciators + "\n");
    log = Slurp(home_ + "VALDOR.LOG");
  }
  EXPECT_GT(logs[0].size(), 1000000u);
  EXPECT_TRUE(logs[0] == logs[1]);  // not EXPECT_EQ: megabytes of text
}

// The automatic power-off after ten minutes of light sleep counts virtual time too; a register
// set before the run is what the firmware finds.
TEST_F(DemoRunTest, VirtualMinutesSwitchTheDisplayOffAndSetRegistersAreUsed) {
  EXPECT_EQ(Run("--no-save --virtual-time --keys wait:10m --display"), kGreeting);
  EXPECT_EQ(Run("--no-save --virtual-time --keys wait:11m --display"),
            std::string(12, ' ') + "\n\n");
  EXPECT_EQ(Run("--no-save --set R:1=123 --keys ENTER --display --print R:1"),
            "\u03a3=       123\n" + kNoAnnunciators + "\nR:1=00000000000123\n");
}

// ----- In this process ------------------------------------------------------------------

class DemoMachineTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    ASSERT_TRUE(LoadModuleImage(0, DemoRom(), 16)) << DemoRom();
    Cpu.Running = 1;
    RunLoopStart();
    ASSERT_TRUE(RunUntilAsleep());
  }

  static bool RunUntilAsleep() {
    for (int i = 0; i < 1'000'000; ++i) {
      if (!Cpu.Awake) return true;
      RunIteration();
    }
    return false;
  }
  static void Iterate(int n) {
    for (int i = 0; i < n; ++i) RunIteration();
  }
  // Holds a key for a while, as a click does, lets it go and waits a little.
  static void Press(int key) {
    KeyPressed(key);
    Iterate(5000);
    KeyReleased();
    Iterate(5000);
  }
  // Runs through one whole turn of the stopwatch's loop: from a keyboard check to the next.
  static void RunToKeyboardCheck() {
    for (int turn = 0; turn < 2; ++turn) {
      RunIteration();
      for (int i = 0; i < 100'000 && FetchRom(Cpu.PC) != kChkkb; ++i) RunIteration();
    }
  }
  static constexpr uint16_t kChkkb = 0x3CC;

  // The display as text: each position, then its punctuation mark.
  static std::string Display() {
    const DisplayText t = DecodeDisplay();
    std::string line;
    for (size_t i = 0; i < t.chars.size(); ++i) {
      line += t.chars[i] == 0x7E ? std::string("\u03a3") : std::string(1, t.chars[i]);
      if (t.punct[i] != ' ') line += t.punct[i];
    }
    return line;
  }
  static bool Running() { return DecodeDisplay().ann.find("PRGM") != std::string::npos; }
};

constexpr int kRunStop = 84;
constexpr int kSst = 35;

TEST_F(DemoMachineTest, StopwatchCountsHundredthsOfClockB) {
  Press(kRunStop);
  host.AdvanceFakeTicks(12340);
  RunToKeyboardCheck();
  EXPECT_TRUE(Cpu.Awake);  // shown live: the firmware does not sleep while it runs
  EXPECT_EQ(Display(), "SW      12.34");
  EXPECT_TRUE(Running());

  Press(kRunStop);
  ASSERT_TRUE(RunUntilAsleep());
  EXPECT_EQ(Display(), "SW      12.34");
  EXPECT_FALSE(Running());

  // Stopped time does not count: 100 s asleep, then 2.5 s running.
  host.AdvanceFakeTicks(100000);
  Press(kRunStop);
  host.AdvanceFakeTicks(2500);
  Press(kRunStop);
  ASSERT_TRUE(RunUntilAsleep());
  EXPECT_EQ(Display(), "SW      14.84");

  Press(kSst);
  ASSERT_TRUE(RunUntilAsleep());
  EXPECT_EQ(Display(), "SW       0.00");
}

TEST_F(DemoMachineTest, AnotherKeyLeavesTheRunningDisplayAndTheWatchRunsOn) {
  Press(kRunStop);
  Press(72);  // the digit 1
  ASSERT_TRUE(RunUntilAsleep());
  EXPECT_EQ(Display(), "           1");
  host.AdvanceFakeTicks(3000);
  Press(kRunStop);  // stops it
  ASSERT_TRUE(RunUntilAsleep());
  EXPECT_EQ(Display(), "SW       3.00");
}

TEST_F(DemoMachineTest, PrinterButtonsPrintTheTotalAndFeedPaper) {
  PrinterOn = 1;
  RamRegisters[1][1] = 4;  // the total: 42
  RamRegisters[1][0] = 2;
  for (const bool print : {true, false}) {
    print ? SetPrintKey(true) : SetAdvKey(true);
    Iterate(5000);  // the button wakes the sleeping calculator
    EXPECT_TRUE(Cpu.Awake);
    print ? SetPrintKey(false) : SetAdvKey(false);
    ASSERT_TRUE(RunUntilAsleep());
  }
  // The total, right-justified; then a line holding only "skip no characters".
  EXPECT_EQ(panel.paper, (std::vector<std::string>{"42 *", "\xA0"}));
  EXPECT_EQ(panel.paperStart[0], kPaperWidth - 4 * 14);
}

TEST_F(DemoMachineTest, ContrastKeysSetTheContrastRegister) {
  contrast = 3;
  Press(81);  // divide: down
  ASSERT_TRUE(RunUntilAsleep());
  EXPECT_EQ(contrast.load(), 2);
  EXPECT_EQ(Display(), "CONTRAST   2");
  contrast = 0;
  Press(81);
  ASSERT_TRUE(RunUntilAsleep());
  EXPECT_EQ(contrast.load(), 0);
  Press(71);  // times: up
  ASSERT_TRUE(RunUntilAsleep());
  EXPECT_EQ(contrast.load(), 1);
}

}  // namespace
