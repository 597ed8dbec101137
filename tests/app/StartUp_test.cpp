// Start-up from the configuration, the command-line switches, shut-down and the settings
// written back at exit.

#include "app/StartUp.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <functional>
#include <sstream>
#include <tuple>
#include <vector>

#include "cpu/Cpu.h"
#include "cpu/RunLoop.h"
#include "debugger/Breakpoints.h"
#include "debugger/DebugRun.h"
#include "debugger/Symbols.h"
#include "debugger/Trace.h"
#include "display/Lcd.h"
#include "memory/Ram.h"
#include "memory/Rom.h"
#include "support/MachineFixture.h"

namespace {

// A host whose message processing advances the fake clock by 10 ms, so that the timed waits
// end, and lets a test act at a given moment (hold a key, for instance).
class TickingHost : public HeadlessHost {
 public:
  void ProcessMessages() override {
    AdvanceFakeTicks(10);
    if (onTick) onTick(TickCount());
  }
  // Also what the annunciator line said while the box waited.
  void MessageBox(const std::string& caption, const std::string& text) override {
    HeadlessHost::MessageBox(caption, text);
    annWhileShown.push_back(static_cast<HeadlessPanel&>(ThePanel()).ann);
  }
  std::vector<std::string> annWhileShown;
  bool IsNT() override { return nt; }

  std::function<void(uint32_t)> onTick;
  bool nt = false;
};

// A panel that also records every call in one list, with the tick count and Running at the
// moment of the call.
class RecordingPanel : public HeadlessPanel {
 public:
  struct Event {
    std::string what;
    uint32_t tick;
    int running;
  };
  void drawCharacters(const std::string& text) override {
    Record("chars:" + text);
    HeadlessPanel::drawCharacters(text);
  }
  void drawPunctuation(const std::string& text) override {
    Record("punct:" + text);
    HeadlessPanel::drawPunctuation(text);
  }
  void drawAnnunciators(const std::string& text) override {
    Record("ann:" + text);
    HeadlessPanel::drawAnnunciators(text);
  }
  void applyContrast() override {
    Record("contrast:" + std::to_string(contrast.load()));
    HeadlessPanel::applyContrast();
  }
  void PlaceMainWindow(int l, int t) override {
    Record("place");
    HeadlessPanel::PlaceMainWindow(l, t);
  }
  void ShowDebugger() override {
    Record("debugger");
    HeadlessPanel::ShowDebugger();
  }
  // The recorded call names, in order.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Event& e : events) names.push_back(e.what);
    return names;
  }
  // The tick of the first call with that name.
  uint32_t TickOf(const std::string& what) const {
    for (const Event& e : events)
      if (e.what == what) return e.tick;
    ADD_FAILURE() << "no call " << what;
    return 0;
  }
  bool Has(const std::string& what) const {
    for (const Event& e : events)
      if (e.what == what) return true;
    return false;
  }

  std::vector<Event> events;

 private:
  void Record(const std::string& what) {
    events.push_back({what, TheHost().TickCount(), Cpu.Running.load()});
  }
};

const std::string kBanner = "** VALDOR **";
const std::string kHold = " Hold ON to skip RAM loading ...";
const std::string kLoading = " Loading RAM image ...";
const std::string kVersion = "   VALDOR version 1.0";
const std::string kShutting = " Shutting down ...";
const std::string kSaving = " Saving RAM image ...";

// One RAM image record: register number, then digit 2k in the low half of byte 2 + k.
std::string Record(int r, const std::vector<uint8_t>& digits) {
  std::string rec{static_cast<char>(r & 0xFF), static_cast<char>(r >> 8)};
  for (int k = 0; k < 7; ++k) {
    const uint8_t lo = digits.size() > size_t(2 * k) ? digits[2 * k] : 0;
    const uint8_t hi = digits.size() > size_t(2 * k + 1) ? digits[2 * k + 1] : 0;
    rec += static_cast<char>(lo | (hi << 4));
  }
  return rec;
}

// A module image in the two-byte encoding: pages × 4096 words, high byte first.
std::string WordsImage(int pages, const std::vector<std::pair<int, uint16_t>>& words) {
  std::string bytes(static_cast<size_t>(pages) * 8192, '\0');
  for (const auto& [index, word] : words) {
    bytes[2 * index] = static_cast<char>(word >> 8);
    bytes[2 * index + 1] = static_cast<char>(word & 0xFF);
  }
  return bytes;
}

