#include "host/HomeFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

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
  return {WithSlash(WithSlash(userDataDir) + "valdor"), true};
}

std::string XdgDataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && *home) return WithSlash(home) + ".local/share";
  return {};
}

std::string InstalledDemoRom(const std::string& exeDir) {
  if (exeDir.empty()) return {};
  std::error_code ec;
  const fs::path demo = fs::weakly_canonical(
      fs::absolute(fs::path(WithSlash(exeDir)) / ".." / "share" / "valdor" / "demo.rom", ec), ec);
  if (ec || !fs::is_regular_file(demo, ec)) return {};
  return demo.string();
}

std::string FirstIniText(const std::string& demoRom) {
  std::string text =
      "; VALDOR's configuration, read at every start.\n"
      ";\n"
      "; To run your own ROM images, list them in [ROM]: Modules is the number of entries, and\n"
      "; each entry Module<n> gives the start address, the file, and optionally the bank span.\n"
      "; A file name without a folder is taken from this folder. For example:\n"
      ";   [ROM]\n"
      ";   Modules=3\n"
      ";   Module1=0 NUT0.ROM\n"
      ";   Module2=$1000 NUT1.ROM\n"
      ";   Module3=$5000 TIMER.R41 1\n"
      ";\n"
      "; The calculator's memory is kept in VALDOR.RAM beside this file.\n"
      "\n"
      "[ROM]\n";
  if (demoRom.empty()) {
    text += "Modules=0\n";
  } else {
    text += "; The demonstration firmware that came with the program.\n"
            "Modules=1\n"
            "Module1=0 " + demoRom + "\n";
  }
  return text;
}

bool PrepareHomeDir(const std::string& homeDir, const std::string& programName,
                    const std::string& demoRom, std::string& error) {
  std::error_code ec;
  fs::create_directories(homeDir, ec);
  if (ec || !fs::is_directory(homeDir, ec)) {
    error = "cannot create the folder " + homeDir;
    return false;
  }
  const std::string ini = WithSlash(homeDir) + programName + ".Ini";
  if (fs::exists(fs::symlink_status(ini, ec))) return true;
  // A configuration entry ends its file name at the first space: a demo whose path holds one
  // is copied into the home folder and listed by name.
  std::string listed = demoRom;
  if (listed.find(' ') != std::string::npos) {
    listed = "demo.rom";
    fs::copy_file(demoRom, WithSlash(homeDir) + listed, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      error = "cannot copy " + demoRom + " to " + homeDir;
      return false;
    }
  }
  if (!ReplaceFile(ini, FirstIniText(listed))) {
    error = "cannot write " + ini;
    return false;
  }
  // The demo's symbol file comes along, so the debugger names its routines; one already there
  // is the user's and stays.
  if (demoRom.empty()) return true;
  const fs::path symbols = fs::path(demoRom).parent_path() / "Entries.A";
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
  return PrepareHomeDir(home.dir, programName, InstalledDemoRom(exeDir), error);
}
