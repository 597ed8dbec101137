// The breakpoint file and the texts of the debugger's breakpoint list: any text, with a few
// symbols known. Whatever is kept writes back as text that reads as the same set; a file that
// is saved loads again to the same set, with every line it could not read kept as written.

#include <string>
#include <vector>

#include "debugger/Breakpoints.h"
#include "debugger/Symbols.h"
#include "fuzz/FuzzSupport.h"

namespace {

// One item as the list's add line takes it: a parsed item gives a text that parses to itself.
template <typename Item>
void CheckItem(const std::string& text) {
  std::string error;
  const auto item = Item::Parse(text, error);
  FUZZ_CHECK(item.has_value() == error.empty());
  if (!item) return;
  const std::string written = item->Text();
  const auto again = Item::Parse(written, error);
  FUZZ_CHECK(again.has_value());
  FUZZ_CHECK(again->Text() == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Home();
  ParseSymbols("=KEY EQU 0010X\n=COLD EQU 0000X\n=SETUP EQU 0056X\n");
  const std::string text(reinterpret_cast<const char*>(data), size);

  CheckItem<Breakpoint>(text);
  CheckItem<Watchpoint>(text);
  std::string error;
  if (const auto c = Condition::Parse(text, error)) {  // kept as written: it reads the same
    const auto again = Condition::Parse(c->text, error);
    FUZZ_CHECK(again && again->field == c->field && again->op == c->op &&
               again->value == c->value && again->hi == c->hi && again->lo == c->lo);
  }

  std::vector<std::string> errors;
  Breaks.Clear();
  Breaks.FromText(text, errors);
  const std::string set = Breaks.ToText();
  std::vector<std::string> again;
  Breaks.Clear();
  Breaks.FromText(set, again);
  FUZZ_CHECK(again.empty());
  FUZZ_CHECK(Breaks.ToText() == set);

  // Through the file: loaded, saved and loaded again, the set and the refused lines stay.
  WriteFile(BreakFilePath(), text);
  ForgetBreakFile();
  Breaks.Clear();
  std::string readError;
  const std::vector<std::string> refused = LoadBreakFile(&readError);
  FUZZ_CHECK(readError.empty());
  const std::string loaded = Breaks.ToText();
  std::string saveError;
  FUZZ_CHECK(SaveBreakFile(saveError));
  ForgetBreakFile();
  Breaks.Clear();
  const std::vector<std::string> refusedAgain = LoadBreakFile(&readError);
  FUZZ_CHECK(Breaks.ToText() == loaded);
  FUZZ_CHECK(refusedAgain.size() == refused.size());
  Breaks.Clear();
  ForgetBreakFile();
  return 0;
}
