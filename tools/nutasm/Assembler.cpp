#include "tools/nutasm/Assembler.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <unordered_map>
#include <utility>

#include "cpu/Cpu.h"
#include "debugger/Debug.h"
#include "host/HexDigit.h"
#include "host/Trim.h"

namespace nutasm {
namespace {

constexpr int kCpuMode = -1;  // no peripheral has the instruction stream
constexpr int kPrinter = 9;
constexpr uint16_t kLdi = 0x130;
constexpr uint32_t kPageWords = 4096;

// ----- The instruction set, by mnemonic -----

enum class Kind {
  Fixed,     // a class-0 word without operand
  Field,     // class 2: operation and field
  Digit,     // class 0, a digit 0..13 carried in the row through DigitRow
  Number,    // class 0, a number 0..15 that is the row
  Hpil,      // HPIL=C k, k = 0..7 in rows 8..15
  Ldi,       // LDI and its constant word
  Relative,  // class 3
  Long,      // class 1, two words
};

struct Mnemonic {
  Kind kind;
  uint16_t bits;  // the word, or what the operands are added to
};

struct Named {
  const char* name;
  uint16_t bits;
};
// Column 0 and the names that row 15 gives the digit columns.
const Named kSingles[] = {{"NOP", 0x000},    {"WMLDL", 0x040},  {"ENROM0", 0x100},
                          {"ENROM2", 0x140}, {"ENROM1", 0x180}, {"ENROM3", 0x1C0},
                          {"CLRST", 0x3C4},  {"RSTKB", 0x3C8},  {"CHKKB", 0x3CC},
                          {"DECPT", 0x3D4},  {"INCPT", 0x3DC}};
const Named kDigitFamilies[] = {{"ST=0", 0x04}, {"ST=1", 0x08}, {"?ST=1", 0x0C}, {"?PT=", 0x14},
                                {"PT=", 0x1C},  {"?F=1", 0x2C}, {"RCR", 0x3C}};
const Named kNumberFamilies[] = {{"LC", 0x10}, {"SELPF", 0x24}, {"REGN=C", 0x28}, {"C=REGN", 0x38}};

const std::unordered_map<std::string, Mnemonic>& CpuMnemonics() {
  static const std::unordered_map<std::string, Mnemonic> table = [] {
    std::unordered_map<std::string, Mnemonic> t;
    for (int k = 0; k < 32; ++k)
      t[ArithOpName[k]] = {Kind::Field, static_cast<uint16_t>(k << 5 | 2)};
    for (int row = 0; row < 16; ++row) {
      const uint16_t base = static_cast<uint16_t>(row << 6);
      if (Class0Column6[row])
        t[Class0Column6[row]] = {Kind::Fixed, static_cast<uint16_t>(base | 0x18)};
      t[Class0Column8[row]] = {Kind::Fixed, static_cast<uint16_t>(base | 0x20)};
      if (Class0Column12[row])
        t[Class0Column12[row]] = {Kind::Fixed, static_cast<uint16_t>(base | 0x30)};
    }
    for (const Named& n : kSingles) t[n.name] = {Kind::Fixed, n.bits};
    for (const Named& n : kDigitFamilies) t[n.name] = {Kind::Digit, n.bits};
    for (const Named& n : kNumberFamilies) t[n.name] = {Kind::Number, n.bits};
    t["HPIL=C"] = {Kind::Hpil, 0x200};
    t["LDI"] = {Kind::Ldi, kLdi};
    t["GONC"] = {Kind::Relative, 0x3};
    t["GOC"] = {Kind::Relative, 0x7};
    t["GSUBNC"] = {Kind::Long, 0x0};
    t["GSUBC"] = {Kind::Long, 0x1};
    t["GOLNC"] = {Kind::Long, 0x2};
    t["GOLC"] = {Kind::Long, 0x3};
    return t;
  }();
  return table;
}

// Words for a peripheral after SELPF n. Bit 0 hands the stream back to the CPU; the source asks
// for it with a trailing RTNUT.
enum class Owner { Printer, Others, Any };
enum class PeripheralKind { Fixed, Flag, Register };  // Flag: ?PFSET d; Register: PF= nn
struct PeripheralMnemonic {
  PeripheralKind kind;
  uint16_t bits;
  Owner owner;
};

const std::unordered_map<std::string, PeripheralMnemonic>& PeripheralMnemonics() {
  static const std::unordered_map<std::string, PeripheralMnemonic> table = {
      {"PRINTC", {PeripheralKind::Fixed, 0x006, Owner::Printer}},
      {"RDTPR", {PeripheralKind::Fixed, 0x03A, Owner::Printer}},
      {"RDTPRN", {PeripheralKind::Fixed, 0x03B, Owner::Printer}},
      {"PFLOAD", {PeripheralKind::Fixed, 0x006, Owner::Others}},
      {"PFSAVE", {PeripheralKind::Fixed, 0x03A, Owner::Others}},
      {"?PFSET", {PeripheralKind::Flag, 0x002, Owner::Any}},
      {"PF=", {PeripheralKind::Register, 0x004, Owner::Any}},
      {"RTNUT", {PeripheralKind::Fixed, 0x001, Owner::Any}},
  };
  return table;
}

// ----- Text helpers -----

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return u;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}


std::vector<std::string> SplitBlanks(std::string_view s) {
  std::vector<std::string> tokens;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    const size_t start = i;
    while (i < s.size() && !IsBlank(s[i])) ++i;
    if (i > start) tokens.emplace_back(s.substr(start, i - start));
  }
  return tokens;
}

