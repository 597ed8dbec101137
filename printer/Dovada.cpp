// The 82143A printer device: status word, print line buffer and byte codes.

#include "printer/Dovada.h"

#include "cpu/Cpu.h"
#include "cpu/Wake.h"

std::atomic<uint32_t> PrinterStatus{0};
uint8_t PrintBuffer[kPrintBufferLimit];
int PrintBufferLength = 0;
int32_t SpaceLeft = kPaperWidth;
bool ColumnMode = false;
std::atomic<uint8_t> PrinterOn{0};

namespace {

std::atomic<uint32_t> clicks{0};  // button presses since the last status read (GUI sets)
uint32_t offered = 0;             // clicks taken by an idle poll, until read (CPU thread)

enum : uint32_t {
  ModeTrace = 0x8000,
  ModeNorm = 0x4000,
  PrintKey = 0x2000,
  AdvKey = 0x1000,
  LowerCase = 0x0080,
  DoubleWidth = 0x0020,
  RightJustified = 0x0010,
};

// Bytes past the limit would lie far beyond the paper's edge and are not drawn anyway.
void Append(uint8_t b) {
  if (PrintBufferLength < kPrintBufferLimit) PrintBuffer[PrintBufferLength++] = b;
}

void EndLine() {
  if (PrintBufferLength > 0)
    RefreshPrinter();  // draws the line, then clears the buffer
  else
    ClearPrintBuffer();
}

}  // namespace

void PrinterReset() {
  PrinterStatus = 0x0300;
  clicks = 0;
  offered = 0;
}

void ClearPrintBuffer() {
  PrintBufferLength = 0;
  SpaceLeft = kPaperWidth;
  ColumnMode = false;
}

void PrintByte(uint8_t b) {
  const uint32_t status = PrinterStatus.load(std::memory_order_relaxed);
  const bool doubleWidth = status & DoubleWidth;
  if (b >= 0xA0 && b <= 0xB7) {
    ColumnMode = false;
    SpaceLeft -= (b - 0xA0) * (doubleWidth ? 28 : 14);
    Append(b);
  } else if (b >= 0xB8 && b <= 0xBF) {
    ColumnMode = false;
    SpaceLeft -= (b - 0xB8) * 2;
    Append(b);
  } else if (b >= 0xD0 && b <= 0xD7) {
    if (b & 1)
      PrinterStatus.fetch_or(LowerCase);
    else
      PrinterStatus.fetch_and(~static_cast<uint32_t>(LowerCase));
    if (b & 4)
      PrinterStatus.fetch_or(DoubleWidth);
    else
      PrinterStatus.fetch_and(~static_cast<uint32_t>(DoubleWidth));
    ColumnMode = b & 2;
    Append(b);
  } else if (b == 0xE0) {
    PrinterStatus.fetch_and(~static_cast<uint32_t>(RightJustified));
    SpaceLeft = 0;
    EndLine();
  } else if (b == 0xE8) {
    PrinterStatus.fetch_or(RightJustified);
    EndLine();
  } else {
    uint8_t c = b & 0x7F;
    if (ColumnMode) {
      SpaceLeft -= 2;
    } else {
      if ((status & LowerCase) && c >= 0x41 && c <= 0x5A) c += 0x20;
      SpaceLeft -= doubleWidth ? 28 : 14;
    }
    Append(c);
  }
}

void PrinterPeripheral(uint16_t word) {
  switch (word) {
    case 0x002:
    case 0x003: Cpu.Carry = 0; break;
    case 0x006:
    case 0x007: PrintByte(static_cast<uint8_t>(((Cpu.C[1] & 15) << 4) | (Cpu.C[0] & 15))); break;
    case 0x03A:
    case 0x03B: {
      // A click shows once, even when the button is up again.
      const uint32_t s =
          PrinterStatus.load(std::memory_order_relaxed) | clicks.exchange(0) | offered;
      offered = 0;
      Cpu.C[13] = (s >> 12) & 15;
      Cpu.C[12] = (s >> 8) & 15;
      Cpu.C[11] = (s >> 4) & 15;
      Cpu.C[10] = s & 15;
      break;
    }
    case 0x042:
    case 0x043:
    case 0x082:
    case 0x083: Cpu.Carry = PrinterOn.load(std::memory_order_relaxed) ? 1 : 0; break;
    default: break;
  }
}

void SetPrinterMode(PrinterMode mode) {
  uint32_t bits = 0;
  if (mode == PrinterMode::Trace) bits = ModeTrace;
  if (mode == PrinterMode::Norm) bits = ModeNorm;
  // One atomic step, so that a concurrent change of another bit is not lost.
  uint32_t old = PrinterStatus.load();
  while (!PrinterStatus.compare_exchange_weak(old, (old & ~(ModeTrace | ModeNorm)) | bits)) {
  }
}

PrinterMode GetPrinterMode() {
  const uint32_t status = PrinterStatus.load();
  if (status & ModeTrace) return PrinterMode::Trace;
  return status & ModeNorm ? PrinterMode::Norm : PrinterMode::Man;
}

namespace {
void SetButton(uint32_t bit, bool down) {
  if (down) {
    PrinterStatus.fetch_or(bit);
    clicks.fetch_or(bit);
  } else {
    PrinterStatus.fetch_and(~bit);
  }
  WakeCpu();  // the buttons wake a sleeping calculator
}
}  // namespace

void SetPrintKey(bool down) {
  SetButton(PrintKey, down);
}

void SetAdvKey(bool down) {
  SetButton(AdvKey, down);
}

void OfferPrinterClicks() {
  offered = clicks.exchange(0);
}

uint32_t PrinterButtonsForWake() {
  return (PrinterStatus.load(std::memory_order_relaxed) | offered) & (PrintKey | AdvKey);
}
