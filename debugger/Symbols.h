#pragma once
// The symbol file "Entries.A": names for ROM addresses, shown after jump and call targets.

#include <cstdint>
#include <string>
#include <vector>

struct Symbol {
  std::string name;
  int32_t address;
};

// Empty and absent when the file does not exist.
extern std::vector<Symbol> SymbolTable;
extern bool SymbolTableLoaded;

// Reads HomeDir() + "Entries.A".
void LoadSymbols();
// Parses the lines of a symbol file into SymbolTable (file-free, for tests).
void ParseSymbols(const std::string& content);
// The name of the first entry with this address, or nullptr.
const std::string* LookupSymbol(int32_t address);