bool IsLabelStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsLabelChar(char c) {
  return IsLabelStart(c) || (c >= '0' && c <= '9') || c == '.';
}
bool IsLabelName(std::string_view s) {
  if (s.empty() || !IsLabelStart(s.front())) return false;
  return std::all_of(s.begin(), s.end(), IsLabelChar);
}

// A number in the given base; "0x" or "$" makes any number hexadecimal.
std::optional<uint32_t> ParseNumber(std::string_view s, int base) {
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    s.remove_prefix(2);
    base = 16;
  } else if (s.size() > 1 && s[0] == '$') {
    s.remove_prefix(1);
    base = 16;
  }
  if (s.empty()) return std::nullopt;
  uint64_t v = 0;
  for (char c : s) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    if (digit >= base) return std::nullopt;
    v = v * base + digit;
    if (v > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<uint32_t>(v);
}

std::string Hex(uint32_t value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*X", digits, value);
  return buf;
}

// Removes a comment (";" outside a string).
std::string_view StripComment(std::string_view s) {
  bool quoted = false;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && quoted) {
      ++i;
    } else if (s[i] == '"') {
      quoted = !quoted;
    } else if (s[i] == ';' && !quoted) {
      return s.substr(0, i);
    }
  }
  return s;
}

// The display's character code of one character of a .lcd string, or -1.
int DisplayCode(char32_t c) {
  if (c >= 0x20 && c <= 0x3F) return static_cast<int>(c);         // blank, digits, signs
  if (c >= 0x40 && c <= 0x5F) return static_cast<int>(c - 0x40);  // @, A..Z, [ \ ] ^ _
  if (c >= 'a' && c <= 'e') return static_cast<int>(0x40 + c - 'a' + 1);
  if (c == 0x3A3) return 0x4E;  // the Greek capital sigma
  return -1;
}

