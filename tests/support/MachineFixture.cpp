#include "support/MachineFixture.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "debugger/DebugRun.h"
#include "debugger/Symbols.h"
#include "memory/Rom.h"

void MachineTest::SetUp() {
  char tmpl[] = "/tmp/valdor-test-XXXXXX";
  const char* dir = mkdtemp(tmpl);
  ASSERT_NE(dir, nullptr);
  home = std::string(dir) + "/";
  host.homeDir = home;
  host.SetFakeTicks(1000000);
  SetHost(&host);
  SetPanel(&panel);
  ResetMachineSettings();
  SymbolTable.clear();
  SymbolTableLoaded = false;
  InitMachine();
  ResetDebugRun();
}

void MachineTest::TearDown() {
  ResetMachineSettings();
  ResetDebugRun();
  ClearRom();
  SetHost(nullptr);
  SetPanel(nullptr);
  std::error_code ec;
  std::filesystem::permissions(home, std::filesystem::perms::owner_all, ec);
  std::filesystem::remove_all(home, ec);
}

void MachineTest::LoadWords(uint32_t address, std::initializer_list<uint16_t> words) {
  for (uint16_t w : words) StoreRom(address++, 0, w);
}

void MachineTest::RunSteps(int n) {
  for (int i = 0; i < n; ++i) Step();
}

std::string MachineTest::WriteHomeFile(const std::string& name, const std::string& bytes) {
  const std::string path = home + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string MachineTest::ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}
