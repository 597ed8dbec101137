#pragma once
// The Nut CPU: its register file, the dispatch table and the step sequence.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

constexpr int kDigits = 14;
// 14 digits of 4 bits, one per byte; index 0 is the least significant digit.
using DigitRegister = std::array<uint8_t, kDigits>;

void CopyDigits(DigitRegister& dst, const DigitRegister& src);
void ClearDigits(DigitRegister& reg);

constexpr uint8_t kNoPeripheral = 0xFF;

struct CpuState {
  DigitRegister A{}, B{}, C{}, M{}, N{};
  uint8_t G[2]{};
  uint8_t P = 0, Q = 0;         // always 0..13
  uint8_t* ActivePointer = &P;  // P or Q
  uint8_t ST[kDigits]{};        // ST 0..7 form the status byte
  uint8_t FO = 0;
  std::atomic<uint8_t> FI[kDigits]{};  // FI 12 and FI 13 are written by the timer thread
  uint8_t Carry = 0;
  uint8_t PrevCarry = 0;
  uint8_t Base = 0;  // 16 or 10
  uint16_t PC = 0;
  uint16_t LastPC = 0;
  uint16_t Stack[4]{};
  int32_t DAdd = 0;  // 0..1023
  int32_t PfAd = 0;  // 0..255
  int32_t KEYS = 0;
  uint8_t KbFlag = 0;
  std::atomic<int32_t> KeyDown{0};       // written by the GUI thread
  std::atomic<int32_t> ReleaseCount{0};  // written by the GUI thread and by RSTKB
  // A release that came before any keyboard check saw the key: the key number it is held for
  // (-1 none), and the key number the last keyboard check saw.
  std::atomic<int32_t> ReleaseDeferred{-1};
  std::atomic<int32_t> KeySeen{-1};
  uint8_t ResetKeyPending = 0;
  uint8_t SmartPeripheral = 0;
  uint32_t CycleCount = 0;
  std::atomic<uint8_t> Awake{0};
  std::atomic<uint8_t> Running{0};
};

extern CpuState Cpu;

// Thread control and speed, set by the configuration and the windows, polled by the CPU thread.
extern std::atomic<uint8_t> Turbo;
extern std::atomic<uint8_t> TurboSuspended;
extern std::atomic<uint8_t> DebuggerOpen;
extern std::atomic<uint8_t> Animate;
extern std::atomic<uint8_t> Trace;
extern std::atomic<int32_t> Ticks;        // wall time per instruction at normal speed, x 0.62 us
extern std::atomic<int32_t> Sensitivity;  // RSTKB count after a key release
extern std::atomic<int32_t> AutoOffDeadline;
extern uint8_t NormalPriority;
extern uint8_t TurboPriority;
extern uint8_t Sound;

// Every field 0, as before start-up.
void ZeroCpuState();
void CpuReset();
void PushReturn(uint16_t address);
uint16_t PopReturn();

// ST 0..7 read and written as one byte, ST n as bit n.
uint8_t StatusByte();
void SetStatusByte(uint8_t value);

// Digits 6..3 of C as a 16-bit address (GOTOC, STK=C, CXISA, WMLDL).
inline uint16_t AddressFromC() {
  return static_cast<uint16_t>((Cpu.C[6] << 12) | (Cpu.C[5] << 8) | (Cpu.C[4] << 4) | Cpu.C[3]);
}

// ----- Dispatch -----

using Handler = void (*)(uint16_t word);
extern Handler DispatchTable[1024];

// Class-0 rows that carry a digit, and the inverse.
extern const int8_t RowDigit[16];
extern const uint8_t DigitRow[kDigits];

void BuildDispatchTable();

// One instruction at normal speed: trace hook and execution. The CPU thread paces it
// (PaceStep); the debugger's single step and the headless runner do not.
void Step();
// What happens to a word while a smart peripheral has the instruction stream.
void PeripheralStep(uint16_t word);
// The error box "MicroCode/CPU Error"; clears Running.
void ReportCpuError(uint16_t op, const std::string& message);
// The text of that box (without the caption), for tests and the headless host.
std::string CpuErrorText(uint16_t op, const std::string& message);

// ----- Peripheral handler tables, indexed by PfAd -----

using PeripheralRegisterHandler = void (*)(int n);
using PeripheralDataHandler = void (*)();
extern PeripheralRegisterHandler PeripheralReadTable[256];
extern PeripheralRegisterHandler PeripheralWriteTable[256];
extern PeripheralDataHandler PeripheralDataTable[256];
void ClearPeripheralTables();

// ----- Keyboard entry points (GUI thread) -----

void KeyPressed(int keyNumber);
// Releases the key at once if a keyboard check has seen it (or the CPU is not running);
// otherwise the key stays down for the CPU until its next keyboard check has seen it.
void KeyReleased();
// Drops the deferred release of judged, a key found unable to wake the sleeping CPU (CPU
// thread); any other key, pressed since, stays down.
void DropDeferredRelease(int32_t judged);

// ----- Hand-overs to the GUI thread (block until done; immediate from the GUI thread) -----

void RefreshDisplay();
void ShowDebugger();
void RefreshPrinter();
void RefreshDebuggerAnimate();

// ----- The beeper -----

void SpeakerUpdate();
