#include "tools/nutasm/Assembler.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
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

// A path without "." and "dir/.." steps, so that one file has one name.
std::string Normal(const std::string& path) {
  return std::filesystem::path(path).lexically_normal().string();
}

std::vector<std::string> SplitLines(std::string_view source) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= source.size()) {
    size_t end = source.find('\n', start);
    if (end == std::string_view::npos) end = source.size();
    std::string_view line = source.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = end + 1;
    if (end == source.size()) break;
  }
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

// An address or word operand: a label or number, optionally followed by +N or -N (hexadecimal).
struct Operand {
  std::string base;
  int64_t offset = 0;
};
Operand SplitOffset(const std::string& text) {
  const size_t sign = text.find_last_of("+-");
  if (sign == std::string::npos || sign == 0) return {text, 0};
  const auto n = ParseNumber(std::string_view(text).substr(sign + 1), 16);
  if (!n) return {text, 0};
  return {text.substr(0, sign), text[sign] == '-' ? -int64_t{*n} : int64_t{*n}};
}
// A hexadecimal number with an optional offset, as .org, LDI and .word take it.
std::optional<uint32_t> ParseHexSum(const std::string& text) {
  const Operand o = SplitOffset(text);
  const auto v = ParseNumber(o.base, 16);
  if (!v) return std::nullopt;
  const int64_t sum = int64_t{*v} + o.offset;
  if (sum < 0 || sum > 0xFFFFFFFF) return std::nullopt;
  return static_cast<uint32_t>(sum);
}

struct Fixup {
  enum class Kind { Relative, Long, Ldi, Word } kind;
  uint32_t address;    // of the (first) word to patch
  std::string target;  // a label or a hexadecimal address, either with an optional +N/-N
  size_t at;           // the source line, as an index into the listing
  uint16_t bits;       // condition bits of the jump
  std::optional<int> shownOffset;  // the disassembler's offset text, when the source gave it
};

class Assembler {
 public:
  explicit Assembler(const FileReader& read) : read_(read) {}

  Program Run(const std::string& name, std::string_view source) {
    program_.files.push_back({name, SplitLines(source)});
    RunFile(0);
    Finish();
    return std::move(program_);
  }

  // A program whose top file could not be read: only the error.
  Program Unreadable(const std::string& path, const std::string& why) {
    program_.files.push_back({path, {}});
    Error("cannot read '" + path + "': " + why, kNowhere);
    Finish();
    return std::move(program_);
  }

 private:
  static constexpr size_t kNowhere = static_cast<size_t>(-1);

  struct Equ {
    std::string text;
    size_t at;
  };

  void RunFile(size_t file) {
    stack_.push_back(file);
    for (size_t i = 0; i < program_.files[file].lines.size(); ++i) {
      // A copy: an include below adds files, which may move the lines.
      const std::string text = program_.files[file].lines[i];
      at_ = program_.listing.size();
      program_.listing.push_back({static_cast<int>(i) + 1, pc_, {}, file});
      lineStart_ = pc_;
      lineWords_ = 0;
      include_.reset();
      DoLine(text);
      program_.listing[at_].address = lineStart_;
      program_.listing[at_].words.resize(lineWords_);
      if (include_) Include(*include_);
    }
    stack_.pop_back();
  }

  void Include(const std::string& name) {
    const std::filesystem::path folder =
        std::filesystem::path(program_.files[stack_.back()].name).parent_path();
    const std::string path = (folder / name).lexically_normal().string();
    for (size_t k = 0; k < stack_.size(); ++k) {
      if (Normal(program_.files[stack_[k]].name) != path) continue;
      std::string chain;
      for (size_t j = k; j < stack_.size(); ++j) chain += program_.files[stack_[j]].name + " -> ";
      Error("include cycle: " + chain + path);
      return;
    }
    std::string text, why;
    if (!read_(path, text, why)) {
      Error("cannot read '" + path + "': " + why);
      return;
    }
    program_.files.push_back({path, SplitLines(text)});
    RunFile(program_.files.size() - 1);
  }

