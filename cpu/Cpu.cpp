#include "cpu/Cpu.h"

#include <cstdio>

#include "cpu/Handlers.h"
#include "cpu/TurboStep.h"
#include "debugger/Trace.h"
#include "host/Host.h"
#include "memory/Rom.h"
#include "printer/Dovada.h"

CpuState Cpu;

std::atomic<uint8_t> Turbo{0};
std::atomic<uint8_t> TurboSuspended{0};
std::atomic<uint8_t> DebuggerOpen{0};
std::atomic<uint8_t> Animate{0};
std::atomic<uint8_t> Trace{0};
std::atomic<int32_t> Ticks{0};
std::atomic<int32_t> Sensitivity{0};
std::atomic<int32_t> AutoOffDeadline{0};
uint8_t NormalPriority = 0;
uint8_t TurboPriority = 0;
uint8_t Sound = 0;

Handler DispatchTable[1024];
PeripheralRegisterHandler PeripheralReadTable[256];
PeripheralRegisterHandler PeripheralWriteTable[256];
PeripheralDataHandler PeripheralDataTable[256];

const int8_t RowDigit[16] = {3, 4, 5, 10, 8, 6, 11, -1, 2, 9, 7, 13, 1, 12, 0, -1};
const uint8_t DigitRow[kDigits] = {14, 12, 8, 0, 1, 2, 5, 10, 4, 9, 3, 6, 13, 11};

void CopyDigits(DigitRegister& dst, const DigitRegister& src) {
  dst = src;
}
void ClearDigits(DigitRegister& reg) {
  reg.fill(0);
}

void ZeroCpuState() {
  for (auto* r : {&Cpu.A, &Cpu.B, &Cpu.C, &Cpu.M, &Cpu.N}) ClearDigits(*r);
  Cpu.G[0] = Cpu.G[1] = 0;
  Cpu.P = Cpu.Q = 0;
  Cpu.ActivePointer = &Cpu.P;
  for (auto& s : Cpu.ST) s = 0;
  Cpu.FO = 0;
  for (auto& f : Cpu.FI) f.store(0);
  Cpu.Carry = Cpu.PrevCarry = Cpu.Base = 0;
  Cpu.PC = Cpu.LastPC = 0;
  for (auto& s : Cpu.Stack) s = 0;
  Cpu.DAdd = Cpu.PfAd = Cpu.KEYS = 0;
  Cpu.KbFlag = 0;
  Cpu.KeyDown = 0;
  Cpu.ReleaseCount = 0;
  Cpu.ReleaseDeferred = -1;
  Cpu.KeySeen = -1;
  Cpu.ResetKeyPending = 0;
  Cpu.SmartPeripheral = 0;
  Cpu.CycleCount = 0;
  Cpu.Awake = 0;
  Cpu.Running = 0;
}

void CpuReset() {
  Cpu.CycleCount = 0;
  Cpu.Awake = 1;
  Cpu.ResetKeyPending = 1;
  Cpu.PC = 0;
  Cpu.Carry = 1;  // the first instruction sees PrevCarry = 1, as after a deep sleep
  ClearDigits(Cpu.A);
  ClearDigits(Cpu.B);
  ClearDigits(Cpu.C);
  ClearDigits(Cpu.M);
  ClearDigits(Cpu.N);
  Cpu.G[0] = Cpu.G[1] = 0;
  Cpu.FO = 0;
  for (int i = 0; i < 8; ++i) Cpu.ST[i] = 0;
  for (auto& f : Cpu.FI) f.store(0, std::memory_order_relaxed);
  Cpu.P = Cpu.Q = 0;
  Cpu.ActivePointer = &Cpu.P;
  Cpu.Base = 16;
  Cpu.SmartPeripheral = kNoPeripheral;
}

void PushReturn(uint16_t address) {
  Cpu.Stack[3] = Cpu.Stack[2];
  Cpu.Stack[2] = Cpu.Stack[1];
  Cpu.Stack[1] = Cpu.Stack[0];
  Cpu.Stack[0] = address;
}

uint16_t PopReturn() {
  const uint16_t top = Cpu.Stack[0];
  Cpu.Stack[0] = Cpu.Stack[1];
  Cpu.Stack[1] = Cpu.Stack[2];
  Cpu.Stack[2] = Cpu.Stack[3];
  Cpu.Stack[3] = 0;
  return top;
}

