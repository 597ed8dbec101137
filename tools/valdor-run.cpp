// valdor-run: runs the calculator's firmware headless, for tests, CI and ROM authors.

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "cpu/Pacing.h"
#include "cpu/RunLoop.h"
#include "debugger/RegisterNames.h"
#include "debugger/Symbols.h"
#include "debugger/Trace.h"
#include "display/Lcd.h"
#include "frontpanel/Keys.h"
#include "host/Headless.h"
#include "host/HomeLock.h"
#include "host/VirtualTime.h"
#include "memory/Ram.h"
#include "memory/Rom.h"
#include "printer/Dovada.h"
#include "timer/Zudaroz.h"
#include "tools/CharacterSet.h"
#include "tools/RunDebug.h"

namespace {

constexpr const char* kUsage =
    "usage: valdor-run [--home DIR] [--steps N] [--trace] [--keys \"K K ...\"] [--hold N]\n"
    "                  [--display] [--paper FILE] [--printer-on] [--printer-mode M]\n"
    "                  [--save | --no-save] [--virtual-time[=YYYY-MM-DDTHH:MM:SS]]\n"
    "                  [--set REG=VALUE]... [--print REG]... [--ram FILE]\n"
    "       valdor-run --help | --version\n"
    "  --home DIR    folder of VALDOR.Ini, VALDOR.RAM, Entries.A and VALDOR.LOG (default:\n"
    "                $VALDOR_HOME, else the program's folder if VALDOR.Ini is there, else\n"
    "                $XDG_DATA_HOME/valdor or ~/.local/share/valdor, made on first use)\n"
    "  --steps N     stop after N executed instructions\n"
    "  --trace       write VALDOR.LOG from the first instruction on\n"
    "  --keys LIST   faceplate keys to press in turn: names (ON USER PRGM ALPHA SHIFT XEQ\n"
    "                STO RCL SST ENTER CHS EEX BKSP R/S 0..9 + - * / .) or key numbers\n"
    "                #N (#1 is ON, #72 the 1 key); a bare number of two digits is a key\n"
    "                number too, a single digit is always that digit's key; wait:5s\n"
    "                (or 250ms, 2m, 1h) lets that much virtual time pass, the calculator\n"
    "                running or asleep as it would and its alarms and interval timer\n"
    "                waking it on time (needs --virtual-time); before a wait the firmware\n"
    "                need not have gone to sleep, and a key after it comes at once\n"
    "  --hold N      instructions a key stays down after the firmware saw it (2000);\n"
    "                a key is always held until the firmware has seen it\n"
    "  --display     print the display and the annunciators at the end\n"
    "  --paper FILE  write every printed line to FILE\n"
    "  --printer-on  switch the printer on, as its window's On button does\n"
    "  --printer-mode man|norm|trace  set the printer's mode switch; the keys PRINT and\n"
    "                ADV press its buttons\n"
    "  --no-save     do not save the RAM image at the end (needed while VALDOR runs\n"
    "                on the same home folder)\n"
    "  --save        save it into the per-user folder too: without --home, VALDOR_HOME\n"
    "                or a VALDOR.Ini beside the program, a run leaves the desktop\n"
    "                program's memory alone unless asked\n"
    "  --virtual-time[=YYYY-MM-DDTHH:MM:SS]  the timer chip's clock starts at that local time\n"
    "                (2000-01-01T00:00:00) and advances with the instructions, each worth\n"
    "                Ticks x 0.62 us (Ticks from VALDOR.Ini, 256 if unset): the same input\n"
    "                gives the same run, trace and display, whatever the wall clock says;\n"
    "                the automatic power-off counts this time too\n"
    "  --set REG=VALUE  write a register after start-up, before the first instruction, as\n"
    "                typed in the debugger: PC OP A B C M N P Q Stack G FO DAdd PfAd LcdE ST\n"
    "                Cy LcdA LcdB LcdC CLA CLB ALA ALB SCA SCB AF IT TR SR (any case), or a\n"
    "                RAM register R:N (N hexadecimal, R:0FF) or R:X R:Y R:Z R:T R:L R:M..R:Q\n"
    "  --print REG   print REG=VALUE at the end, in the debugger's hexadecimal digits\n"
    "  --ram FILE    run from the RAM image FILE instead of the home's VALDOR.RAM, which is\n"
    "                neither read nor written; FILE is written back only with --save\n"
    "exit status: 0 done, 1 failed (also a failed RAM save), 2 bad arguments (also an\n"
    "             unknown register, a bad value, or a FILE that is no RAM image),\n"
    "             3 halted on a breakpoint or watchpoint (without --continue),\n"
    "             128+N stopped by signal N (SIGTERM, SIGINT, SIGHUP) after saving\n";

constexpr const char* kVersion = "valdor-run " VALDOR_VERSION "\n";

constexpr const char* kVirtualStart = "2000-01-01T00:00:00";
constexpr uint64_t kPhaseLimit = 5'000'000;  // instructions allowed to reach sleep
constexpr int kTimerPollInterval = 64;       // steps between timer polls, as its thread would

// A key to press, or a time to let pass.
struct KeyAction {
  int key = 0;
  std::optional<uint64_t> waitMs;
};

struct Options {
  std::string home;
  std::optional<uint64_t> steps;
  bool trace = false;
  std::vector<KeyAction> keys;
  uint64_t hold = 2000;
  bool display = false;
  std::optional<std::string> paper;
  bool printerOn = false;
  std::optional<PrinterMode> printerMode;
  std::optional<bool> save;  // default: save, except into the per-user folder or with --ram
  std::optional<LocalDateTime> virtualTime;
  std::vector<std::pair<NamedRegister, std::string>> sets;
  std::vector<std::pair<NamedRegister, std::string>> prints;  // with the name as written
  std::optional<std::string> ram;
  DebugOptions debug;
  bool help = false;
  bool version = false;
};

// Set by SIGTERM, SIGINT and SIGHUP: the run stops between two instructions and ends as usual.
volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal) {
  stopSignal = signal;
}

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

