// valdor-run end to end: small firmware images assembled as words, run headless.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/RunnerFixture.h"
#include "tools/nutasm/Assembler.h"

namespace {

class RunnerTest : public RunnerFixture {
 protected:
  // Writes words from address 0 as a one-page image (2 bytes a word) and a configuration that
  // loads it at page 0.
  void Firmware(const std::vector<uint16_t>& words) {
    std::string image(8192, '\0');
    for (size_t i = 0; i < words.size(); ++i) {
      image[2 * i] = static_cast<char>(words[i] >> 8);
      image[2 * i + 1] = static_cast<char>(words[i] & 0xFF);
    }
    std::ofstream(home_ + "fw.rom", std::ios::binary) << image;
    std::ofstream(home_ + "VALDOR.Ini") << "[ROM]\nModules=1\nModule1=0 fw.rom\n";
  }

  // Assembles source into the firmware at page 0.
  void FirmwareFrom(const std::string& source) {
    const nutasm::Program program = nutasm::Assemble(source, "fw.asm");
    ASSERT_TRUE(program.Ok()) << program.errors.front();
    nutasm::Image image;
    std::string error;
    ASSERT_TRUE(nutasm::BuildImage(program, nutasm::ImageFormat::Words16, image, error)) << error;
    std::ofstream(home_ + "fw.rom", std::ios::binary) << image.bytes;
    std::ofstream(home_ + "VALDOR.Ini") << "[ROM]\nModules=1\nModule1=0 fw.rom\n";
  }

  int Run(const std::string& args, std::string* out = nullptr) { return RunTool(args, out); }
};

// LDI 010, DADD=C (an absent register), LDI 0FD, PFAD=C, then "HELLO" into the character
// registers A and B from the left, annunciators PRGM and ALPHA, POWOFF.
const std::vector<uint16_t> kHello = {
    0x130, 0x010, 0x270, 0x130, 0x0FD, 0x3F0, 0x19C, 0x210, 0x150, 0x310, 0x310, 0x3D0, 0x010,
    0x010, 0x010, 0x010, 0x010, 0x010, 0x010, 0x028, 0x19C, 0x010, 0x010, 0x010, 0x010, 0x010,
    0x090, 0x090, 0x090, 0x090, 0x090, 0x090, 0x090, 0x068, 0x130, 0x003, 0x2F0, 0x060};

// Counts its wakes in RAM register 5 and keeps clock A at the last one in register 6; switches
// alarm A off once it has rung, clears the timer's events and sleeps lightly.
const char* const kAlarmClock = R"(
        LDI 3F0
        DADD=C          ; no RAM there: register numbers reach the peripherals
        LDI 0FD
        PFAD=C
        DISOFF
        DISTOG          ; display on
        LDI 0FB
        PFAD=C          ; the timer chip
        C=REGN 0        ; clock A
        N=C
        C=REGN 3        ; its status: bit 0 says that alarm A rang
        ST=C
        ?ST=1 0
        GONC CLEAR
        REGN=C 10       ; alarm A off
CLEAR:  C=0 W
        REGN=C 3        ; events cleared
        DADD=C          ; RAM registers 0..15
        C=N
        REGN=C 6
        C=REGN 5
        C=C+1 W
        REGN=C 5
        POWOFF
)";

// 0 CHKKB; 1 GONC +4; 2 C=KEYS; 3 REGN=C 5; 4 NOP; 5 POWOFF.
const std::vector<uint16_t> kStoreKey = {0x3CC, 0x023, 0x220, 0x168, 0x000, 0x060};

TEST_F(RunnerTest, ShowsWhatTheFirmwareWroteOnTheDisplay) {
  Firmware(kHello);
  std::string out;
  ASSERT_EQ(Run("--display", &out), 0) << Errors();
  EXPECT_EQ(out, "HELLO       \n                          PRGM ALPHA\n");
}

TEST_F(RunnerTest, WritesPrintedLinesToThePaperFile) {
  // Each byte: LDI byte, SELPF 9, PRINTC (which also hands control back).
  std::vector<uint16_t> words;
  for (uint16_t byte : {0x48, 0x49, 0xE0, 0xA3, 0x41, 0xE8})
    words.insert(words.end(), {0x130, byte, 0x264, 0x007});
  words.push_back(0x060);
  Firmware(words);
  ASSERT_EQ(Run("--paper " + home_ + "paper.txt"), 0) << Errors();
  // The right-justified line "   A" (skip three characters) ends at the right edge.
  EXPECT_EQ(Slurp(home_ + "paper.txt"), "HI\n" + std::string(20, ' ') + "   A\n");
}

