#include "debugger/Breakpoints.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "cpu/Cpu.h"
#include "debugger/DebugFields.h"
#include "debugger/Symbols.h"
#include "debugger/WatchKinds.h"
#include "host/HexDigit.h"
#include "host/Host.h"
#include "host/ReplaceFile.h"
#include "host/Trim.h"
#include "memory/Rom.h"

BreakSet Breaks;

namespace {

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

// A hexadecimal number of at most 16 digits, "0x" allowed.
bool ParseHexNumber(std::string_view s, uint64_t& value) {
  s = Trim(s);
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
  if (s.empty() || s.size() > 16) return false;
  value = 0;
  for (char c : s) {
    const int d = HexDigitValue(c);
    if (d < 0) return false;
    value = value << 4 | static_cast<uint64_t>(d);
  }
  return true;
}

bool ParseDecimal(std::string_view s, uint32_t& value) {
  s = Trim(s);
  if (s.empty() || s.size() > 9) return false;
  value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  return true;
}

struct FieldName {
  const char* name;
  Condition::Field field;
  bool digits;  // takes a [hi:lo] digit range
  int top;      // highest digit
};
constexpr FieldName kFields[] = {
    {"A", Condition::Field::A, true, 13},      {"B", Condition::Field::B, true, 13},
    {"C", Condition::Field::C, true, 13},      {"M", Condition::Field::M, true, 13},
    {"N", Condition::Field::N, true, 13},      {"ST", Condition::Field::ST, true, 13},
    {"P", Condition::Field::P, false, 0},      {"Q", Condition::Field::Q, false, 0},
    {"G", Condition::Field::G, false, 0},      {"FO", Condition::Field::FO, false, 0},
    {"CY", Condition::Field::CY, false, 0},    {"DADD", Condition::Field::DADD, false, 0},
    {"PFAD", Condition::Field::PFAD, false, 0}, {"PC", Condition::Field::PC, false, 0},
    {"BASE", Condition::Field::BASE, false, 0},
};

constexpr const char* kOps[] = {"==", "!=", "<", ">", "<=", ">="};

uint64_t DigitsValue(const uint8_t* digits, int hi, int lo, int bitsPerDigit) {
  uint64_t v = 0;
  for (int i = hi; i >= lo; --i) v = v << bitsPerDigit | (digits[i] & 15);
  return v;
}

// An address by symbol (with or without its leading "=") or in hexadecimal.
bool ResolveAddress(std::string_view text, uint16_t& address) {
  for (const Symbol& s : SymbolTable) {
    if (s.name == text || (s.name.size() == text.size() + 1 && s.name[0] == '=' &&
                           std::string_view(s.name).substr(1) == text)) {
      address = static_cast<uint16_t>(s.address);
      return true;
    }
  }
  uint64_t v;
  if (!ParseHexNumber(text, v) || v > 0xFFFF) return false;
  address = static_cast<uint16_t>(v);
  return true;
}

}  // namespace