  void Finish() {
    filledPages_.clear();
    for (const auto& [address, word] : program_.words) filledPages_.insert(address / kPageWords);
    for (const Fixup& f : fixups_) Resolve(f);
    for (ListedLine& l : program_.listing) {
      for (size_t k = 0; k < l.words.size(); ++k) {
        const auto w = program_.words.find(l.address + static_cast<uint32_t>(k));
        l.words[k] = w == program_.words.end() ? 0 : w->second;
      }
    }
    std::stable_sort(errors_.begin(), errors_.end(), [](const auto& a, const auto& b) {
      return a.first + 1 < b.first + 1;  // kNowhere first
    });
    for (auto& [at, message] : errors_)
      program_.errors.push_back(at == kNowhere ? message : Place(at) + ": " + message);
  }

  // "file:line" of a source line.
  std::string Place(size_t at) const {
    const ListedLine& l = program_.listing[at];
    return program_.files[l.file].name + ":" + std::to_string(l.line);
  }
  // Another source line as a message on the current line names it: "line 3" in the same file,
  // "power.asm:3" in another.
  std::string LineRef(size_t other) const {
    const ListedLine& l = program_.listing[other];
    if (l.file == program_.listing[at_].file) return "line " + std::to_string(l.line);
    return Place(other);
  }

  void Error(const std::string& message, size_t at) { errors_.emplace_back(at, message); }
  void Error(const std::string& message) { Error(message, at_); }

