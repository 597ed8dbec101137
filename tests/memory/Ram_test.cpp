// RAM ranges, configuration entries and the RAM image file.

#include "memory/Ram.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

#include "host/Host.h"
#include "support/MachineFixture.h"

namespace {

class RamTest : public MachineTest {
 protected:
  std::string ImagePath() { return HomeFile(".RAM"); }
  std::string ErrorText(const std::string& message) { return CpuErrorText(0, message); }
  // Every register gets digits that depend on its number and on seed.
  static void FillAll(int seed) {
    for (int r = 0; r < kRamRegisters; ++r) {
      for (int d = 0; d < kDigits; ++d)
        RamRegisters[r][d] = static_cast<uint8_t>((r * 7 + d * 3 + seed) & 15);
    }
  }
  static std::string Record(int r, uint8_t fill) {
    std::string rec{static_cast<char>(r & 0xFF), static_cast<char>(r >> 8)};
    return rec + std::string(7, static_cast<char>(fill));
  }
  std::vector<std::string> HomeEntries() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(home))
      names.push_back(e.path().filename());
    return names;
  }
};

TEST_F(RamTest, AddRamRangeClipsToTheRegisters) {
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  struct Case {
    int64_t first, last;
    int from, to;  // the registers that exist afterwards (none when to < from)
  };
  const Case cases[] = {
      {16, 191, 16, 191},       {5, 4, 1, 0},       {1000, 5000, 1000, 1023}, {-5, 3, 0, 3},
      {1023, 1023, 1023, 1023}, {2000, 3000, 1, 0}, {kMin, kMax, 0, 1023},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first << ".." << c.last);
    ClearRamMap();
    FillAll(5);
    AddRamRange(c.first, c.last);
    for (int r = 0; r < kRamRegisters; ++r) {
      const bool inside = r >= c.from && r <= c.to;
      ASSERT_EQ(RamExists[r], inside ? 1 : 0) << r;
      // A range clears its registers and no other.
      ASSERT_EQ(RamRegisters[r][1], inside ? 0 : ((r * 7 + 3 + 5) & 15)) << r;
    }
  }
}