std::optional<Condition> Condition::Parse(std::string_view text, std::string& error) {
  Condition c;
  c.text = std::string(Trim(text));
  std::string_view s = c.text;
  // The operator: the first of its characters, two characters when the second is '='.
  const size_t at = s.find_first_of("=!<>");
  if (at == std::string_view::npos) {
    error = "condition '" + c.text + "' has no operator (==, !=, <, >, <=, >=)";
    return std::nullopt;
  }
  const size_t len = (at + 1 < s.size() && s[at + 1] == '=') ? 2 : 1;
  const std::string op(s.substr(at, len));
  bool opFound = false;
  for (int i = 0; i < 6; ++i)
    if (op == kOps[i]) c.op = static_cast<Op>(i), opFound = true;
  std::string lhs = Upper(Trim(s.substr(0, at)));
  if (!opFound || !ParseHexNumber(s.substr(at + len), c.value)) {
    error = "condition '" + c.text + "' is not FIELD OP HEXVALUE";
    return std::nullopt;
  }
  std::string_view range;
  if (const size_t b = lhs.find('['); b != std::string::npos) {
    if (lhs.back() != ']') {
      error = "condition '" + c.text + "': unclosed [";
      return std::nullopt;
    }
    range = std::string_view(lhs).substr(b + 1, lhs.size() - b - 2);
    lhs = std::string(Trim(std::string_view(lhs).substr(0, b)));
  }
  const FieldName* f = nullptr;
  for (const FieldName& candidate : kFields)
    if (lhs == candidate.name) f = &candidate;
  if (!f || (!range.empty() && !f->digits)) {
    error = "condition '" + c.text +
            "': field is one of A B C M N ST (with [hi:lo] or [d]), P Q G FO CY DADD PFAD PC BASE";
    return std::nullopt;
  }
  c.field = f->field;
  if (!range.empty()) {
    const size_t colon = range.find(':');
    uint32_t hi, lo;
    if (!ParseDecimal(range.substr(0, colon), hi) ||
        !ParseDecimal(colon == std::string_view::npos ? range : range.substr(colon + 1), lo) ||
        hi < lo || hi > static_cast<uint32_t>(f->top)) {
      error = "condition '" + c.text + "': digits are [hi:lo] with 13 >= hi >= lo >= 0";
      return std::nullopt;
    }
    c.hi = static_cast<int>(hi);
    c.lo = static_cast<int>(lo);
  }
  return c;
}

uint64_t Condition::Read() const {
  switch (field) {
    case Field::A: return DigitsValue(Cpu.A.data(), hi, lo, 4);
    case Field::B: return DigitsValue(Cpu.B.data(), hi, lo, 4);
    case Field::C: return DigitsValue(Cpu.C.data(), hi, lo, 4);
    case Field::M: return DigitsValue(Cpu.M.data(), hi, lo, 4);
    case Field::N: return DigitsValue(Cpu.N.data(), hi, lo, 4);
    case Field::ST: return DigitsValue(Cpu.ST, hi, lo, 1);
    case Field::P: return Cpu.P;
    case Field::Q: return Cpu.Q;
    case Field::G: return static_cast<uint64_t>((Cpu.G[1] & 15) << 4 | (Cpu.G[0] & 15));
    case Field::FO: return Cpu.FO;
    case Field::CY: return Cpu.Carry;
    case Field::DADD: return static_cast<uint64_t>(Cpu.DAdd);
    case Field::PFAD: return static_cast<uint64_t>(Cpu.PfAd);
    case Field::PC: return Cpu.PC;
    case Field::BASE: return Cpu.Base;
  }
  return 0;
}

bool Condition::Holds() const {
  const uint64_t v = Read();
  switch (op) {
    case Op::Eq: return v == value;
    case Op::Ne: return v != value;
    case Op::Lt: return v < value;
    case Op::Gt: return v > value;
    case Op::Le: return v <= value;
    case Op::Ge: return v >= value;
  }
  return false;
}

std::optional<Breakpoint> Breakpoint::Parse(std::string_view text, std::string& error) {
  Breakpoint b;
  std::string_view s = Trim(text);
  if (const size_t colon = s.find(':'); colon != std::string_view::npos) {
    b.condition = Condition::Parse(s.substr(colon + 1), error);
    if (!b.condition) return std::nullopt;
    s = Trim(s.substr(0, colon));
  }
  if (const size_t star = s.find('*'); star != std::string_view::npos) {
    if (!ParseDecimal(s.substr(star + 1), b.count) || b.count == 0) {
      error = "hit count in '" + std::string(text) + "' is not a number from 1 on";
      return std::nullopt;
    }
    s = Trim(s.substr(0, star));
  }
  if (const size_t at = s.find('@'); at != std::string_view::npos) {
    uint32_t bank;
    if (!ParseDecimal(s.substr(at + 1), bank) || bank > 3) {
      error = "bank in '" + std::string(text) + "' is not 0..3";
      return std::nullopt;
    }
    b.bank = static_cast<int>(bank);
    s = Trim(s.substr(0, at));
  }
  b.where = std::string(s);
  if (!ResolveAddress(s, b.address)) {
    error = "'" + b.where + "' is neither a hexadecimal address nor a symbol of Entries.A";
    return std::nullopt;
  }
  return b;
}

