#pragma once
// Breakpoints on ROM addresses and watchpoints on data RAM registers, peripheral selection and
// POWOFF, as the debugger and the runner set them; their text form and their file.

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A test of one register field against a number: "C[2:0] == 0B1", "ST[3] == 1", "P == 5".
struct Condition {
  enum class Field : uint8_t { A, B, C, M, N, ST, P, Q, G, FO, CY, DADD, PFAD, PC, BASE };
  enum class Op : uint8_t { Eq, Ne, Lt, Gt, Le, Ge };
  Field field = Field::A;
  int hi = 13, lo = 0;  // digit range of a digit register or of ST
  Op op = Op::Eq;
  uint64_t value = 0;
  std::string text;  // as written

  // Parses "FIELD OP VALUE" (value hexadecimal, "0x" allowed); nullopt and error otherwise.
  static std::optional<Condition> Parse(std::string_view text, std::string& error);
  uint64_t Read() const;
  bool Holds() const;
};

struct Breakpoint {
  std::string where;  // the address as written: hexadecimal or a symbol
  uint16_t address = 0;
  int bank = -1;       // -1: any bank
  uint32_t count = 1;  // halts from this hit on
  uint32_t hits = 0;
  bool enabled = true;
  std::optional<Condition> condition;

  // "ADDR[@BANK][*COUNT][:CONDITION]", ADDR hexadecimal or a symbol of Entries.A.
  static std::optional<Breakpoint> Parse(std::string_view text, std::string& error);
  std::string Text() const;
  // "ADDR[@BANK]": where it halts.
  std::string Where() const;
};

struct Watchpoint {
  enum class Kind : uint8_t { Read, Write, Access, Peripheral, PowerOff };
  Kind kind = Kind::Access;
  uint16_t number = 0;  // RAM register 0..3FF, or peripheral 0..F
  uint32_t hits = 0;
  bool enabled = true;

  // "REG[:r|w]" (a RAM register in hexadecimal), "SELPF n" (or "SELP n"), "POWOFF".
  static std::optional<Watchpoint> Parse(std::string_view text, std::string& error);
  std::string Text() const;
};

// The debugger's set. Changed only while the CPU stands between two instructions.
class BreakSet {
 public:
  std::vector<Breakpoint>& Breaks() { return breaks_; }
  std::vector<Watchpoint>& Watches() { return watches_; }
  // Call after changing either list: rebuilds the address map and the watched word kinds.
  void Changed();
  bool Armed() const { return armed_; }

  // Toggles a breakpoint at address (any bank); returns whether one is set now.
  bool Toggle(uint16_t address);
  // The enabled breakpoint at address that halts now (counting its hit), or nullptr.
  const Breakpoint* Hit(uint16_t address);
  bool AnyAt(uint16_t address) const { return addresses_[address]; }
  bool HasBreakAt(uint16_t address) const;
  // Word kinds (WatchKind bits) any enabled watchpoint looks at.
  uint8_t WatchedKinds() const { return watchedKinds_; }
  void Clear();

  // One item per line: breakpoints as Breakpoint::Text, watchpoints as "watch " + Text, a
  // disabled one with a leading "!". Lines that do not parse are reported in errors.
  void FromText(std::string_view text, std::vector<std::string>& errors);
  std::string ToText() const;

 private:
  std::vector<Breakpoint> breaks_;
  std::vector<Watchpoint> watches_;
  std::bitset<65536> addresses_;
  uint8_t watchedKinds_ = 0;
  bool armed_ = false;
};

extern BreakSet Breaks;

// The file of the home folder that keeps the set between sessions (beside Entries.A).
std::string BreakFilePath();
// Loads it (missing: an empty set); returns the lines that did not parse, each with why. Those
// lines and the comments are kept as written and go back into the file at the next save, so
// that a line this session cannot read (a symbol of an absent Entries.A) is not lost. A file
// that is there but cannot be read gives readError (with the system's reason) and is not
// written over.
std::vector<std::string> LoadBreakFile(std::string* readError = nullptr);
// Writes the kept lines and the set, replacing the file only once the new one is complete; an
// empty set and no kept line remove it (or create none). False with a message that names the
// file and the system's reason.
bool SaveBreakFile(std::string& error);
// Forgets what the last LoadBreakFile kept (tests).
void ForgetBreakFile();
