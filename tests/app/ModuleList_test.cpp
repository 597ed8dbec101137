// The Modules window's list: the configuration written back, the checks of each image against
// its file and the others, and image files brought into the home folder.

#include "app/ModuleList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/ProfileFile.h"
#include "support/MachineFixture.h"

namespace {

ModuleItem At(const std::string& file, int64_t start, int64_t span = 16, int64_t bank = 0) {
  ModuleItem item;
  item.file = file;
  item.start = start;
  item.span = span;
  item.bank = bank;
  return item;
}

class ModuleListTest : public MachineTest {
 protected:
  // An image of `pages` pages in the 2-byte encoding.
  std::string Image(const std::string& name, int pages) {
    return WriteHomeFile(name, std::string(8192 * pages, '\x01'));
  }
};

TEST_F(ModuleListTest, WritingKeepsCommentsOtherKeysAndUntouchedEntries) {
  const std::string path = WriteHomeFile(
      "VALDOR.Ini",
      "; my calculator\n[ROM]\nModules=4\n; the system\nModule1=0   NUT0.ROM\n"
      "Module2=$8000 GONE.ROM\nmodule3=what is this\nModule4=$9000 b.rom 1\n"
      "Module7=$A000 stale.rom\nModule01=$B000 zero.rom\n[CPU]\nTicks=100 ; fast\n");
  ProfileFile ini(path);
  std::vector<ModuleItem> items = ReadModuleList(ini);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_FALSE(items[2].understood);
  EXPECT_EQ(items[3].span, 1);
  items.erase(items.begin() + 1);  // GONE.ROM removed
  items[2].bank = 2;               // b.rom moved to bank 2
  items.push_back(At("new.rom", 0xC000));
  ASSERT_TRUE(WriteModuleList(ini, items));
  EXPECT_EQ(ReadFile(path),
            "; my calculator\n[ROM]\nModules=4\n; the system\nModule1=0   NUT0.ROM\n"
            "Module2=what is this\nmodule3=$9000 b.rom 1 2\nModule4=$C000 new.rom\n"
            "[CPU]\nTicks=100 ; fast\n");
}

// Numbers with gaps, as start-up reads them: none is lost, and they are numbered anew.
TEST_F(ModuleListTest, EntriesWithGapsAreReadAsStartUpReadsThem) {
  const std::string path =
      WriteHomeFile("VALDOR.Ini", "[ROM]\nModules=100\nModule99=$8000 far.rom\nModule3=0 a.rom\n");
  ProfileFile ini(path);
  const std::vector<ModuleItem> items = ReadModuleList(ini);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].file, "a.rom");
  EXPECT_EQ(items[1].file, "far.rom");
  ASSERT_TRUE(WriteModuleList(ini, items));
  EXPECT_EQ(ReadFile(path), "[ROM]\nModules=2\nModule1=0 a.rom\nModule2=$8000 far.rom\n");
}

TEST_F(ModuleListTest, ChecksFindBadFilesOverlapsAndTheEndOfTheSpace) {
  Image("one.rom", 1);
  Image("two.rom", 2);
  Image("four.rom", 4);
  WriteHomeFile("empty.rom", "");
  WriteHomeFile("header.r41", std::string(32, 'x'));
  WriteHomeFile("odd.rom", std::string(1000, 'x'));
  WriteHomeFile("page.r41", std::string(32 + 5120, 'x'));
  struct Case {
    ModuleItem item;
    std::string problem;  // a part of it; "" for none
    std::vector<std::pair<int, int>> cells;
  };
  const Case cases[] = {
      {At("two.rom", 0x8000), "", {{8, 0}, {9, 0}}},
      {At("one.rom", 0x9000), "shares page 9 bank 0 with entry 1 (two.rom)", {{9, 0}}},
      {At("four.rom", 0x5000, 1), "", {{5, 0}, {5, 1}, {5, 2}, {5, 3}}},
      {At("two.rom", 0x5000, 1, 3), "runs past the end of the address space", {}},
      {At("two.rom", 0xF000), "runs past the end of the address space", {}},
      {At("two.rom", 0xA000, 1, 2), "", {{10, 2}, {10, 3}}},
      {At("page.r41", 0xE000), "", {{14, 0}}},
      {At("empty.rom", 0xC000), "empty file", {}},
      {At("header.r41", 0xC000), "no words after the .R41 header", {}},
      {At("odd.rom", 0xC000), "holds 800 words", {}},
      {At("missing.rom", 0xC000), "No such file", {}},
      {At("two.rom", 0x9800), "shares page 9 bank 0 with entry 1", {{9, 0}, {10, 0}, {11, 0}}},
  };
  std::vector<ModuleItem> items;
  for (const Case& c : cases) items.push_back(c.item);
  const std::vector<ModuleCheck> checks = CheckModules(items);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].item.file + " at " + std::to_string(cases[i].item.start));
    if (cases[i].problem.empty())
      EXPECT_EQ(checks[i].problem, "");
    else
      EXPECT_NE(checks[i].problem.find(cases[i].problem), std::string::npos) << checks[i].problem;
    EXPECT_EQ(checks[i].cells, cases[i].cells);
  }
  // Pages 8 to 11 and 14 are taken in bank 0.
  EXPECT_EQ(FirstFreePage(checks), 12);
  EXPECT_EQ(FirstFreePage(checks, 2), 12);
  EXPECT_EQ(FirstFreePage(checks, 3), -1);
  EXPECT_EQ(FirstFreePage(checks, 1, 13), 13);
  EXPECT_EQ(FirstFreePage({}, 8), 8);
}

TEST_F(ModuleListTest, ImagesAreBroughtIntoTheHomeFolderOnce) {
  namespace fs = std::filesystem;
  const fs::path away = fs::path(home) / "away";
  fs::create_directories(away);
  auto write = [](const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  };
  std::string error;
  EXPECT_EQ(ImageIntoHome(Image("in home.rom", 1), error), "in_home.rom");  // no space allowed
  EXPECT_EQ(ImageIntoHome(Image("here.rom", 1), error), "here.rom");
  EXPECT_EQ(ImageIntoHome(write(away / "here.rom", std::string(8192, '\x01')), error), "here.rom");
  EXPECT_EQ(ImageIntoHome(write(away / "here.rom", std::string(8192, '\x02')), error),
            "here-2.rom");
  EXPECT_EQ(ReadFile(home + "here.rom"), std::string(8192, '\x01'));
  EXPECT_EQ(ReadFile(home + "here-2.rom"), std::string(8192, '\x02'));
  host.dataDir = away.string();
  EXPECT_EQ(ImageIntoHome((away / "here.rom").string(), error), "here.rom");
  EXPECT_EQ(error, "");
  EXPECT_EQ(ImageIntoHome((away / "none.rom").string(), error), "");
  EXPECT_NE(error.find("Cannot add"), std::string::npos);
}

}  // namespace
