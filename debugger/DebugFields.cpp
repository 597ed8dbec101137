#include "debugger/DebugFields.h"

#include <algorithm>
#include <atomic>
#include <map>

#include "cpu/Cpu.h"
#include "debugger/Debug.h"
#include "debugger/EditParse.h"
#include "display/Lcd.h"
#include "memory/Ram.h"
#include "memory/Rom.h"
#include "timer/Zudaroz.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

}  // namespace

std::string HexDigits(uint32_t value, int minDigits) {
  int digits = 1;
  while (digits < 8 && (value >> (4 * digits)) != 0) ++digits;
  digits = std::max(digits, minDigits);
  std::string s;
  for (int i = digits - 1; i >= 0; --i) s += kHex[(value >> (4 * i)) & 15];
  return s;
}

namespace {

uint8_t DigitValue(uint8_t d) {
  return d;
}
uint8_t DigitValue(const std::atomic<uint8_t>& d) {
  return d.load(std::memory_order_relaxed);
}

// One hex digit per register digit, most significant first.
template <typename Digits>
std::string DigitText(const Digits& reg) {
  std::string s;
  for (size_t i = reg.size(); i-- > 0;) s += kHex[DigitValue(reg[i]) & 15];
  return s;
}

// An LCD register: its 12 positions as bytes, position 11 first.
std::string LcdText(const std::atomic<uint8_t> (&reg)[kLcdPositions]) {
  std::string s;
  for (int i = kLcdPositions - 1; i >= 0; --i) {
    s += HexDigits(reg[i].load(std::memory_order_relaxed), 2);
    if (i > 0) s += ' ';
  }
  return s;
}

std::string StackText() {
  std::string s;
  for (int k = 0; k < 4; ++k) s.append(k ? " " : "").append(HexDigits(Cpu.Stack[k], 4));
  return s;
}

std::string StatusText() {
  std::string s;
  for (int i = kDigits - 1; i >= 0; --i) s += kHex[Cpu.ST[i] & 15];
  return s;
}

// ----- Write-back -----

// ParseHexValue answers with its "current" argument when a text is rejected; two different
// currents tell a rejection apart from a number.
bool ParseHex(std::string_view text, uint32_t& value) {
  const uint32_t a = ParseHexValue(text, 0), b = ParseHexValue(text, 1);
  if (a != b) return false;
  value = a;
  return true;
}

template <typename Digits>
bool CommitDigits(std::string_view text, Digits& reg) {
  DigitEntries e;
  if (!ParseDigitGroups(text, 2, e)) return false;
  for (size_t i = 0; i < reg.size(); ++i) reg[i] = e[i];
  return true;
}

bool CommitLcd(std::string_view text, std::atomic<uint8_t> (&reg)[kLcdPositions]) {
  DigitEntries e;
  if (!ParseDigitGroups(text, 2, e)) return false;
  for (int i = 0; i < kLcdPositions; ++i)
    reg[i] = static_cast<uint8_t>(e[2 * i + 1] * 16 + e[2 * i]);
  return true;
}

// A pointer wraps like the pointer arithmetic does, so it stays a digit index.
bool CommitPointer(std::string_view text, uint8_t& pointer) {
  uint32_t v;
  if (!ParseHex(text, v)) return false;
  pointer = static_cast<uint8_t>((v & 0xFF) % kDigits);
  return true;
}

bool CommitStack(std::string_view text) {
  DigitEntries e;
  if (!ParseDigitGroups(text, 4, e)) return false;
  // The rightmost group is Stack[3].
  for (int j = 0; j < 4; ++j) {
    const int d = 4 * j;
    Cpu.Stack[3 - j] = static_cast<uint16_t>(e[d] | e[d + 1] << 4 | e[d + 2] << 8 | e[d + 3] << 12);
  }
  return true;
}

bool CommitG(std::string_view text) {
  DigitEntries e;
  if (!ParseDigitGroups(text, 1, e)) return false;
  Cpu.G[0] = e[0];
  Cpu.G[1] = e[1];
  return true;
}

bool CommitStatus(std::string_view text) {
  DigitEntries e;
  if (!ParseDigitGroups(text, 1, e)) return false;
  for (int i = 0; i < kDigits; ++i) Cpu.ST[i] = e[i] != 0;
  return true;
}

// A plain number: the parsed value goes to set, which masks it.
template <typename Set>
bool CommitValue(std::string_view text, Set set) {
  uint32_t v;
  if (!ParseHex(text, v)) return false;
  set(v);
  return true;
}

bool CommitPC(std::string_view text) {
  return CommitValue(text, [](uint32_t v) { Cpu.PC = static_cast<uint16_t>(v & 0xFFFF); });
}

// The word goes into the bank that fetches at PC see, created empty if none is loaded.
bool CommitOpCode(std::string_view text) {
  return CommitValue(text, [](uint32_t v) {
    StoreRom(Cpu.PC, CurrentBank[Cpu.PC >> 12], static_cast<uint16_t>(v & 0x3FF));
  });
}

}  // namespace

