// The private-profile file: lookups, rewriting in place, and the integer conversions.

#include "host/ProfileFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "support/MachineFixture.h"

namespace {

class ProfileFileTest : public MachineTest {};

TEST_F(ProfileFileTest, MissingFileReadsDefaults) {
  const ProfileFile ini(home + "none.Ini");
  EXPECT_EQ(ini.ReadString("Calc", "Contrast", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("Calc", "Contrast", 15), 15);
  EXPECT_FALSE(ini.HasKey("Calc", "Contrast"));
}

TEST_F(ProfileFileTest, Lookups) {
  const std::string body =
      "Top=9\n"  // before any section: not in one
      "; comment\n"
      "[calc]\n"
      "  CONTRAST =  7  \n"
      "Contrast=8\n"
      ";Left=4\n"
      "Name=\t spaced  text \t\n"
      "Quoted=\" a b \"\n"
      "Half=\"open\n"
      "Long=" +
      std::string(2000, 'z') +
      "\n"
      "[ RAM ]\n"
      "Size=100\n"
      "[Calc]\n"
      "Left=5\n";
  for (const char* eol : {"\n", "\r\n"}) {
    std::string text = body;
    if (std::string(eol) == "\r\n") {
      text.clear();
      for (char c : body) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    const ProfileFile ini(WriteHomeFile("t.Ini", text));
    SCOPED_TRACE(eol[1] ? "CR LF" : "LF");
    EXPECT_EQ(ini.ReadInteger("Calc", "contrast", 15), 7);  // the first of two
    EXPECT_EQ(ini.ReadString("CALC", "name", ""), "spaced  text");
    EXPECT_EQ(ini.ReadString("Calc", "Quoted", ""), " a b ");
    EXPECT_EQ(ini.ReadString("Calc", "Half", ""), "\"open");
    EXPECT_EQ(ini.ReadString("Calc", "Long", ""), std::string(1023, 'z'));
    EXPECT_EQ(ini.ReadInteger("ram", "SIZE", 320), 100);
    EXPECT_EQ(ini.ReadInteger("Calc", "Left", -1), -1);  // commented out; second [Calc] unread
    EXPECT_EQ(ini.ReadInteger("Calc", "Top", -1), -1);
    EXPECT_FALSE(ini.HasKey("RAM", "Contrast"));
    EXPECT_TRUE(ini.HasKey("Ram", "size"));
  }
}

TEST_F(ProfileFileTest, IntegerValuesFallBackToTheDefault) {
  const ProfileFile ini(WriteHomeFile("t.Ini", "[CPU]\nA=0x100\nB=$100\nC=letters\nD=\n"));
  EXPECT_EQ(ini.ReadInteger("CPU", "A", 999), 256);
  EXPECT_EQ(ini.ReadInteger("CPU", "B", 999), 256);
  EXPECT_EQ(ini.ReadInteger("CPU", "C", 999), 999);
  EXPECT_EQ(ini.ReadInteger("CPU", "D", 999), 999);
}

TEST_F(ProfileFileTest, WritesChangeOneLineAndKeepTheRest) {
  const std::string original =
      "; VALDOR settings\r\n"
      "[Calc]\r\n"
      "Contrast=15   ; keep me? no, part of the value\r\n"
      "\r\n"
      "; the CPU\r\n"
      "[CPU]\r\n"
      "  ticks = 256\r\n"
      "Sound=0\r\n"
      "\r\n"
      "[RAM]\r\n"
      "Size=320";  // no final line end
  const std::string path = WriteHomeFile("t.Ini", original);
  struct Step {
    const char* section;
    const char* key;
    int32_t value;
    std::string from, to;  // the text replaced in the file
  };
  const Step steps[] = {
      {"cpu", "TICKS", 300, "  ticks = 256\r\n", "ticks=300\r\n"},
      {"CPU", "Turbo", 1, "Sound=0\r\n", "Sound=0\r\nTurbo=1\r\n"},
      {"Calc", "Contrast", 3, "Contrast=15   ; keep me? no, part of the value\r\n",
       "Contrast=3\r\n"},
      {"RAM", "Load", 0, "Size=320", "Size=320\r\nLoad=0\r\n"},
      {"Dovada", "Left", -7, "Load=0\r\n", "Load=0\r\n\r\n[Dovada]\r\nLeft=-7\r\n"},
  };
  std::string expected = original;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.key);
    ProfileFile ini(path);
    ASSERT_TRUE(ini.WriteInteger(s.section, s.key, s.value));
    expected.replace(expected.find(s.from), s.from.size(), s.to);
    EXPECT_EQ(ReadFile(path), expected);
    EXPECT_EQ(ini.ReadInteger(s.section, s.key, 12345), s.value);
    EXPECT_EQ(ProfileFile(path).ReadInteger(s.section, s.key, 12345), s.value);
  }
}

// Found by fuzzing: a last line ending in a lone CR kept the CR in its value until a write
// ended the line, so the same key read differently before and after writing another one.
TEST_F(ProfileFileTest, StrayCarriageReturnsAreNotPartOfAValue) {
  const std::string path = WriteHomeFile("t.Ini", "[x\n[ROM]\r\nModule1=$8000 NUT0.ROM\r");
  EXPECT_EQ(ProfileFile(path).ReadString("ROM", "Module1", ""), "$8000 NUT0.ROM");
  ASSERT_TRUE(ProfileFile(path).WriteInteger("CPU", "Ticks", 256));
  EXPECT_EQ(ProfileFile(path).ReadString("ROM", "Module1", ""), "$8000 NUT0.ROM");
  EXPECT_EQ(
      ProfileFile(WriteHomeFile("u.Ini", "[CPU]\rTicks=5\r\n")).ReadInteger("CPU", "Ticks", 1),
      1);  // a lone CR inside a line ends nothing
}

TEST_F(ProfileFileTest, KeysOfASectionInFileOrder) {
  const ProfileFile ini(WriteHomeFile(
      "t.Ini",
      "[ROM]\nModules=2\n; Module9=x\n Module2 = b\nModule1=a\n[RAM]\nSize=1\n[rom]\nModule3=c\n"));
  EXPECT_EQ(ini.Keys("rom"), (std::vector<std::string>{"Modules", "Module2", "Module1"}));
  EXPECT_TRUE(ini.Keys("CPU").empty());
}

// A configuration that is a link to another file stays a link; the file it names is replaced.
TEST_F(ProfileFileTest, WritesThroughALink) {
  std::filesystem::create_directory(home + "real");
  const std::string target = WriteHomeFile("real/settings.ini", "; kept\n");
  const std::string link = home + "VALDOR.Ini";
  std::filesystem::create_symlink(target, link);
  ASSERT_TRUE(ProfileFile(link).WriteInteger("CPU", "Ticks", 9));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFile(target), "; kept\n\n[CPU]\nTicks=9\n");
}

