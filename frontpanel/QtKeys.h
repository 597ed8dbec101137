#pragma once
// PC keys to calculator keys: Qt key events mapped onto the key-down table (virtual keys) and
// the key-press table (characters).

#include <QKeyEvent>

// The key number a key-down presses (F1..F8, Insert, Home, End, Page Up/Down, arrows, Delete),
// or -1; only without Shift, Ctrl or Alt.
int KeyDownKey(const QKeyEvent& event);
// The key number a typed character presses (letters, digits, Enter, Backspace, space and the
// punctuation of the key table), or -1; modifiers are not examined.
int KeyPressKey(const QKeyEvent& event);
// The Windows virtual-key code of a Qt key (letters, digits, F1..F24, the editing and arrow
// keys, Backspace, Tab, Enter, Escape, space), or -1.
int VirtualKey(int qtKey);
// The key number a key-up releases, read as the PC does: the virtual-key code in the key-down
// table, else the same code as a character; -1 for none. Punctuation keys are not found here;
// match their releases with PcKeyIdentity.
int KeyUpKey(const QKeyEvent& event);
// The physical PC key of an event, equal for a key's press and its release, so a release can
// end the press it began even when Shift changed the character in between.
quint32 PcKeyIdentity(const QKeyEvent& event);
