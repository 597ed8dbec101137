// valdor-run's breakpoints and watchpoints on the demonstration firmware, by symbol.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/RunnerFixture.h"

namespace {

class RunDebugTest : public RunnerFixture {
 protected:
  void SetUp() override {
    RunnerFixture::SetUp();
    const char* rom = std::getenv("VALDOR_DEMO_ROM");
    const std::filesystem::path demo = rom ? rom : "demo.rom";
    ASSERT_TRUE(std::filesystem::exists(demo)) << demo;
    std::filesystem::copy_file(demo, home_ + "demo.rom");
    std::filesystem::copy_file(demo.parent_path() / "demo.sym", home_ + "Entries.A");
    std::ofstream(home_ + "VALDOR.Ini") << "[ROM]\nModules=1\nModule1=0 demo.rom\n";
  }
};

TEST_F(RunDebugTest, HaltsOnARoutineBySymbolWithStatusAndReport) {
  struct Case {
    const char* args;
    int status;
    int halts;             // "halted:" lines
    const char* contains;  // in the output
  };
  const Case cases[] = {
      {"--keys XEQ --break KEY --history 2", 3, 1,
       "halted: breakpoint KEY at 0010 =KEY, hit 1\nPC=0010 OP=046 C=0 X\n"},
      {"--keys XEQ --break KEY --history 2", 3, 1, "history (last 2):\n  0004 3CC CHKKB\n"},
      {"--keys \"XEQ 7\" --break KEY --continue", 0, 2, "=KEY, hit 2"},
      {"--keys \"XEQ 7\" --break KEY*2", 3, 1, "=KEY, hit 2"},
      {"--keys XEQ --break KEY@1", 0, 0, ""},           // bank 1 is not in force
      {"--keys XEQ --break \"KEY:P == 0\"", 0, 0, ""},  // P is D there
      {"--keys XEQ --watch POWOFF", 3, 1, "halted: watchpoint POWOFF: power off at"},
      // The watchpoint halts after REGN=C 3 at 0034, on the breakpoint's instruction.
      {"--watch 003:w --break 0035 --continue", 0, 2, "halted: breakpoint 0035 at 0035"},
      {"--dump", 0, 0, "\nDAdd="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    std::string out;
    EXPECT_EQ(RunTool(std::string("--no-save ") + c.args, &out), c.status) << Errors();
    int halts = 0;
    for (size_t at = 0; (at = out.find("halted:", at)) != std::string::npos; ++at) ++halts;
    EXPECT_EQ(halts, c.halts) << out;
    EXPECT_NE(out.find(c.contains), std::string::npos) << out;
  }
  // A bad breakpoint is a usage error that names it.
  EXPECT_EQ(RunTool("--break NOSUCH"), 2);
  EXPECT_NE(Errors().find("'NOSUCH'"), std::string::npos);
}

TEST_F(RunDebugTest, LeavesTheDesktopsBreakpointFileAlone) {
  // The user's set would halt at KEY; a scripted run neither obeys nor rewrites it.
  const std::string written = " KEY \n# mine\n";
  std::ofstream(home_ + "VALDOR.BRK") << written;
  EXPECT_EQ(RunTool("--keys XEQ"), 0) << Errors();
  EXPECT_EQ(RunTool("--keys XEQ --break KEY"), 3) << Errors();
  EXPECT_EQ(Slurp(home_ + "VALDOR.BRK"), written);
}

}  // namespace
