// PC keys to calculator keys through Qt key events.

#include "frontpanel/QtKeys.h"

#include <gtest/gtest.h>

#include "frontpanel/Keys.h"

namespace {

QKeyEvent Press(int key, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  return QKeyEvent(QEvent::KeyPress, key, mods, text);
}

struct CharCase {
  int key;
  const char* text;  // UTF-8
  Qt::KeyboardModifiers mods;
  int expected;
};

TEST(QtKeysTest, TypedCharactersPressTheirKeys) {
  const CharCase cases[] = {
      {Qt::Key_N, "n", Qt::NoModifier, 41},
      {Qt::Key_N, "N", Qt::ShiftModifier, 41},
      {Qt::Key_Return, "\r", Qt::NoModifier, 41},
      {Qt::Key_Enter, "", Qt::KeypadModifier, 41},  // no text: taken from the key
      {Qt::Key_Backspace, "\b", Qt::NoModifier, 45},
      {Qt::Key_Backspace, "", Qt::NoModifier, 45},
      {Qt::Key_Space, " ", Qt::NoModifier, 82},
      {Qt::Key_A, "A", Qt::ShiftModifier, 11},
      {Qt::Key_A, "a", Qt::NoModifier, 11},
      {Qt::Key_J, "j", Qt::NoModifier, 25},
      {Qt::Key_K, "k", Qt::NoModifier, 32},
      {Qt::Key_P, "P", Qt::ShiftModifier, 44},
      {Qt::Key_Z, "z", Qt::NoModifier, 72},
      {Qt::Key_0, "0", Qt::NoModifier, 82},
      {Qt::Key_7, "7", Qt::NoModifier, 52},
      {Qt::Key_3, "3", Qt::KeypadModifier, 74},
      {Qt::Key_Minus, "-", Qt::NoModifier, 51},
      {Qt::Key_Plus, "+", Qt::ShiftModifier, 61},
      {Qt::Key_Asterisk, "*", Qt::ShiftModifier, 71},
      {Qt::Key_Slash, "/", Qt::NoModifier, 81},
      {Qt::Key_Colon, ":", Qt::ShiftModifier, 81},
      {Qt::Key_Equal, "=", Qt::NoModifier, 73},
      {Qt::Key_Question, "?", Qt::ShiftModifier, 74},
      {Qt::Key_Period, ".", Qt::NoModifier, 83},
      {Qt::Key_Comma, ",", Qt::NoModifier, 83},
      {Qt::Key_QuoteDbl, "\"", Qt::ShiftModifier, 4},
      {Qt::Key_Apostrophe, "'", Qt::NoModifier, 4},
      {Qt::Key_QuoteLeft, "`", Qt::NoModifier, 4},
      {Qt::Key_Exclam, "!", Qt::ShiftModifier, -1},
      {Qt::Key_Tab, "\t", Qt::NoModifier, -1},
      {Qt::Key_A, "\x01", Qt::ControlModifier, -1},  // Ctrl+A types no letter
      {Qt::Key_Eacute, "\xc3\xa9", Qt::NoModifier, -1},
      {Qt::Key_unknown, "\xe2\x82\xac", Qt::NoModifier, -1},  // beyond the table
      {Qt::Key_F1, "", Qt::NoModifier, -1},
      {Qt::Key_Delete, "\x7f", Qt::NoModifier, -1},  // Delete works as a key-down only
  };
  for (const CharCase& c : cases) {
    const QKeyEvent e = Press(c.key, QString::fromUtf8(c.text), c.mods);
    EXPECT_EQ(KeyPressKey(e), c.expected) << "text '" << c.text << "' key " << c.key;
  }
}

TEST(QtKeysTest, KeyDownsPressTheirKeysOnlyWithoutShiftCtrlAlt) {
  const CharCase cases[] = {
      {Qt::Key_F1, "", Qt::NoModifier, 1},
      {Qt::Key_F2, "", Qt::NoModifier, 2},
      {Qt::Key_F3, "", Qt::NoModifier, 3},
      {Qt::Key_F4, "", Qt::NoModifier, 4},
      {Qt::Key_F5, "", Qt::NoModifier, 31},
      {Qt::Key_F6, "", Qt::NoModifier, 35},
      {Qt::Key_F7, "", Qt::NoModifier, 45},
      {Qt::Key_F8, "", Qt::NoModifier, 84},
      {Qt::Key_Insert, "", Qt::NoModifier, 2},
      {Qt::Key_Home, "", Qt::NoModifier, 3},
      {Qt::Key_End, "", Qt::NoModifier, 4},
      {Qt::Key_PageUp, "", Qt::NoModifier, 31},
      {Qt::Key_Up, "", Qt::NoModifier, 31},
      {Qt::Key_PageDown, "", Qt::NoModifier, 35},
      {Qt::Key_Down, "", Qt::NoModifier, 35},
      {Qt::Key_Delete, "", Qt::KeypadModifier, 45},
      {Qt::Key_Right, "", Qt::NoModifier, 84},
      {Qt::Key_Left, "", Qt::NoModifier, -1},
      {Qt::Key_F9, "", Qt::NoModifier, -1},  // turbo, not a calculator key
      {Qt::Key_Escape, "", Qt::NoModifier, -1},
      {Qt::Key_A, "a", Qt::NoModifier, -1},        // letters come as characters
      {Qt::Key_Return, "\r", Qt::NoModifier, -1},  // so does Enter
      {Qt::Key_F1, "", Qt::ShiftModifier, -1},
      {Qt::Key_F7, "", Qt::ControlModifier, -1},
      {Qt::Key_Delete, "", Qt::AltModifier, -1},
      {Qt::Key_Up, "", Qt::ShiftModifier | Qt::KeypadModifier, -1},
  };
  for (const CharCase& c : cases) {
    const QKeyEvent e = Press(c.key, QString::fromUtf8(c.text), c.mods);
    EXPECT_EQ(KeyDownKey(e), c.expected) << "key " << c.key << " modifiers " << c.mods;
  }
}

TEST(QtKeysTest, KeyUpsFindTheKeyByVirtualKeyThenAsCharacter) {
  const struct {
    int key;
    int expected;
  } cases[] = {
      {Qt::Key_F7, 45},     {Qt::Key_Delete, 45},    {Qt::Key_N, 41},     {Qt::Key_Return, 41},
      {Qt::Key_Enter, 41},  {Qt::Key_Backspace, 45}, {Qt::Key_Space, 82}, {Qt::Key_5, 63},
      {Qt::Key_A, 11},      {Qt::Key_Right, 84},     {Qt::Key_F9, -1},    {Qt::Key_Period, -1},
      {Qt::Key_Escape, -1}, {Qt::Key_F12, -1},       {Qt::Key_F11, -1},
  };
  for (const auto& c : cases) {
    const QKeyEvent e(QEvent::KeyRelease, c.key, Qt::NoModifier);
    EXPECT_EQ(KeyUpKey(e), c.expected) << "key " << c.key;
  }
  EXPECT_EQ(VirtualKey(Qt::Key_F9), 120);
  EXPECT_EQ(VirtualKey(Qt::Key_Escape), 27);
}

TEST(QtKeysTest, PcKeyIdentityMatchesAReleaseToItsPress) {
  // Shift released before the key: the character changed, the physical key did not.
  const QKeyEvent press(QEvent::KeyPress, Qt::Key_QuoteDbl, Qt::ShiftModifier, 48, 0, 0, "\"");
  const QKeyEvent release(QEvent::KeyRelease, Qt::Key_Apostrophe, Qt::NoModifier, 48, 0, 0, "'");
  const QKeyEvent other(QEvent::KeyRelease, Qt::Key_Period, Qt::NoModifier, 60, 0, 0, ".");
  EXPECT_EQ(PcKeyIdentity(press), PcKeyIdentity(release));
  EXPECT_NE(PcKeyIdentity(press), PcKeyIdentity(other));
  // Without scan codes the key code decides, and never equals a scan code.
  const QKeyEvent dotDown(QEvent::KeyPress, Qt::Key_Period, Qt::NoModifier, ".");
  const QKeyEvent dotUp(QEvent::KeyRelease, Qt::Key_Period, Qt::NoModifier);
  const QKeyEvent commaUp(QEvent::KeyRelease, Qt::Key_Comma, Qt::NoModifier);
  const QKeyEvent scanDot(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, Qt::Key_Period, 0, 0);
  EXPECT_EQ(PcKeyIdentity(dotDown), PcKeyIdentity(dotUp));
  EXPECT_NE(PcKeyIdentity(dotDown), PcKeyIdentity(commaUp));
  EXPECT_NE(PcKeyIdentity(dotDown), PcKeyIdentity(scanDot));
}

TEST(QtKeysTest, EveryTableEntryNamesAnExistingKey) {
  for (int i = 0; i < 256; ++i) {
    if (vkKeyTable[i] != kNoKey) {
      EXPECT_GE(KeyIndex(vkKeyTable[i]), 0) << "virtual key " << i;
    }
    if (charKeyTable[i] != kNoKey) {
      EXPECT_GE(KeyIndex(charKeyTable[i]), 0) << "character " << i;
    }
  }
  // Every letter reaches a key in both cases, and the same one.
  for (char c = 'A'; c <= 'Z'; ++c) {
    EXPECT_NE(charKeyTable[c], kNoKey) << c;
    EXPECT_EQ(charKeyTable[c], charKeyTable[c - 'A' + 'a']) << c;
  }
}

}  // namespace
