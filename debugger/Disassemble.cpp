#include <cstdint>
#include <string>

#include "cpu/Cpu.h"
#include "debugger/Debug.h"
#include "debugger/Symbols.h"
#include "memory/Rom.h"

const char* const FieldName[8] = {"PT", "X", "WPT", "W", "PQ", "XS", "M", "S"};

const char* const RegisterName[16] = {"T", "Z", "Y",  "X", "L", "M", "N", "O",
                                      "P", "Q", "|-", "a", "b", "c", "d", "e"};

const char* const ArithOpName[32] = {"A=0",    "B=0",   "C=0",   "ABEX",  "B=A",   "ACEX",  "C=B",
                                     "BCEX",   "A=C",   "A=A+B", "A=A+C", "A=A+1", "A=A-B", "A=A-1",
                                     "A=A-C",  "C=C+C", "C=A+C", "C=C+1", "C=A-C", "C=C-1", "C=-C",
                                     "C=-C-1", "?B<>0", "?C<>0", "?A<C",  "?A<B",  "?A<>0", "?A<>C",
                                     "ASR",    "BSR",   "CSR",   "ASL"};

const char* const Class0Column6[16] = {nullptr, "G=C",  "C=G",   "CGEX", nullptr, "M=C",
                                       "C=M",   "CMEX", nullptr, "F=SB", "SB=F",  "FEXSB",
                                       nullptr, "ST=C", "C=ST",  "CSTEX"};
const char* const Class0Column8[16] = {"SPOPND", "POWOFF", "SELP",   "SELQ",   "?P=Q",   "?LLD",
                                       "CLRABC", "GOTOC",  "C=KEYS", "SETHEX", "SETDEC", "DISOFF",
                                       "DISTOG", "RTNC",   "RTNNC",  "RTN"};
const char* const Class0Column12[16] = {"ROMBLK", "N=C",   "C=N",    "CNEX",   nullptr,  "STK=C",
                                        "C=STK",  "WPTOG", "GOKEYS", "DADD=C", "CLREGS", "DATA=C",
                                        "CXISA",  "C=C!A", "C=C&A",  "PFAD=C"};

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr uint8_t kPrinter = 9;

// Appends text to a fixed buffer. Counts the full length even when the buffer is full, so a
// caller can tell that the text was cut.
class TextWriter {
 public:
  TextWriter(char* out, int capacity) : out_(out), room_(capacity > 0 ? capacity - 1 : 0) {}

  void Put(char c) {
    if (length_ < room_) out_[length_] = c;
    ++length_;
  }
  void Put(const char* s) {
    while (*s) Put(*s++);
  }
  void Put(const std::string& s) {
    for (char c : s) Put(c);
  }
  // Upper-case hexadecimal with at least minDigits digits.
  void Hex(uint32_t value, int minDigits) {
    int digits = 1;
    while (digits < 8 && (value >> (4 * digits)) != 0) ++digits;
    if (digits < minDigits) digits = minDigits;
    for (int i = digits - 1; i >= 0; --i) Put(i >= 8 ? '0' : kHexDigits[(value >> (4 * i)) & 15]);
  }
  void Decimal(int value) {
    if (value < 0) Put('-');
    const unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : value;
    char digits[10];
    int n = 0;
    unsigned v = magnitude;
    do {
      digits[n++] = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v != 0);
    while (n > 0) Put(digits[--n]);
  }
  bool Empty() const { return length_ == 0; }
  // Terminates the text; returns its full length.
  int Finish(char* out, int capacity) {
    if (capacity > 0) out[length_ < room_ ? length_ : room_] = '\0';
    return length_;
  }

 private:
  char* out_;
  int room_;
  int length_ = 0;
};

// Set while a listing's ROM image is disassembled: words come from it, and they are read as
// the CPU's own (no smart peripheral has control).
thread_local const uint16_t* imageWords = nullptr;

uint16_t FetchAt(int32_t address) {
  const uint32_t a = static_cast<uint32_t>(address) & 0xFFFF;
  return imageWords ? imageWords[a] : FetchRom(a);
}

// Column 0 rows 0..7; rows 8..15 (HPIL=C) are handled on their own.
const char* const kColumn0[8] = {"NOP",    "WMLDL",  nullptr,  nullptr,
                                 "ENROM0", "ENROM2", "ENROM1", "ENROM3"};

// Columns whose rows 0..14 carry a digit: the family's text, and the name row 15 has instead.
struct DigitColumn {
  const char* prefix;
  const char* row15;
};
const DigitColumn kDigitColumns[16] = {
    {nullptr, nullptr}, {"ST=0 ", "CLRST"}, {"ST=1 ", "RSTKB"}, {"?ST=1 ", "CHKKB"},
    {nullptr, nullptr}, {"?PT= ", "DECPT"}, {nullptr, nullptr}, {"PT= ", "INCPT"},
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {"?F=1 ", nullptr},
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {"RCR ", nullptr}};

void PutName(TextWriter& t, const char* name) {
  if (name) t.Put(name);
}

