#pragma once
// The LCD driver chip: twelve characters, punctuation, annunciators and contrast, reached by the
// CPU at peripheral addresses 0xFD and 0x10 and by DISOFF / DISTOG.

#include <atomic>
#include <cstdint>
#include <string>

constexpr int kLcdPositions = 12;

// Registers are atomic bytes: the GUI thread may redraw while the CPU thread writes.
extern std::atomic<uint8_t> LcdA[kLcdPositions];  // character bits 0..3
extern std::atomic<uint8_t> LcdB[kLcdPositions];  // bits 0..1: character bits 4..5; 2..3: punctuation
extern std::atomic<uint8_t> LcdC[kLcdPositions];  // bit 0: character bit 6
extern std::atomic<uint32_t> LcdE;                // annunciators, bit 11 BAT .. bit 0 ALPHA
extern std::atomic<uint8_t> displayOn;
extern std::atomic<uint8_t> displayDirty;
extern std::atomic<uint8_t> immediateRedraw;
extern std::atomic<uint8_t> contrast;
extern bool romSignatureMatch;
// Set once the all-segments pattern has been shown: no further instruction runs.
extern std::atomic<uint8_t> allSegmentsHalt;

void lcdInit();

// ----- What the display shows (shared by the desktop and the headless panel) -----

extern std::atomic<uint8_t> shuttingDown;

struct DisplayText {
  std::string chars;  // one byte per position, as drawCharacters takes it
  std::string punct;  // ' ', '.', ':' or ','
  std::string ann;    // the annunciator line, 36 characters
};
// Decodes the LCD registers into texts (empty texts while the display is off).
DisplayText DecodeDisplay();

// The redraw algorithm with its three caches.
class DisplayRedrawer {
 public:
  void Redraw();        // redrawDisplay: draws through ThePanel() what changed
  void EmptyCaches();   // forces the next Redraw to draw every line
  void EmptyAnnCache() { lastAnn_.clear(); }
 private:
  std::string lastChars_, lastPunct_, lastAnn_;
};
