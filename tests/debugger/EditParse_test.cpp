// The debugger's field parsers: hexadecimal values and digit groups.

#include "debugger/EditParse.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(EditParseTest, HexValue) {
  struct Case {
    std::string text;
    uint32_t expected;  // the current value is 0xC0FFEE
  };
  const Case cases[] = {
      {"1F3", 0x1F3},
      {"1f3", 0x1F3},
      {"  5A\t\r\n", 0x5A},
      {std::string("\x01") + "7" + std::string(1, '\0'), 7},
      {"FFFFFFFF", 0xFFFFFFFF},
      {"000000000012", 0x12},  // leading zeros do not count against the 32 bits
      {"0", 0},
      // Not a number: the current value stays.
      {"", 0xC0FFEE},
      {"   ", 0xC0FFEE},
      {"G", 0xC0FFEE},
      {"100000000", 0xC0FFEE},
      {"1 2", 0xC0FFEE},
      {"-1", 0xC0FFEE},
      {"+1", 0xC0FFEE},
      {"0x10", 0xC0FFEE},
      {"$10", 0xC0FFEE},
      {"\xC2\xA0"
       "1",
       0xC0FFEE},  // a no-break space is no blank
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + c.text + "'");
    EXPECT_EQ(ParseHexValue(c.text, 0xC0FFEE), c.expected);
  }
}

TEST(EditParseTest, DigitGroups) {
  struct Case {
    std::string text;
    int k;
    std::vector<uint8_t> entries;  // from entry 0; the rest are 0
  };
  const Case cases[] = {
      // A register shown as 14 digits reads back two characters at a time from the right.
      {"0123456789ABCD", 2, {13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
      {"12", 2, {2, 1}},
      {"1 2 3", 2, {3, 0, 2, 0, 1, 0}},
      // The stack: groups of 4, the k-th from the left is Stack[k].
      {"1 2 3", 4, {3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0}},
      {"0123 4567 89AB CDEF", 4, {15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
      {"12345", 4, {5, 4, 3, 2, 1, 0, 0, 0}},
      // Single digits: ST and G.
      {"10", 1, {0, 1}},
      {"F", 1, {15}},
      // Blanks around the text and between groups.
      {"  A   B  ", 2, {11, 0, 10, 0}},
      {"", 2, {}},
      {"   ", 4, {}},
      // Beyond 24 entries the rest is ignored, bad characters there included.
      {"ZZ" + std::string(24, '1'), 1, std::vector<uint8_t>(24, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + c.text + "' k=" + std::to_string(c.k));
    DigitEntries entries;
    entries.fill(99);
    ASSERT_TRUE(ParseDigitGroups(c.text, c.k, entries));
    std::vector<uint8_t> expected = c.entries;
    expected.resize(kDigitEntries, 0);
    EXPECT_EQ(std::vector<uint8_t>(entries.begin(), entries.end()), expected);
  }
}

TEST(EditParseTest, DigitGroupsThatDoNotParseChangeNothing) {
  struct Case {
    std::string text;
    int k;
  };
  const Case cases[] = {
      {"G", 2},        {"12 X4", 2}, {"1\t2", 2}, {"-1", 1},       {"0x12", 4},
      {"12 34 5G", 2}, {"12", 3},    {"12", 0},   {"\xC3\xA9", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("'" + c.text + "' k=" + std::to_string(c.k));
    DigitEntries entries, untouched;
    entries.fill(99);
    untouched.fill(99);
    EXPECT_FALSE(ParseDigitGroups(c.text, c.k, entries));
    EXPECT_EQ(entries, untouched);
  }
}

TEST(EditParseTest, RegisterFields) {
  DigitRegister reg;
  reg.fill(7);
  EXPECT_TRUE(ParseDigitGroups("12", reg));  // A=12: digit 1 = 1, digit 0 = 2, the rest 0
  EXPECT_EQ(reg, (DigitRegister{2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  // Only digits 0..13 are written: a 16th digit from the left is beyond the register.
  EXPECT_TRUE(ParseDigitGroups("FE0123456789ABCD", reg));
  EXPECT_EQ(reg, (DigitRegister{13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));

  const DigitRegister before = reg;
  EXPECT_FALSE(ParseDigitGroups("12 G4", reg));
  EXPECT_EQ(reg, before);
}

}  // namespace
