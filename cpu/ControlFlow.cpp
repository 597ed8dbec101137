// Jumps, calls and returns; status bits and flag-out; pointers; register transfers; POWOFF.

#include <utility>

#include "cpu/Cpu.h"
#include "cpu/Handlers.h"
#include "display/Lcd.h"
#include "host/Host.h"
#include "memory/Rom.h"
#include "timer/Zudaroz.h"

namespace {
inline int Digit(uint16_t w) {
  return RowDigit[w >> 6];
}
inline int Row(uint16_t w) {
  return w >> 6;
}
inline uint8_t& Pointer() {
  return *Cpu.ActivePointer;
}

inline void DecrementPointer() {
  const uint8_t p = static_cast<uint8_t>(Pointer() - 1);
  Pointer() = p >= kDigits ? 13 : p;
}

inline void WriteAddressToC(uint16_t v) {
  Cpu.C[6] = v >> 12;
  Cpu.C[5] = (v >> 8) & 15;
  Cpu.C[4] = (v >> 4) & 15;
  Cpu.C[3] = v & 15;
}
}  // namespace

// Offsets are relative to the jump word itself: 0 jumps to itself, 1 goes on as a NOP.
void Class3(uint16_t w) {
  const bool onCarry = (w >> 2) & 1;
  if (Cpu.PrevCarry != onCarry) return;
  int offset = (w >> 3) & 63;
  if (w & 0x200) offset -= 64;
  Cpu.PC = static_cast<uint16_t>(Cpu.LastPC + offset);
}

void Class1(uint16_t w) {
  const uint16_t second = FetchRom(Cpu.PC);
  ++Cpu.PC;
  const bool onCarry = second & 1;
  if (Cpu.PrevCarry != onCarry) return;
  const uint16_t target = static_cast<uint16_t>((w >> 2) | ((second & 0x3FC) << 6));
  if (second & 2) {
    Cpu.PC = target;
  } else if (FetchRom(target) != 0) {  // a call into empty ROM does nothing
    PushReturn(Cpu.PC);
    Cpu.PC = target;
  }
}

void OpNop(uint16_t) {}

void OpRtn(uint16_t) {
  Cpu.PC = PopReturn();
}
void OpRtnc(uint16_t) {
  if (Cpu.PrevCarry) Cpu.PC = PopReturn();
}
void OpRtnnc(uint16_t) {
  if (!Cpu.PrevCarry) Cpu.PC = PopReturn();
}
void OpSpopnd(uint16_t) {
  PopReturn();
}
void OpStkEqC(uint16_t) {
  PushReturn(AddressFromC());
}
void OpCEqStk(uint16_t) {
  WriteAddressToC(PopReturn());
}
void OpGotoc(uint16_t) {
  Cpu.PC = AddressFromC();
}

void OpStClear(uint16_t w) {
  Cpu.ST[Digit(w)] = 0;
}
void OpStSet(uint16_t w) {
  Cpu.ST[Digit(w)] = 1;
}
void OpStTest(uint16_t w) {
  Cpu.Carry = Cpu.ST[Digit(w)] ? 1 : 0;
}
void OpClrst(uint16_t) {
  SetStatusByte(0);
}
void OpStEqC(uint16_t) {
  SetStatusByte(static_cast<uint8_t>((Cpu.C[0] & 15) | (Cpu.C[1] << 4)));
}
void OpCEqSt(uint16_t) {
  const uint8_t s = StatusByte();
  Cpu.C[0] = s & 15;
  Cpu.C[1] = s >> 4;
}
void OpCstex(uint16_t) {
  const uint8_t s = StatusByte();
  SetStatusByte(static_cast<uint8_t>((Cpu.C[0] & 15) | (Cpu.C[1] << 4)));
  Cpu.C[0] = s & 15;
  Cpu.C[1] = s >> 4;
}
void OpFEqSb(uint16_t) {
  Cpu.FO = StatusByte();
  SpeakerUpdate();
}
void OpSbEqF(uint16_t) {
  SetStatusByte(Cpu.FO);
}
void OpFexsb(uint16_t) {
  const uint8_t s = StatusByte();
  SetStatusByte(Cpu.FO);
  Cpu.FO = s;
  SpeakerUpdate();
}

