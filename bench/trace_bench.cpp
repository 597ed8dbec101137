// Trace records written per second into the log file, with and without a symbol table.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "debugger/Symbols.h"
#include "debugger/Trace.h"
#include "host/Headless.h"
#include "memory/Rom.h"

namespace {

// A page of varied words: long calls, relative jumps, arithmetic and class-0 instructions.
void LoadProgram() {
  for (uint32_t a = 0; a < 256; a += 8) {
    const uint16_t words[8] = {0x0A9, 0x10C, 0x02B, 0x0AE, 0x268, 0x130, 0x05A, 0x3F3};
    for (uint32_t i = 0; i < 8; ++i) StoreRom(a + i, 0, words[i]);
  }
}

// A symbol file of the given size, with some entries at the program's targets.
void LoadSymbolTable(int entries) {
  std::string content;
  for (int i = 0; i < entries; ++i) {
    char line[48];
    std::snprintf(line, sizeof line, "=SYM%04d EQU %04XH\r\n", i, (i * 37 + 0x5000) & 0xFFFF);
    content += line;
  }
  if (entries > 0) content += "=CALLED EQU 432AH\r\n";
  ParseSymbols(content);
}

void BM_TraceRecords(benchmark::State& state) {
  char tmpl[] = "/tmp/valdor-bench-XXXXXX";
  const char* dir = mkdtemp(tmpl);
  if (!dir) {
    state.SkipWithError("no temporary folder");
    return;
  }
  HeadlessHost host;
  host.homeDir = std::string(dir) + "/";
  SetHost(&host);
  ResetMachineSettings();
  InitMachine();
  LoadProgram();
  LoadSymbolTable(static_cast<int>(state.range(0)));

  OpenTrace();
  for (auto _ : state) {
    WriteTraceRecord();
    Cpu.PC = static_cast<uint16_t>((Cpu.PC + 1) & 0xFF);
    Cpu.A[Cpu.PC % kDigits] = static_cast<uint8_t>(Cpu.PC & 15);
    Cpu.Carry ^= 1;
  }
  CloseTrace();

  state.counters["records/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  SymbolTable.clear();
  ClearRom();
  SetHost(nullptr);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_TraceRecords)->Arg(0)->Arg(1000)->ArgName("symbols");

}  // namespace