TEST_F(RunnerTest, KeyIsSeenByTheFirmwareAndKeptInRamAcrossRuns) {
  Firmware(kStoreKey);
  ASSERT_EQ(Run("--keys 7"), 0) << Errors();
  const std::string image = Slurp(home_ + "VALDOR.RAM");
  ASSERT_EQ(image.size(), (16u + 320u) * 9u);
  // Register 5 holds the key code 0x34 in digits 4 and 3.
  EXPECT_EQ(image[5 * 9], 5);
  EXPECT_EQ(static_cast<uint8_t>(image[5 * 9 + 3]), 0x40);
  EXPECT_EQ(static_cast<uint8_t>(image[5 * 9 + 4]), 0x03);

  // A second run without keys restores the image and saves it unchanged.
  ASSERT_EQ(Run(""), 0) << Errors();
  EXPECT_EQ(Slurp(home_ + "VALDOR.RAM"), image);
  // --no-save leaves it alone even when a key would change it.
  ASSERT_EQ(Run("--keys 8 --no-save"), 0) << Errors();
  EXPECT_EQ(Slurp(home_ + "VALDOR.RAM"), image);
}

TEST_F(RunnerTest, TraceLogsTheFirstInstructions) {
  Firmware(kHello);
  ASSERT_EQ(Run("--trace --steps 2"), 0) << Errors();
  const std::string log = Slurp(home_ + "VALDOR.LOG");
  EXPECT_EQ(log.substr(0, log.find("\r\n")), "0000 130 LDI 010 DAdd=000 PfAd=00 Base=16");
  // Two records of three CR LF lines each; the second at the word after LDI's constant.
  size_t lines = 0;
  for (size_t p = log.find("\r\n"); p != std::string::npos; p = log.find("\r\n", p + 2)) ++lines;
  EXPECT_EQ(lines, 6u);
  EXPECT_NE(log.find("\r\n0002 270 DADD=C DAdd=000 PfAd=00 Base=16\r\n"), std::string::npos);
}

TEST_F(RunnerTest, StepsBoundAFirmwareThatNeverSleeps) {
  Firmware({0x003});  // GONC to itself
  std::string out;
  EXPECT_EQ(Run("--steps 1000 --display", &out), 0) << Errors();
  EXPECT_EQ(Run(""), 1);
  EXPECT_NE(Errors().find("did not go to sleep"), std::string::npos);
}

TEST_F(RunnerTest, BadArgumentsExitWithUsage) {
  for (const char* args : {"--steps", "--steps x", "--keys NOPE", "--keys 42", "--keys '#42'",
                           "--bogus", "--steps 18446744073709551616", "--hold 99999999999999999999",
                           "--printer-mode", "--printer-mode auto"}) {
    EXPECT_EQ(Run(args), 2) << args;
    // One line with the reason, not the whole usage.
    const std::string said = Errors();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("(try --help)"), std::string::npos) << said;
  }
}

// Virtual time starts at 2000-01-01 (clock A 00315567360000) or at the date given, and passes in
// waits: alarm A and the interval timer wake the sleeping calculator at their virtual moment.
TEST_F(RunnerTest, TimerEventsWakeTheCalculatorOnTimeInWaits) {
  FirmwareFrom(kAlarmClock);
  const std::string vt = "--no-save --print R:5 --print R:6 --virtual-time";
  const std::string alarm3s = " --set ALA=00315567360300";
  const std::string interval1s = " --set TR=00100 --set SR=540";
  const struct {
    std::string args;
    const char* out;  // wakes (power-on included), then clock A at the last wake
  } cases[] = {
      {vt, "R:5=00000000000001\nR:6=00315567360000\n"},
      {vt + "=2026-12-09T10:00:00", "R:5=00000000000001\nR:6=00400579920000\n"},
      {vt + alarm3s + " --keys wait:3s", "R:5=00000000000001\nR:6=00315567360000\n"},
      {vt + alarm3s + " --keys wait:3010ms", "R:5=00000000000002\nR:6=00315567360300\n"},
      {vt + alarm3s + " --keys wait:1h", "R:5=00000000000002\nR:6=00315567360300\n"},
      {vt + alarm3s + " --set R:5=10 --keys wait:4s", "R:5=00000000000012\nR:6=00315567360300\n"},
      {vt + interval1s + " --keys wait:10s", "R:5=0000000000000A\nR:6=00315567360900\n"},
      {vt + interval1s + " --keys 'wait:1s wait:1s wait:1010ms'",
       "R:5=00000000000004\nR:6=00315567360300\n"},
      {vt + interval1s + " --keys wait:60s --steps 100",
       "R:5=00000000000004\nR:6=00315567360300\n"},
  };
  for (const auto& c : cases) {
    std::string out;
    ASSERT_EQ(Run(c.args, &out), 0) << c.args << Errors();
    EXPECT_EQ(out, c.out) << c.args;
  }
}