  void DoLine(std::string_view raw) {
    std::string_view text = Trim(StripComment(raw), IsBlank);
    if (text.empty()) return;
    const std::vector<std::string> words = SplitBlanks(text);
    if (words.size() >= 2 && Upper(words[1]) == ".EQU") {
      DefineEqu(words);
      return;
    }
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
      PeripheralWord(name, Substitute(tokens));
    } else {
      Instruction(name, tokens);
    }
  }

  static bool IsMnemonic(const std::string& name) {
    const std::string upper = Upper(name);
    return CpuMnemonics().count(upper) || PeripheralMnemonics().count(upper);
  }

  void DefineLabel(const std::string& name) {
    if (name.find("EQU") != std::string::npos) {
      Error("label '" + name + "' contains EQU, which the symbol file cannot hold");
      return;
    }
    if (auto it = labelIndex_.find(name); it != labelIndex_.end()) {
      Error("label '" + name + "' is already defined on " + LineRef(labelAt_[it->second]));
      return;
    }
    if (auto it = equs_.find(name); it != equs_.end()) {
      Error("'" + name + "' is already a constant, defined on " + LineRef(it->second.at));
      return;
    }
    labelIndex_[name] = program_.labels.size();
    labelAt_.push_back(at_);
    program_.labels.push_back({name, pc_, program_.listing[at_].line, program_.listing[at_].file});
  }

  // NAME .equ TEXT: NAME stands for TEXT wherever an operand follows.
  void DefineEqu(const std::vector<std::string>& words) {
    const std::string& name = words[0];
    if (words.size() != 3) {
      Error(".equ needs one value: NAME .equ TEXT");
      return;
    }
    if (!IsLabelName(name)) {
      Error("'" + name + "' cannot name a constant: a letter or _, then letters, digits, _ or .");
      return;
    }
    if (IsMnemonic(name)) {
      Error("'" + name + "' is a mnemonic; it cannot name a constant");
      return;
    }
    if (auto it = equs_.find(name); it != equs_.end()) {
      Error("constant '" + name + "' is already defined on " + LineRef(it->second.at));
      return;
    }
    if (auto it = labelIndex_.find(name); it != labelIndex_.end()) {
      Error("'" + name + "' is already a label, defined on " + LineRef(labelAt_[it->second]));
      return;
    }
    const std::string text = Substitute(words[2]);
    if (auto use = firstUse_.find(name); use != firstUse_.end()) {
      // The first use already failed, or worse, read the name as a number: one message there.
      const std::string quoted = "'" + name + "'";
      std::erase_if(errors_, [&](const auto& e) {
        return e.first == use->second && e.second.find(quoted) != std::string::npos;
      });
      const size_t here = at_;
      at_ = use->second;
      Error(quoted + " is used before its .equ on " + LineRef(here));
      at_ = here;
    }
    equs_[name] = {text, at_};
  }

  // An operand with a constant's name, alone or with +N/-N, becomes the constant's text.
  std::string Substitute(const std::string& token) {
    const Operand o = SplitOffset(token);
    if (!IsLabelName(o.base)) return token;
    if (const auto it = equs_.find(o.base); it != equs_.end())
      return it->second.text + token.substr(o.base.size());
    firstUse_.emplace(o.base, at_);
    return token;
  }
  std::vector<std::string> Substitute(std::vector<std::string> tokens) {
    for (std::string& t : tokens) t = Substitute(t);
    return tokens;
  }

  // Stores a word at the current address; false if it cannot go there.
  bool Emit(uint16_t word) {
    if (pc_ > 0xFFFF) {
      if (!pastEnd_) Error("the address runs past FFFF");
      pastEnd_ = true;
      return false;
    }
    auto [it, fresh] = owner_.emplace(pc_, at_);
    if (!fresh) {
      Error("address " + Hex(pc_, 4) + " already holds a word from " + LineRef(it->second));
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
      const auto tokens = Substitute(SplitBlanks(rest));
      const auto value = tokens.size() == 1 ? ParseHexSum(tokens[0]) : std::nullopt;
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
    } else if (name == ".INCLUDE") {
      if (rest.size() < 3 || rest.front() != '"' || rest.back() != '"') {
        Error(".include needs a file name in double quotes");
        return;
      }
      include_ = std::string(rest.substr(1, rest.size() - 2));
    } else if (name == ".EQU") {
      Error(".equ goes after the name it defines: NAME .equ TEXT");
    } else {
      Error("unknown directive '" + std::string(text.substr(0, end)) + "'");
    }
  }

  void Words(std::string_view rest) {
    std::string list(rest);
    std::replace(list.begin(), list.end(), ',', ' ');
    const auto tokens = Substitute(SplitBlanks(list));
    if (tokens.empty()) Error(".word needs at least one value");
    for (const std::string& t : tokens) {
      // While a peripheral has control, bit 0 of each word must be known here: numbers only.
      if (IsLabelName(SplitOffset(t).base) && mode_ == kCpuMode) {
        fixups_.push_back({Fixup::Kind::Word, pc_, t, at_, 0, std::nullopt});
        Emit(0);
        continue;
      }
      const auto value = ParseHexSum(t);
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

  void Instruction(const std::string& name, std::vector<std::string> ops) {
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
    if (m.kind != Kind::Field) ops = Substitute(std::move(ops));  // a field is never a constant
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
    if (IsLabelName(SplitOffset(ops[0]).base)) {
      fixups_.push_back({Fixup::Kind::Ldi, pc_, ops[0], at_, 0, std::nullopt});
      Emit(0);
      return;
    }
    const auto v = ParseHexSum(ops[0]);
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
    fixups_.push_back({Fixup::Kind::Relative, pc_, ops[0], at_, bits, shown});
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
    fixups_.push_back({Fixup::Kind::Long, pc_, ops[0], at_, bits, std::nullopt});
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
    const Operand o = SplitOffset(f.target);
    std::optional<uint32_t> base;
    if (auto it = labelIndex_.find(o.base); it != labelIndex_.end()) {
      base = program_.labels[it->second].address;
    } else if (equs_.count(o.base)) {
      return std::nullopt;  // used before its .equ: reported there
    } else {
      base = ParseNumber(o.base, 16);
      if (!base && IsLabelName(o.base)) {
        Error("undefined label '" + o.base + "'", f.at);
        return std::nullopt;
      }
    }
    const int64_t sum = base ? int64_t{*base} + o.offset : -1;
    if (sum < 0 || sum > 0xFFFF) {
      Error("'" + f.target + "' is not a label or an address 0000..FFFF", f.at);
      return std::nullopt;
    }
    return static_cast<uint32_t>(sum);
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
                f.at);
          return;
        }
        // Pages are loaded and banked one by one: the next page may hold anything.
        if (*target / kPageWords != f.address / kPageWords) {
          Error("jump target " + Hex(*target, 4) + " is in page " + Hex(*target / kPageWords, 1) +
                    ", the jump in page " + Hex(f.address / kPageWords, 1) +
                    "; a relative jump stays in its page (use GOLC/GOLNC)",
                f.at);
          return;
        }
        if (f.shownOffset && *f.shownOffset != offset) {
          Error("the offset does not match target " + Hex(*target, 4), f.at);
          return;
        }
        Patch(f.address, static_cast<uint16_t>((offset & 0x7F) << 3 | f.bits), f.at);
        break;
      }
      case Fixup::Kind::Long: {
        // A target in a page of this program must hold code; other pages are other modules'.
        const bool call = (f.bits & 2) == 0;
        const auto word = program_.words.find(*target);
        if (filledPages_.count(*target / kPageWords) && word == program_.words.end()) {
          Error("target " + Hex(*target, 4) + " holds no word, in a page this program fills" +
                    (call ? ": a call there does nothing" : ""),
                f.at);
          return;
        }
        // The CPU skips a call to a zero word.
        if (call && word != program_.words.end() && word->second == 0) {
          Error("target " + Hex(*target, 4) + " holds the word 000: a call there does nothing",
                f.at);
          return;
        }
        Patch(f.address, static_cast<uint16_t>((*target & 0xFF) << 2 | 1), f.at);
        Patch(f.address + 1, static_cast<uint16_t>((*target >> 8) << 2 | f.bits), f.at);
        break;
      }
      case Fixup::Kind::Ldi:
      case Fixup::Kind::Word:
        if (*target > 0x3FF) {
          Error("'" + f.target + "' is " + Hex(*target, 4) + ", beyond a word's 3FF", f.at);
          return;
        }
        Patch(f.address, static_cast<uint16_t>(*target), f.at);
        break;
    }
  }

  // Fills a word reserved for a label, unless another line's word held that address first.
  void Patch(uint32_t address, uint16_t word, size_t at) {
    const auto it = owner_.find(address);
    if (it != owner_.end() && it->second == at) program_.words[address] = word;
  }

  const FileReader& read_;
  Program program_;
  std::vector<size_t> stack_;  // the files being read, the top file first
  size_t at_ = 0;              // the current line's index into the listing
  std::optional<std::string> include_;
  uint32_t pc_ = 0;
  uint32_t lineStart_ = 0;
  size_t lineWords_ = 0;
  bool pastEnd_ = false;
  int mode_ = kCpuMode;
  std::map<uint32_t, size_t> owner_;  // address -> the line whose word it holds
  std::unordered_map<std::string, size_t> labelIndex_;
  std::vector<size_t> labelAt_;  // the line of each label
  std::unordered_map<std::string, Equ> equs_;
  std::unordered_map<std::string, size_t> firstUse_;  // names used before a .equ defined them
  std::set<uint32_t> filledPages_;
  std::vector<Fixup> fixups_;
  std::vector<std::pair<size_t, std::string>> errors_;
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

bool ReadSourceFile(const std::string& path, std::string& text, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = std::strerror(errno);
    return false;
  }
  text.clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  const int reason = std::ferror(f) ? (errno ? errno : EIO) : 0;  // a folder opens, not reads
  std::fclose(f);
  if (reason) error = std::strerror(reason);
  return reason == 0;
}

Program Assemble(std::string_view source, const std::string& fileName, const FileReader& read) {
  return Assembler(read).Run(fileName, source);
}

Program AssembleFile(const std::string& path, const FileReader& read) {
  std::string text, why;
  if (!read(path, text, why)) return Assembler(read).Unreadable(path, why);
  return Assembler(read).Run(path, text);
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
  // Files are named from the top file's folder.
  const std::filesystem::path top =
      std::filesystem::path(Normal(program.files.front().name)).parent_path();
  std::string out;
  size_t file = program.files.size();  // none yet
  for (const ListedLine& l : program.listing) {
    if (program.files.size() > 1 && l.file != file) {
      const std::string name = Normal(program.files[l.file].name);
      out += "; FILE " +
             (top.empty() ? name : std::filesystem::path(name).lexically_relative(top).string()) +
             "\n";
    }
    file = l.file;
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
        text += program.files[l.file].lines[l.line - 1];
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
