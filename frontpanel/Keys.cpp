#include "frontpanel/Keys.h"

const KeyRect keyRects[kKeyCount] = {
    {21, 101, 46, 18, 1, "ON", 0x18},        {76, 101, 46, 18, 2, "USER", 0xC6},
    {181, 101, 46, 18, 3, "PRGM", 0xC5},     {236, 101, 46, 18, 4, "ALPHA", 0xC4},
    {40, 164, 32, 28, 11, "\u03a3+", 0x10},  {88, 164, 32, 28, 12, "1/x", 0x30},
    {136, 164, 32, 28, 13, "\u221ax", 0x70}, {184, 164, 32, 28, 14, "LOG", 0x80},
    {232, 164, 32, 28, 15, "LN", 0xC0},      {40, 212, 32, 28, 21, "x\u2277y", 0x11},
    {88, 212, 32, 28, 22, "R\u2193", 0x31},  {136, 212, 32, 28, 23, "SIN", 0x71},
    {184, 212, 32, 28, 24, "COS", 0x81},     {232, 212, 32, 28, 25, "TAN", 0xC1},
    {40, 262, 32, 28, 31, "", 0x12},         {88, 262, 32, 28, 32, "XEQ", 0x32},
    {136, 262, 32, 28, 33, "STO", 0x72},     {184, 262, 32, 28, 34, "RCL", 0x82},
    {232, 262, 32, 28, 35, "SST", 0xC2},     {40, 311, 80, 28, 41, "ENTER\u2191", 0x13},
    {136, 311, 32, 28, 43, "CHS", 0x73},     {184, 311, 32, 28, 44, "EEX", 0x83},
    {232, 311, 32, 28, 45, "\u2190", 0xC3},  {40, 359, 32, 28, 51, "\u2212", 0x14},
    {98, 359, 38, 28, 52, "7", 0x34},        {162, 359, 38, 28, 53, "8", 0x74},
    {227, 359, 38, 28, 54, "9", 0x84},       {40, 408, 32, 28, 61, "+", 0x15},
    {98, 408, 38, 28, 62, "4", 0x35},        {162, 408, 38, 28, 63, "5", 0x75},
    {227, 408, 38, 28, 64, "6", 0x85},       {40, 456, 32, 28, 71, "\u00d7", 0x16},
    {98, 456, 38, 28, 72, "1", 0x36},        {162, 456, 38, 28, 73, "2", 0x76},
    {227, 456, 38, 28, 74, "3", 0x86},       {40, 505, 32, 28, 81, "\u00f7", 0x17},
    {98, 505, 38, 28, 82, "0", 0x37},        {162, 505, 38, 28, 83, "\u2022", 0x77},
    {227, 505, 38, 28, 84, "R/S", 0x87},
};

uint8_t keyCodeTable[100];

namespace {
const bool keyCodeTableFilled = [] {
  for (const KeyRect& k : keyRects) keyCodeTable[k.number] = k.code;
  return true;
}();
}  // namespace

int hitTest(int x, int y) {
  for (int i = 0; i < kKeyCount; ++i) {
    const KeyRect& k = keyRects[i];
    if (k.x <= x && x <= k.x + k.width && k.y <= y && y <= k.y + k.height) return i;
  }
  return -1;
}

int KeyIndex(int keyNumber) {
  for (int i = 0; i < kKeyCount; ++i)
    if (keyRects[i].number == keyNumber) return i;
  return -1;
}

namespace {
struct PcKeys {
  uint8_t number;
  std::array<uint8_t, 3> virtualKeys;  // 0 ends the list
  const char* chars;                   // letters stand for both cases
};

// Windows virtual-key codes.
constexpr uint8_t kVkPageUp = 33, kVkPageDown = 34, kVkEnd = 35, kVkHome = 36, kVkUp = 38,
                  kVkRight = 39, kVkDown = 40, kVkInsert = 45, kVkDelete = 46, kVkF1 = 112;

constexpr PcKeys kPcKeys[] = {
    {1, {kVkF1}, ""},
    {2, {kVkF1 + 1, kVkInsert}, ""},
    {3, {kVkF1 + 2, kVkHome}, ""},
    {4, {kVkF1 + 3, kVkEnd}, "\"'`"},
    {11, {}, "A"},
    {12, {}, "B"},
    {13, {}, "C"},
    {14, {}, "D"},
    {15, {}, "E"},
    {21, {}, "F"},
    {22, {}, "G"},
    {23, {}, "H"},
    {24, {}, "I"},
    {25, {}, "J"},
    {31, {kVkF1 + 4, kVkUp, kVkPageUp}, ""},
    {32, {}, "K"},
    {33, {}, "L"},
    {34, {}, "M"},
    {35, {kVkF1 + 5, kVkDown, kVkPageDown}, ""},
    {41, {}, "\rN"},
    {43, {}, "O"},
    {44, {}, "P"},
    {45, {kVkF1 + 6, kVkDelete}, "\b"},
    {51, {}, "-Q"},
    {52, {}, "7R"},
    {53, {}, "8S"},
    {54, {}, "9T"},
    {61, {}, "+U"},
    {62, {}, "4V"},
    {63, {}, "5W"},
    {64, {}, "6X"},
    {71, {}, "*Y"},
    {72, {}, "1Z"},
    {73, {}, "2="},
    {74, {}, "3?"},
    {81, {}, "/:"},
    {82, {}, "0 "},
    {83, {}, ".,"},
    {84, {kVkF1 + 7, kVkRight}, ""},
};

constexpr std::array<uint8_t, 256> BuildVkTable() {
  std::array<uint8_t, 256> table{};
  table.fill(kNoKey);
  for (const PcKeys& k : kPcKeys)
    for (uint8_t vk : k.virtualKeys)
      if (vk != 0) table[vk] = k.number;
  return table;
}

constexpr std::array<uint8_t, 256> BuildCharTable() {
  std::array<uint8_t, 256> table{};
  table.fill(kNoKey);
  for (const PcKeys& k : kPcKeys)
    for (const char* c = k.chars; *c != 0; ++c) {
      const uint8_t ch = static_cast<uint8_t>(*c);
      table[ch] = k.number;
      if (ch >= 'A' && ch <= 'Z') table[ch - 'A' + 'a'] = k.number;
    }
  return table;
}
}  // namespace

const std::array<uint8_t, 256> vkKeyTable = BuildVkTable();
const std::array<uint8_t, 256> charKeyTable = BuildCharTable();
