// The symbol file: any text as Entries.A. Every kept entry comes from a line of the form
// "=NAME EQU value" and is found again by its address.

#include "debugger/Symbols.h"

#include <string>

#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Home();
  const std::string text(reinterpret_cast<const char*>(data), size);
  ParseSymbols(text);
  FUZZ_CHECK(SymbolTableLoaded);
  size_t equs = 0;
  for (size_t at = text.find("EQU"); at != std::string::npos; at = text.find("EQU", at + 1)) ++equs;
  FUZZ_CHECK(SymbolTable.size() <= equs);
  for (const Symbol& s : SymbolTable) {
    FUZZ_CHECK(!s.name.empty() && s.name[0] == '=');
    FUZZ_CHECK(s.name.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(text.find(s.name) != std::string::npos);
    const std::string* found = LookupSymbol(s.address);
    FUZZ_CHECK(found != nullptr);
  }
  // The same table from a file.
  WriteFile(Home().dir + "Entries.A", text);
  const auto table = SymbolTable;
  LoadSymbols();
  FUZZ_CHECK(SymbolTable.size() == table.size());
  for (size_t i = 0; i < table.size(); ++i) {
    FUZZ_CHECK(SymbolTable[i].name == table[i].name);
    FUZZ_CHECK(SymbolTable[i].address == table[i].address);
  }
  return 0;
}