// The key lines of a profile file, as section, key and value, in file order.
using Entry = std::tuple<std::string, std::string, std::string>;
std::vector<Entry> ProfileEntries(const std::string& text) {
  std::vector<Entry> entries;
  std::istringstream in(text);
  std::string section;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      section = line.substr(1, line.find(']') - 1);
      continue;
    }
    const size_t eq = line.find('=');
    if (eq != std::string::npos)
      entries.emplace_back(section, line.substr(0, eq), line.substr(eq + 1));
  }
  return entries;
}

class StartUpTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    clock.homeDir = home;
    clock.SetFakeTicks(1000000);
    SetHost(&clock);
    SetPanel(&shown);
  }
  void TearDown() override {
    CloseTrace();
    MachineTest::TearDown();
  }
  void WriteIni(const std::string& text) { WriteHomeFile("VALDOR.Ini", text); }
  std::string IniPath() { return home + "VALDOR.Ini"; }
  std::string RamPath() { return home + "VALDOR.RAM"; }
  bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
  }
  // A fresh program start: program-start settings, then StartUp without waits.
  void Start() {
    ResetMachineSettings();
    shown = RecordingPanel();
    clock.messages.clear();
    clock.captions.clear();
    clock.annWhileShown.clear();
    StartUp(kNoWaits);
  }
  std::vector<std::string> Annunciators() {
    std::vector<std::string> ann;
    for (const auto& name : shown.Names())
      if (name.rfind("ann:", 0) == 0) ann.push_back(name.substr(4));
    return ann;
  }

  TickingHost clock;
  RecordingPanel shown;
};

TEST_F(StartUpTest, NoConfigurationGivesEveryDefault) {
  Start();
  EXPECT_EQ(contrast.load(), 15);
  EXPECT_EQ(shown.left, (shown.screenWidth - HeadlessPanel::kWindowWidth) / 2);
  EXPECT_EQ(shown.top, (shown.screenHeight - HeadlessPanel::kWindowHeight) / 2);
  for (int r = 0; r < kRamRegisters; ++r) {
    const bool expected = r <= 15 || (r >= 192 && r <= 511);
    ASSERT_EQ(RamExists[r] != 0, expected) << "register " << r;
  }
  EXPECT_EQ(RamSize, 320);
  EXPECT_EQ(Ticks.load(), 256);
  EXPECT_EQ(shown.speedBar, 256);
  EXPECT_EQ(Sensitivity.load(), 1);
  EXPECT_EQ(Turbo.load(), 0);
  EXPECT_EQ(NormalPriority, 2);
  EXPECT_EQ(TurboPriority, 4);
  EXPECT_EQ(Sound, 1);
  EXPECT_EQ(SaveRam, 1);
  EXPECT_FALSE(romSignatureMatch);
  EXPECT_EQ(Cpu.Running.load(), 1);
  EXPECT_EQ(TurboSuspended.load(), 0);
  EXPECT_EQ(Cpu.KeyDown.load(), -1);
  EXPECT_EQ(Cpu.Awake.load(), 1);
  EXPECT_EQ(Cpu.PC, 0);
  EXPECT_FALSE(shown.debuggerShown);
  EXPECT_TRUE(clock.messages.empty());
  EXPECT_EQ(shown.chars, kBanner);
  EXPECT_EQ(shown.ann, kVersion);
}

TEST_F(StartUpTest, SoundDefaultsOffOnNtHosts) {
  clock.nt = true;
  Start();
  EXPECT_EQ(Sound, 0);
  WriteIni("[CPU]\nSound=1\n");
  Start();
  EXPECT_EQ(Sound, 1);
}

TEST_F(StartUpTest, ShowsItsMessagesInOrder) {
  struct Case {
    const char* ini;
    bool image;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"",
       false,
       {"contrast:15", "place", "chars:" + kBanner, "punct:", "ann:" + kHold, "ann:" + kVersion}},
      {"[Calc]\nContrast=7\n",
       true,
       {"contrast:7", "place", "chars:" + kBanner, "punct:", "ann:" + kHold, "ann:" + kLoading,
        "ann:" + kVersion}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    WriteIni(c.ini);
    if (c.image) WriteHomeFile("VALDOR.RAM", Record(3, {1, 2, 3}));
    Start();
    EXPECT_EQ(shown.Names(), c.expected);
    // The version line is drawn while the machine is still stopped.
    EXPECT_EQ(shown.events.back().running, 0);
    EXPECT_EQ(Cpu.Running.load(), 1);
  }
}