// Appended piece by piece: GCC 12 reports a false -Wrestrict for "x" + std::string.
std::string Breakpoint::Where() const {
  std::string t = where;
  if (bank >= 0) t.append("@").append(std::to_string(bank));
  return t;
}

std::string Breakpoint::Text() const {
  std::string t = Where();
  if (count != 1) t.append("*").append(std::to_string(count));
  if (condition) t.append(":").append(condition->text);
  return t;
}

std::optional<Watchpoint> Watchpoint::Parse(std::string_view text, std::string& error) {
  Watchpoint w;
  const std::string s = Upper(Trim(text));
  std::string_view v = s;
  if (v == "POWOFF") {
    w.kind = Kind::PowerOff;
    return w;
  }
  for (std::string_view prefix : {"SELPF", "SELP"}) {
    if (v.substr(0, prefix.size()) == prefix) {
      uint32_t n;
      if (!ParseDecimal(v.substr(prefix.size()), n) || n > 15) {
        error = "'" + s + "': peripheral number 0..15 expected";
        return std::nullopt;
      }
      w.kind = Kind::Peripheral;
      w.number = static_cast<uint16_t>(n);
      return w;
    }
  }
  if (const size_t colon = v.find(':'); colon != std::string_view::npos) {
    const std::string_view mode = Trim(v.substr(colon + 1));
    if (mode == "R") w.kind = Kind::Read;
    else if (mode == "W") w.kind = Kind::Write;
    else if (mode == "RW") w.kind = Kind::Access;
    else {
      error = "'" + s + "': access is r, w or rw";
      return std::nullopt;
    }
    v = Trim(v.substr(0, colon));
  }
  uint64_t reg;
  if (!ParseHexNumber(v, reg) || reg > 0x3FF) {
    error = "'" + s + "' is neither a RAM register 0..3FF, SELPF n nor POWOFF";
    return std::nullopt;
  }
  w.number = static_cast<uint16_t>(reg);
  return w;
}

std::string Watchpoint::Text() const {
  switch (kind) {
    case Kind::PowerOff: return "POWOFF";
    case Kind::Peripheral: return "SELPF " + std::to_string(number);
    case Kind::Read: return HexDigits(number, 3) + ":r";
    case Kind::Write: return HexDigits(number, 3) + ":w";
    case Kind::Access: return HexDigits(number, 3);
  }
  return {};
}

void BreakSet::Changed() {
  addresses_.reset();
  for (const Breakpoint& b : breaks_)
    if (b.enabled) addresses_[b.address] = true;
  watchedKinds_ = 0;
  for (const Watchpoint& w : watches_) {
    if (!w.enabled) continue;
    switch (w.kind) {
      case Watchpoint::Kind::Read: watchedKinds_ |= kWatchRamRead; break;
      case Watchpoint::Kind::Write: watchedKinds_ |= kWatchRamWrite; break;
      case Watchpoint::Kind::Access: watchedKinds_ |= kWatchRamRead | kWatchRamWrite; break;
      case Watchpoint::Kind::Peripheral: watchedKinds_ |= kWatchSelect; break;
      case Watchpoint::Kind::PowerOff: watchedKinds_ |= kWatchPowoff; break;
    }
  }
  armed_ = addresses_.any() || watchedKinds_ != 0;
}

bool BreakSet::Toggle(uint16_t address) {
  for (auto it = breaks_.begin(); it != breaks_.end(); ++it) {
    if (it->address == address) {
      breaks_.erase(it);
      Changed();
      return HasBreakAt(address);
    }
  }
  Breakpoint b;
  b.address = address;
  if (const std::string* name = LookupSymbol(address)) b.where = *name;
  else b.where = HexDigits(address, 4);
  breaks_.push_back(b);
  Changed();
  return true;
}

bool BreakSet::HasBreakAt(uint16_t address) const {
  for (const Breakpoint& b : breaks_)
    if (b.address == address) return true;
  return false;
}

