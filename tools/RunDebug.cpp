#include "tools/RunDebug.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "cpu/Cpu.h"
#include "debugger/Breakpoints.h"
#include "debugger/Debug.h"
#include "debugger/DebugFields.h"
#include "debugger/DebugRun.h"
#include "debugger/History.h"

const char* const kDebugUsage =
    "  --break LIST  halt at ROM addresses: ADDR[@BANK][*COUNT][:CONDITION], comma-separated;\n"
    "                ADDR hexadecimal or a symbol of Entries.A, CONDITION like C[2:0] == 0B1,\n"
    "                ST[3] == 1 or P == 5; the runner then ends with status 3\n"
    "  --watch LIST  halt after a RAM register is read or written (REG, REG:r, REG:w), after\n"
    "                SELPF n, or after POWOFF\n"
    "  --history N   print the last N executed instructions with each halt (up to 1024)\n"
    "  --continue    report each halt and run on\n"
    "  --dump        print the registers at the end\n";

namespace {

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> items;
  std::istringstream in(text);
  for (std::string item; std::getline(in, item, ',');)
    if (!item.empty()) items.push_back(item);
  return items;
}

void PrintHistory(size_t n) {
  const auto entries = ExecutionHistory.Last(n);
  if (entries.empty()) return;
  std::printf("history (last %zu):\n", entries.size());
  for (const HistoryEntry& e : entries) {
    int32_t address = e.address;
    std::string text;
    Disassemble(address, text);
    std::printf("  %s %s %s\n", HexDigits(e.address, 4).c_str(), HexDigits(e.word, 3).c_str(),
                text.c_str());
  }
}

}  // namespace

bool ParseDebugOption(int argc, char** argv, int& i, DebugOptions& o, std::string& error) {
  const std::string arg = argv[i];
  if (arg == "--continue") {
    o.keepGoing = true;
    return true;
  }
  if (arg == "--dump") {
    o.dump = true;
    return true;
  }
  if (arg != "--break" && arg != "--watch" && arg != "--history") return false;
  if (i + 1 >= argc) {
    error = arg + " needs a value";
    return true;
  }
  const std::string value = argv[++i];
  if (arg == "--history") {
    char* end = nullptr;
    const unsigned long n = std::strtoul(value.c_str(), &end, 10);
    if (value.empty() || *end || value[0] == '-' || n > History::kCapacity) {
      error = "--history needs a number from 0 to 1024, not '" + value + "'";
      return true;
    }
    o.history = n;
  } else {
    auto& list = arg == "--break" ? o.breaks : o.watches;
    for (const std::string& item : SplitCommas(value)) list.push_back(item);
  }
  return true;
}

bool ArmDebugOptions(const DebugOptions& o, std::string& error) {
  for (const std::string& written : o.breaks) {
    auto b = Breakpoint::Parse(written, error);
    if (!b) return false;
    Breaks.Breaks().push_back(*b);
  }
  for (const std::string& written : o.watches) {
    auto w = Watchpoint::Parse(written, error);
    if (!w) return false;
    Breaks.Watches().push_back(*w);
  }
  Breaks.Changed();
  ArmHistory(o.history > 0);
  return true;
}

void PrintRegisters() {
  std::fputs(RegisterLayoutText().c_str(), stdout);
}

bool HandleDebugHalt(const DebugOptions& o) {
  if (LastHalt().kind == HaltKind::None) return false;
  std::printf("halted: %s\n", LastHalt().text.c_str());
  PrintRegisters();
  PrintHistory(o.history);
  std::fflush(stdout);
  ClearHalt();
  if (!o.keepGoing) return true;
  DebuggerOpen = 0;
  ResumeFromHalt();
  return false;
}
