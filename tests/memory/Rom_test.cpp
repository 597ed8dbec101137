// ROM space, bank switching and module image files.

#include "memory/Rom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <set>
#include <vector>

#include "cpu/Cpu.h"
#include "support/MachineFixture.h"

namespace {

using Words = std::vector<uint16_t>;

// A recognisable word for each position of a file (never 0, so a missing word shows).
uint16_t Pattern(size_t i) {
  return static_cast<uint16_t>(((i * 37 + 11) % 1023) + 1);
}
Words Pages(int n) {
  Words w(static_cast<size_t>(n) * 4096);
  for (size_t i = 0; i < w.size(); ++i) w[i] = Pattern(i);
  return w;
}

// Writes the words as one bit stream, most significant bit of each word first (".R41").
std::string PackMsbFirst(const Words& words) {
  std::string out;
  uint32_t acc = 0;
  int bits = 0;
  for (uint16_t w : words) {
    acc = (acc << 10) | (w & 0x3FF);
    for (bits += 10; bits >= 8; bits -= 8) out += static_cast<char>(acc >> (bits - 8));
  }
  if (bits) out += static_cast<char>(acc << (8 - bits));
  return out;
}

// The same, least significant bit first, bytes filled from their low bit.
std::string PackLsbFirst(const Words& words) {
  std::string out;
  uint32_t acc = 0;
  int bits = 0;
  for (uint16_t w : words) {
    acc |= static_cast<uint32_t>(w & 0x3FF) << bits;
    for (bits += 10; bits >= 8; bits -= 8, acc >>= 8) out += static_cast<char>(acc & 0xFF);
  }
  if (bits) out += static_cast<char>(acc);
  return out;
}

const std::string kHeader(32, '\x55');

class RomTest : public MachineTest {
 protected:
  // The word at an offset of a page in a bank, whatever bank is selected.
  static int Word(int page, int bank, int offset) {
    const RomBlock* b = RomPages[page][bank].load();
    return b ? (*b)[offset] : -1;
  }
  static std::set<std::pair<int, int>> Blocks() {
    std::set<std::pair<int, int>> s;
    for (int p = 0; p < 16; ++p) {
      for (int b = 0; b < 4; ++b) {
        if (RomPages[p][b].load()) s.insert({p, b});
      }
    }
    return s;
  }
  void ExpectPage(int page, int bank, const Words& w, size_t from) {
    for (int i = 0; i < 4096; ++i) {
      ASSERT_EQ(Word(page, bank, i), w[from + i])
          << "page " << page << " bank " << bank << " @" << i;
    }
  }
  std::string ErrorText(const std::string& message) { return CpuErrorText(0, message); }
};

TEST_F(RomTest, PackersMatchTheByteLayout) {
  // w0 = 10 0000 0001, w1 = 11 1100 0000: the two layouts of the first two bytes.
  EXPECT_EQ(PackMsbFirst({0x201, 0x3C0}).substr(0, 3), std::string("\x80\x7C\x00", 3));
  EXPECT_EQ(PackLsbFirst({0x201, 0x3C0}).substr(0, 3), std::string("\x01\x02\x0F", 3));
}

TEST_F(RomTest, FreshAndClearedSpaceReadsZero) {
  StoreRom(0x8123, 2, 0x155);
  StoreRom(0x0000, 0, 0x3FF);
  CurrentBank[8] = 2;
  ClearRom();
  EXPECT_TRUE(Blocks().empty());
  for (int p = 0; p < 16; ++p) EXPECT_EQ(CurrentBank[p].load(), 0);
  for (uint32_t a = 0; a < 0x10000; ++a) ASSERT_EQ(FetchRom(a), 0) << a;
}

TEST_F(RomTest, StoreMasksAndCreatesOnlyItsBlock) {
  StoreRom(0x4000, 1, 0xFFFF);
  StoreRom(0x14001, 1, 0x2AA);  // only the low 16 address bits count
  EXPECT_EQ(Blocks(), (std::set<std::pair<int, int>>{{4, 1}}));
  EXPECT_EQ(Word(4, 1, 0), 0x3FF);
  EXPECT_EQ(Word(4, 1, 1), 0x2AA);
  EXPECT_EQ(Word(4, 1, 2), 0);
  EXPECT_EQ(FetchRom(0x4000), 0);  // page 4 still reads bank 0
  CurrentBank[4] = 1;
  EXPECT_EQ(FetchRom(0x4000), 0x3FF);
}

TEST_F(RomTest, SelectBankSwitchesThePagesOfItsTable) {
  for (int p = 0; p < 16; ++p) {
    for (int b = 0; b < 4; ++b) StoreRom(p << 12, b, 1);
  }
  struct Case {
    uint16_t address;
    int bank;
    std::set<int> pages;
  };
  const Case cases[] = {
      {0x3000, 1, {5}},      {0x3FFF, 0, {5}},      {0x3123, 2, {}},       {0x3123, 3, {}},
      {0x5000, 0, {5}},      {0x5FFF, 1, {5}},      {0x5000, 2, {4, 5}},   {0x5123, 3, {4, 5}},
      {0x6000, 1, {}},       {0x7FFF, 0, {}},       {0x6000, 2, {6, 7}},   {0x7FFF, 3, {6, 7}},
      {0x8000, 1, {8, 9}},   {0x9FFF, 2, {8, 9}},   {0xA000, 3, {10, 11}}, {0xBFFF, 0, {10, 11}},
      {0xC000, 1, {12, 13}}, {0xDFFF, 2, {12, 13}}, {0xE000, 1, {14, 15}}, {0xEFFF, 3, {14, 15}},
      {0xF000, 1, {}},       {0xFFFF, 2, {}},       {0x0000, 1, {}},       {0x2FFF, 3, {}},
      {0x4000, 1, {}},       {0x4FFF, 2, {}},       {0x5000, 4, {}},       {0x8000, -1, {}},
  };
  for (const Case& c : cases) {
    const uint8_t before = c.bank == 0 ? 1 : 0;
    for (auto& b : CurrentBank) b = before;
    SelectBank(c.address, c.bank);
    for (int p = 0; p < 16; ++p) {
      EXPECT_EQ(CurrentBank[p].load(), c.pages.count(p) ? c.bank : before)
          << std::hex << c.address << " bank " << c.bank << " page " << p;
    }
  }
}

TEST_F(RomTest, SelectBankKeepsThePageWithoutThatBank) {
  StoreRom(0x4000, 2, 1);  // page 4 has bank 2, page 5 does not
  StoreRom(0x5000, 1, 1);
  SelectBank(0x5000, 2);
  EXPECT_EQ(CurrentBank[4].load(), 2);
  EXPECT_EQ(CurrentBank[5].load(), 0);
  SelectBank(0x5000, 3);  // neither has bank 3
  EXPECT_EQ(CurrentBank[4].load(), 2);
}

TEST_F(RomTest, EncodingsByExtensionAndSize) {
  const Words one = Pages(1);
  struct Case {
    std::string name, bytes;
  };
  const Case cases[] = {
      {"page.R41", kHeader + PackMsbFirst(one)},
      {"lower.r41", kHeader + PackMsbFirst(one)},
      {"Mixed.R41", kHeader + PackMsbFirst(one)},
      {"page.rom", PackLsbFirst(one)},
      {"noext", PackLsbFirst(one)},
      {"page.r410", PackLsbFirst(one)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearRom();
    EXPECT_TRUE(LoadModuleImage(0x8000, WriteHomeFile(c.name, c.bytes), 16));
    EXPECT_EQ(Blocks(), (std::set<std::pair<int, int>>{{8, 0}}));
    ExpectPage(8, 0, one, 0);
  }
  // A directory named like a module image does not make its file one.
  std::filesystem::create_directory(home + "dir.r41");
  ClearRom();
  EXPECT_TRUE(LoadModuleImage(0x8000, WriteHomeFile("dir.r41/page", PackLsbFirst(one)), 16));
  ExpectPage(8, 0, one, 0);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(panel.annHistory.back(), " Loading module image ...");
}

TEST_F(RomTest, TwoByteWordsHighByteFirst) {
  std::string bytes;
  for (size_t i = 0; i < 4096; ++i) {
    const uint16_t cell = i == 0 ? 0xFFFF : static_cast<uint16_t>(0xFC00 | Pattern(i));
    bytes += static_cast<char>(cell >> 8);
    bytes += static_cast<char>(cell & 0xFF);
  }
  ASSERT_EQ(bytes.size(), 8192u);
  EXPECT_TRUE(LoadModuleImage(0x2000, WriteHomeFile("words.bin", bytes), 16));
  EXPECT_EQ(FetchRom(0x2000), 0x3FF);
  for (int i = 1; i < 4096; ++i) ASSERT_EQ(FetchRom(0x2000 + i), Pattern(i)) << i;
  EXPECT_EQ(Blocks().size(), 1u);
}

TEST_F(RomTest, EncodingIsChosenBySizeAlone) {
  const Words eight = Pages(8);
  const std::string packed = PackLsbFirst(eight);
  ASSERT_EQ(packed.size(), 40960u);
  EXPECT_TRUE(LoadModuleImage(0, WriteHomeFile("eight.rom", packed), 16));
  const auto* b = reinterpret_cast<const uint8_t*>(packed.data());
  for (uint32_t i = 0; i < 20480; ++i) {
    ASSERT_EQ(FetchRom(i), ((b[2 * i] << 8) | b[2 * i + 1]) & 0x3FF) << i;
  }
  EXPECT_EQ(Blocks().size(), 5u);

  // With the header the file is 32 bytes longer and read packed.
  ClearRom();
  EXPECT_TRUE(LoadModuleImage(0, WriteHomeFile("eight.R41", kHeader + PackMsbFirst(eight)), 16));
  for (int p = 0; p < 8; ++p) ExpectPage(p, 0, eight, p * 4096u);
  EXPECT_EQ(Blocks().size(), 8u);
}

TEST_F(RomTest, HeaderOnlyFileLoadsNothing) {
  EXPECT_TRUE(LoadModuleImage(0x8000, WriteHomeFile("empty.R41", kHeader), 16));
  EXPECT_TRUE(Blocks().empty());
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(RomTest, ShortBlockIsDecodedWholeFromAClearedBuffer) {
  // A full block of ones, then 7 bytes: the short block's missing bytes must read as zeros, and
  // all 64 of its words are placed, the last one into the next page.
  const std::string bytes =
      std::string(80, '\xFF') + PackLsbFirst({0x123, 0x234, 0x345, 0x056, 0x167});
  ASSERT_EQ(bytes.size(), 87u);
  EXPECT_TRUE(LoadModuleImage(0x1000 - 127, WriteHomeFile("short.rom", bytes), 16));
  const uint32_t second = 0x1000 - 127 + 64;
  EXPECT_EQ(FetchRom(second - 1), 0x3FF);
  EXPECT_EQ(FetchRom(second), 0x123);
  EXPECT_EQ(FetchRom(second + 4), 0x167);
  for (uint32_t a = second + 5; a < 0x1000; ++a) EXPECT_EQ(FetchRom(a), 0) << a;
  EXPECT_NE(RomPages[1][0].load(), nullptr);
}

TEST_F(RomTest, SpanPutsFurtherPagesIntoBanks) {
  const Words two = Pages(2), three = Pages(3), four = Pages(4);
  EXPECT_TRUE(LoadModuleImage(0x5000, WriteHomeFile("two.R41", kHeader + PackMsbFirst(two)), 1));
  EXPECT_EQ(Blocks(), (std::set<std::pair<int, int>>{{5, 0}, {5, 1}}));
  ExpectPage(5, 1, two, 4096);
  SelectBank(0x3123, 1);
  EXPECT_EQ(FetchRom(0x5000), two[4096]);
  SelectBank(0x5123, 0);
  EXPECT_EQ(FetchRom(0x5000), two[0]);

  ClearRom();
  EXPECT_TRUE(LoadModuleImage(0x8000, WriteHomeFile("three.rom", PackLsbFirst(three)), 2));
  EXPECT_EQ(Blocks(), (std::set<std::pair<int, int>>{{8, 0}, {9, 0}, {9, 1}}));
  ExpectPage(9, 0, three, 4096);
  ExpectPage(9, 1, three, 8192);

  ClearRom();
  EXPECT_TRUE(LoadModuleImage(0xC000, WriteHomeFile("four.rom", PackLsbFirst(four)), 1));
  for (int b = 0; b < 4; ++b) ExpectPage(12, b, four, b * 4096u);
  EXPECT_EQ(Blocks().size(), 4u);

  // A first bank other than 0: the pages after the span go on from it.
  ClearRom();
  EXPECT_TRUE(LoadModuleImage(0xA000, WriteHomeFile("two.rom", PackLsbFirst(two)), 1, 2));
  EXPECT_EQ(Blocks(), (std::set<std::pair<int, int>>{{10, 2}, {10, 3}}));
  ExpectPage(10, 3, two, 4096);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(LoadModuleImage(0xA000, WriteHomeFile("two.rom", PackLsbFirst(two)), 1, 3));
  EXPECT_FALSE(LoadModuleImage(0xA000, WriteHomeFile("two.rom", PackLsbFirst(two)), 1, 4));
}

TEST_F(RomTest, PlacementsOutsideTheSpaceAreDroppedAndReportedOnce) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  struct Case {
    const char* what;
    int64_t start, span;
    int pages;
    std::set<std::pair<int, int>> blocks;
    bool reported;
  };
  const Case cases[] = {
      {"a fifth bank", 0x8000, 1, 5, {{8, 0}, {8, 1}, {8, 2}, {8, 3}}, true},
      {"past 0xFFFF", 0xF000, 16, 2, {{15, 0}}, true},
      {"partly past 0xFFFF", 0xFFC0, 16, 1, {{15, 0}}, true},
      {"span 0", 0x8000, 0, 1, {}, true},
      {"negative span", 0x8000, -3, 1, {}, true},
      {"start past the space", 0x10000, 16, 1, {}, true},
      {"negative start", -4096, 16, 2, {}, true},
      {"huge start and span", kMax, kMax, 1, {}, true},
      {"huge span", 0x8000, kMax, 2, {{8, 0}, {9, 0}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClearRom();
    host.messages.clear();
    const std::string path = WriteHomeFile("m.rom", PackLsbFirst(Pages(c.pages)));
    EXPECT_EQ(LoadModuleImage(c.start, path, c.span), !c.reported);
    EXPECT_EQ(Blocks(), c.blocks);
    if (c.reported) {
      EXPECT_EQ(host.messages,
                std::vector<std::string>{ErrorText("Error loading module image: " + path)});
    } else {
      EXPECT_TRUE(host.messages.empty());
    }
  }
  // What fits is still loaded.
  ClearRom();
  LoadModuleImage(0xFFC0, WriteHomeFile("m.rom", PackLsbFirst(Pages(1))), 16);
  EXPECT_EQ(FetchRom(0xFFFF), Pattern(63));
}

// A file problem with the system's reason, not a CPU error; the display says what is going on.
TEST_F(RomTest, UnopenableFileIsReported) {
  const struct {
    std::string path, reason;
  } cases[] = {{home + "missing.R41", "No such file or directory"},
               {home, "Is a directory"},
               {"/dev/null", "not a regular file"}};
  for (const auto& c : cases) {
    host.messages.clear();
    EXPECT_FALSE(LoadModuleImage(0x8000, c.path, 16));
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Cannot load module file: " + c.path + ": " + c.reason});
    EXPECT_EQ(panel.ann, " Loading module image ...");
  }
  EXPECT_TRUE(Blocks().empty());
}

TEST_F(RomTest, ParseModuleEntry) {
  struct Case {
    std::string value;
    EntryParse result;
    int64_t start = 0, span = 0;
    std::string file = "";  // the file, or the text that did not convert
    int64_t bank = 0;
  };
  const Case cases[] = {
      {"32768 NUT0.ROM", EntryParse::Ok, 32768, 16, "NUT0.ROM"},
      {"$8000 PAGE.R41 1", EntryParse::Ok, 0x8000, 1, "PAGE.R41"},
      {"0 /abs/x.rom $2", EntryParse::Ok, 0, 2, "/abs/x.rom"},
      {"65535 a.rom -1", EntryParse::Ok, 65535, -1, "a.rom"},
      {"+12 a.rom  3", EntryParse::Ok, 12, 3, "a.rom"},
      {"65536 a.rom", EntryParse::Skip},
      {"-1 a.rom", EntryParse::Skip},
      {"-$10 a.rom", EntryParse::Skip},
      {"", EntryParse::Skip},
      {"8000", EntryParse::Skip},
      {"abc a.rom", EntryParse::BadNumber, 0, 0, "abc"},
      {"99999999999 a.rom", EntryParse::BadNumber, 0, 0, "99999999999"},
      {"8000 a.rom x1", EntryParse::BadNumber, 0, 0, "x1"},
      {"8000 a.rom 1 2", EntryParse::Ok, 8000, 1, "a.rom", 2},
      {"8000 a.rom  4 $3", EntryParse::Ok, 8000, 4, "a.rom", 3},
      {"8000 a.rom 1 x", EntryParse::BadNumber, 0, 0, "x"},
      {"8000 a.rom 1 2 3", EntryParse::BadNumber, 0, 0, "2 3"},
      {"8000 a.rom ", EntryParse::BadNumber, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    ModuleEntry e;
    std::string bad = "untouched";
    EXPECT_EQ(ParseModuleEntry(c.value, e, bad), c.result);
    if (c.result == EntryParse::Ok) {
      EXPECT_EQ(e.start, c.start);
      EXPECT_EQ(e.file, c.file);
      EXPECT_EQ(e.span, c.span);
      EXPECT_EQ(e.bank, c.bank);
    } else if (c.result == EntryParse::BadNumber) {
      EXPECT_EQ(bad, c.file);
    }
  }
}

TEST_F(RomTest, ModulePathUsesTheHomeFolderForBareNames) {
  EXPECT_EQ(ModulePath("x.rom"), home + "x.rom");
  EXPECT_EQ(ModulePath("/opt/x.rom"), "/opt/x.rom");
  EXPECT_EQ(ModulePath("sub/x.rom"), "sub/x.rom");
}

}  // namespace