// Arguments that can only be judged once the machine has started: refused before it runs.
TEST_F(RunnerTest, RefusesRegistersAndRamImagesBeforeRunning) {
  Firmware(kStoreKey);
  std::ofstream(home_ + "empty.ram").flush();
  std::ofstream(home_ + "short.ram") << std::string(10, '\0');
  std::filesystem::create_directory(home_ + "folder.ram");
  const struct {
    std::string args;
    std::string said;
  } cases[] = {
      {"--set A=12G4", "--set: '12G4' is no value for this register"},
      {"--set R:200=1", "--set: RAM register 200 does not exist"},
      {"--print R:200", "--print R:200: RAM register 200 does not exist"},
      {"--set NOPE=1", "unknown register 'NOPE'"},
      {"--print R:400", "'R:400' names no RAM register"},
      {"--set A", "--set needs REG=VALUE, not 'A'"},
      {"--ram " + home_ + "missing.ram", "missing.ram is no RAM image: No such file or directory"},
      {"--ram " + home_ + "folder.ram", "folder.ram is no RAM image: a folder"},
      {"--ram " + home_ + "empty.ram", "empty.ram is no RAM image: empty file"},
      {"--ram " + home_ + "short.ram", "short.ram is no RAM image: 10 bytes: not a whole number"},
      {"--keys wait:5s", "a wait among the keys needs --virtual-time"},
      {"--virtual-time --keys wait:5", "'wait:5' is no wait"},
      {"--virtual-time=2000-01-01", "--virtual-time needs a date and time"},
      {"--virtual-time=", "--virtual-time needs a date and time"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(c.args + " --keys 7"), 2) << c.args;
    EXPECT_NE(Errors().find(c.said), std::string::npos) << c.args << ": " << Errors();
    EXPECT_FALSE(std::filesystem::exists(home_ + "VALDOR.RAM")) << c.args;
  }
}

// --ram runs from another image: the home's is neither read nor written, and the image is
// written back only with --save.
TEST_F(RunnerTest, RamImageFileReplacesTheHomesAndIsSavedOnlyWhenAsked) {
  Firmware(kStoreKey);
  ASSERT_EQ(Run("--keys 7"), 0) << Errors();
  const std::string home = Slurp(home_ + "VALDOR.RAM");
  std::filesystem::copy_file(home_ + "VALDOR.RAM", home_ + "mine.ram");
  std::string out;
  ASSERT_EQ(Run("--ram " + home_ + "mine.ram --print R:5 --keys 8", &out), 0) << Errors();
  EXPECT_EQ(out, "R:5=00000000074000\n");  // the key code of 8 in digits 4 and 3
  EXPECT_EQ(Slurp(home_ + "mine.ram"), home);
  ASSERT_EQ(Run("--ram " + home_ + "mine.ram --print R:5 --save", &out), 0) << Errors();
  EXPECT_EQ(out, "R:5=00000000034000\n");  // as the image holds it
  // Also where the configuration does not load the home's image.
  std::ofstream(home_ + "VALDOR.Ini", std::ios::app) << "[RAM]\nLoad=0\n";
  ASSERT_EQ(Run("--ram " + home_ + "mine.ram --print R:5 --steps 0", &out), 0) << Errors();
  EXPECT_EQ(out, "R:5=00000000034000\n");
  ASSERT_EQ(Run("--ram " + home_ + "mine.ram --save --keys 9"), 0) << Errors();
  EXPECT_NE(Slurp(home_ + "mine.ram"), home);
  EXPECT_EQ(Slurp(home_ + "VALDOR.RAM"), home);
}

