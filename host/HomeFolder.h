#pragma once
// Which folder holds the user's files (VALDOR.Ini, VALDOR.RAM, VALDOR.LOG, Entries.A, the
// printer's PDF), and the first configuration written there. Shared by the desktop program and
// valdor-run; the desktop passes the per-user data folder from QStandardPaths.

#include <string>

struct HomeChoice {
  std::string dir;       // ends in '/'
  bool perUser = false;  // the per-user data folder, which a starting program prepares
};
// valdorHome: the VALDOR_HOME variable (null or empty: unset), used as given; exeDir: the
// executable's folder, used when it holds programName + ".Ini" (portable use and the build
// folder); otherwise userDataDir + "/valdor", the per-user folder.
HomeChoice ChooseHome(const char* valdorHome, const std::string& exeDir,
                      const std::string& programName, const std::string& userDataDir);

// The per-user data folder by the XDG rule: $XDG_DATA_HOME if it is an absolute path, else
// $HOME/.local/share. Empty when neither gives a folder.
std::string XdgDataHome();

// The demonstration firmware that comes with an installed program: exeDir/../share/valdor/
// demo.rom, as an absolute path without "..", or empty when there is none.
std::string InstalledDemoRom(const std::string& exeDir);

// Creates homeDir if needed and, when it holds no programName + ".Ini", writes a first one that
// loads demoRom (if not empty) and explains how to list one's own ROM images. Returns false
// (with error set) when the folder or the file cannot be created; an existing file is kept.
bool PrepareHomeDir(const std::string& homeDir, const std::string& programName,
                    const std::string& demoRom, std::string& error);

// What a starting program does before it reads its configuration: a per-user home is prepared
// with the installed demo firmware found from exeDir; other homes are used as they are.
bool PrepareHome(const HomeChoice& home, const std::string& programName,
                 const std::string& exeDir, std::string& error);

// The first configuration's text.
std::string FirstIniText(const std::string& demoRom);
