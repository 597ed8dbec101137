#include "app/StartUp.h"

#include <algorithm>
#include <cctype>

#include "cpu/Cpu.h"
#include "debugger/Breakpoints.h"
#include "debugger/DebugRun.h"
#include "debugger/Trace.h"
#include "display/Lcd.h"
#include "host/Host.h"
#include "host/Panel.h"
#include "host/ProfileFile.h"
#include "memory/Ram.h"
#include "memory/Rom.h"
#include "printer/Dovada.h"
#include "timer/Zudaroz.h"

bool printerSwitch = false;
bool IsNT = false;
std::vector<std::string> LoadedImages;
std::vector<std::string> LoadedEntries;

bool StartedUp = false;
bool RamImageUnreadable = false;

void ResetMachineSettings() {
  StartedUp = false;
  ZeroCpuState();
  Turbo = 0;
  TurboSuspended = 0;
  DebuggerOpen = 0;
  Animate = 0;
  CloseTrace();
  SetTraceLimit(kDefaultTraceLimitMb << 20);
  Ticks = 0;
  Sensitivity = 0;
  AutoOffDeadline = 0;
  NormalPriority = 0;
  TurboPriority = 0;
  Sound = 0;
  shuttingDown = 0;
  allSegmentsHalt = 0;
  PrinterOn = 0;
  immediateRedraw = 0;
  printerSwitch = false;
  ClearPrintBuffer();
}

void InitMachine() {
  Cpu.Running = 0;
  RamSize = 320;
  Cpu.KeyDown = -1;
  BuildDispatchTable();
  ClearPeripheralTables();
  lcdInit();
  TimerInit();
  PrinterReset();
  CpuReset();
  ClearRamMap();
  ClearRom();
  AddRamRange(0, 15);
}

bool ApplySwitch(const std::string& arg) {
  std::string s = arg;
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  if (s == "/A" || s == "-A") {
    Animate = 1;
  } else if (s == "/D" || s == "-D") {
    DebuggerOpen = 1;
  } else if (s == "/P" || s == "-P") {
    printerSwitch = true;
  } else if (s == "/T" || s == "-T") {
    OpenTrace();
  } else {
    return false;
  }
  return true;
}

