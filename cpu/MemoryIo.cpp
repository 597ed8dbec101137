// Data RAM, program memory, peripherals, flag inputs and the keyboard.

#include "cpu/Cpu.h"
#include "cpu/Handlers.h"
#include "cpu/Wake.h"
#include "display/Lcd.h"
#include "frontpanel/Keys.h"
#include "host/Panel.h"
#include "memory/Ram.h"
#include "memory/Rom.h"

namespace {
inline int Row(uint16_t w) {
  return w >> 6;
}

inline void WriteWordToC(uint16_t w) {
  Cpu.C[2] = static_cast<uint8_t>(w >> 8);
  Cpu.C[1] = (w >> 4) & 15;
  Cpu.C[0] = w & 15;
}
}  // namespace

void ClearPeripheralTables() {
  for (int i = 0; i < 256; ++i) {
    PeripheralReadTable[i] = nullptr;
    PeripheralWriteTable[i] = nullptr;
    PeripheralDataTable[i] = nullptr;
  }
}

void OpDaddEqC(uint16_t) {
  Cpu.DAdd = ((Cpu.C[2] << 8) | (Cpu.C[1] << 4) | Cpu.C[0]) & 0x3FF;
}

// A present RAM register always wins over a device at PfAd.
void OpCEqRegn(uint16_t w) {
  const int n = Row(w);
  if (n != 0) Cpu.DAdd = (Cpu.DAdd & 0x3F0) | n;
  if (RamExists[Cpu.DAdd]) {
    Cpu.C = RamRegisters[Cpu.DAdd];
  } else if (PeripheralRegisterHandler h = PeripheralReadTable[Cpu.PfAd]) {
    h(n);
  } else {
    ClearDigits(Cpu.C);
  }
}

void OpRegnEqC(uint16_t w) {
  const int n = Row(w);
  Cpu.DAdd = (Cpu.DAdd & 0x3F0) | n;
  if (RamExists[Cpu.DAdd]) {
    RamRegisters[Cpu.DAdd] = Cpu.C;
  } else if (PeripheralRegisterHandler h = PeripheralWriteTable[Cpu.PfAd]) {
    h(n);
  }
}

void OpDataEqC(uint16_t) {
  if (RamExists[Cpu.DAdd]) {
    RamRegisters[Cpu.DAdd] = Cpu.C;
  } else if (PeripheralDataHandler h = PeripheralDataTable[Cpu.PfAd]) {
    h();
  }
}

void OpCxisa(uint16_t) {
  WriteWordToC(FetchRom(AddressFromC()));
}

// The second word is a constant, never executed.
void OpLdi(uint16_t) {
  WriteWordToC(FetchRom(Cpu.PC));
  ++Cpu.PC;
}

// Pages 0..3 cannot be written by the firmware.
void OpWmldl(uint16_t) {
  const uint16_t address = AddressFromC();
  if (address < 0x4000) return;
  StoreRom(address, CurrentBank[address >> 12].load(std::memory_order_relaxed),
           static_cast<uint16_t>((Cpu.C[2] << 8) | (Cpu.C[1] << 4) | Cpu.C[0]));
}

// ENROM0 0x100, ENROM1 0x180, ENROM2 0x140, ENROM3 0x1C0.
void OpEnrom(uint16_t w) {
  static constexpr int bankOfRow[8] = {0, 0, 0, 0, 0, 2, 1, 3};
  SelectBank(Cpu.LastPC, bankOfRow[Row(w) & 7]);
}

void OpPfadEqC(uint16_t) {
  Cpu.PfAd = ((Cpu.C[1] & 15) << 4) | (Cpu.C[0] & 15);
}
void OpSelpf(uint16_t w) {
  Cpu.SmartPeripheral = static_cast<uint8_t>(Row(w));
}
void OpFlagTest(uint16_t w) {
  Cpu.Carry = Cpu.FI[RowDigit[Row(w)]].load(std::memory_order_relaxed) ? 1 : 0;
}

void OpChkkb(uint16_t) {
  if (displayDirty.load(std::memory_order_relaxed) && !Turbo.load(std::memory_order_relaxed))
    RefreshDisplay();
  const int32_t key = Cpu.KeyDown.load();
  if (key != -1) {
    Cpu.KbFlag = 1;
    Cpu.KEYS = KeyCode(key);
    // A release that came too early takes effect now that the key has been seen; the exchange
    // keeps a newer press.
    Cpu.KeySeen.store(key);
    int32_t expected = key;
    if (Cpu.ReleaseDeferred.load() == key) Cpu.KeyDown.compare_exchange_strong(expected, -1);
  }
  if (Cpu.KbFlag) Cpu.Carry = 1;
}

// After a release the flag stays set until Sensitivity executions have seen no key.
void OpRstkb(uint16_t) {
  if (Cpu.ResetKeyPending) {
    Cpu.KbFlag = 1;
    Cpu.ResetKeyPending = 0;
    return;
  }
  if (Cpu.KeyDown.load(std::memory_order_relaxed) != -1) return;
  int32_t count = Cpu.ReleaseCount.load(std::memory_order_relaxed);
  // One read-modify-write: a press since the load has set the count anew and is kept.
  if (count > 0) {
    if (!Cpu.ReleaseCount.compare_exchange_strong(count, count - 1, std::memory_order_relaxed))
      return;
    --count;
  }
  if (count <= 0) {
    Cpu.KbFlag = 0;
    Cpu.KEYS = 0;
  }
}

void OpCEqKeys(uint16_t) {
  Cpu.C[4] = static_cast<uint8_t>((Cpu.KEYS >> 4) & 15);
  Cpu.C[3] = static_cast<uint8_t>(Cpu.KEYS & 15);
}

void OpGokeys(uint16_t) {
  Cpu.PC = static_cast<uint16_t>((Cpu.PC & 0xFF00) | (Cpu.KEYS & 0xFF));
}

void KeyPressed(int keyNumber) {
  // Stale release and sight are cleared before the key shows, so they cannot apply to it.
  Cpu.ReleaseDeferred = -1;
  Cpu.KeySeen = -1;
  Cpu.KeyDown = keyNumber;
  Cpu.ReleaseCount = Sensitivity.load();
  if (Turbo) {
    if (displayDirty) ThePanel().redrawDisplay();  // already in the GUI thread
    TurboSuspended = 1;
    Turbo = 0;
  }
  WakeCpu();
}

void KeyReleased() {
  int32_t key = Cpu.KeyDown.load();
  if (key != -1 && Cpu.Running) {
    // Announce the release, then look whether the CPU has seen the key; the CPU stores what it
    // saw before it looks for a release, so one of the two sides releases the key.
    Cpu.ReleaseDeferred.store(key);
    if (Cpu.KeySeen.load() == key) Cpu.KeyDown.compare_exchange_strong(key, -1);
  } else {
    Cpu.KeyDown = -1;
  }
  if (TurboSuspended) {
    Turbo = 1;
    TurboSuspended = 0;
  }
  WakeCpu();
}

void DropDeferredRelease(int32_t judged) {
  if (judged != -1 && Cpu.ReleaseDeferred.load() == judged)
    Cpu.KeyDown.compare_exchange_strong(judged, -1);
}
