#pragma once
// The 82143A thermal printer as the firmware sees it: smart peripheral 9.

#include <atomic>
#include <cstdint>
#include <string_view>

constexpr int kPaperWidth = 336;        // paper pixels on a line
constexpr int kPrintBufferLimit = 4096; // bytes kept of one line; the rest is off the paper

extern std::atomic<uint32_t> PrinterStatus;
extern uint8_t PrintBuffer[kPrintBufferLimit];
extern int PrintBufferLength;
extern int32_t SpaceLeft;
extern bool ColumnMode;
extern std::atomic<uint8_t> PrinterOn;

void PrinterPeripheral(uint16_t word);
void PrintByte(uint8_t b);
void PrinterReset();
void ClearPrintBuffer();
inline std::string_view PrintLine() {
  return {reinterpret_cast<const char*>(PrintBuffer), static_cast<size_t>(PrintBufferLength)};
}

// Setters of the printer window.
enum class PrinterMode { Man, Norm, Trace };
void SetPrinterMode(PrinterMode mode);
PrinterMode GetPrinterMode();
// The PRINT and ADV buttons. A click is latched: the next status read shows it even when the
// button is up again by then.
void SetPrintKey(bool down);
void SetAdvKey(bool down);
// At each idle poll of the sleeping CPU: the clicks latched since offer one wake, and a click
// offered before that the firmware never read is dropped (CPU thread).
void OfferPrinterClicks();
// The buttons a sleeping CPU wakes for: down now, or a click on offer.
uint32_t PrinterButtonsForWake();
