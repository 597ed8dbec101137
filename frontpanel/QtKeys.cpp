#include "frontpanel/QtKeys.h"

#include "frontpanel/Keys.h"

int VirtualKey(int qtKey) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey;  // same codes as the PC's
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
  switch (qtKey) {
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
      return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Escape:
      return 27;
    case Qt::Key_Space:
      return 32;
    case Qt::Key_PageUp:
      return 33;
    case Qt::Key_PageDown:
      return 34;
    case Qt::Key_End:
      return 35;
    case Qt::Key_Home:
      return 36;
    case Qt::Key_Left:
      return 37;
    case Qt::Key_Up:
      return 38;
    case Qt::Key_Right:
      return 39;
    case Qt::Key_Down:
      return 40;
    case Qt::Key_Insert:
      return 45;
    case Qt::Key_Delete:
      return 46;
    default:
      return -1;
  }
}

int KeyDownKey(const QKeyEvent& event) {
  if (event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) return -1;
  const int vk = VirtualKey(event.key());
  if (vk < 0 || vk > 255 || vkKeyTable[vk] == kNoKey) return -1;
  return vkKeyTable[vk];
}

int KeyPressKey(const QKeyEvent& event) {
  int ch = -1;
  const QString text = event.text();
  if (!text.isEmpty()) {
    ch = text.at(0).unicode();
  } else if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
    ch = 13;  // some platforms deliver these two without text
  } else if (event.key() == Qt::Key_Backspace) {
    ch = 8;
  }
  if (ch < 0 || ch > 255 || charKeyTable[ch] == kNoKey) return -1;
  return charKeyTable[ch];
}

int KeyUpKey(const QKeyEvent& event) {
  const int vk = VirtualKey(event.key());
  if (vk < 0 || vk > 255) return -1;
  if (vkKeyTable[vk] != kNoKey) return vkKeyTable[vk];
  // Only these virtual keys share their codes with their characters; F9 (120) is not 'x'.
  const bool sameAsCharacter =
      vk == 8 || vk == 13 || vk == 32 || (vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z');
  return sameAsCharacter && charKeyTable[vk] != kNoKey ? charKeyTable[vk] : -1;
}

quint32 PcKeyIdentity(const QKeyEvent& event) {
  // The scan code names the physical key whatever Shift did to its character; without one
  // (synthesised events) the Qt key code has to do, tagged so the two never collide.
  if (event.nativeScanCode() != 0) return event.nativeScanCode();
  return 0x80000000u | static_cast<quint32>(event.key());
}