// The printer's buttons, pressed among the keys.
constexpr int kPrintButton = 1001;
constexpr int kAdvButton = 1002;

const std::map<std::string, int>& KeyNames() {
  static const std::map<std::string, int> names = {
      {"ON", 1},    {"USER", 2}, {"PRGM", 3}, {"ALPHA", 4},  {"SHIFT", 31}, {"XEQ", 32},
      {"STO", 33},  {"RCL", 34}, {"SST", 35}, {"ENTER", 41}, {"CHS", 43},   {"EEX", 44},
      {"BKSP", 45}, {"R/S", 84}, {"7", 52},   {"8", 53},     {"9", 54},     {"4", 62},
      {"5", 63},    {"6", 64},   {"1", 72},   {"2", 73},     {"3", 74},     {"0", 82},
      {"+", 61},    {"-", 51},   {"*", 71},   {"/", 81},     {".", 83},
      {"PRINT", kPrintButton}, {"ADV", kAdvButton},
  };
  return names;
}

// A whole number in decimal digits only; false for anything else, including a value past 64 bits.
bool ParseCount(const std::string& text, uint64_t& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// A key given by name (a single digit names that digit's key), by "#" and its number on the
// faceplate, or by a bare number that names no key (11..84).
std::optional<int> ParseKey(const std::string& token) {
  const auto& names = KeyNames();
  if (auto it = names.find(token); it != names.end()) return it->second;
  const bool hash = !token.empty() && token[0] == '#';
  uint64_t n = 0;
  if (ParseCount(hash ? token.substr(1) : token, n) && n <= 99 && KeyIndex(static_cast<int>(n)) >= 0)
    return static_cast<int>(n);
  return std::nullopt;
}

std::optional<Options> ParseArguments(int argc, char** argv, std::string& error) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) return std::nullopt;
      return std::string(argv[++i]);
    };
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "--trace") {
      o.trace = true;
    } else if (arg == "--display") {
      o.display = true;
    } else if (arg == "--no-save") {
      o.save = false;
    } else if (arg == "--save") {
      o.save = true;
    } else if (arg == "--printer-on") {
      o.printerOn = true;
    } else if (arg == "--printer-mode") {
      const auto v = value();
      if (v && *v == "man") {
        o.printerMode = PrinterMode::Man;
      } else if (v && *v == "norm") {
        o.printerMode = PrinterMode::Norm;
      } else if (v && *v == "trace") {
        o.printerMode = PrinterMode::Trace;
      } else {
        error = "--printer-mode needs man, norm or trace";
        return std::nullopt;
      }
    } else if (arg == "--virtual-time" || arg.rfind("--virtual-time=", 0) == 0) {
      o.virtualTime = ParseDateTime(arg == "--virtual-time" ? kVirtualStart : arg.substr(15));
      if (!o.virtualTime) {
        error = "--virtual-time needs a date and time YYYY-MM-DDTHH:MM:SS, not '" +
                arg.substr(std::min<size_t>(arg.size(), 15)) + "'";
        return std::nullopt;
      }
    } else if (arg == "--home" || arg == "--paper" || arg == "--steps" || arg == "--hold" ||
               arg == "--keys" || arg == "--set" || arg == "--print" || arg == "--ram") {
      const auto v = value();
      if (!v) {
        error = arg + " needs a value";
        return std::nullopt;
      }
      if (arg == "--home") {
        o.home = *v;
      } else if (arg == "--paper") {
        o.paper = *v;
      } else if (arg == "--keys") {
        std::istringstream in(*v);
        for (std::string token; in >> token;) {
          if (token.rfind("wait:", 0) == 0) {
            const auto ms = ParseDurationMs(token.substr(5));
            if (!ms) {
              error = "'" + token + "' is no wait: a whole number with ms, s, m or h (wait:5s)";
              return std::nullopt;
            }
            o.keys.push_back({0, ms});
            continue;
          }
          const auto key = ParseKey(token);
          if (!key) {
            error = "unknown key '" + token + "'";
            return std::nullopt;
          }
          o.keys.push_back({*key, std::nullopt});
        }
      } else if (arg == "--set" || arg == "--print") {
        const size_t equals = arg == "--set" ? v->find('=') : v->size();
        if (equals == std::string::npos) {
          error = "--set needs REG=VALUE, not '" + *v + "'";
          return std::nullopt;
        }
        const auto r = FindRegister(v->substr(0, equals), error);
        if (!r) return std::nullopt;
        auto& list = arg == "--set" ? o.sets : o.prints;
        list.emplace_back(*r, arg == "--set" ? v->substr(equals + 1) : *v);
      } else if (arg == "--ram") {
        o.ram = *v;
      } else {
        uint64_t n = 0;
        if (!ParseCount(*v, n)) {
          error = arg + " needs a whole number, not '" + *v + "'";
          return std::nullopt;
        }
        if (arg == "--steps")
          o.steps = n;
        else
          o.hold = n;
      }
    } else if (ParseDebugOption(argc, argv, i, o.debug, error)) {
      if (!error.empty()) return std::nullopt;
    } else {
      error = "unknown argument '" + arg + "'";
      return std::nullopt;
    }
  }
  if (!o.virtualTime) {
    for (const KeyAction& a : o.keys) {
      if (a.waitMs) {
        error = "a wait among the keys needs --virtual-time";
        return std::nullopt;
      }
    }
  }
  return o;
}

