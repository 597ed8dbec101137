#include "debugger/Symbols.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

#include "host/HexDigit.h"
#include "host/Host.h"
#include "host/Trim.h"

std::vector<Symbol> SymbolTable;
bool SymbolTableLoaded = false;

namespace {


// A hexadecimal number of up to 32 bits, without sign or prefix.
bool ParseHex(std::string_view s, int32_t& value) {
  if (s.empty()) return false;
  uint64_t v = 0;
  for (char c : s) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return false;
    v = v * 16 + digit;
    if (v > 0xFFFFFFFFu) return false;
  }
  value = static_cast<int32_t>(static_cast<uint32_t>(v));
  return true;
}

// A kept line is "=name EQU value" plus one closing character, which is dropped unread. A value
// that is not hexadecimal drops the line.
void ParseLine(std::string_view line) {
  const std::string_view s = Trim(line);
  if (s.empty() || s.front() != '=') return;
  const size_t p = s.find("EQU");
  if (p == std::string_view::npos) return;
  std::string_view value = Trim(s.substr(p + 3));
  if (value.empty()) return;
  value.remove_suffix(1);
  int32_t address;
  if (!ParseHex(value, address)) return;
  SymbolTable.push_back({std::string(Trim(s.substr(0, p))), address});
}

}  // namespace

void ParseSymbols(const std::string& content) {
  SymbolTable.clear();
  SymbolTableLoaded = true;
  // CR LF, LF and a lone CR all end a line.
  std::string_view rest(content);
  while (!rest.empty()) {
    const size_t end = rest.find_first_of("\r\n");
    ParseLine(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
}

void LoadSymbols() {
  SymbolTable.clear();
  SymbolTableLoaded = false;
  const std::string path = TheHost().HomeDir() + "Entries.A";
  // Anything but a regular file (a folder, a device, a pipe) counts as no symbol file.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return;
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ParseSymbols(content);
}

const std::string* LookupSymbol(int32_t address) {
  for (const Symbol& symbol : SymbolTable) {
    if (symbol.address == address) return &symbol.name;
  }
  return nullptr;
}