TEST_F(RamTest, ParseRamEntry) {
  struct Case {
    std::string value;
    RamEntryParse result;
    int64_t first = 0, last = 0;
    std::string bad = "";
  };
  const Case cases[] = {
      {"16 191", RamEntryParse::Ok, 16, 191},
      {"$10 $BF", RamEntryParse::Ok, 16, 191},
      {"512  1023", RamEntryParse::Ok, 512, 1023},
      {"900 5000", RamEntryParse::Ok, 900, 5000},
      {"5 5", RamEntryParse::Skip},
      {"0 20", RamEntryParse::Skip},
      {"20 10", RamEntryParse::Skip},
      {"-3 10", RamEntryParse::Skip},
      {"", RamEntryParse::Skip},
      {"16", RamEntryParse::Skip},
      {"abc 20", RamEntryParse::BadNumber, 0, 0, "abc"},
      {"16 2x", RamEntryParse::BadNumber, 0, 0, "2x"},
      {"16 20 30", RamEntryParse::BadNumber, 0, 0, "20 30"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    int64_t first = -7, last = -7;
    std::string bad;
    EXPECT_EQ(ParseRamEntry(c.value, first, last, bad), c.result);
    if (c.result == RamEntryParse::Ok) {
      EXPECT_EQ(first, c.first);
      EXPECT_EQ(last, c.last);
    }
    if (c.result == RamEntryParse::BadNumber) {
      EXPECT_EQ(bad, c.bad);
    }
  }
}

TEST_F(RamTest, RecordLayout) {
  ClearRamMap();
  AddRamRange(300, 300);
  for (int d = 0; d < kDigits; ++d) RamRegisters[300][d] = static_cast<uint8_t>(d);
  EXPECT_EQ(EncodeRamImage(), std::string("\x2C\x01\x10\x32\x54\x76\x98\xBA\xDC"));
}

TEST_F(RamTest, ApplySkipsForeignRecordsAndPartialTails) {
  AddRamRange(192, 291);
  const std::string records = Record(1024, 0x11) + Record(0xFFFF, 0x22) + Record(20, 0x33) +
                              Record(5, 0x44) + Record(5, 0x55) + Record(291, 0x66);
  for (size_t partial = 0; partial < 9; ++partial) {
    SCOPED_TRACE(partial);
    AddRamRange(0, 15);
    AddRamRange(192, 291);
    RamRegisters[3].fill(7);
    RamRegisters[20].fill(1);
    ApplyRamImage(records + Record(3, 0x99).substr(0, partial));
    EXPECT_EQ(DigitsText(RamRegisters[5]), "55555555555555");
    EXPECT_EQ(DigitsText(RamRegisters[291]), "66666666666666");
    EXPECT_EQ(DigitsText(RamRegisters[3]), "77777777777777");
    EXPECT_EQ(DigitsText(RamRegisters[20]), "11111111111111");  // not present
    EXPECT_EQ(DigitsText(RamRegisters[0]), "00000000000000");   // numbers are not wrapped
  }
}

TEST_F(RamTest, SaveAndLoadRoundTrip) {
  AddRamRange(192, 511);
  FillAll(3);
  Cpu.ST[10] = 1;
  WriteHomeFile("VALDOR.RAM", std::string(1000, 'x'));  // an older, longer image
  ASSERT_TRUE(SaveRamImage());
  EXPECT_EQ(ReadFile(ImagePath()), EncodeRamImage());
  EXPECT_EQ(ReadFile(ImagePath()).size(), 336u * 9);
  EXPECT_EQ(HomeEntries(), std::vector<std::string>{"VALDOR.RAM"});

  DigitRegister saved[kRamRegisters];
  std::copy(std::begin(RamRegisters), std::end(RamRegisters), saved);
  AddRamRange(0, 15);
  AddRamRange(192, 511);
  panel.annHistory.clear();
  LoadRamImage(0);
  for (int r = 0; r < kRamRegisters; ++r) {
    if (RamExists[r]) {
      ASSERT_EQ(RamRegisters[r], saved[r]) << r;
    }
  }
  EXPECT_EQ(RamRegisters[9][13], 1);
  EXPECT_EQ(panel.annHistory, (std::vector<std::string>{" Hold ON to skip RAM loading ...",
                                                        " Loading RAM image ..."}));
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(RamTest, SaveCarriesStatusBit10InRegister9) {
  struct Case {
    uint8_t st10, digitBefore, written;
  };
  for (const Case& c : {Case{1, 0, 1}, Case{0, 5, 0}, Case{1, 7, 1}}) {
    Cpu.ST[10] = c.st10;
    RamRegisters[9][13] = c.digitBefore;
    ASSERT_TRUE(SaveRamImage());
    const std::string image = ReadFile(ImagePath());
    EXPECT_EQ(static_cast<uint8_t>(image[9 * 9 + 8]) >> 4, c.written);
  }
}

TEST_F(RamTest, LoadOddLengthFileIgnoresThePartialRecord) {
  for (size_t partial = 1; partial < 9; ++partial) {
    SCOPED_TRACE(partial);
    WriteHomeFile("VALDOR.RAM", Record(4, 0x21) + Record(3, 0x99).substr(0, partial));
    AddRamRange(0, 15);
    RamRegisters[3].fill(7);
    LoadRamImage(0);
    EXPECT_EQ(DigitsText(RamRegisters[4]), "21212121212121");
    EXPECT_EQ(DigitsText(RamRegisters[3]), "77777777777777");
  }
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(RamTest, HeldKeySkipsTheRestore) {
  WriteHomeFile("VALDOR.RAM", Record(4, 0x21));
  for (int key : {1, 45, -1, 2, 44}) {
    SCOPED_TRACE(key);
    AddRamRange(0, 15);
    panel.annHistory.clear();
    Cpu.KeyDown = key;
    LoadRamImage(0);
    const bool loaded = key != 1 && key != 45;
    EXPECT_EQ(RamRegisters[4][0], loaded ? 1 : 0);
    EXPECT_EQ(panel.annHistory.size(), loaded ? 2u : 1u);
  }
}

// Ticks pass as messages are processed; the ON key goes down 1.5 s into the window.
class TickingHost : public HeadlessHost {
 public:
  void ProcessMessages() override {
    AdvanceFakeTicks(10);
    elapsed += 10;
    if (pressAt && elapsed == pressAt) Cpu.KeyDown = 1;
  }
  uint32_t elapsed = 0, pressAt = 0;
};

TEST_F(RamTest, KeyPressedDuringTheWaitSkipsTheRestore) {
  WriteHomeFile("VALDOR.RAM", Record(4, 0x21));
  for (uint32_t pressAt : {0u, 1500u}) {
    TickingHost ticking;
    ticking.homeDir = home;
    ticking.SetFakeTicks(0xFFFFFF00);  // the wait must survive the counter wrapping
    ticking.pressAt = pressAt;
    SetHost(&ticking);
    AddRamRange(0, 15);
    Cpu.KeyDown = -1;
    LoadRamImage(2000);
    SetHost(&host);
    EXPECT_GT(ticking.elapsed, 2000u);
    EXPECT_EQ(RamRegisters[4][0], pressAt ? 0 : 1);
  }
}

TEST_F(RamTest, MissingImageIsSilentAndUnreadableImageReported) {
  LoadRamImage(0);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(panel.annHistory, std::vector<std::string>{" Hold ON to skip RAM loading ..."});

  std::filesystem::create_directory(ImagePath());  // opens, but every read fails
  LoadRamImage(0);
  EXPECT_EQ(host.messages, std::vector<std::string>{ErrorText("Error loading RAM image.")});
}

TEST_F(RamTest, FailedSavesAreReportedAndKeepThePreviousImage) {
  const std::string previous(100, 'p');
  // Each way of failing: reported once with its reason (a file error, not a CPU error), nothing
  // left behind, the previous image as it was.
  auto expectFailed = [&](bool saved, const std::string& before, const std::string& reason) {
    EXPECT_FALSE(saved);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Cannot save RAM image: " + ImagePath() + ": " + reason});
    EXPECT_EQ(HomeEntries(), std::vector<std::string>{"VALDOR.RAM"});
    if (!before.empty()) {
      EXPECT_EQ(ReadFile(ImagePath()), before);
    }
    host.messages.clear();
  };

  std::filesystem::create_directory(ImagePath());  // the name is taken by a folder
  expectFailed(SaveRamImage(), "", "Is a directory");
  std::filesystem::remove(ImagePath());

  // A file-size limit below the image's 144 bytes makes the write fail, also for root.
  WriteHomeFile("VALDOR.RAM", previous);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 50;
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved = SaveRamImage();
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  expectFailed(saved, previous, "File too large");

  // A read-only folder stops only users without the right to override it (not root).
  ASSERT_EQ(chmod(home.c_str(), 0500), 0);
  if (!std::ofstream(home + "probe")) expectFailed(SaveRamImage(), previous, "Permission denied");
  chmod(home.c_str(), 0700);
}

// The check the runner's --ram and the desktop's loading share, on bytes and on files.
TEST_F(RamTest, CheckRamImageTellsWhatIsWrong) {
  const std::string two = Record(0, 1) + Record(1023, 2);
  const struct {
    std::string bytes;
    const char* reason;  // empty: a valid image
  } cases[] = {
      {two, ""},
      {Record(5, 0), ""},
      {"", "empty file"},
      {two + "\x05", "19 bytes: not a whole number of 9-byte records"},
      {two.substr(0, 17), "17 bytes: not a whole number of 9-byte records"},
      {two + Record(1024, 0), "record 3 is for register 1024 (registers are 0 to 1023)"},
      {Record(0xFFFF, 0), "record 1 is for register 65535 (registers are 0 to 1023)"},
      {two + Record(0, 3), "record 3 is for register 0 again"},
  };
  for (const auto& c : cases) {
    std::string reason;
    EXPECT_EQ(CheckRamImage(c.bytes, reason), !*c.reason) << c.reason;
    EXPECT_EQ(reason, c.reason);
    // A file with these bytes reads back as the same verdict.
    const std::string path = WriteHomeFile("image.ram", c.bytes);
    std::string bytes, fileReason;
    EXPECT_EQ(ReadRamImageFile(path, bytes, fileReason), !*c.reason) << c.reason;
    EXPECT_EQ(fileReason, c.reason);
  }
  std::string bytes, reason;
  EXPECT_FALSE(ReadRamImageFile(home + "missing.ram", bytes, reason));
  EXPECT_EQ(reason, "No such file or directory");
  EXPECT_FALSE(ReadRamImageFile(home, bytes, reason));
  EXPECT_EQ(reason, "a folder");
}

// Another image file replaces the home's for loading and saving, and the home's stays as it was.
TEST_F(RamTest, ImageFileStandsInForTheHomes) {
  WriteHomeFile("VALDOR.RAM", Record(3, 0x11));
  const std::string other = WriteHomeFile("other.ram", Record(3, 0x22));
  RamImageFile = other;
  LoadRamImage(0);
  EXPECT_EQ(DigitsText(RamRegisters[3]), "22222222222222");
  RamRegisters[3].fill(4);
  EXPECT_TRUE(SaveRamImage());
  RamImageFile.clear();
  EXPECT_EQ(ReadFile(ImagePath()), Record(3, 0x11));
  EXPECT_EQ(ReadFile(other).substr(3 * 9, 9), Record(3, 0x44));
}

}  // namespace
