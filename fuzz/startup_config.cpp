// The configuration file: any text as VALDOR.Ini, read by the private-profile reader and by a
// whole start-up (module files named in it may not exist), then the settings written back.
// Start-up always completes with usable values, and what is written back reads back.

#include <string>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "display/Lcd.h"
#include "fuzz/FuzzSupport.h"
#include "host/Host.h"
#include "host/ProfileFile.h"
#include "memory/Ram.h"

namespace {

bool KnownMessage(const std::string& text) {
  for (const char* start : {"Cannot load module file: ", "Error loading module image: ", "'",
                            "Error loading RAM image."}) {
    if (text.rfind(start, 0) == 0) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHome& home = Home();
  const std::string path = HomeFile(".Ini");
  WriteFile(path, data, size);

  const ProfileFile ini(path);
  for (const char* section : {"Calc", "RAM", "ROM", "CPU", "Dovada", ""}) {
    for (const char* key : {"Left", "Size", "Modules", "Module1", "Ticks", ""}) {
      const std::string text = ini.ReadString(section, key, "none");
      FUZZ_CHECK(text.size() <= 1023);
      FUZZ_CHECK(ini.HasKey(section, key) || text == "none");
      int32_t value = 0;
      const bool number = ConfigTextToInteger(text, value);
      FUZZ_CHECK(ini.ReadInteger(section, key, -7) == (number ? value : -7));
    }
  }
  const std::string ramSize = ini.ReadString("RAM", "Size", "");
  const std::string romModule = ini.ReadString("ROM", "Module1", "");

  FreshMachine();
  StartUp(kNoWaits);
  FUZZ_CHECK(Cpu.Running.load() == 1);
  FUZZ_CHECK(contrast.load() <= 15);
  FUZZ_CHECK(NormalPriority <= 6 && TurboPriority <= 6);
  const HeadlessPanel& panel = home.panel;
  FUZZ_CHECK(panel.left >= 0 && panel.left <= panel.screenWidth - HeadlessPanel::kWindowWidth);
  FUZZ_CHECK(panel.top >= 0 && panel.top <= panel.screenHeight - HeadlessPanel::kWindowHeight);
  for (int r = 0; r < kRamRegisters; ++r) FUZZ_CHECK(RamExists[r] <= 1);
  for (int r = 0; r < 16; ++r) FUZZ_CHECK(RamExists[r] == 1);
  for (const std::string& m : home.host.messages) FUZZ_CHECK(KnownMessage(m));

  // The settings written back read back, and the keys of other sections are kept.
  SaveSettings();
  const ProfileFile after(path);
  FUZZ_CHECK(after.ReadInteger("CPU", "Ticks", -1) == Ticks.load());
  FUZZ_CHECK(after.ReadInteger("CPU", "Turbo", -1) == (Turbo.load() ? 1 : 0));
  FUZZ_CHECK(after.ReadInteger("Calc", "Left", -1) == panel.left);
  FUZZ_CHECK(after.ReadInteger("Calc", "Top", -1) == panel.top);
  FUZZ_CHECK(after.ReadInteger("Calc", "Contrast", -1) == contrast.load());
  FUZZ_CHECK(after.ReadString("RAM", "Size", "") == ramSize);
  FUZZ_CHECK(after.ReadString("ROM", "Module1", "") == romModule);
  return 0;
}
