#pragma once
// Which folder holds the user's files (VALDOR.Ini, VALDOR.RAM, VALDOR.LOG, Entries.A, the
// printer's PDF), and the first configuration written there. Shared by the desktop program and
// valdor-run, which find the per-user folder by the same XDG rule.

#include <string>

struct HomeChoice {
  std::string dir;       // ends in '/'
  bool perUser = false;  // the per-user data folder, which a starting program prepares
};
// valdorHome: the VALDOR_HOME variable (null or empty: unset), used as given; exeDir: the
// executable's folder, used when it holds programName + ".Ini" (portable use); otherwise
// userDataDir + "/valdor", the per-user folder (an empty dir when userDataDir is empty).
HomeChoice ChooseHome(const char* valdorHome, const std::string& exeDir,
                      const std::string& programName, const std::string& userDataDir);

// The per-user data folder by the XDG rule: $XDG_DATA_HOME if it is an absolute path, else
// $HOME/.local/share, else the password database's folder of the user + /.local/share. Empty
// when none gives a folder.
std::string XdgDataHome();

// The program's own data folder, which holds the firmware that comes with it (the RPN
// firmware rpn.rom, and the demonstration firmware) and the RPN firmware's symbol file:
// exeDir/../share/valdor for an installed program, else the build folder (exeDir or its parent,
// whichever holds CMakeCache.txt), else exeDir. Absolute, without "..", ending in '/'.
std::string ProgramDataDir(const std::string& exeDir);
// The firmware a first start loads: rpn.rom in that folder, or empty when there is none.
std::string BundledRom(const std::string& exeDir);
// The module file a configuration entry names: a name with a folder as given; a bare name from
// homeDir, or from dataDir when it is only there.
std::string FindModuleFile(const std::string& file, const std::string& homeDir,
                           const std::string& dataDir);

// Creates homeDir if needed (readable by its owner only) and, when it holds no programName +
// ".Ini", writes a first one that loads firmware by its bare name (if not empty) and explains how
// to list one's own ROM images. Returns false (with error set, giving the system's reason) when
// the folder or the file cannot be created; an existing file is kept.
bool PrepareHomeDir(const std::string& homeDir, const std::string& programName,
                    const std::string& firmware, std::string& error);

// What a starting program does before it reads its configuration: a per-user home is prepared
// with the firmware found from exeDir; other homes are used as they are.
bool PrepareHome(const HomeChoice& home, const std::string& programName,
                 const std::string& exeDir, std::string& error);

// The first configuration's text.
std::string FirstIniText(const std::string& firmware);