void OpPtSet(uint16_t w) {
  Pointer() = static_cast<uint8_t>(Digit(w));
}
void OpPtTest(uint16_t w) {
  Cpu.Carry = Pointer() == Digit(w) ? 1 : 0;
}
void OpIncpt(uint16_t) {
  const uint8_t p = static_cast<uint8_t>(Pointer() + 1);
  Pointer() = p >= kDigits ? 0 : p;
}
void OpDecpt(uint16_t) {
  DecrementPointer();
}
void OpSelp(uint16_t) {
  Cpu.ActivePointer = &Cpu.P;
}
void OpSelq(uint16_t) {
  Cpu.ActivePointer = &Cpu.Q;
}
void OpPEqQ(uint16_t) {
  Cpu.Carry = Cpu.P == Cpu.Q ? 1 : 0;
}
void OpLc(uint16_t w) {
  Cpu.C[Pointer()] = static_cast<uint8_t>(Row(w));
  DecrementPointer();
}

void OpSethex(uint16_t) {
  Cpu.Base = 16;
}
void OpSetdec(uint16_t) {
  Cpu.Base = 10;
}
void OpMEqC(uint16_t) {
  Cpu.M = Cpu.C;
}
void OpCEqM(uint16_t) {
  Cpu.C = Cpu.M;
}
void OpCmex(uint16_t) {
  std::swap(Cpu.C, Cpu.M);
}
void OpNEqC(uint16_t) {
  Cpu.N = Cpu.C;
}
void OpCEqN(uint16_t) {
  Cpu.C = Cpu.N;
}
void OpCnex(uint16_t) {
  std::swap(Cpu.C, Cpu.N);
}

void OpGEqC(uint16_t) {
  const int p = Pointer();
  Cpu.G[0] = Cpu.C[p];
  if (p < 13) Cpu.G[1] = Cpu.C[p + 1];
}
void OpCEqG(uint16_t) {
  const int p = Pointer();
  Cpu.C[p] = Cpu.G[0];
  if (p < 13) Cpu.C[p + 1] = Cpu.G[1];
}
void OpCgex(uint16_t) {
  const int p = Pointer();
  std::swap(Cpu.C[p], Cpu.G[0]);
  if (p < 13) std::swap(Cpu.C[p + 1], Cpu.G[1]);
}

void OpCOrA(uint16_t) {
  for (int i = 0; i < kDigits; ++i) Cpu.C[i] |= Cpu.A[i];
}
void OpCAndA(uint16_t) {
  for (int i = 0; i < kDigits; ++i) Cpu.C[i] &= Cpu.A[i];
}
void OpClrabc(uint16_t) {
  ClearDigits(Cpu.A);
  ClearDigits(Cpu.B);
  ClearDigits(Cpu.C);
}

void OpRcr(uint16_t w) {
  const int d = Digit(w);
  const DigitRegister old = Cpu.C;
  for (int i = 0; i < kDigits; ++i) Cpu.C[i] = old[(i + d) % kDigits];
}

// Sleep: light with the display on (any key wakes), deep with it off (only ON wakes). The carry
// survives the sleep, so the firmware at address 0 tells a deep wake (1) from a light one (0).
void OpPowoff(uint16_t) {
  SelectBank(Cpu.LastPC, 0);
  Cpu.Awake = 0;
  Cpu.PC = 0;
  SuspendTimerThread();
  if (displayOn) {
    if (Cpu.PfAd == 0xFD) AutoOffDeadline = static_cast<int32_t>(TheHost().TickCount() + 600000u);
  } else {
    Cpu.Carry = 1;
    displayDirty = 1;
    TimerStatus = 0x140;
  }
  if (displayDirty) RefreshDisplay();
}
