// What bad input gets: every file a user can give, wrong, at start-up and at the saves. The
// program reports what it cannot use, starts all the same, and loses nothing on disk.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "debugger/Symbols.h"
#include "display/Lcd.h"
#include "host/Host.h"
#include "memory/Ram.h"
#include "memory/Rom.h"
#include "support/MachineFixture.h"

namespace {

namespace fs = std::filesystem;

const std::string kVersion = "   VALDOR version 1.0";

std::string Record(int r, uint8_t fill) {
  return std::string{static_cast<char>(r & 0xFF), static_cast<char>(r >> 8)} +
         std::string(7, static_cast<char>(fill));
}

// Two-byte words, one page each, every word of page k holding k + 1.
std::string PagesOfWords(int pages) {
  std::string bytes;
  for (int k = 0; k < pages; ++k) {
    for (int i = 0; i < 4096; ++i) bytes += std::string{'\0', static_cast<char>(k + 1)};
  }
  return bytes;
}

class BadInputTest : public MachineTest {
 protected:
  void Start(const std::string& ini) {
    if (!ini.empty()) WriteHomeFile("VALDOR.Ini", ini);
    ResetMachineSettings();
    host.messages.clear();
    panel = HeadlessPanel();
    StartUp(kNoWaits);
  }
  // The messages shown, without the CPU line that the error box adds.
  std::vector<std::string> Shown() const {
    std::vector<std::string> texts;
    for (const std::string& m : host.messages) texts.push_back(m.substr(0, m.find("\r\n")));
    return texts;
  }
  void ExpectStarted() {
    EXPECT_EQ(Cpu.Running.load(), 1);
    EXPECT_EQ(panel.ann, kVersion);
  }
  static int Word(int page, int bank, int offset) {
    const RomBlock* b = RomPages[page][bank].load();
    return b ? (*b)[offset] : -1;
  }
  void MakeFifo(const std::string& name) { ASSERT_EQ(::mkfifo((home + name).c_str(), 0644), 0); }
  fs::file_type Type(const std::string& name) { return fs::symlink_status(home + name).type(); }