void Class0(uint16_t word, int32_t& address, TextWriter& t) {
  const int row = word >> 6;
  const int column = (word >> 2) & 15;
  const DigitColumn& digit = kDigitColumns[column];
  if (digit.prefix) {
    if (row == 15) {
      PutName(t, digit.row15);
    } else {
      // Row 7 shows RowDigit's -1, although the CPU runs these words as no-ops.
      t.Put(digit.prefix);
      t.Decimal(RowDigit[row]);
    }
    return;
  }
  switch (column) {
    case 0:
      if (row < 8) {
        PutName(t, kColumn0[row]);
      } else {
        t.Put("HPIL=C ");
        t.Hex(row - 8, 1);
      }
      break;
    case 4:
      t.Put("LC ");
      t.Decimal(row);
      break;
    case 6:
      PutName(t, Class0Column6[row]);
      break;
    case 8:
      PutName(t, Class0Column8[row]);
      break;
    case 9:
      t.Put("SELPF ");
      t.Decimal(row);
      break;
    case 10:
    case 14:
      t.Put(column == 10 ? "REGN=C " : "C=REGN ");
      t.Decimal(row);
      t.Put(" (");
      t.Put(RegisterName[row]);
      t.Put(')');
      break;
    case 12:
      if (row == 4) {
        const uint16_t value = FetchAt(address);
        ++address;
        t.Put("LDI ");
        t.Hex(value, 3);
      } else {
        PutName(t, Class0Column12[row]);
      }
      break;
    default:  // column 13
      break;
  }
}

void SymbolSuffix(TextWriter& t, int32_t target) {
  if (const std::string* name = LookupSymbol(target)) {
    t.Put(' ');
    t.Put(*name);
  }
}

void LongJump(uint16_t word, int32_t& address, TextWriter& t) {
  const uint16_t second = FetchAt(address);
  ++address;
  t.Put((second & 2) ? "GOL" : "GSUB");
  t.Put((second & 1) ? "C" : "NC");
  t.Put(' ');
  const int32_t target = (word >> 2) | ((second & 0x3FC) << 6);
  t.Hex(static_cast<uint32_t>(target), 4);
  SymbolSuffix(t, target);
}

void RelativeJump(uint16_t word, int32_t address, TextWriter& t) {
  const int offset = ((word >> 3) & 0x3F) - ((word & 0x200) ? 64 : 0);
  t.Put("GO");
  t.Put((word & 4) ? "C" : "NC");
  t.Put(' ');
  if (offset < 0) t.Put('-');
  if (offset > 0) t.Put('+');
  t.Hex(static_cast<uint32_t>(offset - 1 < 0 ? 1 - offset : offset - 1), 2);
  t.Put(' ');
  // The target wraps at 16 bits, as the CPU's jump does, so it always shows as four digits.
  const int32_t target = (address + offset - 1) & 0xFFFF;
  t.Hex(static_cast<uint32_t>(target), 4);
  SymbolSuffix(t, target);
}

void PeripheralWord(uint16_t word, TextWriter& t) {
  const bool printer = Cpu.SmartPeripheral == kPrinter;
  if ((word & 7) >= 6) {
    t.Put(printer ? "PRINTC" : "PFLOAD");
  } else if ((word & 0x3B) == 0x3A || (word & 0x3B) == 0x3B) {
    if (printer) {
      t.Put("RDTPR");
      if (word & 1) t.Put('N');
    } else {
      t.Put("PFSAVE");
    }
  } else if (word & 2) {
    t.Put("?PFSET ");
    t.Hex((word >> 6) & 7, 1);
  } else if (word & 4) {
    t.Put("PF= ");
    t.Hex(word >> 3, 2);
  }
  // The word that hands control back to the CPU.
  if (!printer && (word & 1)) t.Put(" RTNUT");
}

}  // namespace

int DisassembleTo(int32_t& address, char* out, int capacity) {
  TextWriter t(out, capacity);
  const uint16_t word = FetchAt(address);
  ++address;
  if (!imageWords && Cpu.SmartPeripheral != kNoPeripheral) {
    PeripheralWord(word, t);
    return t.Finish(out, capacity);
  }
  switch (word & 3) {
    case 0:
      Class0(word, address, t);
      break;
    case 1:
      LongJump(word, address, t);
      break;
    case 2:
      t.Put(ArithOpName[word >> 5]);
      t.Put(' ');
      t.Put(FieldName[(word >> 2) & 7]);
      break;
    default:
      RelativeJump(word, address, t);
      break;
  }
  if (t.Empty()) t.Put("?!?");
  return t.Finish(out, capacity);
}

void Disassemble(int32_t& address, std::string& text) {
  const int32_t start = address;
  char buffer[128];
  const int length = DisassembleTo(address, buffer, sizeof buffer);
  if (length < static_cast<int>(sizeof buffer)) {
    text.assign(buffer, length);
    return;
  }
  // A long symbol name: disassemble again into a string of the full length.
  address = start;
  text.resize(length);
  DisassembleTo(address, text.data(), length + 1);
}

std::string DisassembleImage(const uint16_t* image, int32_t& address) {
  imageWords = image;
  std::string text;
  Disassemble(address, text);
  imageWords = nullptr;
  return text;
}
