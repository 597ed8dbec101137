#include "frontpanel/KeyMap.h"

#include "frontpanel/Keys.h"

namespace {

std::string VirtualKeyName(int vk) {
  // Built by appending: GCC 12 reports a false -Wrestrict for "F" + std::to_string(...).
  if (vk >= 112 && vk <= 123) return std::string("F").append(std::to_string(vk - 111));
  switch (vk) {
    case 33: return "Page Up";
    case 34: return "Page Down";
    case 35: return "End";
    case 36: return "Home";
    case 37: return "Left";
    case 38: return "Up";
    case 39: return "Right";
    case 40: return "Down";
    case 45: return "Insert";
    case 46: return "Delete";
    default: return std::string("key ").append(std::to_string(vk));
  }
}

std::string CharacterName(int ch) {
  switch (ch) {
    case '\r': return "Enter";
    case '\b': return "Backspace";
    case ' ': return "Space";
    default: return std::string(1, static_cast<char>(ch));
  }
}

void Append(std::string& list, const std::string& name) {
  if (!list.empty()) list += ", ";
  list += name;
}

}  // namespace

std::vector<KeyMapRow> PcKeyMap() {
  std::vector<KeyMapRow> rows;
  for (const KeyRect& key : keyRects) {
    std::string keys;
    for (int vk = 0; vk < 256; ++vk)
      if (vkKeyTable[vk] == key.number) Append(keys, VirtualKeyName(vk));
    for (int ch = 0; ch < 256; ++ch) {
      // A letter works in both cases; the capital one stands for both.
      if (ch >= 'a' && ch <= 'z' && charKeyTable[ch - 'a' + 'A'] == key.number) continue;
      if (charKeyTable[ch] == key.number) Append(keys, CharacterName(ch));
    }
    if (!keys.empty()) rows.push_back({*key.legend ? key.legend : "shift", keys});
  }
  return rows;
}