// Only the keys that are there are looked at, so a count of two billion costs no more than the
// file's lines.
std::vector<int64_t> EntryNumbers(const ProfileFile& ini, const std::string& section,
                                  int32_t count) {
  std::vector<int64_t> numbers;
  for (const std::string& key : ini.Keys(section)) {
    // "Module" in any case, then a decimal number as to_string writes it (no sign, no leading 0).
    if (key.size() < 7 || key.size() > 16) continue;
    bool match = key[6] != '0';
    for (size_t i = 0; i < 6; ++i)
      match = match && std::tolower(static_cast<unsigned char>(key[i])) == "module"[i];
    for (size_t i = 6; i < key.size(); ++i) match = match && key[i] >= '0' && key[i] <= '9';
    if (!match) continue;
    const int64_t n = std::stoll(key.substr(6));
    if (n <= count) numbers.push_back(n);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

namespace {

void ReportBadInteger(const std::string& text) {
  ReportCpuError(0, "'" + text + "' is not a valid integer value");
}

// Configured ranges of extra RAM registers; an entry with a bad number is reported and skipped.
void ReadRamRanges(const ProfileFile& ini) {
  RamSize = ini.ReadInteger("RAM", "Size", 320);
  AddRamRange(192, static_cast<int64_t>(191) + RamSize);
  const int32_t count = ini.ReadInteger("RAM", "Modules", 0);
  for (const int64_t i : EntryNumbers(ini, "RAM", count)) {
    const std::string value = ini.ReadString("RAM", "Module" + std::to_string(i), "");
    int64_t first = 0, last = 0;
    std::string bad;
    switch (ParseRamEntry(value, first, last, bad)) {
      case RamEntryParse::Ok:
        AddRamRange(first, last);
        break;
      case RamEntryParse::BadNumber:
        ReportBadInteger(bad);
        break;
      case RamEntryParse::Skip:
        break;
    }
  }
}

void LoadModules(const ProfileFile& ini) {
  LoadedImages.clear();
  LoadedEntries.clear();
  const int32_t count = ini.ReadInteger("ROM", "Modules", 0);
  for (const int64_t i : EntryNumbers(ini, "ROM", count)) {
    const std::string value = ini.ReadString("ROM", "Module" + std::to_string(i), "");
    ModuleEntry entry;
    std::string bad;
    switch (ParseModuleEntry(value, entry, bad)) {
      case EntryParse::Ok:
        if (LoadModuleImage(entry.start, ModulePath(entry.file), entry.span, entry.bank)) {
          LoadedImages.push_back(ModulePath(entry.file));
          LoadedEntries.push_back(value);
        }
        break;
      case EntryParse::BadNumber:
        ReportBadInteger(bad);
        break;
      case EntryParse::Skip:
        break;
    }
  }
}

// Priorities outside the 0..6 scale are brought to its nearest end.
uint8_t Priority(int32_t value) {
  return static_cast<uint8_t>(std::clamp(value, 0, 6));
}

}  // namespace

void StartUp(const LifeCycleWaits& waits, const std::string* memory) {
  Host& host = TheHost();
  Panel& panel = ThePanel();
  IsNT = host.IsNT();
  InitMachine();

  ProfileFile ini(HomeFile(".Ini"));
  // Kept in 8 bits as configured; a value above 15 is shown at the darkest contrast.
  contrast = static_cast<uint8_t>(std::min(ini.ReadInteger("Calc", "Contrast", 15) & 0xFF, 15));
  panel.applyContrast();
  panel.ZoomMainWindow(ini.ReadInteger("Calc", "Zoom", 0));
  panel.PlaceMainWindow(ini.ReadInteger("Calc", "Left", -1), ini.ReadInteger("Calc", "Top", -1));
  host.ProcessMessages();

  ReadRamRanges(ini);
  panel.drawCharacters("** VALDOR **");
  panel.drawPunctuation("");
  // An image that is there but cannot be read is not saved over at shut-down. A restart brings
  // the memory it kept, and the protection of the start before it.
  bool saveAllowed = !RamImageUnreadable;
  if (memory)
    ApplyRamImage(*memory);
  else
    saveAllowed = ini.ReadInteger("RAM", "Load", 1) == 0 || LoadRamImage(waits.skipWindowMs);
  RamImageUnreadable = !saveAllowed;
  if (RamRegisters[9][13] != 0) Cpu.ST[10] = 1;
  SaveRam = ini.ReadInteger("RAM", "Save", 1) != 0 && saveAllowed;
  LoadModules(ini);

  Ticks = ini.ReadInteger("CPU", "Ticks", 256);
  Sensitivity = ini.ReadInteger("CPU", "Sensitivity", 1);
  panel.SetSpeedBar(Ticks);
  Turbo = ini.ReadInteger("CPU", "Turbo", 0) != 0;
  NormalPriority = Priority(ini.ReadInteger("CPU", "NormalPriority", 2));
  TurboPriority = Priority(ini.ReadInteger("CPU", "TurboPriority", 4));
  Sound = ini.ReadInteger("CPU", "Sound", IsNT ? 0 : 1) != 0;
  // The trace log's size in MB; 0 or less: no limit.
  const int32_t traceMb = ini.ReadInteger("CPU", "TraceLimit", kDefaultTraceLimitMb);
  SetTraceLimit(traceMb > 0 ? static_cast<uint64_t>(traceMb) << 20 : 0);
  romSignatureMatch = FetchRom(0x4FFD) == 13 && FetchRom(0x4FFE) == 19;

  panel.drawAnnunciators(kStartUpLine);
  Cpu.Running = 1;
  StartedUp = true;
  TurboSuspended = 0;
  if (DebuggerOpen) ShowDebugger();
}

bool ShutDown(const LifeCycleWaits& waits) {
  Panel& panel = ThePanel();
  shuttingDown = 1;
  Cpu.KeyDown = -1;
  WaitProcessingMessages(waits.shutDownMs[0]);
  panel.drawCharacters("** VALDOR **");
  panel.drawPunctuation("");
  panel.drawAnnunciators(" Shutting down ...");
  WaitProcessingMessages(waits.shutDownMs[1]);
  const bool saved = Cpu.KeyDown == 1 || !SaveRam || SaveRamImage();
  WaitProcessingMessages(waits.shutDownMs[2]);
  return saved;
}

void SaveSettings() {
  Panel& panel = ThePanel();
  ProfileFile ini(HomeFile(".Ini"));
  const bool ok = ini.WriteInteger("CPU", "Ticks", Ticks) &&
                  ini.WriteInteger("CPU", "Turbo", Turbo ? 1 : 0) &&
                  ini.WriteInteger("Calc", "Left", panel.MainLeft()) &&
                  ini.WriteInteger("Calc", "Top", panel.MainTop()) &&
                  ini.WriteInteger("Calc", "Contrast", contrast) &&
                  (panel.MainZoom() <= 0 || ini.WriteInteger("Calc", "Zoom", panel.MainZoom()));
  if (!ok) {
    TheHost().FileError(WithReason("Unable to write to " + ini.Path(), ini.LastError()));
    return;
  }
  panel.SavePrinterPlacement();
}

std::string LoadBreakpoints() {
  std::string message;
  const std::vector<std::string> refused = LoadBreakFile(&message);
  UpdateDebugArmed();
  if (!refused.empty()) {
    message =
        BreakFilePath() + ": these lines were not understood and stay in the file as written:";
    for (const std::string& line : refused) message.append("\n").append(line);
  }
  return message;
}

void SaveBreakpoints() {
  std::string error;
  if (!SaveBreakFile(error)) TheHost().FileError(error);
}