// The fields in tab order; "Base" (tab 14) is the radio group between PfAd and LcdE.
const std::array<DebugField, kDebugFieldCount> DebugFields = {{
    {"PCEdit", "PC=", 32, 8, 41, 0, [] { return HexDigits(Cpu.PC, 4); }, CommitPC, AfterEdit::CodeLine},
    {"OpCodeEdit", "OP=", 104, 8, 33, 1, [] { return HexDigits(FetchRom(Cpu.PC), 3); }, CommitOpCode,
     AfterEdit::CodeLine},
    {"AEdit", "A=", 32, 40, 105, 2, [] { return DigitText(Cpu.A); },
     [](std::string_view t) { return CommitDigits(t, Cpu.A); }, AfterEdit::Field},
    {"BEdit", "B=", 32, 64, 105, 3, [] { return DigitText(Cpu.B); },
     [](std::string_view t) { return CommitDigits(t, Cpu.B); }, AfterEdit::Field},
    {"CEdit", "C=", 32, 88, 105, 4, [] { return DigitText(Cpu.C); },
     [](std::string_view t) { return CommitDigits(t, Cpu.C); }, AfterEdit::Field},
    {"MEdit", "M=", 168, 40, 105, 5, [] { return DigitText(Cpu.M); },
     [](std::string_view t) { return CommitDigits(t, Cpu.M); }, AfterEdit::Field},
    {"NEdit", "N=", 168, 64, 105, 6, [] { return DigitText(Cpu.N); },
     [](std::string_view t) { return CommitDigits(t, Cpu.N); }, AfterEdit::Field},
    {"PEdit", "P=", 196, 88, 25, 7, [] { return HexDigits(Cpu.P, 1); },
     [](std::string_view t) { return CommitPointer(t, Cpu.P); }, AfterEdit::Field},
    {"QEdit", "Q=", 248, 88, 25, 8, [] { return HexDigits(Cpu.Q, 1); },
     [](std::string_view t) { return CommitPointer(t, Cpu.Q); }, AfterEdit::Field},
    {"StackEdit", "Stack=", 48, 112, 121, 9, StackText, CommitStack, AfterEdit::Field},
    {"GEdit", "G=", 196, 112, 25, 10,
     [] {
       return std::string{kHex[Cpu.G[1] & 15], kHex[Cpu.G[0] & 15]};
     },
     CommitG, AfterEdit::Field},
    {"FOEdit", "FO=", 248, 112, 25, 11, [] { return HexDigits(Cpu.FO, 2); },
     [](std::string_view t) {
       return CommitValue(t, [](uint32_t v) { Cpu.FO = static_cast<uint8_t>(v & 0xFF); });
     },
     AfterEdit::Field},
    {"DAddEdit", "DAdd=", 48, 140, 49, 12, [] { return HexDigits(Cpu.DAdd, 3); },
     [](std::string_view t) {
       return CommitValue(t, [](uint32_t v) { Cpu.DAdd = static_cast<int32_t>(v & 0x3FF); });
     },
     AfterEdit::Field},
    {"PfAdEdit", "PfAd=", 140, 140, 29, 13, [] { return HexDigits(Cpu.PfAd, 2); },
     [](std::string_view t) {
       return CommitValue(t, [](uint32_t v) { Cpu.PfAd = static_cast<int32_t>(v & 0xFF); });
     },
     AfterEdit::Field},
    {"LcdAnnEdit", "LcdE=", 48, 175, 37, 15, [] { return HexDigits(LcdE.load(), 4); },
     [](std::string_view t) { return CommitValue(t, [](uint32_t v) { LcdE = v; }); },
     AfterEdit::Field},
    {"STEdit", "ST=", 120, 175, 105, 16, StatusText, CommitStatus, AfterEdit::Field},
    {"CarryEdit", "Cy=", 252, 175, 21, 17, [] { return HexDigits(Cpu.Carry, 1); },
     [](std::string_view t) { return CommitValue(t, [](uint32_t v) { Cpu.Carry = v != 0; }); },
     AfterEdit::Field},
    {"LcdAEdit", "LcdA=", 48, 200, 225, 18, [] { return LcdText(LcdA); },
     [](std::string_view t) { return CommitLcd(t, LcdA); }, AfterEdit::Display},
    {"LcdBEdit", "LcdB=", 48, 224, 225, 19, [] { return LcdText(LcdB); },
     [](std::string_view t) { return CommitLcd(t, LcdB); }, AfterEdit::Display},
    {"LcdCEdit", "LcdC=", 48, 248, 225, 20, [] { return LcdText(LcdC); },
     [](std::string_view t) { return CommitLcd(t, LcdC); }, AfterEdit::Display},
    {"CLAEdit", "CLA=", 40, 280, 97, 21, [] { return DigitText(CLA); },
     [](std::string_view t) { return CommitDigits(t, CLA); }, AfterEdit::Field},
    {"CLBEdit", "CLB=", 175, 280, 97, 22, [] { return DigitText(CLB); },
     [](std::string_view t) { return CommitDigits(t, CLB); }, AfterEdit::Field},
    {"ALAEdit", "ALA=", 40, 304, 97, 23, [] { return DigitText(ALA); },
     [](std::string_view t) { return CommitDigits(t, ALA); }, AfterEdit::Field},
    {"ALBEdit", "ALB=", 175, 304, 97, 24, [] { return DigitText(ALB); },
     [](std::string_view t) { return CommitDigits(t, ALB); }, AfterEdit::Field},
    {"AFEdit", "AF=", 40, 352, 33, 25, [] { return DigitText(AF); },
     [](std::string_view t) { return CommitDigits(t, AF); }, AfterEdit::Field},
    {"ITEdit", "IT=", 99, 352, 38, 26, [] { return DigitText(IT); },
     [](std::string_view t) { return CommitDigits(t, IT); }, AfterEdit::Field},
    {"SCAEdit", "SCA=", 40, 328, 97, 30, [] { return DigitText(SCA); },
     [](std::string_view t) { return CommitDigits(t, SCA); }, AfterEdit::Field},
    {"SCBEdit", "SCB=", 175, 328, 97, 31, [] { return DigitText(SCB); },
     [](std::string_view t) { return CommitDigits(t, SCB); }, AfterEdit::Field},
    {"TREdit", "TR=", 175, 352, 38, 32, [] { return DigitText(TR); },
     [](std::string_view t) { return CommitDigits(t, TR); }, AfterEdit::Field},
    {"SREdit", "SR=", 239, 352, 33, 33, [] { return HexDigits(TimerStatus.load(), 4); },
     [](std::string_view t) { return CommitValue(t, [](uint32_t v) { TimerStatus = v; }); },
     AfterEdit::Field},
}};