TEST_F(StartUpTest, ReadsTheConfiguredValues) {
  using Get = int (*)();
  struct Case {
    const char* ini;
    Get get;
    int expected;
  };
  const Get ticks = [] { return static_cast<int>(Ticks.load()); };
  const Get sensitivity = [] { return static_cast<int>(Sensitivity.load()); };
  const Get turbo = [] { return static_cast<int>(Turbo.load()); };
  const Get normal = [] { return static_cast<int>(NormalPriority); };
  const Get turboPriority = [] { return static_cast<int>(TurboPriority); };
  const Get sound = [] { return static_cast<int>(Sound); };
  const Get saveRam = [] { return static_cast<int>(SaveRam); };
  const Get contrastValue = [] { return static_cast<int>(contrast.load()); };
  const Get left = [] { return static_cast<HeadlessPanel&>(ThePanel()).left; };
  const Get top = [] { return static_cast<HeadlessPanel&>(ThePanel()).top; };
  const Get speedBar = [] { return static_cast<HeadlessPanel&>(ThePanel()).speedBar; };
  const Case cases[] = {
      {"[CPU]\nTicks=0x100\n", ticks, 256},
      {"[CPU]\nTicks=$100\n", ticks, 256},
      {"[CPU]\nTicks=abc\n", ticks, 256},
      {"[CPU]\nTicks=-5\n", ticks, -5},
      {"[CPU]\nTicks=300\n", speedBar, 300},
      {"[CPU]\nSensitivity=0\n", sensitivity, 0},
      {"[CPU]\nTurbo=2\n", turbo, 1},
      {"[CPU]\nTurbo=-1\n", turbo, 1},
      {"[CPU]\nTurbo=yes\n", turbo, 0},
      {"[CPU]\nNormalPriority=0\n", normal, 0},
      {"[CPU]\nTurboPriority=6\n", turboPriority, 6},
      {"[CPU]\nSound=0\n", sound, 0},
      {"[CPU]\nSound=7\n", sound, 1},
      {"[RAM]\nSave=0\n", saveRam, 0},
      {"[Calc]\nContrast=9\n", contrastValue, 9},
      {"[Calc]\nLeft=5000\n", left, 1920 - 307},
      {"[Calc]\nLeft=-3\n", left, (1920 - 307) / 2},
      {"[Calc]\nLeft=100\nTop=50\n", left, 100},
      {"[Calc]\nLeft=100\nTop=50\n", top, 50},
      {"[Calc]\nTop=5000\n", top, 1080 - 576},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    WriteIni(c.ini);
    Start();
    EXPECT_EQ(c.get(), c.expected);
    EXPECT_EQ(Cpu.Running.load(), 1);
  }
}

TEST_F(StartUpTest, OutOfRangeValuesStayUsable) {
  WriteIni("[Calc]\nContrast=300\n[CPU]\nNormalPriority=9\nTurboPriority=-1\n");
  Start();
  EXPECT_LE(contrast.load(), 15);
  EXPECT_LE(NormalPriority, 6);
  EXPECT_LE(TurboPriority, 6);
}