// Runs the machine iteration by iteration, as the CPU thread does, without its speed delay.
class Runner {
 public:
  Runner(std::optional<uint64_t> budget, const DebugOptions& debug, VirtualClock* clock)
      : budget_(budget), debug_(debug), clock_(clock) {}

  bool BudgetLeft() const { return !stopSignal && (!budget_ || executed_ < *budget_); }
  bool Halted() const { return allSegmentsHalt || !Cpu.Running || stopped_; }
  bool Stopped() const { return stopped_; }
  uint64_t Executed() const { return executed_; }

  // One iteration; returns whether the executed word was a keyboard check.
  bool Iterate() {
    const bool checksKeyboard =
        Cpu.Awake && Cpu.SmartPeripheral == kNoPeripheral && FetchRom(Cpu.PC) == 0x3CC;
    const Iteration it = RunIteration();
    if (HandleDebugHalt(debug_)) stopped_ = true;
    if (it != Iteration::Executed) return false;
    ++executed_;
    if (clock_) clock_->Instruction();
    if (executed_ % kTimerPollInterval == 0 && !TimerThreadSuspended()) PollTimer();
    return checksKeyboard;
  }

  // Runs until the calculator sleeps; false if it is still awake after limit instructions.
  bool RunUntilAsleep(uint64_t limit) {
    const uint64_t start = executed_;
    while (Cpu.Awake && !Halted() && BudgetLeft()) {
      if (executed_ - start >= limit) return false;
      Iterate();
    }
    return true;
  }