TEST_F(RunnerTest, MissingModuleIsReportedAndTheRunGoesOn) {
  std::ofstream(home_ + "VALDOR.Ini") << "[ROM]\nModules=1\nModule1=0 nowhere.rom\n";
  EXPECT_EQ(Run("--steps 10"), 0);
  EXPECT_NE(Errors().find("Cannot load module file: " + home_ + "nowhere.rom"), std::string::npos);
}

TEST_F(RunnerTest, KeysByNameOrNumberReachTheFirmwareWhateverTheHold) {
  Firmware(kStoreKey);
  const struct {
    const char* args;
    int code;
  } cases[] = {{"--keys 1", 0x36},          {"--keys '#1'", 0x18}, {"--keys '#72'", 0x36},
               {"--keys 11", 0x10},         {"--keys ON", 0x18},  {"--keys 7 --hold 0", 0x34},
               {"--keys '#84' --hold 0", 0x87}};
  for (const auto& c : cases) {
    ASSERT_EQ(Run(c.args), 0) << c.args << Errors();
    const std::string image = Slurp(home_ + "VALDOR.RAM");
    ASSERT_GT(image.size(), 5u * 9u + 4u);
    const int code = (static_cast<uint8_t>(image[5 * 9 + 3]) >> 4) |
                     ((static_cast<uint8_t>(image[5 * 9 + 4]) & 15) << 4);
    EXPECT_EQ(code, c.code) << c.args;
  }
}

TEST_F(RunnerTest, HelpAndVersionPrintAndSucceed) {
  Firmware(kHello);
  for (const char* args : {"--help", "-h", "--version"}) {
    std::string out;
    EXPECT_EQ(Run(args, &out), 0) << args;
    EXPECT_NE(out.find(args[2] == 'v' ? "valdor-run 1." : "usage: valdor-run"), std::string::npos)
        << args;
  }
}

// The assembler's command line: help and version, one line for a bad argument, and the system's
// reason for a file it cannot read or write.
TEST_F(RunnerTest, NutasmSaysWhatAndWhy) {
  const std::string nutasm = std::filesystem::path(runner_).parent_path().string() + "/nutasm";
  std::ofstream(home_ + "ok.asm") << "  .org 0\n  NOP\n";
  const struct {
    std::string args;
    int status;
    std::string said;  // on standard output for status 0, else on standard error
  } cases[] = {
      {"--help", 0, "usage: nutasm"},
      {"--version", 0, "nutasm 1."},
      {"--bogus", 2, "unknown option '--bogus' (try --help)"},
      {home_ + "missing.asm", 1, "cannot read '" + home_ + "missing.asm': No such file or directory"},
      {"-o " + home_ + "gone/x.rom " + home_ + "ok.asm", 1, "gone/x.rom: No such file or directory"},
  };
  for (const auto& c : cases) {
    const std::string cmd = nutasm + " " + c.args + " 2>" + home_ + "err.txt";
    FILE* pipe = popen(cmd.c_str(), "r");
    std::string out;
    char buf[256];
    while (pipe && fgets(buf, sizeof buf, pipe)) out += buf;
    const int status = pipe ? pclose(pipe) : -1;
    EXPECT_EQ(WEXITSTATUS(status), c.status) << c.args;
    EXPECT_NE((c.status == 0 ? out : Errors()).find(c.said), std::string::npos) << c.args << Errors();
  }
}

// Without --home or VALDOR_HOME a run uses the per-user folder, which is the desktop program's:
// it saves the memory there only when asked, and finds the demo of its own build (the first
// configuration names it without a folder).
TEST_F(RunnerTest, PerUserFolderIsSavedIntoOnlyWhenAsked) {
  const std::string xdg = home_ + "xdg/", user = xdg + "valdor/";
  const struct {
    const char* args;
    bool saved;
  } cases[] = {{"", false}, {"--save", true}, {"--no-save", false}};
  for (const auto& c : cases) {
    std::filesystem::remove_all(xdg);
    const std::string cmd = "env -u VALDOR_HOME XDG_DATA_HOME=" + xdg + " " + runner_ +
                            " --steps 2000 --display " + c.args + " >/dev/null 2>" + home_ +
                            "err.txt";
    EXPECT_EQ(WEXITSTATUS(std::system(cmd.c_str())), 0) << c.args << Errors();
    EXPECT_EQ(std::filesystem::exists(user + "VALDOR.RAM"), c.saved) << c.args;
    EXPECT_NE(Slurp(user + "VALDOR.Ini").find("Module1=0 rpn.rom\n"), std::string::npos);
    EXPECT_EQ(Errors().find("Cannot load"), std::string::npos) << Errors();
  }
  std::string out;
  EXPECT_EQ(Run("--help", &out), 0);
  EXPECT_NE(out.find("--save"), std::string::npos);
  EXPECT_NE(out.find("3 halted on a breakpoint"), std::string::npos);
}

