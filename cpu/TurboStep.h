#pragma once
// The step sequence's core, inline, and the turbo path's step: without trace hook and delay.

#include "cpu/Cpu.h"
#include "memory/Rom.h"

// Executes a fetched word: the step sequence's bookkeeping, dispatch or peripheral, count.
inline void ExecuteWord(uint16_t word) {
  Cpu.LastPC = Cpu.PC;
  Cpu.PrevCarry = Cpu.Carry;
  ++Cpu.PC;
  Cpu.Carry = 0;
  if (Cpu.SmartPeripheral == kNoPeripheral)
    DispatchTable[word](word);
  else
    PeripheralStep(word);
  ++Cpu.CycleCount;
}

inline void TurboStep() { ExecuteWord(FetchRom(Cpu.PC)); }