  // Lets ms of virtual time pass. Awake, the calculator runs; asleep, the clock jumps to the
  // next moment an idle poll can change anything: a timer event, the automatic power-off, or
  // a second on at most.
  void Wait(uint64_t ms) {
    const uint64_t end = clock_->Now() + ms * 1'000'000;
    while (clock_->Now() < end && BudgetLeft() && !Halted()) {
      if (Cpu.Awake) {
        Iterate();
        continue;
      }
      IdlePoll();
      if (Cpu.Awake) continue;
      const uint32_t idle = std::max<uint32_t>((IdleWaitMs() + 9) / 10 * 10, 10);
      clock_->AdvanceTo(std::min(end, clock_->TickTime(idle)));
    }
  }

  // Holds a printer button for hold instructions (at least one), waking a sleeping
  // calculator as the button does, and lets it go.
  void PressButton(int button, uint64_t hold) {
    const auto set = button == kPrintButton ? SetPrintKey : SetAdvKey;
    set(true);
    if (!Cpu.Awake) IdlePoll();
    for (uint64_t n = 0; n < std::max<uint64_t>(hold, 1) && BudgetLeft() && !Halted(); ++n)
      Iterate();
    set(false);
  }

  // Presses a key as a click would, holds it until the firmware has seen it at a keyboard
  // check and then hold more instructions, and releases it.
  void PressKey(int key, uint64_t hold) {
    if (key == kPrintButton || key == kAdvButton) return PressButton(key, hold);
    KeyPressed(key);
    // A sleeping calculator wakes in its idle poll, if the key may wake it.
    if (!Cpu.Awake) IdlePoll();
    bool seen = false;
    uint64_t after = 0;
    const uint64_t start = executed_;
    while (Cpu.Awake && !Halted() && BudgetLeft() && (!seen || after < hold)) {
      if (Iterate()) seen = true;
      if (seen) ++after;
      if (!seen && executed_ - start >= kPhaseLimit) break;
    }
    KeyReleased();
  }

 private:
  std::optional<uint64_t> budget_;
  const DebugOptions& debug_;
  VirtualClock* clock_;   // nullptr: the wall clock
  bool stopped_ = false;  // halted on a breakpoint or watchpoint
  uint64_t executed_ = 0;
};

