#pragma once
// The PC keyboard's map onto the faceplate, as text for the Help window: one row per faceplate
// key that some PC key presses, read back from the tables the keyboard uses.

#include <string>
#include <vector>

struct KeyMapRow {
  std::string faceplate;  // the key's legend ("shift" for the blank gold key)
  std::string pcKeys;     // e.g. "F5, Up, Page Up"
};
std::vector<KeyMapRow> PcKeyMap();
