// The home folder: which one is chosen, what a first start writes there, and the message when
// no ROM image could be loaded.

#include "host/HomeFolder.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/MissingRom.h"
#include "app/StartUp.h"
#include "support/MachineFixture.h"

namespace fs = std::filesystem;

namespace {

class HomeFolderTest : public MachineTest {
 protected:
  void Touch(const std::string& path, const std::string& bytes = "") {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
};

TEST_F(HomeFolderTest, ChoosesVariableThenPortableFolderThenPerUserFolder) {
  const std::string withIni = home + "portable", withoutIni = home + "bare";
  Touch(withIni + "/VALDOR.Ini");
  fs::create_directories(withoutIni);
  Touch(home + "other/VALDOR.Ini");  // another program's name is not ours
  const struct {
    const char* variable;
    std::string exeDir, program, dir;
    bool perUser;
  } cases[] = {
      {"/srv/calc", withIni, "VALDOR", "/srv/calc/", false},
      {"/srv/calc/", withoutIni, "VALDOR", "/srv/calc/", false},
      {"", withIni, "VALDOR", withIni + "/", false},  // empty counts as unset
      {nullptr, withIni + "/", "VALDOR", withIni + "/", false},
      {nullptr, withoutIni, "VALDOR", "/data/valdor/", true},
      {nullptr, home + "other", "CALC", "/data/valdor/", true},
      {nullptr, "", "VALDOR", "/data/valdor/", true},
  };
  for (const auto& c : cases) {
    const HomeChoice got = ChooseHome(c.variable, c.exeDir, c.program, "/data");
    EXPECT_EQ(got.dir, c.dir) << c.exeDir;
    EXPECT_EQ(got.perUser, c.perUser) << c.exeDir;
  }
  // Without a per-user data folder there is no home: never "valdor/" below the current folder.
  EXPECT_EQ(ChooseHome(nullptr, withoutIni, "VALDOR", "").dir, "");
}

TEST_F(HomeFolderTest, PerUserDataFolderFollowsXdgRule) {
  const char* savedXdg = std::getenv("XDG_DATA_HOME");
  const char* savedHome = std::getenv("HOME");
  const std::string oldXdg = savedXdg ? savedXdg : "", oldHome = savedHome ? savedHome : "";
  const struct {
    const char* xdg;
    const char* userHome;
    std::string want;
  } cases[] = {
      {"/x/data", "/home/u", "/x/data"},
      {"relative/data", "/home/u", "/home/u/.local/share"},  // only absolute paths count
      {nullptr, "/home/u/", "/home/u/.local/share"},
      // HOME unset: the password database's folder of the user.
      {nullptr, nullptr, std::string(::getpwuid(::getuid())->pw_dir) + "/.local/share"},
  };
  for (const auto& c : cases) {
    c.xdg ? setenv("XDG_DATA_HOME", c.xdg, 1) : unsetenv("XDG_DATA_HOME");
    c.userHome ? setenv("HOME", c.userHome, 1) : unsetenv("HOME");
    EXPECT_EQ(XdgDataHome(), c.want) << (c.xdg ? c.xdg : "unset");
  }
  savedXdg ? setenv("XDG_DATA_HOME", oldXdg.c_str(), 1) : unsetenv("XDG_DATA_HOME");
  savedHome ? setenv("HOME", oldHome.c_str(), 1) : unsetenv("HOME");
}

// The program's data folder: the installed share folder, or the build folder for the programs
// built there (VALDOR in it, valdor-run in its tools/ folder).
TEST_F(HomeFolderTest, FindsTheProgramsDataFolderAndItsFirmware) {
  Touch(home + "usr/share/valdor/rpn.rom");
  fs::create_directories(home + "usr/bin");
  Touch(home + "build/CMakeCache.txt");
  Touch(home + "build/rpn.rom");
  fs::create_directories(home + "build/tools");
  fs::create_directories(home + "bare");
  const struct {
    std::string exeDir, data, demo;
  } cases[] = {
      {home + "usr/bin", home + "usr/share/valdor/", home + "usr/share/valdor/rpn.rom"},
      {home + "usr/bin/", home + "usr/share/valdor/", home + "usr/share/valdor/rpn.rom"},
      {home + "build", home + "build/", home + "build/rpn.rom"},
      {home + "build/tools/", home + "build/", home + "build/rpn.rom"},
      {home + "bare", home + "bare/", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgramDataDir(c.exeDir), c.data) << c.exeDir;
    EXPECT_EQ(BundledRom(c.exeDir), c.demo) << c.exeDir;
  }
}

// A bare module name: the home folder's file, else the data folder's; with a folder, as given.
TEST_F(HomeFolderTest, BareModuleNamesAreFoundInTheHomeThenTheDataFolder) {
  Touch(home + "h/mine.rom");
  Touch(home + "h/demo.rom");
  Touch(home + "d/demo.rom");
  Touch(home + "d/only.rom");
  const std::string h = home + "h/", d = home + "d/";
  const struct {
    std::string file, dataDir, want;
  } cases[] = {
      {"mine.rom", d, h + "mine.rom"},
      {"demo.rom", d, h + "demo.rom"},  // the user's own copy wins
      {"only.rom", d, d + "only.rom"},
      {"gone.rom", d, h + "gone.rom"},  // reported missing where the user would put it
      {"only.rom", "", h + "only.rom"},
      {"/abs/x.rom", d, "/abs/x.rom"},
      {"sub/x.rom", d, "sub/x.rom"},
  };
  for (const auto& c : cases) EXPECT_EQ(FindModuleFile(c.file, h, c.dataDir), c.want) << c.file;
}

// A first start writes a configuration that loads the demo, and start-up then runs it.
TEST_F(HomeFolderTest, FirstStartWritesConfigurationThatLoadsTheDemo) {
  const char* demo = std::getenv("VALDOR_DEMO_ROM");
  ASSERT_NE(demo, nullptr);
  const std::string userHome = home + "data/valdor/";
  std::string error;
  ASSERT_TRUE(PrepareHome({userHome, true}, "VALDOR", "", error)) << error;  // no demo found
  EXPECT_NE(ReadFile(userHome + "VALDOR.Ini").find("Modules=0"), std::string::npos);
  fs::remove(userHome + "VALDOR.Ini");

  ASSERT_TRUE(PrepareHomeDir(userHome, "VALDOR", demo, error)) << error;
  const std::string first = ReadFile(userHome + "VALDOR.Ini");
  // By its bare name, found in the program's data folder wherever that is now.
  EXPECT_NE(first.find("Module1=0 demo.rom\n"), std::string::npos);
  EXPECT_NE(first.find("; "), std::string::npos);  // explains how to list one's own images

  host.homeDir = userHome;
  host.dataDir = fs::path(demo).parent_path().string() + "/";
  StartUp(kNoWaits);
  EXPECT_EQ(NoRomMessage(), "");

  // An existing configuration is never overwritten.
  Touch(userHome + "VALDOR.Ini", "[ROM]\nModules=0\n");
  ASSERT_TRUE(PrepareHomeDir(userHome, "VALDOR", demo, error));
  EXPECT_EQ(ReadFile(userHome + "VALDOR.Ini"), "[ROM]\nModules=0\n");
}

// The demo is listed by name and never copied: a prefix with a space in it once made the first
// start copy it over the user's own demo.rom.
TEST_F(HomeFolderTest, DemoIsListedByNameAndNothingOfTheUsersIsOverwritten) {
  Touch(home + "my programs/share/valdor/rpn.rom", "firmware bytes");
  fs::create_directories(home + "my programs/bin");
  Touch(home + "u/rpn.rom", "mine");
  std::string error;
  ASSERT_TRUE(PrepareHome({home + "u/", true}, "VALDOR", home + "my programs/bin", error)) << error;
  EXPECT_NE(ReadFile(home + "u/VALDOR.Ini").find("Module1=0 rpn.rom\n"), std::string::npos);
  EXPECT_EQ(ReadFile(home + "u/rpn.rom"), "mine");
}

// The demo's symbol file comes along at a first start, so that the debugger names its
// routines; a symbol file already in the folder is the user's and is kept.
TEST_F(HomeFolderTest, FirstStartBringsTheDemosSymbols) {
  Touch(home + "share/demo.rom", "demo bytes");
  Touch(home + "share/Entries.A", "=COLD EQU 002CH\n");
  std::string error;
  ASSERT_TRUE(PrepareHomeDir(home + "a", "VALDOR", home + "share/demo.rom", error)) << error;
  EXPECT_EQ(ReadFile(home + "a/Entries.A"), "=COLD EQU 002CH\n");
  Touch(home + "b/Entries.A", "mine");
  ASSERT_TRUE(PrepareHomeDir(home + "b", "VALDOR", home + "share/demo.rom", error)) << error;
  EXPECT_EQ(ReadFile(home + "b/Entries.A"), "mine");
}

TEST_F(HomeFolderTest, OnlyThePerUserFolderIsPreparedAndFailuresAreReported) {
  std::string error;
  EXPECT_TRUE(PrepareHome({home + "portable/", false}, "VALDOR", "", error));
  EXPECT_FALSE(fs::exists(home + "portable"));
  // Each failure names the folder or file and the system's reason.
  Touch(home + "file");
  EXPECT_FALSE(PrepareHome({home + "file/valdor/", true}, "VALDOR", "", error));
  EXPECT_NE(error.find(home + "file/valdor/: Not a directory"), std::string::npos) << error;
  const std::string longName(300, 'x');  // a file name the file system refuses, even to root
  EXPECT_FALSE(PrepareHome({home + "long/", true}, longName, "", error));
  EXPECT_NE(error.find("cannot write " + home + "long/" + longName + ".Ini: File name too long"),
            std::string::npos) << error;
  EXPECT_FALSE(PrepareHome({"", true}, "VALDOR", "", error));
  EXPECT_NE(error.find("HOME is not set"), std::string::npos);
}

// The calculator's memory is the user's own data: a folder the first start creates is private.
TEST_F(HomeFolderTest, CreatedHomeFolderIsPrivate) {
  std::string error;
  ASSERT_TRUE(PrepareHome({home + "data/valdor/", true}, "VALDOR", "", error)) << error;
  EXPECT_EQ(fs::status(home + "data/valdor").permissions() & fs::perms::all, fs::perms::owner_all);
  fs::create_directories(home + "mine");  // a folder that was there keeps its permissions
  fs::permissions(home + "mine", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  ASSERT_TRUE(PrepareHome({home + "mine/", true}, "VALDOR", "", error)) << error;
  EXPECT_EQ(fs::status(home + "mine").permissions() & fs::perms::all,
            fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

TEST_F(HomeFolderTest, NoRomMessageNamesTheConfigurationWhenNothingLoaded) {
  const struct {
    const char* ini;
    bool message;
  } cases[] = {
      {nullptr, true},
      {"[ROM]\nModules=2\nModule1=0 gone.rom\nModule2=$1000 /nowhere/x.rom\n", true},
      {"[ROM]\nModules=1\nModule1=0 fw.rom\n", false},
  };
  WriteHomeFile("fw.rom", std::string(8192, '\0'));
  for (const auto& c : cases) {
    fs::remove(home + "VALDOR.Ini");
    if (c.ini) WriteHomeFile("VALDOR.Ini", c.ini);
    StartUp(kNoWaits);
    const std::string text = NoRomMessage();
    EXPECT_EQ(!text.empty(), c.message) << (c.ini ? c.ini : "no file");
    if (c.message) {
      EXPECT_NE(text.find(home + "VALDOR.Ini"), std::string::npos);
      EXPECT_NE(text.find("Module1="), std::string::npos);
    }
    // What the About box lists: only the images that loaded.
    EXPECT_EQ(LoadedImages, c.message ? std::vector<std::string>{}
                                      : std::vector<std::string>{home + "fw.rom"});
  }
}

}  // namespace