  // Runs fn in a child process that cannot write into the home folder, even when the tests run
  // as root: the folder is made read-only and a root child gives up its rights first.
  bool InReadOnlyHome(const std::function<bool()>& fn) {
    EXPECT_EQ(::chmod(home.c_str(), 0555), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) _exit(3);
      _exit(fn() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::chmod(home.c_str(), 0700);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  // Runs fn with files limited to limit bytes: a write beyond fails as on a full disk.
  template <typename Fn>
  void WithFileSizeLimit(rlim_t limit, Fn fn) {
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = limit;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    fn();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
  }
};

TEST_F(BadInputTest, ModuleImages) {
  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::string entry;               // "Module1=" of section "ROM"
    std::vector<std::string> shown;  // messages ("@" stands for the home folder)
    std::function<void()> expectStored;
  };
  auto in = [&](const std::string& s) {
    std::string out = s;
    if (const size_t at = out.find('@'); at != std::string::npos) out.replace(at, 1, home);
    return out;
  };
  const Case cases[] = {
      {"missing",
       [] {},
       "$8000 gone.rom",
       {"Cannot load module file: @gone.rom: No such file or directory"},
       [] { EXPECT_EQ(RomPages[8][0].load(), nullptr); }},
      {"empty",
       [&] { WriteHomeFile("empty.rom", ""); },
       "$8000 empty.rom",
       {},
       [] { EXPECT_EQ(RomPages[8][0].load(), nullptr); }},
      {"truncated: the words there load, the rest of the page reads 0",
       [&] { WriteHomeFile("cut.R41", std::string(32 + 100, '\xFF')); },
       "$8000 cut.R41",
       {},
       [] {
         EXPECT_EQ(FetchRom(0x8000 + 79), 0x3FF);  // 100 bytes hold 80 words
         EXPECT_EQ(FetchRom(0x8000 + 80), 0);
       }},
      {"oversized: the banks of the page fill up, the rest is refused",
       [&] { WriteHomeFile("big.rom", PagesOfWords(5)); },
       "$E000 big.rom 1",
       {"Error loading module image: @big.rom"},
       [] {
         for (int bank = 0; bank < 4; ++bank) EXPECT_EQ(Word(14, bank, 4095), bank + 1);
       }},
      {"oversized past FFFF",
       [&] { WriteHomeFile("big.rom", PagesOfWords(2)); },
       "$F000 big.rom",
       {"Error loading module image: @big.rom"},
       [] { EXPECT_EQ(FetchRom(0xF000), 1); }},
      {"wrong extension: the header is taken for words",
       [&] { WriteHomeFile("r41.bin", std::string(32, '\xFF') + std::string(100, '\0')); },
       "$8000 r41.bin",
       {},
       [] { EXPECT_EQ(FetchRom(0x8000), 0x3FF); }},
      {"a folder",
       [&] { fs::create_directory(home + "dir.rom"); },
       "$8000 dir.rom",
       {"Cannot load module file: @dir.rom: Is a directory"},
       [] { EXPECT_EQ(RomPages[8][0].load(), nullptr); }},
      {"a device that never ends",
       [] {},
       "$8000 /dev/zero",
       {"Cannot load module file: /dev/zero: not a regular file"},
       [] { EXPECT_EQ(RomPages[8][0].load(), nullptr); }},
      {"a pipe nobody writes to",
       [&] { MakeFifo("pipe.rom"); },
       "$8000 pipe.rom",
       {"Cannot load module file: @pipe.rom: not a regular file"},
       [] { EXPECT_EQ(RomPages[8][0].load(), nullptr); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.prepare();
    Start("[ROM]\nModules=1\nModule1=" + c.entry + "\n");
    std::vector<std::string> shown;
    for (const std::string& s : c.shown) shown.push_back(in(s));
    EXPECT_EQ(Shown(), shown);
    ExpectStarted();
    c.expectStored();
  }
}

TEST_F(BadInputTest, RamImages) {
  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::vector<std::string> shown;
    std::function<void()> expectRestored;
    bool savedAtExit;  // otherwise the file stays as it was
  };
  const Case cases[] = {
      {"missing", [] {}, {}, [] { EXPECT_EQ(RamRegisters[200][0], 0); }, true},
      {"empty",
       [&] { WriteHomeFile("VALDOR.RAM", ""); },
       {},
       [] { EXPECT_EQ(RamRegisters[200][0], 0); },
       true},
      {"odd length: the partial record is ignored",
       [&] { WriteHomeFile("VALDOR.RAM", Record(200, 0x21) + Record(201, 0x43).substr(0, 5)); },
       {},
       [] {
         EXPECT_EQ(DigitsText(RamRegisters[200]), "21212121212121");
         EXPECT_EQ(DigitsText(RamRegisters[201]), "00000000000000");
       },
       true},
      {"oversized: every record applies, the last one of a register wins",
       [&] {
         std::string image;
         for (int i = 0; i < 3000; ++i) image += Record(192 + i % 320, static_cast<uint8_t>(i));
         WriteHomeFile("VALDOR.RAM", image);
       },
       {},
       [] { EXPECT_EQ(DigitsText(RamRegisters[200]), "48484848484848"); },
       true},
      {"records for absent registers are skipped",
       [&] {
         WriteHomeFile("VALDOR.RAM", Record(100, 0x11) + Record(1023, 0x22) + Record(0xFFFF, 0x33) +
                                         Record(5, 0x44));
       },
       {},
       [] {
         EXPECT_FALSE(RamExists[100]);
         EXPECT_EQ(DigitsText(RamRegisters[100]), "00000000000000");
         EXPECT_EQ(DigitsText(RamRegisters[5]), "44444444444444");
       },
       true},
      {"a folder in its place",
       [&] { fs::create_directory(home + "VALDOR.RAM"); },
       {"Error loading RAM image."},
       [] {},
       false},
      {"a pipe in its place",
       [&] { MakeFifo("VALDOR.RAM"); },
       {"Error loading RAM image."},
       [] {},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(home + "VALDOR.RAM");
    c.prepare();
    const fs::file_type before = Type("VALDOR.RAM");
    Start("");
    EXPECT_EQ(Shown(), c.shown);
    ExpectStarted();
    c.expectRestored();

    // At exit the image is saved, or, when it could not be read, left as it is.
    host.messages.clear();
    Cpu.Running = 0;
    ShutDown(kNoWaits);
    EXPECT_TRUE(host.messages.empty());
    if (c.savedAtExit) {
      EXPECT_EQ(ReadFile(home + "VALDOR.RAM"), EncodeRamImage());
    } else {
      EXPECT_EQ(Type("VALDOR.RAM"), before);
    }
  }
}

TEST_F(BadInputTest, Configurations) {
  WriteHomeFile("a.rom", PagesOfWords(1));
  const int rightEdge = panel.screenWidth - HeadlessPanel::kWindowWidth;
  const int centredTop = (panel.screenHeight - HeadlessPanel::kWindowHeight) / 2;
  struct Case {
    const char* what;
    std::function<void()> prepare;
    std::string ini;
    std::vector<std::string> shown;
    std::function<void()> expect;
  };
  const Case cases[] = {
      {"missing",
       [] {},
       "",
       {},
       [&] {
         EXPECT_EQ(Ticks.load(), 256);
         EXPECT_TRUE(RamExists[511] && !RamExists[512]);
       }},
      {"garbage numbers: defaults, and the entries that need them are reported and skipped",
       [] {},
       "[CPU]\nTicks=abc\nTurbo=--1\n[Calc]\nContrast=1e3\n[RAM]\nModules=2\nModule1=abc 20\n"
       "Module2=16 31\n[ROM]\nModules=1\nModule1=zz a.rom\n",
       {"'abc' is not a valid integer value", "'zz' is not a valid integer value"},
       [] {
         EXPECT_EQ(Ticks.load(), 256);
         EXPECT_EQ(Turbo.load(), 0);
         EXPECT_EQ(contrast.load(), 15);
         EXPECT_TRUE(RamExists[16] && RamExists[31]);
       }},
      {"huge numbers: clipped where they index or place something",
       [] {},
       "[Calc]\nLeft=2147483647\nTop=-2147483648\nContrast=2147483647\n"
       "[RAM]\nSize=2147483647\nModules=2147483647\nModule2147483647=16 31\n"
       "[ROM]\nModules=2147483647\nModule2147483647=$8000 a.rom\nModule01=$9000 a.rom\n"
       "[CPU]\nTicks=99999999999\nNormalPriority=2147483647\nTurboPriority=-2147483648\n",
       {},
       [&] {
         EXPECT_EQ(panel.left, rightEdge);
         EXPECT_EQ(panel.top, centredTop);
         EXPECT_EQ(contrast.load(), 15);
         EXPECT_TRUE(RamExists[16] && RamExists[31] && RamExists[1023]);
         EXPECT_EQ(FetchRom(0x8000), 1);
         EXPECT_EQ(FetchRom(0x9000), 0);  // "Module01" is no entry's key
         EXPECT_EQ(Ticks.load(), 256);    // beyond 32 bits: not a number
         EXPECT_EQ(NormalPriority, 6);
         EXPECT_EQ(TurboPriority, 0);
       }},
      {"binary garbage",
       [] {},
       std::string("\x00\xFF[\x01=\n\r\r=]\xC3", 11) + "[ROM\nModules",
       {},
       [] { EXPECT_EQ(Ticks.load(), 256); }},
      {"a folder in its place: defaults",
       [&] { fs::create_directory(home + "VALDOR.Ini"); },
       "",
       {},
       [] { EXPECT_EQ(Ticks.load(), 256); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(home + "VALDOR.Ini");
    c.prepare();
    Start(c.ini);
    EXPECT_EQ(Shown(), c.shown);
    ExpectStarted();
    c.expect();
  }
  // The folder stays; writing the settings into it is reported.
  host.messages.clear();
  SaveSettings();
  EXPECT_EQ(host.messages,
            std::vector<std::string>{"Unable to write to " + home + "VALDOR.Ini: Is a directory"});
  EXPECT_TRUE(fs::is_directory(home + "VALDOR.Ini"));
}

TEST_F(BadInputTest, SymbolFiles) {
  // Garbage lines are dropped one by one; a folder or a pipe in its place means no symbols.
  WriteHomeFile("Entries.A", std::string("\xFF\0", 2) + "=X EQU\n=A EQU 12G4H\n=OK EQU 0005H\n");
  LoadSymbols();
  ASSERT_EQ(SymbolTable.size(), 1u);
  EXPECT_EQ(SymbolTable[0].name, "=OK");

  fs::remove(home + "Entries.A");
  fs::create_directory(home + "Entries.A");
  LoadSymbols();
  EXPECT_FALSE(SymbolTableLoaded);
  fs::remove(home + "Entries.A");
  MakeFifo("Entries.A");
  LoadSymbols();
  EXPECT_FALSE(SymbolTableLoaded);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(BadInputTest, SavesIntoAReadOnlyFolderKeepThePreviousFiles) {
  const std::string ram = home + "VALDOR.RAM", ini = home + "VALDOR.Ini";
  WriteHomeFile("VALDOR.RAM", Record(200, 0x21));
  WriteHomeFile("VALDOR.Ini", "; mine\n[CPU]\nTicks=7\n");
  Start("");
  RamRegisters[200].fill(9);
  Ticks = 100;
  EXPECT_TRUE(InReadOnlyHome([&] {
    host.messages.clear();
    Cpu.Running = 0;
    ShutDown(kNoWaits);
    SaveSettings();
    return Shown() ==
           std::vector<std::string>{"Cannot save RAM image: " + ram + ": Permission denied",
                                    "Unable to write to " + ini + ": Permission denied"};
  }));
  EXPECT_EQ(ReadFile(ram), Record(200, 0x21));
  EXPECT_EQ(ReadFile(ini), "; mine\n[CPU]\nTicks=7\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(home), fs::directory_iterator()), 2);
}

TEST_F(BadInputTest, SavesOnAFullDiskKeepThePreviousFiles) {
  const std::string ram = home + "VALDOR.RAM", ini = home + "VALDOR.Ini";
  const std::string previousRam = Record(200, 0x21);
  const std::string previousIni = "; mine\n[CPU]\nTicks=7\n" + std::string(100, ';') + "\n";
  WriteHomeFile("VALDOR.RAM", previousRam);
  WriteHomeFile("VALDOR.Ini", previousIni);
  Start("");
  Ticks = 100;
  // Files are limited to 20 bytes: the new image and configuration do not fit.
  WithFileSizeLimit(20, [&] {
    host.messages.clear();
    Cpu.Running = 0;
    ShutDown(kNoWaits);
    SaveSettings();
  });
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Cannot save RAM image: " + ram + ": File too large",
                                               "Unable to write to " + ini + ": File too large"}));
  EXPECT_EQ(ReadFile(ram), previousRam);
  EXPECT_EQ(ReadFile(ini), previousIni);
  EXPECT_EQ(std::distance(fs::directory_iterator(home), fs::directory_iterator()), 2);
}

}  // namespace