int DebugFieldIndex(std::string_view name) {
  for (int i = 0; i < kDebugFieldCount; ++i)
    if (name == DebugFields[i].name) return i;
  return -1;
}

CodeLine ReadCodeLine() {
  CodeLine code;
  code.pc = HexDigits(Cpu.PC, 4);
  code.op = HexDigits(FetchRom(Cpu.PC), 3);
  int32_t address = Cpu.PC;
  Disassemble(address, code.dis);
  return code;
}

std::string RamRegisterText(int n) {
  return DigitText(RamRegisters[n]);
}

std::vector<std::string> MemoryListing() {
  std::vector<std::string> items;
  for (int n = 0; n < kRamRegisters; ++n)
    if (RamExists[n]) items.push_back(HexDigits(n, 3) + " " + RamRegisterText(n));
  return items;
}


std::string RegisterLayoutText() {
  // Rows by their y; the code line's disassembly follows the OP field.
  std::map<int, std::vector<const DebugField*>> rows;
  for (const DebugField& f : DebugFields) rows[f.y].push_back(&f);
  std::string text;
  for (auto& [y, fields] : rows) {
    std::sort(fields.begin(), fields.end(),
              [](const DebugField* a, const DebugField* b) { return a->x < b->x; });
    std::string line;
    for (const DebugField* f : fields)
      line.append(line.empty() ? "" : " ").append(f->label).append(f->show());
    if (fields.front()->y == DebugFields[0].y) line.append(" ").append(ReadCodeLine().dis);
    if (y == DebugFields[DebugFieldIndex("PfAdEdit")].y)
      line += " Base=" + std::to_string(Cpu.Base == 10 ? 10 : 16);
    text += line + "\n";
  }
  return text;
}