TEST_F(ProfileFileTest, FirstWriteCreatesTheFileAndInstancesShareIt) {
  const std::string path = home + "VALDOR.Ini";
  ProfileFile first(path), second(path);
  ASSERT_TRUE(first.WriteInteger("CPU", "Ticks", 256));
  ASSERT_TRUE(second.WriteInteger("Dovada", "Top", 4));
  ASSERT_TRUE(first.WriteInteger("Calc", "Contrast", 15));
  EXPECT_EQ(ReadFile(path), "[CPU]\nTicks=256\n\n[Dovada]\nTop=4\n\n[Calc]\nContrast=15\n");
}

TEST_F(ProfileFileTest, FailedWriteReportsFalseAndChangesNothing) {
  ProfileFile ini(home + "no/such/folder/VALDOR.Ini");
  EXPECT_FALSE(ini.WriteInteger("CPU", "Ticks", 1));
  EXPECT_FALSE(ini.HasKey("CPU", "Ticks"));
}

TEST_F(ProfileFileTest, TextToInteger) {
  constexpr int64_t kNo = std::numeric_limits<int64_t>::min();  // does not convert
  struct Case {
    const char* text;
    int64_t value;
  };
  const Case cases[] = {
      {"0", 0},
      {"123", 123},
      {"  42", 42},
      {"\t7", 7},
      {"+5", 5},
      {"-5", -5},
      {"$FF", 255},
      {"$ff", 255},
      {"-$10", -16},
      {"0000000000000012", 12},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483648LL},
      {"$7FFFFFFF", 0x7FFFFFFF},
      {"2147483648", kNo},
      {"-2147483649", kNo},
      {"$80000000", kNo},
      {"99999999999999999999", kNo},
      {"", kNo},
      {" ", kNo},
      {"-", kNo},
      {"$", kNo},
      {"12a", kNo},
      {"12 ", kNo},
      {"0x10", kNo},
      {"1.5", kNo},
      {"- 5", kNo},
      {"--5", kNo},
      {"$-5", kNo},
      {"$G", kNo},
  };
  for (const Case& c : cases) {
    int64_t v = 77;
    const bool ok = TextToInteger(c.text, v);
    EXPECT_EQ(ok, c.value != kNo) << '"' << c.text << '"';
    if (ok) {
      EXPECT_EQ(v, c.value) << '"' << c.text << '"';
    }
  }
}

TEST_F(ProfileFileTest, ConfigTextToInteger) {
  struct Case {
    const char* text;
    bool ok;
    int32_t value;
  };
  const Case cases[] = {
      {"0x100", true, 256},
      {"0X1f", true, 31},
      {"0x000000010", true, 16},
      {"0xFFFFFFFF", true, -1},
      {"0x80000000", true, std::numeric_limits<int32_t>::min()},
      {"0x100000000", false, 0},
      {"0x", false, 0},
      {"0xG", false, 0},
      {"0x 5", false, 0},
      {"0x-5", false, 0},
      {"$100", true, 256},
      {"256", true, 256},
      {" -12", true, -12},
      {"abc", false, 0},
  };
  for (const Case& c : cases) {
    int32_t v = 77;
    EXPECT_EQ(ConfigTextToInteger(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

// A folder where the file should be reads as a missing file instead of throwing.
TEST_F(ProfileFileTest, FolderInPlaceOfTheFileReadsAsMissing) {
  std::filesystem::create_directory(home + "VALDOR.Ini");
  ProfileFile ini(home + "VALDOR.Ini");
  EXPECT_EQ(ini.ReadInteger("CPU", "Ticks", 256), 256);
  EXPECT_FALSE(ini.WriteInteger("CPU", "Ticks", 1));
}

}  // namespace