// One line with the reason: the whole usage would bury it.
int BadArgument(const std::string& reason) {
  std::fprintf(stderr, "valdor-run: %s (try --help)\n", reason.c_str());
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "valdor-run: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  CatchStopSignals();
  std::string error;
  const auto options = ParseArguments(argc, argv, error);
  if (!options) {
    return BadArgument(error);
  }
  if (options->help || options->version) {
    std::fputs(options->help ? kUsage : kVersion, stdout);
    if (options->help) std::fputs(kDebugUsage, stdout);
    return 0;
  }

  HeadlessHost& host = DefaultHost();
  HeadlessPanel& panel = DefaultPanel();
  host.homeDir = options->home;
  host.dataDir = ProgramDataDir(ExecutableDir());
  host.echoMessages = true;
  // The per-user folder is the desktop program's: a run saves there only when asked. A RAM
  // image named by --ram is written back only when asked, and the home's never.
  const bool save = options->save.value_or(!options->ram && !host.Home().perUser);
  std::string ramBytes;
  if (options->ram) {
    std::string& bytes = ramBytes;
    std::string reason;
    if (!ReadRamImageFile(*options->ram, bytes, reason))
      return BadArgument("--ram " + *options->ram + " is no RAM image: " + reason);
    RamImageFile = *options->ram;
  }
  if (std::string homeError; !PrepareHome(host.Home(), host.programName, ExecutableDir(), homeError))
    return Fail(homeError);
  // Without a configuration no firmware is loaded, and the run could only go round empty memory.
  if (!std::filesystem::is_regular_file(HomeFile(".Ini"))) {
    return Fail("no " + host.ProgramName() + ".Ini in " + host.HomeDir() +
                " (name the folder with --home DIR or VALDOR_HOME)");
  }

  // A VALDOR running on this home folder would write its memory over ours at its end, or ours
  // over its own: a run there does not save.
  if (const long holder = HomeLockHolder(HomeLockPath(host.HomeDir(), host.ProgramName()));
      holder != 0 && save && !options->ram) {
    return Fail("VALDOR (process " + std::to_string(holder) + ") is using " + host.HomeDir() +
                ": a run there cannot save the RAM image; add --no-save, or name another folder "
                "with --home");
  }

  LoadSymbols();
  // Breakpoints may name symbols: after they are loaded, before anything runs.
  if (std::string bad; !ArmDebugOptions(options->debug, bad)) {
    return BadArgument(bad);
  }
  if (options->trace) OpenTrace();
  std::optional<VirtualClock> clock;
  if (options->virtualTime) clock.emplace(host, *options->virtualTime);
  // The image named by --ram is what the run starts from, whatever "RAM" "Load" says.
  StartUp(kNoWaits, options->ram ? &ramBytes : nullptr);
  if (RamImageUnreadable) {
    return Fail("cannot read the RAM image " + (options->ram ? *options->ram : HomeFile(".RAM")) +
                " (it is left as it is; --home names another folder)");
  }
  if (options->printerOn) PrinterOn = 1;
  if (options->printerMode) SetPrinterMode(*options->printerMode);
  if (clock) {
    const int32_t ticks = Ticks;  // as configured; each instruction is worth that much time
    clock->SetInstructionTime((ticks > 0 ? ticks : 256) * kTickTime);
  }
  Ticks = 0;  // no speed delay: the runner goes as fast as it can
  RunLoopStart();
  // A register refused ends the run before its first instruction, and nothing is saved.
  std::string refused;
  for (const auto& [r, value] : options->sets) {
    if (std::string bad; refused.empty() && !SetRegister(r, value, bad)) refused = "--set: " + bad;
  }
  for (const auto& [r, name] : options->prints) {
    if (std::string bad; refused.empty() && !RegisterExists(r, bad))
      refused = "--print " + name + ": " + bad;
  }
  if (!refused.empty()) {
    CloseTrace();
    return BadArgument(refused);
  }

  Runner runner(options->steps, options->debug, clock ? &*clock : nullptr);
  int status = 0;
  const auto& actions = options->keys;
  // Before a wait the firmware need not sleep: the wait lets it run (a stopwatch never sleeps).
  auto sleepsNext = [&](size_t i) { return i >= actions.size() || !actions[i].waitMs; };
  if (sleepsNext(0) && !runner.RunUntilAsleep(options->steps ? UINT64_MAX : kPhaseLimit)) {
    status = Fail("the calculator did not go to sleep within " + std::to_string(kPhaseLimit) +
                  " instructions after start");
  }
  for (size_t i = 0; status == 0 && i < actions.size() && runner.BudgetLeft() && !runner.Halted();
       ++i) {
    if (actions[i].waitMs) {
      runner.Wait(*actions[i].waitMs);
      continue;
    }
    runner.PressKey(actions[i].key, options->hold);
    if (sleepsNext(i + 1) && !runner.RunUntilAsleep(options->steps ? UINT64_MAX : kPhaseLimit)) {
      status = Fail("the calculator did not go to sleep within " + std::to_string(kPhaseLimit) +
                    " instructions after key " + std::to_string(actions[i].key));
    }
  }

  // Bring the display up to date, as the next redraw point would.
  Cpu.Running = 0;
  if (displayDirty) panel.redrawDisplay();
  if (options->display) {
    std::printf("%s\n%s\n", DisplayLineUtf8(panel.chars, panel.punct).c_str(), panel.ann.c_str());
  }
  if (options->paper) {
    errno = 0;
    std::ofstream out(*options->paper, std::ios::binary);
    const int openError = out ? 0 : errno;
    for (size_t i = 0; i < panel.paper.size(); ++i)
      out << PrintLineUtf8(panel.paper[i], panel.paperStart[i]) << '\n';
    out.flush();
    const int error = openError ? openError : errno;
    if (!out) status = Fail(WithReason("cannot write " + *options->paper, error ? error : EIO));
  }

  for (const auto& [r, name] : options->prints)
    std::printf("%s=%s\n", name.c_str(), ShowRegister(r).c_str());
  if (options->debug.dump) PrintRegisters();
  if (runner.Stopped() && status == 0) status = kHaltStatus;

  if (stopSignal) {
    std::fprintf(stderr, "valdor-run: stopped by signal %d (%s)\n", static_cast<int>(stopSignal),
                 strsignal(stopSignal));
    if (status == 0) status = 128 + stopSignal;
  }
  SaveRam = SaveRam && save;
  if (!ShutDown(kNoWaits)) status = 1;
  CloseTrace();
  return status;
}
