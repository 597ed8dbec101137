// What the display shows: the LCD registers decoded into character, punctuation and annunciator
// texts, and the redraw that draws only the lines that changed.

#include "cpu/Cpu.h"
#include "display/Lcd.h"
#include "host/Panel.h"

std::atomic<uint8_t> shuttingDown{0};

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

// Character codes of the positions whose bit 6 is set and bits 4..5 are clear, by bits 0..3.
constexpr char kHighRow[16] = {0x7F, 'a',  'b',  'c',  'd',  'e',  0x00, 0x60,
                               0x06, 0x04, 0x05, 0x01, 0x0C, 0x1D, 0x7E, 0x0D};
constexpr char kPunctuation[4] = {' ', '.', ':', ','};
constexpr const char* kAnnunciators[12] = {"BAT ", "USER ", "G",  "RAD ",  "SHIFT ", "0",
                                           "1",    "2",     "3",  "4",     " PRGM", " ALPHA"};

}  // namespace

DisplayText DecodeDisplay() {
  DisplayText t;
  if (!displayOn.load(relaxed)) return t;
  for (int i = 0; i < kLcdPositions; ++i) {
    const uint8_t a = LcdA[i].load(relaxed);
    const uint8_t bFull = LcdB[i].load(relaxed);
    const int b = bFull & 3;
    const int c = LcdC[i].load(relaxed) & 1;
    if (c == 0) {
      static constexpr uint8_t base[4] = {0x40, 0x50, 0x20, 0x30};
      t.chars += static_cast<char>(base[b] + a);
    } else if (b == 0) {
      if (a < 16) t.chars += kHighRow[a];  // a debugger edit above 15 contributes no byte
    } else {
      t.chars += ':';
    }
    t.punct += kPunctuation[(bFull >> 2) & 3];
  }
  const uint32_t e = LcdE.load(relaxed);
  for (int bit = 11; bit >= 0; --bit) {
    const std::string text = kAnnunciators[11 - bit];
    t.ann += (e >> bit) & 1 ? text : std::string(text.size(), ' ');
  }
  return t;
}

void DisplayRedrawer::Redraw() {
  if (shuttingDown.load(relaxed)) return;
  displayDirty.store(0, relaxed);
  const DisplayText t = DecodeDisplay();
  const bool awake = Cpu.Awake.load(relaxed);
  // While the firmware runs with the display off, the last picture stays.
  if (awake && t.chars.empty() && t.punct.empty()) return;
  Panel& panel = ThePanel();
  if (t.chars != lastChars_) {
    lastChars_ = t.chars;
    panel.drawCharacters(t.chars);
  }
  if (t.punct != lastPunct_) {
    lastPunct_ = t.punct;
    panel.drawPunctuation(t.punct);
  }
  if (awake && t.ann.empty()) return;
  if (t.ann != lastAnn_) {
    lastAnn_ = t.ann;
    panel.drawAnnunciators(t.ann);
  }
}

void DisplayRedrawer::EmptyCaches() {
  lastChars_.clear();
  lastPunct_.clear();
  lastAnn_.clear();
}
