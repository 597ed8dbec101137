#include "fuzz/FuzzSupport.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "debugger/Symbols.h"
#include "memory/Rom.h"

namespace {

FuzzHome* home = nullptr;

void RemoveHome() {
  if (!home) return;
  SetHost(nullptr);
  SetPanel(nullptr);
  std::error_code ec;
  std::filesystem::remove_all(home->dir, ec);
}

}  // namespace

FuzzHome& Home() {
  if (!home) {
    home = new FuzzHome;
    // On a memory file system when there is one: saves flush their files, which costs a disk.
    std::error_code ec;
    std::string tmpl =
        std::string(std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : "/tmp") +
        "/valdor-fuzz-XXXXXX";
    if (!mkdtemp(tmpl.data())) {
      std::perror("mkdtemp");
      std::abort();
    }
    home->dir = std::string(tmpl) + "/";
    home->host.homeDir = home->dir;
    SetHost(&home->host);
    SetPanel(&home->panel);
    std::atexit(RemoveHome);
  }
  return *home;
}

void FreshMachine() {
  FuzzHome& h = Home();
  // The same clock for every input, so that an input always runs the same way.
  h.host.SetFakeTicks(1000000);
  h.host.SetFakeTime(LocalDateTime{2024, 2, 29, 23, 59, 30});
  h.host.messages.clear();
  h.panel = HeadlessPanel();
  ResetMachineSettings();
  SymbolTable.clear();
  SymbolTableLoaded = false;
  InitMachine();
}

void WriteFile(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

void WriteFile(const std::string& path, const std::string& bytes) {
  WriteFile(path, bytes.data(), bytes.size());
}