TEST_F(RunnerTest, FailuresAtTheEndsOfTheRunExitWithOne) {
  // No configuration, named by --home or by VALDOR_HOME: nothing would run.
  EXPECT_EQ(Run("--steps 10"), 1);
  EXPECT_NE(Errors().find("no VALDOR.Ini in " + home_), std::string::npos) << Errors();
  const std::string viaEnv = "VALDOR_HOME=" + home_ + " " + runner_ + " --steps 10 2>" + home_ +
                             "err.txt";
  EXPECT_EQ(WEXITSTATUS(std::system(viaEnv.c_str())), 1);
  EXPECT_NE(Errors().find("no VALDOR.Ini in " + home_), std::string::npos) << Errors();

  // The RAM image cannot be saved: its link leads into a folder that does not exist.
  Firmware(kHello);
  std::filesystem::create_symlink(home_ + "gone/VALDOR.RAM", home_ + "VALDOR.RAM");
  EXPECT_EQ(Run(""), 1);
  EXPECT_NE(Errors().find("No such file or directory"), std::string::npos) << Errors();
  EXPECT_EQ(Errors().find("OP="), std::string::npos) << Errors();
  std::filesystem::remove(home_ + "VALDOR.RAM");

  // The paper file goes into a folder that does not exist: named, with the system's reason.
  EXPECT_EQ(Run("--no-save --paper " + home_ + "gone/paper.txt"), 1);
  EXPECT_NE(Errors().find("cannot write " + home_ + "gone/paper.txt: No such file or directory"),
            std::string::npos) << Errors();

  // A RAM image that cannot be read is an error, and it is left as it is.
  std::filesystem::create_directory(home_ + "VALDOR.RAM");
  EXPECT_EQ(Run(""), 1);
  EXPECT_NE(Errors().find("cannot read the RAM image"), std::string::npos) << Errors();
  EXPECT_TRUE(std::filesystem::is_directory(home_ + "VALDOR.RAM"));
}

// Whether the process has a handler for sig (the SigCgt mask of /proc/PID/status).
bool Catches(pid_t pid, int sig) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("SigCgt:", 0) == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
  return false;
}

// The process's user and system time so far, in clock ticks (/proc/PID/stat, fields 14, 15).
long CpuTicks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream rest(all.substr(all.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 13; ++i) rest >> field;
  rest >> utime >> stime;
  return utime + stime;
}

// Polls pred for up to 20 seconds.
bool WaitFor(const std::function<bool()>& pred) {
  for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20); !pred();) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

TEST_F(RunnerTest, StopSignalsEndTheRunInOrderAndSaveTheRam) {
  // LDI 123; REGN=C 5; then GONC to itself for ever.
  Firmware({0x130, 0x123, 0x168, 0x003});
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    std::filesystem::remove(home_ + "VALDOR.RAM");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      freopen((home_ + "err.txt").c_str(), "w", stderr);
      execl(runner_.c_str(), runner_.c_str(), "--home", home_.c_str(), "--steps",
            "100000000000", static_cast<char*>(nullptr));
      _exit(127);
    }
    // The handlers are installed before start-up, which takes far less than the 100 ms of CPU
    // time awaited after them: by then the loop has run its first instructions.
    ASSERT_TRUE(WaitFor([&] { return Catches(pid, sig) && CpuTicks(pid) >= 10; })) << sig;
    kill(pid, sig);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << sig << " killed it";
    EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
    const std::string image = Slurp(home_ + "VALDOR.RAM");
    ASSERT_GT(image.size(), 5u * 9u + 2u) << sig;
    EXPECT_EQ(static_cast<uint8_t>(image[5 * 9 + 2]), 0x23) << sig;
  }
}

}  // namespace
