#pragma once
// The debugger's register fields: what each shows and how a typed text is written back. Shared
// by the window and by the runner's register report.

#include <array>
#include <string>
#include <string_view>
#include <vector>

// Upper-case hexadecimal with at least minDigits digits.
std::string HexDigits(uint32_t value, int minDigits);

// ----- The register fields: what each shows and how its text is written back -----

// What is redisplayed after a field has been committed.
enum class AfterEdit {
  Field,     // the field itself
  CodeLine,  // only the code line (PC, OP and the disassembly)
  Display,   // the calculator's display is redrawn, then the field
};

struct DebugField {
  const char* name;   // component name, "PCEdit"
  const char* label;  // "PC="
  int x, y, width;
  int tab;  // position in the tab order
  // The current value as the field shows it.
  std::string (*show)();
  // Writes a typed text back, reduced into the register's range. False: the text does not
  // parse and nothing was written.
  bool (*commit)(std::string_view text);
  AfterEdit after;
};

constexpr int kDebugFieldCount = 30;
extern const std::array<DebugField, kDebugFieldCount> DebugFields;
// Index into DebugFields of the component name, -1 when there is none.
int DebugFieldIndex(std::string_view name);

// The code line: PC as hex 4, the word at PC as hex 3 and its disassembly.
struct CodeLine {
  std::string pc, op, dis;
};
CodeLine ReadCodeLine();

// RAM register n as the memory list shows its digits: "00000000000000", digit 13 first.
std::string RamRegisterText(int n);
// One item per existing RAM register, in increasing order: "0FF 00000000000000".
std::vector<std::string> MemoryListing();

// The fields as text in the window's layout: one line per row of fields, left to right, each
// as its label and value ("PC=0000 OP=000 NOP").
std::string RegisterLayoutText();
