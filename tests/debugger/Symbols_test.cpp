#include "debugger/Symbols.h"

#include <cstdint>
#include <string>
#include <vector>

#include "support/MachineFixture.h"

namespace {

class SymbolsTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    SymbolTable.clear();
    SymbolTableLoaded = false;
  }
  void TearDown() override {
    SymbolTable.clear();
    SymbolTableLoaded = false;
    MachineTest::TearDown();
  }
};

struct Entry {
  std::string name;
  int32_t address;
  bool operator==(const Entry&) const = default;
};

std::vector<Entry> Entries() {
  std::vector<Entry> out;
  for (const Symbol& s : SymbolTable) out.push_back({s.name, s.address});
  return out;
}

void PrintTo(const Entry& e, std::ostream* os) {
  *os << "{" << e.name << ", " << e.address << "}";
}

struct LineCase {
  const char* what;
  std::string content;
  std::vector<Entry> entries;
};

TEST_F(SymbolsTest, LinesAreKeptOrDroppedByTheirForm) {
  const LineCase cases[] = {
      {"plain", "=LOOP EQU 0005X", {{"=LOOP", 5}}},
      {"no leading =", "LOOP EQU 0005X", {}},
      {"lower-case equ", "=LOOP equ 0005X", {}},
      {"no EQU", "=LOOP 0005X", {}},
      {"blank line", "   \t ", {}},
      {"blanks and controls trimmed", " \t=A   EQU \t 12ABH\r", {{"=A", 0x12AB}}},
      {"controls around the value", "\t=A\tEQU\t12ABH\x01\x1f", {{"=A", 0x12AB}}},
      {"name keeps inner blanks", "=A B EQU 10H", {{"=A B", 0x10}}},
      {"no blanks needed", "=X EQU5H", {{"=X", 5}}},
      {"first EQU splits", "=EQUAL EQU 10H", {}},
      {"lower-case hex", "=a EQU 00ffH", {{"=a", 0xFF}}},
      {"closing char dropped unread", "=B EQU 12", {{"=B", 1}}},
      {"only the closing char", "=B EQU X", {}},
      {"no value", "=B EQU", {}},
      {"comment after the value", "=B EQU 0005X ; loop", {}},
      {"sign is not hex", "=B EQU -5H", {}},
      {"32 bits", "=B EQU FFFFFFFFH", {{"=B", -1}}},
      {"more than 32 bits", "=B EQU 100000000H", {}},
      {"leading zeros", "=B EQU 000000000012H", {{"=B", 0x12}}},
      {"name is only =", "= EQU 7H", {{"=", 7}}},
      {"high characters are not trimmed", "=B EQU 7H\xC4", {}},
  };
  for (const LineCase& c : cases) {
    ParseSymbols(c.content);
    EXPECT_TRUE(SymbolTableLoaded) << c.what;
    EXPECT_EQ(Entries(), c.entries) << c.what;
  }
}

TEST_F(SymbolsTest, EveryLineEndSeparatesAndFileOrderIsKept) {
  ParseSymbols("=C EQU 3H\r\n=A EQU 1H\n=B EQU 2H\r=D EQU 2H\r\n\r\nignored\n=E EQU 5H");
  const std::vector<Entry> expected = {{"=C", 3}, {"=A", 1}, {"=B", 2}, {"=D", 2}, {"=E", 5}};
  EXPECT_EQ(Entries(), expected);
}

TEST_F(SymbolsTest, LookupFindsTheFirstEntryOfAnAddress) {
  ParseSymbols("=ONE EQU 10H\n=TWO EQU 20H\n=DUP EQU 10H\n");
  ASSERT_NE(LookupSymbol(0x10), nullptr);
  EXPECT_EQ(*LookupSymbol(0x10), "=ONE");
  ASSERT_NE(LookupSymbol(0x20), nullptr);
  EXPECT_EQ(*LookupSymbol(0x20), "=TWO");
  EXPECT_EQ(LookupSymbol(0x30), nullptr);
  EXPECT_EQ(LookupSymbol(0x10 + 0x10000), nullptr);
}

TEST_F(SymbolsTest, LoadReadsEntriesFromTheHomeFolder) {
  WriteHomeFile("Entries.A", "; ROM entry points\r\n=LOOP EQU 0005X\r\n=MAIN EQU 1000H\r\n");
  LoadSymbols();
  EXPECT_TRUE(SymbolTableLoaded);
  const std::vector<Entry> expected = {{"=LOOP", 5}, {"=MAIN", 0x1000}};
  EXPECT_EQ(Entries(), expected);
}

TEST_F(SymbolsTest, MissingFileLeavesNoTable) {
  ParseSymbols("=OLD EQU 5H\n");
  LoadSymbols();
  EXPECT_FALSE(SymbolTableLoaded);
  EXPECT_TRUE(SymbolTable.empty());
  EXPECT_EQ(LookupSymbol(5), nullptr);
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace
