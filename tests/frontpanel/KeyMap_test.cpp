// The Help window's key map is read back from the keyboard's own tables.

#include "frontpanel/KeyMap.h"

#include <gtest/gtest.h>

#include <map>

#include "frontpanel/Keys.h"

namespace {

TEST(KeyMapTest, ListsEveryPcKeyOfEachFaceplateKeyOnce) {
  std::map<std::string, std::string> map;
  for (const KeyMapRow& row : PcKeyMap()) {
    EXPECT_TRUE(map.emplace(row.faceplate, row.pcKeys).second) << row.faceplate;
  }
  EXPECT_EQ(map.size(), static_cast<size_t>(kKeyCount));
  const std::pair<const char*, const char*> cases[] = {
      {"ON", "F1"},
      {"shift", "Page Up, Up, F5"},
      {"\u03a3+", "A"},  // a letter is listed once, for both cases
      {"ENTER\u2191", "Enter, N"},
      {"\u2190", "Delete, F7, Backspace"},
      {"0", "Space, 0"},
      {"ALPHA", "End, F4, \", ', `"},
      {"R/S", "Right, F8"},
  };
  for (const auto& [legend, keys] : cases) EXPECT_EQ(map[legend], keys) << legend;
}

}  // namespace
