#pragma once
// The 39 keys of the faceplate: where they are, their key numbers and the codes the CPU's
// keyboard register receives for them.

#include <array>
#include <cstdint>

struct KeyRect {
  uint16_t x, y;
  int8_t width, height;
  uint8_t number;      // row * 10 + column; the top row is 1..4
  const char* legend;  // as printed on the key
  uint8_t code;        // loaded into KEYS
};

constexpr int kKeyCount = 39;
extern const KeyRect keyRects[kKeyCount];

// Key number (0..99) to key code; numbers without a key have code 0.
extern uint8_t keyCodeTable[100];
inline uint8_t KeyCode(int32_t keyNumber) {
  return (keyNumber >= 0 && keyNumber < 100) ? keyCodeTable[keyNumber] : 0;
}

// The first entry whose rectangle (borders included) holds the point, or -1.
int hitTest(int x, int y);
// The entry index of a key number, or -1.
int KeyIndex(int keyNumber);

// PC keys to key numbers, 255 = none. vkKeyTable is indexed by the Windows virtual-key code of a
// key-down (F1..F8, Insert, Home, End, Page Up/Down, arrows, Delete), charKeyTable by the
// character of a key press (letters in both cases, digits, Enter, Backspace, punctuation).
constexpr uint8_t kNoKey = 255;
extern const std::array<uint8_t, 256> vkKeyTable;
extern const std::array<uint8_t, 256> charKeyTable;
