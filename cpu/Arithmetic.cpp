// Class-2 register arithmetic: 32 operations on a field of A, B and C, in base 16 or 10.

#include "cpu/Arithmetic.h"

#include <utility>

#include "cpu/Handlers.h"

namespace {

struct Field {
  int first, last;
};

inline Field FieldRange(unsigned code) {
  const int p = *Cpu.ActivePointer;
  switch (code) {
    case 0:
      return {p, p};
    case 1:
      return {0, 2};
    case 2:
      return {0, p};
    case 3:
      return {0, 13};
    case 4:
      return {Cpu.P, Cpu.Q >= Cpu.P ? Cpu.Q : 13};
    case 5:
      return {2, 2};
    case 6:
      return {3, 12};
    default:
      return {13, 13};
  }
}

}  // namespace

void Class2(uint16_t w) {
  const auto [first, last] = FieldRange((w >> 2) & 7);
  auto& A = Cpu.A;
  auto& B = Cpu.B;
  auto& C = Cpu.C;
  switch (w >> 5) {
    case 0:
      for (int i = first; i <= last; ++i) A[i] = 0;
      break;
    case 1:
      for (int i = first; i <= last; ++i) B[i] = 0;
      break;
    case 2:
      for (int i = first; i <= last; ++i) C[i] = 0;
      break;
    case 3:
      for (int i = first; i <= last; ++i) std::swap(A[i], B[i]);
      break;
    case 4:
      for (int i = first; i <= last; ++i) B[i] = A[i];
      break;
    case 5:
      for (int i = first; i <= last; ++i) std::swap(A[i], C[i]);
      break;
    case 6:
      for (int i = first; i <= last; ++i) C[i] = B[i];
      break;
    case 7:
      for (int i = first; i <= last; ++i) std::swap(B[i], C[i]);
      break;
    case 8:
      for (int i = first; i <= last; ++i) A[i] = C[i];
      break;
    case 9:
      for (int i = first; i <= last; ++i) A[i] = AddDigit(A[i], B[i]);
      break;
    case 10:
      for (int i = first; i <= last; ++i) A[i] = AddDigit(A[i], C[i]);
      break;
    case 11:
      Cpu.Carry = 1;
      for (int i = first; i <= last; ++i) A[i] = AddDigit(A[i], 0);
      break;
    case 12:
      for (int i = first; i <= last; ++i) A[i] = SubtractDigit(A[i], B[i]);
      break;
    case 13:
      Cpu.Carry = 1;
      for (int i = first; i <= last; ++i) A[i] = SubtractDigit(A[i], 0);
      break;
    case 14:
      for (int i = first; i <= last; ++i) A[i] = SubtractDigit(A[i], C[i]);
      break;
    case 15:
      for (int i = first; i <= last; ++i) C[i] = AddDigit(C[i], C[i]);
      break;
    case 16:
      for (int i = first; i <= last; ++i) C[i] = AddDigit(A[i], C[i]);
      break;
    case 17:
      Cpu.Carry = 1;
      for (int i = first; i <= last; ++i) C[i] = AddDigit(C[i], 0);
      break;
    case 18:
      for (int i = first; i <= last; ++i) C[i] = SubtractDigit(A[i], C[i]);
      break;
    case 19:
      Cpu.Carry = 1;
      for (int i = first; i <= last; ++i) C[i] = SubtractDigit(C[i], 0);
      break;
    case 20:
      for (int i = first; i <= last; ++i) C[i] = SubtractDigit(0, C[i]);
      break;
    case 21:
      Cpu.Carry = 1;
      for (int i = first; i <= last; ++i) C[i] = SubtractDigit(0, C[i]);
      break;
    case 22:
      for (int i = first; i <= last; ++i)
        if (B[i]) {
          Cpu.Carry = 1;
          break;
        }
      break;
    case 23:
      for (int i = first; i <= last; ++i)
        if (C[i]) {
          Cpu.Carry = 1;
          break;
        }
      break;
    case 24:
      for (int i = first; i <= last; ++i) SubtractDigit(A[i], C[i]);
      break;
    case 25:
      for (int i = first; i <= last; ++i) SubtractDigit(A[i], B[i]);
      break;
    case 26:
      for (int i = first; i <= last; ++i)
        if (A[i]) {
          Cpu.Carry = 1;
          break;
        }
      break;
    case 27:
      for (int i = first; i <= last; ++i)
        if (A[i] != C[i]) {
          Cpu.Carry = 1;
          break;
        }
      break;
    case 28:
      for (int i = first; i < last; ++i) A[i] = A[i + 1];
      A[last] = 0;
      break;
    case 29:
      for (int i = first; i < last; ++i) B[i] = B[i + 1];
      B[last] = 0;
      break;
    case 30:
      for (int i = first; i < last; ++i) C[i] = C[i + 1];
      C[last] = 0;
      break;
    default:
      for (int i = last; i > first; --i) A[i] = A[i - 1];
      A[first] = 0;
      break;
  }
}
