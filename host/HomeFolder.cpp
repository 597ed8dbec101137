#include "host/HomeFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "host/Host.h"
#include "host/ReplaceFile.h"

namespace fs = std::filesystem;

namespace {
std::string WithSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}
}  // namespace

HomeChoice ChooseHome(const char* valdorHome, const std::string& exeDir,
                      const std::string& programName, const std::string& userDataDir) {
  if (valdorHome && *valdorHome) return {WithSlash(valdorHome)};
  std::error_code ec;
  if (!exeDir.empty() && fs::is_regular_file(WithSlash(exeDir) + programName + ".Ini", ec))
    return {WithSlash(exeDir)};
  if (userDataDir.empty()) return {"", true};  // never a folder relative to where we stand
  return {WithSlash(WithSlash(userDataDir) + "valdor"), true};
}

std::string XdgDataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && *home) return WithSlash(home) + ".local/share";
  // HOME unset (a service, env -i): the password database knows the user's folder.
  if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir && user->pw_dir[0] == '/')
    return WithSlash(user->pw_dir) + ".local/share";
  return {};
}

std::string ProgramDataDir(const std::string& exeDir) {
  if (exeDir.empty()) return {};
  std::error_code ec;
  const fs::path exe = fs::absolute(fs::path(exeDir), ec);
  const auto canonical = [&ec](const fs::path& dir) {
    return WithSlash(fs::weakly_canonical(dir, ec).string());
  };
  if (const fs::path share = exe / ".." / "share" / "valdor"; fs::is_directory(share, ec))
    return canonical(share);
  for (const fs::path& dir : {exe, exe / ".."})
    if (fs::is_regular_file(dir / "CMakeCache.txt", ec)) return canonical(dir);
  return canonical(exe);
}

std::string BundledRom(const std::string& exeDir) {
  const std::string dir = ProgramDataDir(exeDir);
  std::error_code ec;
  if (dir.empty() || !fs::is_regular_file(dir + "rpn.rom", ec)) return {};
  return dir + "rpn.rom";
}

std::string FindModuleFile(const std::string& file, const std::string& homeDir,
                           const std::string& dataDir) {
  if (file.find('/') != std::string::npos) return file;
  std::error_code ec;
  if (!dataDir.empty() && !fs::exists(homeDir + file, ec) && fs::exists(dataDir + file, ec))
    return dataDir + file;
  return homeDir + file;
}

std::string FirstIniText(const std::string& firmware) {
  std::string text =
      "; VALDOR's configuration, read at every start and at Restart (the calculator's menu).\n"
      ";\n"
      "; The calculator's menu has a Modules window that adds your ROM images (or drop them on\n"
      "; the calculator) and writes this file. By hand: list them in [ROM]: Modules is the\n"
      "; number of entries, and each entry Module<n> gives the start address, the file, and\n"
      "; optionally the bank span and then the first bank (0 to 3).\n"
      "; A file name without a folder is taken from this folder, or else from the program's\n"
      "; own data folder (where the firmware that came with it is). For example:\n"
      ";   [ROM]\n"
      ";   Modules=3\n"
      ";   Module1=0 NUT0.ROM\n"
      ";   Module2=$1000 NUT1.ROM\n"
      ";   Module3=$5000 TIMER.R41 1\n"
      ";\n"
      "; The calculator's memory is kept in VALDOR.RAM beside this file.\n"
      "\n"
      "[ROM]\n";
  if (firmware.empty()) {
    text += "Modules=0\n";
  } else {
    text += "; The open RPN firmware that came with the program (demo.rom, beside it, is a\n"
            "; small firmware to read as an introduction to the microcode).\n"
            "Modules=1\n"
            "Module1=0 " + firmware + "\n";
  }
  return text;
}

bool PrepareHomeDir(const std::string& homeDir, const std::string& programName,
                    const std::string& firmware, std::string& error) {
  if (homeDir.empty()) {
    error = "no home folder: HOME is not set and the password database names no folder for this "
            "user (set VALDOR_HOME)";
    return false;
  }
  std::error_code ec;
  const bool existed = fs::is_directory(homeDir, ec);
  fs::create_directories(homeDir, ec);
  if (ec || !fs::is_directory(homeDir, ec)) {
    error = "cannot create the folder " + homeDir + ": " +
            (ec ? ec.message() : std::string("a file of that name is in the way"));
    return false;
  }
  // The calculator's memory is the user's own data: nobody else may read it.
  if (!existed) fs::permissions(homeDir, fs::perms::owner_all, ec);
  const std::string ini = WithSlash(homeDir) + programName + ".Ini";
  if (fs::exists(fs::symlink_status(ini, ec))) return true;
  // The firmware is listed by its bare name: it is found in the home folder or else in the
  // program's own data folder, so that the entry holds wherever the program is installed.
  const std::string listed = firmware.empty() ? "" : fs::path(firmware).filename().string();
  if (!ReplaceFile(ini, FirstIniText(listed))) {
    error = WithReason("cannot write " + ini, errno);
    return false;
  }
  // The firmware's symbol file comes along, so the debugger names its routines; one already
  // there is the user's and stays.
  if (firmware.empty()) return true;
  const fs::path symbols = fs::path(firmware).parent_path() / "Entries.A";
  const fs::path target = fs::path(WithSlash(homeDir) + "Entries.A");
  if (!fs::is_regular_file(symbols, ec) || fs::exists(fs::symlink_status(target, ec))) return true;
  fs::copy_file(symbols, target, ec);
  if (ec) {
    error = "cannot copy " + symbols.string() + " to " + homeDir + ": " + ec.message();
    return false;
  }
  return true;
}

bool PrepareHome(const HomeChoice& home, const std::string& programName,
                 const std::string& exeDir, std::string& error) {
  if (!home.perUser) return true;
  return PrepareHomeDir(home.dir, programName, BundledRom(exeDir), error);
}
