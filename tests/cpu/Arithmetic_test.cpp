// Class-2 arithmetic against an independent model: the field read as one number in the base.

#include "cpu/Arithmetic.h"

#include <gtest/gtest.h>

#include <random>

#include "cpu/Cpu.h"
#include "cpu/Handlers.h"
#include "support/MachineFixture.h"

namespace {

constexpr uint16_t Word(int op, int field) {
  return static_cast<uint16_t>(op << 5 | field << 2 | 2);
}

struct Range {
  int first, last;
};
Range FieldOf(int field) {
  const int p = *Cpu.ActivePointer;
  switch (field) {
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

// The field as an unsigned number in base `base`.
uint64_t Value(const DigitRegister& r, Range f, int base) {
  uint64_t v = 0;
  for (int i = f.last; i >= f.first; --i) v = v * base + r[i];
  return v;
}
void SetValue(DigitRegister& r, Range f, int base, uint64_t v) {
  for (int i = f.first; i <= f.last; ++i) {
    r[i] = static_cast<uint8_t>(v % base);
    v /= base;
  }
}
uint64_t Modulus(Range f, int base) {
  uint64_t m = 1;
  for (int i = f.first; i <= f.last; ++i) m *= base;
  return m;
}

class Class2Model : public MachineTest {};

// Every operation, every field, both bases, on random valid digits and random pointers: the
// handler must match the model in the field and leave every digit outside it alone.
TEST_F(Class2Model, EveryOperationFieldAndBaseMatchesTheModel) {
  std::mt19937 rng(41);
  for (int base : {16, 10}) {
    for (int op = 0; op < 32; ++op) {
      for (int field = 0; field < 8; ++field) {
        for (int trial = 0; trial < 40; ++trial) {
          Cpu.Base = static_cast<uint8_t>(base);
          Cpu.P = rng() % 14;
          Cpu.Q = rng() % 14;
          Cpu.ActivePointer = (rng() & 1) ? &Cpu.P : &Cpu.Q;
          for (auto* r : {&Cpu.A, &Cpu.B, &Cpu.C})
            for (auto& d : *r) d = rng() % base;
          if (trial % 8 == 0)  // zero and all-nines fields test the carry edges
            for (auto* r : {&Cpu.A, &Cpu.B, &Cpu.C})
              for (auto& d : *r) d = trial % 16 == 0 ? 0 : static_cast<uint8_t>(base - 1);
          const DigitRegister a0 = Cpu.A, b0 = Cpu.B, c0 = Cpu.C;
          const Range f = FieldOf(field);
          const uint64_t m = Modulus(f, base);
          const uint64_t a = Value(a0, f, base), b = Value(b0, f, base), c = Value(c0, f, base);

          DigitRegister ea = a0, eb = b0, ec = c0;
          int carry = 0;
          auto sub = [&](uint64_t x, uint64_t y, uint64_t in) {
            carry = x < y + in;
            return (x + 2 * m - y - in) % m;
          };
          auto add = [&](uint64_t x, uint64_t y, uint64_t in) {
            carry = x + y + in >= m;
            return (x + y + in) % m;
          };
          switch (op) {
            case 0:
              SetValue(ea, f, base, 0);
              break;
            case 1:
              SetValue(eb, f, base, 0);
              break;
            case 2:
              SetValue(ec, f, base, 0);
              break;
            case 3:
              SetValue(ea, f, base, b);
              SetValue(eb, f, base, a);
              break;
            case 4:
              SetValue(eb, f, base, a);
              break;
            case 5:
              SetValue(ea, f, base, c);
              SetValue(ec, f, base, a);
              break;
            case 6:
              SetValue(ec, f, base, b);
              break;
            case 7:
              SetValue(eb, f, base, c);
              SetValue(ec, f, base, b);
              break;
            case 8:
              SetValue(ea, f, base, c);
              break;
            case 9:
              SetValue(ea, f, base, add(a, b, 0));
              break;
            case 10:
              SetValue(ea, f, base, add(a, c, 0));
              break;
            case 11:
              SetValue(ea, f, base, add(a, 0, 1));
              break;
            case 12:
              SetValue(ea, f, base, sub(a, b, 0));
              break;
            case 13:
              SetValue(ea, f, base, sub(a, 0, 1));
              break;
            case 14:
              SetValue(ea, f, base, sub(a, c, 0));
              break;
            case 15:
              SetValue(ec, f, base, add(c, c, 0));
              break;
            case 16:
              SetValue(ec, f, base, add(a, c, 0));
              break;
            case 17:
              SetValue(ec, f, base, add(c, 0, 1));
              break;
            case 18:
              SetValue(ec, f, base, sub(a, c, 0));
              break;
            case 19:
              SetValue(ec, f, base, sub(c, 0, 1));
              break;
            case 20:
              SetValue(ec, f, base, sub(0, c, 0));
              break;
            case 21:
              SetValue(ec, f, base, sub(0, c, 1));
              break;
            case 22:
              carry = b != 0;
              break;
            case 23:
              carry = c != 0;
              break;
            case 24:
              carry = a < c;
              break;
            case 25:
              carry = a < b;
              break;
            case 26:
              carry = a != 0;
              break;
            case 27:
              carry = a != c;
              break;
            case 28:
              SetValue(ea, f, base, a / base);
              break;
            case 29:
              SetValue(eb, f, base, b / base);
              break;
            case 30:
              SetValue(ec, f, base, c / base);
              break;
            case 31:
              SetValue(ea, f, base, a * base % m);
              break;
          }
          Cpu.Carry = 0;
          Class2(Word(op, field));
          SCOPED_TRACE(testing::Message() << "base " << base << " op " << op << " field " << field
                                          << " P " << int(Cpu.P) << " Q " << int(Cpu.Q));
          ASSERT_EQ(DigitsText(Cpu.A), DigitsText(ea));
          ASSERT_EQ(DigitsText(Cpu.B), DigitsText(eb));
          ASSERT_EQ(DigitsText(Cpu.C), DigitsText(ec));
          ASSERT_EQ(Cpu.Carry, carry);
        }
      }
    }
  }
}

struct DigitCase {
  bool add;
  uint8_t a, b, carryIn, base, result, carryOut;
};

// Decimal mode with digits 10..15 follows the two rules as they stand.
TEST_F(Class2Model, DigitPrimitivesOutsideTheBase) {
  const DigitCase cases[] = {
      {true, 10, 0, 0, 10, 0, 1},  {true, 15, 15, 0, 10, 4, 1}, {false, 15, 0, 0, 10, 9, 1},
      {false, 12, 1, 0, 10, 5, 1}, {true, 9, 0, 1, 10, 0, 1},   {false, 0, 0, 1, 10, 9, 1},
      {true, 15, 0, 1, 16, 0, 1},  {false, 0, 1, 0, 16, 15, 1}, {true, 7, 8, 0, 16, 15, 0},
      {false, 9, 9, 0, 10, 0, 0},
  };
  for (const DigitCase& c : cases) {
    Cpu.Base = c.base;
    Cpu.Carry = c.carryIn;
    const uint8_t r = c.add ? AddDigit(c.a, c.b) : SubtractDigit(c.a, c.b);
    EXPECT_EQ(r, c.result) << (c.add ? "add " : "sub ") << int(c.a) << "," << int(c.b);
    EXPECT_EQ(Cpu.Carry, c.carryOut) << (c.add ? "add " : "sub ") << int(c.a) << "," << int(c.b);
  }
}

TEST_F(Class2Model, ListedEdgeCases) {
  // A=A+1 W over all F in hex: everything wraps to 0 with a carry.
  Cpu.Base = 16;
  Cpu.A.fill(15);
  Class2(Word(11, 3));
  EXPECT_EQ(DigitsText(Cpu.A), "00000000000000");
  EXPECT_EQ(Cpu.Carry, 1);

  // C=C+1 M in decimal over nines leaves digits 0..2 and 13 alone.
  Cpu.Base = 10;
  SetDigits(Cpu.C, "59999999999123");
  Cpu.Carry = 0;
  Class2(Word(17, 6));
  EXPECT_EQ(DigitsText(Cpu.C), "50000000000123");
  EXPECT_EQ(Cpu.Carry, 1);

  // C=-C W in decimal: 0 stays 0 without borrow; 1 becomes all nines with borrow.
  Cpu.C.fill(0);
  Cpu.Carry = 0;
  Class2(Word(20, 3));
  EXPECT_EQ(DigitsText(Cpu.C), "00000000000000");
  EXPECT_EQ(Cpu.Carry, 0);
  SetDigits(Cpu.C, "1");
  Class2(Word(20, 3));
  EXPECT_EQ(DigitsText(Cpu.C), "99999999999999");
  EXPECT_EQ(Cpu.Carry, 1);

  // ASR on PQ with P = 3, Q = 5 moves only digits 3..5.
  Cpu.Carry = 0;
  SetDigits(Cpu.A, "DCBA9876543210");
  Cpu.P = 3;
  Cpu.Q = 5;
  Class2(Word(28, 4));
  EXPECT_EQ(DigitsText(Cpu.A), "DCBA9876054210");

  // ASL on S clears digit 13 alone; CSR on PT clears the pointer's digit.
  SetDigits(Cpu.A, "DCBA9876543210");
  Class2(Word(31, 7));
  EXPECT_EQ(DigitsText(Cpu.A), "0CBA9876543210");
  SetDigits(Cpu.C, "DCBA9876543210");
  Cpu.ActivePointer = &Cpu.Q;
  Class2(Word(30, 0));
  EXPECT_EQ(DigitsText(Cpu.C), "DCBA9876043210");
}

}  // namespace