const Breakpoint* BreakSet::Hit(uint16_t address) {
  const int bank = CurrentBank[address >> 12].load(std::memory_order_relaxed);
  for (Breakpoint& b : breaks_) {
    if (!b.enabled || b.address != address || (b.bank >= 0 && b.bank != bank)) continue;
    if (b.condition && !b.condition->Holds()) continue;
    if (++b.hits >= b.count) return &b;
  }
  return nullptr;
}

void BreakSet::Clear() {
  breaks_.clear();
  watches_.clear();
  Changed();
}

void BreakSet::FromText(std::string_view text, std::vector<std::string>& errors) {
  std::istringstream in{std::string(text)};
  for (std::string raw; std::getline(in, raw);) {
    std::string_view line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    bool enabled = true;
    if (line[0] == '!') {
      enabled = false;
      line = Trim(line.substr(1));
    }
    std::string error;
    if (line.substr(0, 6) == "watch ") {
      if (auto w = Watchpoint::Parse(line.substr(6), error)) {
        w->enabled = enabled;
        watches_.push_back(*w);
        continue;
      }
    } else if (auto b = Breakpoint::Parse(line, error)) {
      b->enabled = enabled;
      breaks_.push_back(*b);
      continue;
    }
    errors.push_back(std::string(line) + ": " + error);
  }
  Changed();
}

std::string BreakSet::ToText() const {
  std::string t;
  for (const Breakpoint& b : breaks_) t.append(b.enabled ? "" : "!").append(b.Text()).append("\n");
  for (const Watchpoint& w : watches_) t += std::string(w.enabled ? "" : "!") + "watch " + w.Text() + "\n";
  return t;
}

namespace {

// What the last LoadBreakFile found that the set cannot hold: comments and lines that did not
// parse, written back unchanged; and whether the file was there but could not be read.
std::vector<std::string> keptLines;
bool fileUnreadable = false;

}  // namespace

std::string BreakFilePath() {
  return TheHost().HomeDir() + TheHost().ProgramName() + ".BRK";
}

std::vector<std::string> LoadBreakFile(std::string* readError) {
  ForgetBreakFile();
  Breaks.Clear();
  std::vector<std::string> errors;
  const std::string path = BreakFilePath();
  struct stat st {};
  int why = ::stat(path.c_str(), &st) == 0 ? 0 : errno;
  if (why == ENOENT) return errors;
  std::ifstream in;
  std::ostringstream text;
  // A folder, a device or a pipe in its place cannot be read (or never ends, or blocks).
  if (why == 0 && !S_ISREG(st.st_mode)) why = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  if (why == 0) {
    errno = 0;
    in.open(path, std::ios::binary);
    if (in) text << in.rdbuf();
    if (!in.is_open() || in.bad()) why = errno ? errno : EIO;
  }
  if (why != 0) {
    fileUnreadable = true;
    if (readError) *readError = WithReason("Cannot read breakpoints: " + path, why);
    return errors;
  }
  std::istringstream lines(text.str());
  for (std::string raw; std::getline(lines, raw);) {
    const std::string_view line = Trim(raw);
    if (line.empty()) continue;
    const size_t before = errors.size();
    if (line[0] != '#') Breaks.FromText(line, errors);
    if (line[0] == '#' || errors.size() > before) keptLines.emplace_back(line);
  }
  return errors;
}

bool SaveBreakFile(std::string& error) {
  const std::string path = BreakFilePath();
  std::string text;
  for (const std::string& line : keptLines) text.append(line).append("\n");
  text += Breaks.ToText();
  if (fileUnreadable) {
    if (Breaks.ToText().empty()) return true;  // nothing of this session to lose
    error = "Cannot save breakpoints: " + path + ": it could not be read at start-up and is kept";
    return false;
  }
  if (text.empty()) {
    // Nothing to keep: no file rather than an empty one.
    if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
      error = WithReason("Cannot save breakpoints: " + path, errno);
      return false;
    }
    return true;
  }
  if (!ReplaceFile(path, text)) {
    error = WithReason("Cannot save breakpoints: " + path, errno);
    return false;
  }
  return true;
}

void ForgetBreakFile() {
  keptLines.clear();
  fileUnreadable = false;
}
