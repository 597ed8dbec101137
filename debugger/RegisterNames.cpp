#include "debugger/RegisterNames.h"

#include "debugger/Breakpoints.h"
#include "debugger/Debug.h"
#include "debugger/DebugFields.h"
#include "debugger/EditParse.h"
#include "memory/Ram.h"

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (up(a[i]) != up(b[i])) return false;
  }
  return true;
}

// The status registers 0..9 that the disassembler names T Z Y X L M N O P Q; the names of 10..15
// are not taken, since "a" to "e" read as hexadecimal numbers.
std::optional<int> StatusRegister(std::string_view name) {
  for (int n = 0; n < 10; ++n)
    if (SameLetters(name, RegisterName[n])) return n;
  return std::nullopt;
}

}  // namespace

std::optional<NamedRegister> FindRegister(std::string_view name, std::string& error) {
  NamedRegister r;
  if (name.size() > 2 && SameLetters(name.substr(0, 2), "R:")) {
    const std::string_view number = name.substr(2);
    if (const auto n = StatusRegister(number)) {
      r.ram = *n;
      return r;
    }
    // A plain watchpoint is the debugger's way of naming a RAM register by its number.
    std::string ignored;
    const auto w = number.find(':') == std::string_view::npos ? Watchpoint::Parse(number, ignored)
                                                              : std::nullopt;
    if (w && w->kind == Watchpoint::Kind::Access) {
      r.ram = w->number;
      return r;
    }
    // Named first: "'" + std::string(...) trips a false -Wrestrict of GCC 12 at -O3.
    const std::string text(name);
    error = "'" + text + "' names no RAM register (R:0 to R:3FF, or R:X, R:Y ...)";
    return std::nullopt;
  }
  for (int i = 0; i < kDebugFieldCount; ++i) {
    const std::string_view label = DebugFields[i].label;
    if (SameLetters(name, label.substr(0, label.size() - 1))) {
      r.field = i;
      return r;
    }
  }
  error = "unknown register '" + std::string(name) + "'";
  return std::nullopt;
}

bool RegisterExists(const NamedRegister& r, std::string& error) {
  if (r.ram < 0 || RamExists[r.ram]) return true;
  error = "RAM register " + HexDigits(static_cast<uint32_t>(r.ram), 3) + " does not exist";
  return false;
}

std::string ShowRegister(const NamedRegister& r) {
  return r.ram >= 0 ? RamRegisterText(r.ram) : DebugFields[r.field].show();
}

bool SetRegister(const NamedRegister& r, std::string_view value, std::string& error) {
  if (!RegisterExists(r, error)) return false;
  const bool ok = r.ram >= 0 ? ParseDigitGroups(value, RamRegisters[r.ram])
                             : DebugFields[r.field].commit(value);
  if (!ok) {
    const std::string text(value);
    error = "'" + text + "' is no value for this register (hexadecimal digits)";
  }
  return ok;
}