TEST_F(StartUpTest, CreatesTheConfiguredRamRanges) {
  struct Case {
    const char* ini;
    std::vector<std::pair<int, int>> present;  // every other register is absent
  };
  const Case cases[] = {
      {"[RAM]\nSize=0\n", {{0, 15}}},
      {"[RAM]\nSize=100\n", {{0, 15}, {192, 291}}},
      {"[RAM]\nSize=0\nModules=3\nModule1=16 31\nModule3=600 700\n",
       {{0, 15}, {16, 31}, {600, 700}}},
      {"[RAM]\nSize=0\nModules=1\nModule1=16 31\nModule2=40 50\n", {{0, 15}, {16, 31}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    WriteIni(c.ini);
    Start();
    for (int r = 0; r < kRamRegisters; ++r) {
      bool expected = false;
      for (const auto& [first, last] : c.present) expected |= r >= first && r <= last;
      ASSERT_EQ(RamExists[r] != 0, expected) << "register " << r;
    }
    EXPECT_TRUE(clock.messages.empty());
  }
}

TEST_F(StartUpTest, RamImageFillsTheConfiguredRangesBeforeTheRomIsLoaded) {
  WriteIni("[RAM]\nModules=1\nModule1=16 191\n");
  WriteHomeFile("VALDOR.RAM", Record(100, {9, 8, 7}) + Record(200, {1, 2}) + Record(700, {5}));
  Start();
  EXPECT_EQ(DigitsText(RamRegisters[100]), "00000000000789");
  EXPECT_EQ(DigitsText(RamRegisters[200]), "00000000000021");
  EXPECT_FALSE(RamExists[700]);
}

TEST_F(StartUpTest, LoadZeroSkipsTheRamImageAndItsMessage) {
  WriteIni("[RAM]\nLoad=0\n");
  WriteHomeFile("VALDOR.RAM", Record(200, {1, 2}));
  Start();
  EXPECT_EQ(DigitsText(RamRegisters[200]), "00000000000000");
  EXPECT_EQ(Annunciators(), std::vector<std::string>{kVersion});
}

TEST_F(StartUpTest, KeyHeldAtTheEndOfTheSkipWindowSkipsTheRestore) {
  struct Case {
    int key;
    bool loaded;
  };
  const Case cases[] = {{1, false}, {45, false}, {31, true}, {-1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    WriteHomeFile("VALDOR.RAM", Record(200, {1, 2}));
    ResetMachineSettings();
    shown = RecordingPanel();
    const uint32_t start = clock.TickCount();
    // The key goes down in the middle of the 2-second window and stays down.
    clock.onTick = [&](uint32_t now) {
      if (now - start >= 1000) Cpu.KeyDown = c.key;
    };
    StartUp();
    clock.onTick = nullptr;
    EXPECT_EQ(DigitsText(RamRegisters[200]), c.loaded ? "00000000000021" : "00000000000000");
    EXPECT_EQ(shown.Has("ann:" + kLoading), c.loaded);
    EXPECT_GE(shown.TickOf("ann:" + kVersion) - shown.TickOf("ann:" + kHold), 2000u);
    Cpu.KeyDown = -1;
  }
}

TEST_F(StartUpTest, Register9Digit13SetsStatus10) {
  struct Case {
    uint8_t digit13;
    uint8_t before;
    uint8_t after;
  };
  const Case cases[] = {{0, 0, 0}, {5, 0, 1}, {1, 0, 1}, {0, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.digit13) << " " << int(c.before));
    std::vector<uint8_t> digits(14, 0);
    digits[13] = c.digit13;
    WriteHomeFile("VALDOR.RAM", Record(9, digits));
    ResetMachineSettings();
    Cpu.ST[10] = c.before;
    StartUp(kNoWaits);
    EXPECT_EQ(Cpu.ST[10], c.after);
  }
}

TEST_F(StartUpTest, RomSignatureIsReadThroughTheCurrentBanks) {
  struct Case {
    std::string image;
    const char* entry;
    bool match;
  };
  const Case cases[] = {
      {WordsImage(1, {{0xFFD, 13}, {0xFFE, 19}}), "$4000 sig.rom", true},
      {WordsImage(1, {{0xFFD, 13}, {0xFFE, 18}}), "$4000 sig.rom", false},
      // The signature only in bank 1 of page 4: bank 0 is the one read.
      {WordsImage(2, {{0x1FFD, 13}, {0x1FFE, 19}}), "$4000 sig.rom 1", false},
      {WordsImage(2, {{0xFFD, 13}, {0xFFE, 19}}), "$4000 sig.rom 1", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    WriteHomeFile("sig.rom", c.image);
    WriteIni(std::string("[ROM]\nModules=1\nModule1=") + c.entry + "\n");
    Start();
    EXPECT_EQ(romSignatureMatch, c.match);
    EXPECT_TRUE(clock.messages.empty());
  }
}

TEST_F(StartUpTest, LoadsEveryCountedModuleEntry) {
  WriteHomeFile("a.rom", WordsImage(1, {{0x123, 0x2AB}}));
  WriteHomeFile("b.rom", WordsImage(1, {{0x456, 0x155}}));
  WriteIni("[ROM]\nModules=3\nModule1=$8000 a.rom\nModule3=36864 b.rom\nModule4=$A000 a.rom\n");
  Start();
  EXPECT_EQ(FetchRom(0x8123), 0x2AB);
  EXPECT_EQ(FetchRom(0x9456), 0x155);
  EXPECT_EQ(FetchRom(0xA123), 0);  // beyond the count
  // Module loading shows its own message after the RAM image's.
  const auto ann = Annunciators();
  ASSERT_GE(ann.size(), 3u);
  EXPECT_EQ(ann.front(), kHold);
  EXPECT_EQ(ann.back(), kVersion);
  EXPECT_TRUE(clock.messages.empty());
}

TEST_F(StartUpTest, BadIntegersAreReportedAndSkipped) {
  WriteHomeFile("a.rom", WordsImage(1, {{0x123, 0x2AB}}));
  struct Case {
    const char* ini;
    const char* bad;
  };
  const Case cases[] = {
      {"[RAM]\nSize=0\nModules=2\nModule1=abc 20\nModule2=16 31\n", "abc"},
      {"[RAM]\nSize=0\nModules=2\nModule1=16 4x\nModule2=16 31\n", "4x"},
      {"[RAM]\nSize=0\nModules=2\nModule1=16 31\nModule2=$ 40\n", "$"},
      {"[RAM]\nSize=0\n[ROM]\nModules=2\nModule1=zz a.rom\nModule2=$8000 a.rom\n", "zz"},
      {"[RAM]\nSize=0\n[ROM]\nModules=2\nModule1=$8000 a.rom\nModule2=$9000 a.rom x1\n", "x1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    WriteIni(c.ini);
    Start();
    ASSERT_EQ(clock.messages.size(), 1u);
    EXPECT_NE(clock.messages[0].find(std::string("'") + c.bad + "' is not a valid integer value"),
              std::string::npos)
        << clock.messages[0];
    EXPECT_EQ(Cpu.Running.load(), 1);
    EXPECT_EQ(shown.ann, kVersion);
  }
  // The entries after the bad ones were still read.
  WriteIni(cases[0].ini);
  Start();
  EXPECT_TRUE(RamExists[16] && RamExists[31]);
  WriteIni(cases[3].ini);
  Start();
  EXPECT_EQ(FetchRom(0x8123), 0x2AB);
}

TEST_F(StartUpTest, MissingModuleFileIsReportedAndStartUpCompletes) {
  WriteHomeFile("a.rom", WordsImage(1, {{0x123, 0x2AB}}));
  WriteIni("[ROM]\nModules=2\nModule1=$8000 missing.rom\nModule2=$9000 a.rom\n");
  Start();
  ASSERT_EQ(clock.messages.size(), 1u);
  // A file problem: the file's name in the title, the system's reason, no CPU state; and the
  // display no longer invites to hold ON while the box waits.
  EXPECT_EQ(clock.messages[0], "Cannot load module file: " + home + "missing.rom: No such file or directory");
  EXPECT_EQ(clock.captions[0], "Module file missing.rom");
  EXPECT_EQ(clock.annWhileShown[0], " Loading module image ...");
  EXPECT_EQ(FetchRom(0x9123), 0x2AB);
  EXPECT_EQ(Cpu.Running.load(), 1);
  EXPECT_EQ(shown.ann, kVersion);
}

TEST_F(StartUpTest, SwitchesSetTheirFlags) {
  struct Case {
    const char* arg;
    bool accepted;
    uint8_t debugger, animate;
    bool printer, trace;
  };
  const Case cases[] = {
      {"/D", true, 1, 0, false, false},   {"-d", true, 1, 0, false, false},
      {"/a", true, 0, 1, false, false},   {"-A", true, 0, 1, false, false},
      {"/P", true, 0, 0, true, false},    {"-p", true, 0, 0, true, false},
      {"-T", true, 0, 0, false, true},    {"/t", true, 0, 0, false, true},
      {"/X", false, 0, 0, false, false},  {"/DD", false, 0, 0, false, false},
      {"D", false, 0, 0, false, false},   {"", false, 0, 0, false, false},
      {"\\D", false, 0, 0, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arg);
    CloseTrace();
    std::remove((home + "VALDOR.LOG").c_str());
    ResetMachineSettings();
    EXPECT_EQ(ApplySwitch(c.arg), c.accepted);
    EXPECT_EQ(DebuggerOpen.load(), c.debugger);
    EXPECT_EQ(Animate.load(), c.animate);
    EXPECT_EQ(printerSwitch, c.printer);
    EXPECT_EQ(Trace.load() != 0, c.trace);
    EXPECT_EQ(FileExists(home + "VALDOR.LOG"), c.trace);
  }
}

TEST_F(StartUpTest, SecondTraceSwitchKeepsTheOpenLog) {
  LoadWords(0, {0, 0, 0, 0, 0});
  ASSERT_TRUE(ApplySwitch("/T"));
  RunSteps(3);
  ASSERT_TRUE(ApplySwitch("-t"));
  RunSteps(2);
  CloseTrace();
  const std::string log = ReadFile(home + "VALDOR.LOG");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 5 * 3);
}

TEST_F(StartUpTest, TraceLimitIsConfiguredInMegabytes) {
  struct Case {
    const char* ini;
    bool stops;
  } cases[] = {{"[CPU]\nTraceLimit=1\n", true}, {"[CPU]\nTraceLimit=0\n", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    WriteIni(c.ini);
    Start();
    OpenTrace();
    RunSteps(8000);  // NOPs through empty memory, over 1 MB of records
    EXPECT_EQ(Trace.load() == 0, c.stops);
    CloseTrace();
    const auto size = std::filesystem::file_size(home + "VALDOR.LOG");
    EXPECT_EQ(size <= (1u << 20), c.stops) << size;
  }
}

TEST_F(StartUpTest, DebuggerSwitchOpensTheDebuggerAfterStartUp) {
  for (const char* arg : {"-d", "/D"}) {
    SCOPED_TRACE(arg);
    ResetMachineSettings();
    shown = RecordingPanel();
    ASSERT_TRUE(ApplySwitch(arg));
    StartUp(kNoWaits);
    EXPECT_TRUE(shown.debuggerShown);
    ASSERT_EQ(shown.events.back().what, "debugger");
    EXPECT_EQ(shown.events.back().running, 1);
    // The CPU thread then starts halted.
    RunLoopStart();
    EXPECT_EQ(RunIteration(), Iteration::Halted);
    EXPECT_EQ(Cpu.PC, 0);
  }
}

TEST_F(StartUpTest, ShutDownShowsItsMessagesAndSavesTheImage) {
  Start();
  SetDigits(RamRegisters[200], "12345678901234");
  Cpu.ST[10] = 1;
  Cpu.KeyDown = 31;
  Cpu.Running = 0;
  shown = RecordingPanel();
  ShutDown(kNoWaits);
  EXPECT_EQ(shuttingDown.load(), 1);
  EXPECT_EQ(Cpu.KeyDown.load(), -1);
  EXPECT_EQ(shown.Names(), (std::vector<std::string>{"chars:" + kBanner, "punct:",
                                                     "ann:" + kShutting, "ann:" + kSaving}));
  const std::string image = ReadFile(RamPath());
  ASSERT_EQ(image.size(), (16u + 320u) * 9u);
  // Register 9 is the tenth record; its digit 13 carries ST 10.
  EXPECT_EQ(static_cast<uint8_t>(image[9 * 9 + 8]) >> 4, 1);
  const size_t at200 = (16 + 8) * 9;
  EXPECT_EQ(image.substr(at200, 9), std::string("\xC8\x00\x34\x12\x90\x78\x56\x34\x12", 9));
}

TEST_F(StartUpTest, ShutDownWaitsAreMeasuredInTicks) {
  Start();
  Cpu.Running = 0;
  shown = RecordingPanel();
  const uint32_t start = clock.TickCount();
  ShutDown();
  const uint32_t end = clock.TickCount();
  const uint32_t shutting = shown.TickOf("ann:" + kShutting) - start;
  const uint32_t saving = shown.TickOf("ann:" + kSaving) - start;
  // The CPU thread has ended before: " Shutting down ..." at once, then 0.9 s to hold ON, and
  // the last message stays 0.3 s.
  EXPECT_LT(shutting, 100u);
  EXPECT_GE(saving, 900u);
  EXPECT_LT(saving, 1000u);
  EXPECT_GE(end - start, 1200u);
  EXPECT_LT(end - start, 1300u);
}

TEST_F(StartUpTest, OnHeldOrSaveOffKeepsThePreviousImage) {
  struct Case {
    const char* name;
    const char* ini;
    bool image;     // an image exists before
    int keyBefore;  // held when ShutDown starts
    int keyLate;    // pressed while " Shutting down ..." is shown
    bool saved;
  };
  const Case cases[] = {
      {"nothing held", "", true, -1, -1, true},
      {"ON held before", "", true, 1, -1, true},
      {"ON held late", "", true, -1, 1, false},
      {"back arrow held late", "", true, -1, 45, true},
      {"Save=0", "[RAM]\nSave=0\n", true, -1, -1, false},
      {"Save=0, no image", "[RAM]\nSave=0\n", false, -1, -1, false},
  };
  const std::string previous = Record(200, {7, 7, 7});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteIni(c.ini);
    std::remove(RamPath().c_str());
    if (c.image) WriteHomeFile("VALDOR.RAM", previous);
    Start();
    SetDigits(RamRegisters[200], "5");
    Cpu.Running = 0;
    Cpu.KeyDown = c.keyBefore;
    const uint32_t start = clock.TickCount();
    clock.onTick = [&](uint32_t now) {
      if (c.keyLate != -1 && now - start > 500) Cpu.KeyDown = c.keyLate;
    };
    ShutDown();
    clock.onTick = nullptr;
    if (c.saved) {
      EXPECT_EQ(ReadFile(RamPath()).size(), (16u + 320u) * 9u);
    } else {
      EXPECT_EQ(FileExists(RamPath()), c.image);
      EXPECT_EQ(ReadFile(RamPath()), c.image ? previous : "");
    }
  }
}

TEST_F(StartUpTest, SaveSettingsWritesTheFiveKeysIntoAFreshFile) {
  Start();
  Ticks = 100;
  contrast = 9;
  shown.left = 33;
  shown.top = 44;
  ASSERT_FALSE(FileExists(IniPath()));
  SaveSettings();
  const std::vector<Entry> expected = {
      {"CPU", "Ticks", "100"}, {"CPU", "Turbo", "0"},     {"Calc", "Left", "33"},
      {"Calc", "Top", "44"},   {"Calc", "Contrast", "9"},
  };
  EXPECT_EQ(ProfileEntries(ReadFile(IniPath())), expected);
  EXPECT_TRUE(clock.messages.empty());
}

TEST_F(StartUpTest, SaveSettingsKeepsTheRestOfAnExistingFile) {
  WriteIni(
      "; my calculator\n[RAM]\nSize=100\n[CPU]\nTicks=5\nSound=0\n; speed\n[Calc]\n"
      "Contrast=3\n[Dovada]\nLeft=7\n");
  Start();
  Ticks = 64;
  SaveSettings();
  const std::string text = ReadFile(IniPath());
  EXPECT_NE(text.find("; my calculator"), std::string::npos);
  EXPECT_NE(text.find("; speed"), std::string::npos);
  const std::vector<Entry> entries = ProfileEntries(text);
  for (const Entry& e :
       {Entry{"RAM", "Size", "100"}, Entry{"CPU", "Ticks", "64"}, Entry{"CPU", "Sound", "0"},
        Entry{"CPU", "Turbo", "0"}, Entry{"Calc", "Contrast", "3"}, Entry{"Dovada", "Left", "7"},
        Entry{"Calc", "Left", "806"}, Entry{"Calc", "Top", "252"}}) {
    EXPECT_EQ(std::count(entries.begin(), entries.end(), e), 1)
        << std::get<0>(e) << " " << std::get<1>(e) << "=" << std::get<2>(e);
  }
  EXPECT_EQ(entries.size(), 8u);
}

TEST_F(StartUpTest, TurboWrittenBackAsTheCurrentState) {
  struct Case {
    const char* ini;
    int key;  // held until the settings are written, or -1
    const char* written;
  };
  const Case cases[] = {
      {"[CPU]\nTurbo=1\n", -1, "1"},
      {"[CPU]\nTurbo=5\n", -1, "1"},
      {"[CPU]\nTurbo=1\n", 31, "0"},
      {"[CPU]\nTurbo=0\n", -1, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ini << " key " << c.key);
    WriteIni(c.ini);
    Start();
    if (c.key != -1) KeyPressed(c.key);
    SaveSettings();
    const std::vector<Entry> entries = ProfileEntries(ReadFile(IniPath()));
    EXPECT_EQ(std::count(entries.begin(), entries.end(), Entry{"CPU", "Turbo", c.written}), 1);
  }
}

TEST_F(StartUpTest, UnwritableConfigurationIsReported) {
  Start();
  // The configuration is a link into a folder that does not exist.
  ASSERT_EQ(::symlink((home + "gone/VALDOR.Ini").c_str(), IniPath().c_str()), 0);
  SaveSettings();
  ASSERT_EQ(clock.messages.size(), 1u);
  EXPECT_EQ(clock.messages[0], "Unable to write to " + IniPath() + ": No such file or directory");
}

TEST_F(StartUpTest, BreakpointFileLoadedAtStartAndSavedAtTheEnd) {
  struct Case {
    const char* name;
    const char* entries;  // Entries.A, or none
    const char* file;  // VALDOR.BRK at start; none, or "/" ("|") for a folder (pipe) in its place
    std::function<void()> session;
    const char* loadMessage;  // part of the start-up message; "" for none
    bool armed;
    const char* saved;        // the file after the save; none for no file; "/", "|" as above
    const char* saveMessage;  // part of the message at the end; "" for none
  };
  const auto set100 = [] { Breaks.Toggle(0x100); };
  const Case cases[] = {
      {"nothing set, no file", nullptr, nullptr, nullptr, "", false, nullptr, ""},
      {"set in the session", nullptr, nullptr, set100, "", false, "0100\n", ""},
      {"symbols resolved, written canonically", "=MAIN EQU 0123X\n",
       " MAIN @ 1 \n\nwatch 0c5:W\r\n", nullptr, "", true, "MAIN@1\nwatch 0C5:w\n", ""},
      // Without Entries.A the symbol does not resolve: the line is reported and kept.
      {"unresolved symbol kept", nullptr, "# mine\nMAIN@1\n200\n", [] { Breaks.Toggle(0x200); },
       "VALDOR.BRK: these lines were not understood and stay in the file as written:\n"
       "MAIN@1: 'MAIN' is neither",
       true, "# mine\nMAIN@1\n", ""},
      {"all deleted", nullptr, "300\n", [] { Breaks.Toggle(0x300); }, "", true, nullptr, ""},
      {"unreadable, nothing set", nullptr, "/", nullptr,
       "Cannot read breakpoints: ", false, "/", ""},
      {"unreadable, set in the session", nullptr, "/", set100, ": Is a directory", false, "/",
       "could not be read at start-up and is kept"},
      {"a pipe in its place", nullptr, "|", set100, "Cannot read breakpoints: ", false, "|",
       "could not be read at start-up and is kept"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = home + "VALDOR.BRK";
    std::filesystem::remove_all(path);
    std::filesystem::remove(home + "Entries.A");
    if (c.entries) WriteHomeFile("Entries.A", c.entries);
    const std::string file = c.file ? c.file : "";
    if (file == "/") std::filesystem::create_directory(path);
    else if (file == "|") ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    else if (c.file) WriteHomeFile("VALDOR.BRK", file);
    ResetDebugRun();
    LoadSymbols();
    clock.messages.clear();

    const std::string message = LoadBreakpoints();
    EXPECT_EQ(message.empty(), !*c.loadMessage) << message;
    EXPECT_NE(message.find(c.loadMessage), std::string::npos) << message;
    EXPECT_EQ(DebugArmed.load() != 0, c.armed);
    if (c.session) c.session();
    SaveBreakpoints();
    const std::string reported = clock.messages.empty() ? "" : clock.messages[0];
    EXPECT_EQ(clock.messages.size(), *c.saveMessage ? 1u : 0u);
    EXPECT_NE(reported.find(c.saveMessage), std::string::npos) << reported;
    const std::string saved = c.saved ? c.saved : "";
    if (!c.saved) EXPECT_FALSE(FileExists(path));
    else if (saved == "/") EXPECT_TRUE(std::filesystem::is_directory(path));
    else if (saved == "|") EXPECT_TRUE(std::filesystem::is_fifo(path));
    else EXPECT_EQ(ReadFile(path), saved);
  }
}

TEST_F(StartUpTest, UnwritableBreakpointFileIsReportedWithTheReason) {
  // The file is a link into a folder that does not exist.
  ASSERT_EQ(::symlink((home + "gone/VALDOR.BRK").c_str(), (home + "VALDOR.BRK").c_str()), 0);
  EXPECT_EQ(LoadBreakpoints(), "");
  Breaks.Toggle(0x100);
  SaveBreakpoints();
  ASSERT_EQ(clock.messages.size(), 1u);
  EXPECT_EQ(clock.messages[0],
            "Cannot save breakpoints: " + home + "VALDOR.BRK: No such file or directory");
}

}  // namespace