// Decodes one UTF-8 character from s at i; advances i.
char32_t NextChar(std::string_view s, size_t& i) {
  const unsigned char c = static_cast<unsigned char>(s[i++]);
  int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  char32_t value = more == 3 ? c & 0x07 : more == 2 ? c & 0x0F : more == 1 ? c & 0x1F : c;
  while (more-- > 0 && i < s.size())
    value = (value << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  return value;
}

// ----- The assembler -----

struct Fixup {
  enum class Kind { Relative, Long, Ldi, Word } kind;
  uint32_t address;    // of the (first) word to patch
  std::string target;  // a label name, or a hexadecimal address when no label has it
  int line;
  uint16_t bits;                   // condition bits of the jump
  std::optional<int> shownOffset;  // the disassembler's offset text, when the source gave it
};

class Assembler {
 public:
  Assembler(std::string_view source, std::string file) : file_(std::move(file)) {
    size_t start = 0;
    while (start <= source.size()) {
      size_t end = source.find('\n', start);
      if (end == std::string_view::npos) end = source.size();
      std::string_view line = source.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      program_.lines.emplace_back(line);
      start = end + 1;
      if (end == source.size()) break;
    }
    if (!program_.lines.empty() && program_.lines.back().empty()) program_.lines.pop_back();
  }

  Program Run() {
    for (size_t i = 0; i < program_.lines.size(); ++i) {
      line_ = static_cast<int>(i) + 1;
      lineStart_ = pc_;
      lineWords_ = 0;
      DoLine(program_.lines[i]);
      program_.listing.push_back({line_, lineStart_, std::vector<uint16_t>(lineWords_)});
    }
    for (const Fixup& f : fixups_) Resolve(f);
    for (ListedLine& l : program_.listing) {
      for (size_t k = 0; k < l.words.size(); ++k) {
        const auto w = program_.words.find(l.address + static_cast<uint32_t>(k));
        l.words[k] = w == program_.words.end() ? 0 : w->second;
      }
    }
    std::stable_sort(errors_.begin(), errors_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [line, message] : errors_) {
      program_.errors.push_back(file_ + ":" + std::to_string(line) + ": " + message);
    }
    return std::move(program_);
  }

 private:
  void Error(const std::string& message, int line = 0) {
    errors_.emplace_back(line ? line : line_, message);
  }

  void DoLine(std::string_view raw) {
    std::string_view text = Trim(StripComment(raw), IsBlank);
    if (text.empty()) return;
    // "name:" at the start defines a label at the current address.
    const size_t colon = text.find(':');
    if (colon != std::string_view::npos && colon > 0 && IsLabelName(text.substr(0, colon))) {
      DefineLabel(std::string(text.substr(0, colon)));
      text = Trim(text.substr(colon + 1), IsBlank);
      if (text.empty()) return;
    }
    if (text.front() == '.') {
      Directive(text);
      return;
    }
    std::vector<std::string> tokens = SplitBlanks(text);
    const std::string name = Upper(tokens.front());
    tokens.erase(tokens.begin());
    if (mode_ != kCpuMode) {
      PeripheralWord(name, tokens);
    } else {
      Instruction(name, tokens);
    }
  }

  void DefineLabel(const std::string& name) {
    if (name.find("EQU") != std::string::npos) {
      Error("label '" + name + "' contains EQU, which the symbol file cannot hold");
      return;
    }
    if (auto it = labelIndex_.find(name); it != labelIndex_.end()) {
      Error("label '" + name + "' is already defined on line " +
            std::to_string(program_.labels[it->second].line));
      return;
    }
    labelIndex_[name] = program_.labels.size();
    program_.labels.push_back({name, pc_, line_});
  }

  // Stores a word at the current address; false if it cannot go there.
  bool Emit(uint16_t word) {
    if (pc_ > 0xFFFF) {
      if (!pastEnd_) Error("the address runs past FFFF");
      pastEnd_ = true;
      return false;
    }
    auto [it, fresh] = owner_.emplace(pc_, line_);
    if (!fresh) {
      Error("address " + Hex(pc_, 4) + " already holds a word from line " +
            std::to_string(it->second));
    } else {
      program_.words[pc_] = word & 0x3FF;
    }
    ++pc_;
    ++lineWords_;
    return fresh;
  }

  // ----- Directives -----

  void Directive(std::string_view text) {
    const size_t end = text.find_first_of(" \t");
    const std::string name = Upper(text.substr(0, end));
    const std::string_view rest =
        end == std::string_view::npos ? "" : Trim(text.substr(end), IsBlank);
    if (name == ".ORG") {
      const auto tokens = SplitBlanks(rest);
      const auto value = tokens.size() == 1 ? ParseNumber(tokens[0], 16) : std::nullopt;
      if (!value || *value > 0xFFFF) {
        Error(".org needs one address 0..FFFF (hexadecimal)");
        return;
      }
      pc_ = *value;
      lineStart_ = pc_;
      pastEnd_ = false;
      mode_ = kCpuMode;  // code at a new place starts in the CPU's hands
    } else if (name == ".WORD") {
      Words(rest);
    } else if (name == ".LCD") {
      LcdText(rest);
    } else {
      Error("unknown directive '" + std::string(text.substr(0, end)) + "'");
    }
  }

  void Words(std::string_view rest) {
    std::string list(rest);
    std::replace(list.begin(), list.end(), ',', ' ');
    const auto tokens = SplitBlanks(list);
    if (tokens.empty()) Error(".word needs at least one value");
    for (const std::string& t : tokens) {
      // While a peripheral has control, bit 0 of each word must be known here: numbers only.
      if (IsLabelName(t) && mode_ == kCpuMode) {
        fixups_.push_back({Fixup::Kind::Word, pc_, t, line_, 0, std::nullopt});
        Emit(0);
        continue;
      }
      const auto value = ParseNumber(t, 16);
      if (!value || *value > 0x3FF) {
        Error("'" + t + "' is not a word 000..3FF (hexadecimal) or a label");
        continue;
      }
      Emit(static_cast<uint16_t>(*value));
      if (mode_ != kCpuMode && (*value & 1)) mode_ = kCpuMode;
    }
  }

  // A display text: one word per position, C[2] bit 0, LcdB (with the punctuation) and LcdA as
  // the display's write sub-operations take them from C; bit 9 marks the last word.
  void LcdText(std::string_view rest) {
    if (rest.size() < 2 || rest.front() != '"' || rest.back() != '"') {
      Error(".lcd needs a text in double quotes");
      return;
    }
    const std::string_view body = rest.substr(1, rest.size() - 2);
    std::vector<uint16_t> words;
    bool punctuated = false;  // the last position has its mark already
    for (size_t i = 0; i < body.size();) {
      size_t start = i;
      char32_t c = NextChar(body, i);
      const bool escaped = c == '\\' && i < body.size();  // \" is a quote, \. a "." character
      if (escaped) {
        start = i;
        c = NextChar(body, i);
      }
      const int mark = escaped ? 0 : c == '.' ? 1 : c == ':' ? 2 : c == ',' ? 3 : 0;
      if (mark) {
        // A mark belongs to the position before it; at the start, or after another mark, it
        // stands on a blank of its own.
        if (words.empty() || punctuated) words.push_back(0x20);
        words.back() = static_cast<uint16_t>(words.back() | mark << 6);
        punctuated = true;
        continue;
      }
      const int code = DisplayCode(c);
      if (code < 0) {
        Error("the display has no character for '" + std::string(body.substr(start, i - start)) +
              "'");
        return;
      }
      words.push_back(
          static_cast<uint16_t>((code >> 6) << 8 | ((code >> 4) & 3) << 4 | (code & 15)));
      punctuated = false;
    }
    if (words.empty()) {
      Error(".lcd needs at least one character");
      return;
    }
    words.back() |= 0x200;
    for (uint16_t w : words) Emit(w);
  }

  // ----- CPU instructions -----

  void Instruction(const std::string& name, const std::vector<std::string>& ops) {
    const auto& table = CpuMnemonics();
    const auto it = table.find(name);
    if (it == table.end()) {
      if (PeripheralMnemonics().count(name)) {
        Error("'" + name + "' is a peripheral word: it follows SELPF n");
      } else if (name == "?!?") {
        Error("'?!?' names no instruction: write the word with .word");
      } else {
        Error("unknown mnemonic '" + name + "'");
      }
      return;
    }
    const Mnemonic m = it->second;
    switch (m.kind) {
      case Kind::Fixed:
        if (!NoOperand(name, ops)) return;
        Emit(m.bits);
        break;
      case Kind::Field: {
        if (ops.size() != 1) {
          Error(name + " needs a field (PT X WPT W PQ XS M S)");
          return;
        }
        const std::string field = Upper(ops[0]);
        for (int f = 0; f < 8; ++f) {
          if (field == FieldName[f]) {
            Emit(static_cast<uint16_t>(m.bits | f << 2));
            return;
          }
        }
        Error("unknown field '" + ops[0] + "' (PT X WPT W PQ XS M S)");
        break;
      }
      case Kind::Digit: {
        const auto d = OneValue(name, ops, 10, 13, "a digit 0..13");
        if (d) Emit(static_cast<uint16_t>(DigitRow[*d] << 6 | m.bits));
        break;
      }
      case Kind::Number:
        NumberInstruction(name, m.bits, ops);
        break;
      case Kind::Hpil: {
        const auto k = OneValue(name, ops, 16, 7, "a number 0..7");
        if (k) Emit(static_cast<uint16_t>(m.bits + (*k << 6)));
        break;
      }
      case Kind::Ldi:
        Ldi(ops);
        break;
      case Kind::Relative:
        RelativeJump(name, m.bits, ops);
        break;
      case Kind::Long:
        LongJump(name, m.bits, ops);
        break;
    }
  }

  bool NoOperand(const std::string& name, const std::vector<std::string>& ops) {
    if (ops.empty()) return true;
    Error("'" + name + "' takes no operand");
    return false;
  }

  std::optional<uint32_t> OneValue(const std::string& name, const std::vector<std::string>& ops,
                                   int base, uint32_t max, const char* what) {
    const auto v = ops.size() == 1 ? ParseNumber(ops[0], base) : std::nullopt;
    if (!v || *v > max) {
      Error(name + " needs " + what + (ops.size() == 1 ? ", not '" + ops[0] + "'" : ""));
      return std::nullopt;
    }
    return v;
  }

  // LC n, SELPF n, REGN=C n and C=REGN n; the last two may name the register, "(X)".
  void NumberInstruction(const std::string& name, uint16_t column,
                         const std::vector<std::string>& ops) {
    const bool registers = name == "REGN=C" || name == "C=REGN";
    std::vector<std::string> number = ops;
    std::optional<std::string> registerName;
    if (registers && ops.size() == 2) {
      const std::string& r = ops[1];
      if (r.size() < 3 || r.front() != '(' || r.back() != ')') {
        Error("the register name after " + name + " n goes in parentheses, as (X)");
        return;
      }
      registerName = r.substr(1, r.size() - 2);
      number.pop_back();
    }
    const auto n = OneValue(name, number, 10, 15, "a number 0..15");
    if (!n) return;
    if (registerName && *registerName != RegisterName[*n]) {
      Error("register " + std::to_string(*n) + " is (" + RegisterName[*n] + "), not (" +
            *registerName + ")");
      return;
    }
    Emit(static_cast<uint16_t>(*n << 6 | column));
    if (name == "SELPF") mode_ = static_cast<int>(*n);
  }

  void Ldi(const std::vector<std::string>& ops) {
    if (ops.size() != 1) {
      Error("LDI needs one constant 000..3FF (hexadecimal) or a label");
      return;
    }
    Emit(kLdi);
    if (IsLabelName(ops[0])) {
      fixups_.push_back({Fixup::Kind::Ldi, pc_, ops[0], line_, 0, std::nullopt});
      Emit(0);
      return;
    }
    const auto v = ParseNumber(ops[0], 16);
    if (!v || *v > 0x3FF) {
      Error("LDI needs a constant 000..3FF (hexadecimal) or a label, not '" + ops[0] + "'");
      Emit(0);
      return;
    }
    Emit(static_cast<uint16_t>(*v));
  }

  // "GONC target", or the disassembler's "GONC +04 1005"; a trailing "=NAME" (the symbol the
  // disassembler appends) is ignored.
  void RelativeJump(const std::string& name, uint16_t bits, std::vector<std::string> ops) {
    if (!ops.empty() && ops.back().size() > 1 && ops.back().front() == '=') ops.pop_back();
    std::optional<int> shown;
    if (ops.size() == 2) {
      shown = ShownOffset(ops[0]);
      if (!shown) {
        Error("'" + ops[0] + "' is not an offset as the disassembler shows it (+04, -03, 01)");
        return;
      }
      ops.erase(ops.begin());
    }
    if (ops.size() != 1) {
      Error(name + " needs a target: a label or an address");
      return;
    }
    if (ops[0].front() == '+' || ops[0].front() == '-') {
      Error(name + " needs its target after the offset: a label or an address");
      return;
    }
    fixups_.push_back({Fixup::Kind::Relative, pc_, ops[0], line_, bits, shown});
    Emit(bits);
  }

  // The offset in the disassembler's form: "+" m for offset m + 1, "-" m for 1 - m, and "01"
  // (no sign) for offset 0.
  static std::optional<int> ShownOffset(const std::string& s) {
    const char sign = s.front();
    const auto m = ParseNumber(sign == '+' || sign == '-' ? s.substr(1) : s, 16);
    if (!m || *m > 0x100) return std::nullopt;
    if (sign == '+') return static_cast<int>(*m) + 1;
    if (sign == '-') return 1 - static_cast<int>(*m);
    return *m == 1 ? std::optional<int>(0) : std::nullopt;
  }

  void LongJump(const std::string& name, uint16_t bits, std::vector<std::string> ops) {
    if (!ops.empty() && ops.back().size() > 1 && ops.back().front() == '=') ops.pop_back();
    if (ops.size() != 1) {
      Error(name + " needs one target: a label or an address");
      return;
    }
    fixups_.push_back({Fixup::Kind::Long, pc_, ops[0], line_, bits, std::nullopt});
    Emit(0x001);
    Emit(bits);
  }

  // ----- Peripheral words -----

  void PeripheralWord(const std::string& name, std::vector<std::string> ops) {
    const auto& table = PeripheralMnemonics();
    const auto it = table.find(name);
    const std::string who = "peripheral " + std::to_string(mode_);
    if (it == table.end()) {
      if (CpuMnemonics().count(name)) {
        Error("'" + name + "' while " + who +
              " has control: end the peripheral words with RTNUT (or a .word with bit 0 set)");
      } else {
        Error("unknown mnemonic '" + name + "'");
      }
      return;
    }
    const PeripheralMnemonic& m = it->second;
    const bool printer = mode_ == kPrinter;
    if ((m.owner == Owner::Printer && !printer) || (m.owner == Owner::Others && printer)) {
      Error("'" + name + "' is not a word of " + who);
      return;
    }
    bool handBack = false;
    if (!ops.empty() && Upper(ops.back()) == "RTNUT" && name != "RTNUT") {
      handBack = true;
      ops.pop_back();
    }
    uint16_t word = m.bits;
    if (m.kind == PeripheralKind::Fixed) {
      if (!NoOperand(name, ops)) return;
    } else if (m.kind == PeripheralKind::Flag) {
      const auto d = OneValue(name, ops, 16, 7, "a flag 0..7");
      if (!d) return;
      word = static_cast<uint16_t>(word | *d << 6);
    } else {
      const auto n = OneValue(name, ops, 16, 0x7F, "a value 00..7F (hexadecimal)");
      if (!n) return;
      word = static_cast<uint16_t>(word | *n << 3);
    }
    if (handBack) word |= 1;
    Emit(word);
    if (word & 1) mode_ = kCpuMode;
  }

  // ----- Labels, after the last line -----

  std::optional<uint32_t> Target(const Fixup& f) {
    if (auto it = labelIndex_.find(f.target); it != labelIndex_.end())
      return program_.labels[it->second].address;
    const auto v = ParseNumber(f.target, 16);
    if (v && *v <= 0xFFFF) return v;
    if (IsLabelName(f.target) && !v) {
      Error("undefined label '" + f.target + "'", f.line);
    } else {
      Error("'" + f.target + "' is not a label or an address 0000..FFFF", f.line);
    }
    return std::nullopt;
  }

  void Resolve(const Fixup& f) {
    const auto target = Target(f);
    if (!target) return;
    switch (f.kind) {
      case Fixup::Kind::Relative: {
        // Relative to the jump word itself; the CPU wraps at 16 bits.
        const int offset = static_cast<int16_t>(static_cast<uint16_t>(*target - f.address));
        if (offset < -64 || offset > 63) {
          Error("jump target " + Hex(*target, 4) + " is " + std::to_string(offset) +
                    " words away; a relative jump reaches -64..+63 (use GOLC/GOLNC)",
                f.line);
          return;
        }
        if (f.shownOffset && *f.shownOffset != offset) {
          Error("the offset does not match target " + Hex(*target, 4), f.line);
          return;
        }
        Patch(f.address, static_cast<uint16_t>((offset & 0x7F) << 3 | f.bits), f.line);
        break;
      }
      case Fixup::Kind::Long:
        Patch(f.address, static_cast<uint16_t>((*target & 0xFF) << 2 | 1), f.line);
        Patch(f.address + 1, static_cast<uint16_t>((*target >> 8) << 2 | f.bits), f.line);
        break;
      case Fixup::Kind::Ldi:
      case Fixup::Kind::Word:
        if (*target > 0x3FF) {
          Error("'" + f.target + "' is " + Hex(*target, 4) + ", beyond a word's 3FF", f.line);
          return;
        }
        Patch(f.address, static_cast<uint16_t>(*target), f.line);
        break;
    }
  }

  // Fills a word reserved for a label, unless another line's word held that address first.
  void Patch(uint32_t address, uint16_t word, int line) {
    const auto it = owner_.find(address);
    if (it != owner_.end() && it->second == line) program_.words[address] = word;
  }

  Program program_;
  std::string file_;
  int line_ = 0;
  uint32_t pc_ = 0;
  uint32_t lineStart_ = 0;
  size_t lineWords_ = 0;
  bool pastEnd_ = false;
  int mode_ = kCpuMode;
  std::map<uint32_t, int> owner_;  // address -> the line whose word it holds
  std::unordered_map<std::string, size_t> labelIndex_;
  std::vector<Fixup> fixups_;
  std::vector<std::pair<int, std::string>> errors_;
};

// Appends 10-bit words packed in 5-byte groups of 4.
void Pack(const std::vector<uint16_t>& words, bool msbFirst, std::string& out) {
  for (size_t g = 0; g < words.size(); g += 4) {
    uint16_t w[4] = {};
    for (size_t k = 0; k < 4 && g + k < words.size(); ++k) w[k] = words[g + k] & 0x3FF;
    uint8_t b[5];
    if (msbFirst) {
      b[0] = static_cast<uint8_t>(w[0] >> 2);
      b[1] = static_cast<uint8_t>((w[0] & 0x03) << 6 | w[1] >> 4);
      b[2] = static_cast<uint8_t>((w[1] & 0x0F) << 4 | w[2] >> 6);
      b[3] = static_cast<uint8_t>((w[2] & 0x3F) << 2 | w[3] >> 8);
      b[4] = static_cast<uint8_t>(w[3] & 0xFF);
    } else {
      b[0] = static_cast<uint8_t>(w[0] & 0xFF);
      b[1] = static_cast<uint8_t>(w[0] >> 8 | (w[1] & 0x3F) << 2);
      b[2] = static_cast<uint8_t>(w[1] >> 6 | (w[2] & 0x0F) << 4);
      b[3] = static_cast<uint8_t>(w[2] >> 4 | (w[3] & 0x03) << 6);
      b[4] = static_cast<uint8_t>(w[3] >> 2);
    }
    out.append(reinterpret_cast<const char*>(b), 5);
  }
}

}  // namespace

