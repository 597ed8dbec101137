#pragma once
// The digit primitives of the register arithmetic. Both read and update Cpu.Carry and read
// Cpu.Base.

#include "cpu/Cpu.h"

// Digits 10..15 in decimal mode are not rejected; both rules give a result for every input.
inline uint8_t AddDigit(uint8_t a, uint8_t b) {
  const unsigned s = a + b + Cpu.Carry;
  if (s >= Cpu.Base) {
    Cpu.Carry = 1;
    return static_cast<uint8_t>((s - Cpu.Base) & 15);
  }
  Cpu.Carry = 0;
  return static_cast<uint8_t>(s & 15);
}

inline uint8_t SubtractDigit(uint8_t a, uint8_t b) {
  const uint8_t d = static_cast<uint8_t>(a - b - Cpu.Carry);
  if (d < Cpu.Base) {
    Cpu.Carry = 0;
    return d;
  }
  Cpu.Carry = 1;
  return static_cast<uint8_t>((d + Cpu.Base) & 15);
}
