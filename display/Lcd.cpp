// The LCD driver chip as a peripheral of the CPU.

#include "display/Lcd.h"

#include "cpu/Cpu.h"
#include "host/Host.h"
#include "host/Panel.h"

std::atomic<uint8_t> LcdA[kLcdPositions];
std::atomic<uint8_t> LcdB[kLcdPositions];
std::atomic<uint8_t> LcdC[kLcdPositions];
std::atomic<uint32_t> LcdE{0};
std::atomic<uint8_t> displayOn{0};
std::atomic<uint8_t> displayDirty{0};
std::atomic<uint8_t> immediateRedraw{0};
std::atomic<uint8_t> contrast{0};
bool romSignatureMatch = false;
std::atomic<uint8_t> allSegmentsHalt{0};

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

enum : int { RegA = 1, RegB = 2, RegC = 4 };
enum : int { Left = 0, Right = 11 };

std::atomic<uint8_t>* Register(int bit) { return bit == RegA ? LcdA : bit == RegB ? LcdB : LcdC; }

// Turns the register by one position: toward the left end moves R[i+1] into R[i].
void RotateLeft(std::atomic<uint8_t>* r) {
  const uint8_t first = r[0].load(relaxed);
  for (int i = 0; i < 11; ++i) r[i].store(r[i + 1].load(relaxed), relaxed);
  r[11].store(first, relaxed);
}
void RotateRight(std::atomic<uint8_t>* r) {
  const uint8_t last = r[11].load(relaxed);
  for (int i = 10; i >= 0; --i) r[i + 1].store(r[i].load(relaxed), relaxed);
  r[0].store(last, relaxed);
}

// Reads characters from end e into C, turning the registers so the next one arrives there.
void ShiftOut(int mask, int count, int e) {
  int k = 0;
  for (int pass = 0; pass < count; ++pass) {
    for (int bit : {RegA, RegB, RegC}) {
      if (!(mask & bit)) continue;
      std::atomic<uint8_t>* r = Register(bit);
      Cpu.C[k++] = r[e].load(relaxed);
      if (e == Left)
        RotateLeft(r);
      else
        RotateRight(r);
    }
  }
}

// Writes characters from C in at end e, pushing the others away from it.
void ShiftIn(int mask, int count, int e) {
  int k = 0;
  for (int pass = 0; pass < count; ++pass) {
    for (int bit : {RegA, RegB, RegC}) {
      if (!(mask & bit)) continue;
      std::atomic<uint8_t>* r = Register(bit);
      if (e == Left)
        RotateRight(r);
      else
        RotateLeft(r);
      const uint8_t v = Cpu.C[k++];
      r[e].store(bit == RegC ? (v & 1) : v, relaxed);
    }
  }
}

struct SubOp {
  int mask, count, end;
};

constexpr SubOp kReads[16] = {
    {RegA, 12, Left},  {RegB, 12, Left},  {RegC, 12, Left},  {RegA | RegB, 6, Left},
    {RegA | RegB | RegC, 4, Left}, {0, 0, 0}, {RegC, 1, Left}, {RegA, 1, Right},
    {RegB, 1, Right},  {RegC, 1, Right},  {RegA, 1, Left},   {RegB, 1, Left},
    {RegA | RegB, 1, Right}, {RegA | RegB, 1, Left}, {RegA | RegB | RegC, 1, Right},
    {RegA | RegB | RegC, 1, Left},
};

constexpr SubOp kWrites[16] = {
    {RegA, 12, Left}, {RegB, 12, Left}, {RegC, 12, Left}, {RegA | RegB, 6, Left},
    {RegA | RegB | RegC, 4, Left}, {RegA | RegB, 6, Right}, {RegA | RegB | RegC, 4, Right},
    {RegA, 1, Left}, {RegB, 1, Left}, {RegC, 1, Left}, {RegA, 1, Right}, {RegB, 1, Right},
    {RegA | RegB, 1, Left}, {RegA | RegB, 1, Right}, {RegA | RegB | RegC, 1, Left},
    {RegA | RegB | RegC, 1, Right},
};

void LcdRead(int n) {
  if (n == 5) {
    const uint32_t e = LcdE.load(relaxed);
    Cpu.C[0] = e & 15;
    Cpu.C[1] = (e >> 4) & 15;
    Cpu.C[2] = (e >> 8) & 15;
    return;
  }
  ClearDigits(Cpu.C);
  ShiftOut(kReads[n].mask, kReads[n].count, kReads[n].end);
  if (n >= 14) displayDirty = 1;
}

void LcdWrite(int n) {
  ShiftIn(kWrites[n].mask, kWrites[n].count, kWrites[n].end);
  if (n == 12) immediateRedraw = romSignatureMatch ? 1 : 0;
  displayDirty = 1;
  if (immediateRedraw) RefreshDisplay();
}

void LcdData() {
  LcdE.store(static_cast<uint32_t>((Cpu.C[2] << 8) | (Cpu.C[1] << 4) | Cpu.C[0]), relaxed);
  if (immediateRedraw)
    RefreshDisplay();
  else
    displayDirty = 1;
}

void ContrastRead(int n) {
  ClearDigits(Cpu.C);
  if (n == 5) Cpu.C[0] = contrast.load(relaxed);
}

// Register 15 shows every segment and stops the machine for good; the windows stay usable.
void ContrastWrite(int n) {
  if (n == 5) {
    contrast = Cpu.C[0];
    TheHost().RunInGuiThread([] { ThePanel().applyContrast(); });
    displayDirty = 1;
  } else if (n == 15) {
    TheHost().RunInGuiThread([] {
      Panel& panel = ThePanel();
      panel.drawCharacters("::::::::::::");
      panel.drawPunctuation(";;;;;;;;;;;;");
      panel.drawAnnunciators("BAT USER GRAD SHIFT 01234 PRGM ALPHA");
    });
    allSegmentsHalt = 1;
  }
}

void ContrastData() {}

void OpDisoff(uint16_t) { displayOn = 0; }

void OpDistog(uint16_t) {
  displayOn = displayOn ? 0 : 1;
  if (Cpu.ST[13]) return;
  if (displayDirty) RefreshDisplay();
  displayDirty = 1;
}

}  // namespace

void lcdInit() {
  displayOn = 1;
  displayDirty = 0;
  DispatchTable[0x2E0] = OpDisoff;
  DispatchTable[0x320] = OpDistog;
  PeripheralReadTable[0xFD] = LcdRead;
  PeripheralWriteTable[0xFD] = LcdWrite;
  PeripheralDataTable[0xFD] = LcdData;
  PeripheralReadTable[0x10] = ContrastRead;
  PeripheralWriteTable[0x10] = ContrastWrite;
  PeripheralDataTable[0x10] = ContrastData;
  for (int i = 0; i < kLcdPositions; ++i) {
    LcdA[i].store(0, relaxed);
    LcdB[i].store(2, relaxed);
    LcdC[i].store(0, relaxed);
  }
  LcdE.store(0, relaxed);
}