uint8_t StatusByte() {
  uint8_t b = 0;
  for (int i = 0; i < 8; ++i)
    if (Cpu.ST[i]) b |= static_cast<uint8_t>(1 << i);
  return b;
}

void SetStatusByte(uint8_t value) {
  for (int i = 0; i < 8; ++i) Cpu.ST[i] = (value >> i) & 1;
}

void BuildDispatchTable() {
  static constexpr Handler byClass[4] = {OpNop, Class1, Class2, Class3};
  for (int w = 0; w < 1024; ++w) DispatchTable[w] = byClass[w & 3];

  auto at = [](int row, int column, Handler h) { DispatchTable[row * 64 + column * 4] = h; };

  // Column 0.
  at(0, 0, OpNop);
  at(1, 0, OpWmldl);
  at(4, 0, OpEnrom);
  at(5, 0, OpEnrom);
  at(6, 0, OpEnrom);
  at(7, 0, OpEnrom);
  for (int row = 8; row < 16; ++row) at(row, 0, OpNop);  // HPIL=C: no HP-IL here

  // Digit families.
  for (int d = 0; d < kDigits; ++d) {
    const int row = DigitRow[d];
    at(row, 1, OpStClear);
    at(row, 2, OpStSet);
    at(row, 3, OpStTest);
    at(row, 5, OpPtTest);
    at(row, 7, OpPtSet);
    at(row, 11, OpFlagTest);
    at(row, 15, OpRcr);
  }

  // Row 15 of the digit columns.
  at(15, 1, OpClrst);
  at(15, 2, OpRstkb);
  at(15, 3, OpChkkb);
  at(15, 5, OpDecpt);
  at(15, 7, OpIncpt);

  // Number families.
  for (int n = 0; n < 16; ++n) {
    at(n, 4, OpLc);
    at(n, 9, OpSelpf);
    at(n, 10, OpRegnEqC);
    at(n, 14, OpCEqRegn);
  }

  // Columns 6, 8 and 12, one instruction per row ("-" cells stay no-ops).
  static constexpr Handler column6[16] = {OpNop,  OpGEqC,  OpCEqG,  OpCgex,  OpNop,   OpMEqC,
                                          OpCEqM, OpCmex,  OpNop,   OpFEqSb, OpSbEqF, OpFexsb,
                                          OpNop,  OpStEqC, OpCEqSt, OpCstex};
  static constexpr Handler column8[16] = {OpSpopnd, OpPowoff, OpSelp,    OpSelq,   OpPEqQ,   OpNop,
                                          OpClrabc, OpGotoc,  OpCEqKeys, OpSethex, OpSetdec, OpNop,
                                          OpNop,    OpRtnc,   OpRtnnc,   OpRtn};
  static constexpr Handler column12[16] = {OpNop,    OpNEqC, OpCEqN,   OpCnex,    OpLdi, OpStkEqC,
                                           OpCEqStk, OpNop,  OpGokeys, OpDaddEqC, OpNop, OpDataEqC,
                                           OpCxisa,  OpCOrA, OpCAndA,  OpPfadEqC};
  for (int row = 0; row < 16; ++row) {
    at(row, 6, column6[row]);
    at(row, 8, column8[row]);
    at(row, 12, column12[row]);
  }
  // DISOFF (0x2E0) and DISTOG (0x320) are installed by the LCD driver.
}

void PeripheralStep(uint16_t word) {
  if (Cpu.SmartPeripheral == 9) PrinterPeripheral(word);
  if (word & 1) Cpu.SmartPeripheral = kNoPeripheral;
}

void Step() {
  const uint16_t word = FetchRom(Cpu.PC);
  if (Trace.load(std::memory_order_relaxed)) WriteTraceRecord();
  ExecuteWord(word);
}

std::string CpuErrorText(uint16_t op, const std::string& message) {
  char tail[96];
  std::snprintf(tail, sizeof tail, "CPU: OP=%03X PC=%04X Cycle=%u", op, Cpu.LastPC, Cpu.CycleCount);
  return message + "\r\n\r\n" + tail;
}

void ReportCpuError(uint16_t op, const std::string& message) {
  TheHost().MessageBox("MicroCode/CPU Error", CpuErrorText(op, message));
  Cpu.Running = 0;
}