Program Assemble(std::string_view source, const std::string& fileName) {
  return Assembler(source, fileName).Run();
}

ImageFormat FormatFor(const std::string& path, bool packed) {
  if (path.size() >= 4 && Upper(path.substr(path.size() - 4)) == ".R41") return ImageFormat::R41;
  return packed ? ImageFormat::PackedLsbFirst : ImageFormat::Words16;
}

bool BuildImage(const Program& program, ImageFormat format, Image& image, std::string& error) {
  if (program.words.empty()) {
    error = "the source holds no words";
    return false;
  }
  image.firstPage = program.words.begin()->first / kPageWords;
  image.pages = program.words.rbegin()->first / kPageWords - image.firstPage + 1;
  std::vector<uint16_t> words(image.pages * kPageWords, 0);
  for (const auto& [address, word] : program.words)
    words[address - image.firstPage * kPageWords] = word;

  image.bytes.clear();
  switch (format) {
    case ImageFormat::Words16:
      for (uint16_t w : words) {
        image.bytes += static_cast<char>(w >> 8);
        image.bytes += static_cast<char>(w & 0xFF);
      }
      break;
    case ImageFormat::R41:
      image.bytes.assign(32, '\0');
      Pack(words, true, image.bytes);
      break;
    case ImageFormat::PackedLsbFirst:
      Pack(words, false, image.bytes);
      // The loader takes any file of a multiple of 8192 bytes for two-byte words.
      if (image.bytes.size() % 8192 == 0) {
        error = "a packed image of " + std::to_string(image.pages) +
                " pages would be read as two-byte words: write it as .R41 or unpacked";
        return false;
      }
      break;
  }
  return true;
}

std::string ListingText(const Program& program) {
  std::string out;
  for (const ListedLine& l : program.listing) {
    // Address and up to two words a line; longer texts continue on lines of their own.
    for (size_t k = 0; k == 0 || k < l.words.size(); k += 2) {
      std::string text = l.words.empty() ? "    " : Hex(l.address + static_cast<uint32_t>(k), 4);
      // Appended piece by piece: no temporary strings built from a character array.
      for (size_t j = k; j < k + 2; ++j) {
        if (j < l.words.size()) {
          text += ' ';
          text += Hex(l.words[j], 3);
        } else {
          text += "    ";
        }
      }
      if (k == 0) {
        char number[16];
        std::snprintf(number, sizeof number, "  %5d  ", l.line);
        text += number;
        text += program.lines[l.line - 1];
      }
      while (!text.empty() && text.back() == ' ') text.pop_back();
      out += text + '\n';
    }
  }
  return out;
}

std::string SymbolText(const Program& program) {
  std::string out;
  for (const Label& l : program.labels) out += "=" + l.name + " EQU " + Hex(l.address, 4) + "H\n";
  return out;
}

}  // namespace nutasm
