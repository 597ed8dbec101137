#pragma once
// The machine's life cycle: initialisation, start-up from the configuration, shut-down, and the
// settings written back at exit. Shared by the desktop program and valdor-run.

#include <cstdint>
#include <string>
#include <vector>

// Program-start state of every setting and thread flag (all zero), as before start-up.
void ResetMachineSettings();
// Start-up steps 2..4: builds the dispatch table, initialises the devices, resets the CPU,
// clears the ROM space and the RAM map, and creates registers 0..15.
void InitMachine();

class ProfileFile;

// The numbers n = 1..count for which the section has a key "Module" + n, in increasing order:
// the entries that reading keys 1 to count one by one would find.
std::vector<int64_t> EntryNumbers(const ProfileFile& ini, const std::string& section,
                                  int32_t count);

// Set by "/P": the main window presses its printer button when first shown.
extern bool printerSwitch;
// The platform family flag; decides the default of "Sound".
extern bool IsNT;
// The module image files the last start-up loaded without a fault, in configuration order, and
// the configuration entries ("ROM" "Module<n>" values) they came from.
extern std::vector<std::string> LoadedImages;
extern std::vector<std::string> LoadedEntries;

// Applies one command-line argument ("/A", "/D", "/P", "/T", also with "-", any case);
// returns false for an argument that is no switch (it is ignored).
bool ApplySwitch(const std::string& arg);

struct LifeCycleWaits {
  uint32_t skipWindowMs = 2000;  // hold ON or back arrow to skip the RAM image
  // Shut-down: the CPU thread has ended before it begins, so nothing waits for it (0); then the
  // time to hold ON to skip saving, and the time the last message stays readable.
  uint32_t shutDownMs[3] = {0, 900, 300};
};
// The waits of a program nobody can press keys in (valdor-run, tests).
constexpr LifeCycleWaits kNoWaits{0, {0, 0, 0}};

// The annunciator line at the end of start-up: the program and its version.
inline constexpr const char* kStartUpLine = "   VALDOR version " VALDOR_VERSION;

// Set at the end of StartUp, when the memory is loaded: from then on closing saves it, even
// after a CPU error has stopped the CPU (Running 0).
extern bool StartedUp;
// Set by StartUp when a RAM image was there but could not be read (it is then not saved over).
extern bool RamImageUnreadable;

// Initialises the machine and fills it from the configuration; Running = 1 at its end. With
// memory (a RAM image's bytes), the registers come from it instead of the RAM image file.
void StartUp(const LifeCycleWaits& waits = {}, const std::string* memory = nullptr);
// Shows the shut-down messages and saves the RAM image (Running is already 0); false when the
// image was to be saved and could not be.
bool ShutDown(const LifeCycleWaits& waits = {});
// Writes "Ticks", "Turbo", "Left", "Top", "Contrast", "Zoom" once the user has resized the
// calculator, and the printer window's placement.
void SaveSettings();

// The desktop program's breakpoint file (valdor-run leaves it alone: its runs stay deterministic
// and never overwrite the user's set). Loaded after the symbols, since breakpoints may name them,
// and before the CPU thread starts; returns what to tell the user once (lines not understood,
// which stay in the file, or a file that cannot be read), empty when all is well.
std::string LoadBreakpoints();
// Writes the file at the program's end; a failure is reported with the system's reason.
void SaveBreakpoints();
