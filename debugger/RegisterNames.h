#pragma once
// Registers named as the debugger labels them, for reading and writing from a command line:
// a field's label without its "=" (PC, A, ST, Cy, DAdd, CLA, SR, ...; any case), or a RAM
// register as "R:" and its number in hexadecimal as the memory list and watchpoints write it
// (R:0FF), or "R:" and a status register's name (R:X, R:Y, R:Z, R:T, R:L, R:M ... R:Q).

#include <optional>
#include <string>
#include <string_view>

struct NamedRegister {
  int field = -1;  // index into DebugFields, or -1
  int ram = -1;    // RAM register number, or -1
};

// nullopt, with the reason in error, for a name that names no register.
std::optional<NamedRegister> FindRegister(std::string_view name, std::string& error);
// False, with the reason, for a RAM register that does not exist now.
bool RegisterExists(const NamedRegister& r, std::string& error);
// The value as the debugger shows it (hexadecimal digits, 14 for a digit register).
std::string ShowRegister(const NamedRegister& r);
// Writes a value typed as in the debugger's field (or memory list); false, with the reason, when
// it does not parse or the RAM register does not exist.
bool SetRegister(const NamedRegister& r, std::string_view value, std::string& error);
