#pragma once
// The module images the configuration lists, as the Modules window edits them: read from and
// written to the "ROM" section, each checked against its file and against the others (which
// pages and banks it fills, and what keeps it from loading as meant).

#include <string>
#include <utility>
#include <vector>

#include "memory/Rom.h"

class ProfileFile;

constexpr int kPluginPage = 8;  // plug-in modules go from page 8 up

struct ModuleItem {
  std::string file;  // as the configuration names it: a bare name is looked up in the home
  int64_t start = kPluginPage * 4096;
  int64_t span = 16;
  int64_t bank = 0;
  std::string text;  // the entry as it was read ("" for a new one): kept when nothing changed
  bool understood = true;  // false: text is no "start file [span [bank]]"; it is kept as it is
};

// The entries of the "ROM" section in configuration order, the ones start-up reads (numbers up
// to "Modules", gaps skipped), those that do not parse included, so that writing the list back
// loses none.
std::vector<ModuleItem> ReadModuleList(const ProfileFile& ini);
// The entry's value: the text it was read from when nothing changed, else "$8000 FILE" with the
// span and the bank where they are not the defaults.
std::string ModuleEntryText(const ModuleItem& item);
// Writes the list as "Modules" and "Module1".."ModuleN" in one save, removing the entries
// beyond N; the other keys and the comments stay.
bool WriteModuleList(ProfileFile& ini, const std::vector<ModuleItem>& items);

// Whether the last start-up loaded this entry as it stands now.
bool ModuleLoaded(const ModuleItem& item);

struct ModuleCheck {
  ImageInfo image;
  std::vector<std::pair<int, int>> cells;  // (page, bank) it fills
  std::string problem;                     // what is wrong with it ("" when nothing)
};
// Checks each item: its file (by ModulePath), its placement in the 16 pages x 4 banks, and
// the cells it shares with an earlier item.
std::vector<ModuleCheck> CheckModules(const std::vector<ModuleItem>& items);
// The first page from `from` up where bank 0 is free for `pages` pages in a row; -1 if none.
int FirstFreePage(const std::vector<ModuleCheck>& checks, int pages = 1, int from = kPluginPage);

// The configuration's name for an image file: a file in the home folder or the program's data
// folder by its bare name; any other is copied into the home folder first, under a name without
// spaces and never over a different file. Empty, with the reason, when the copy fails.
std::string ImageIntoHome(const std::string& path, std::string& error);

// The RAM sizes the window offers: registers from 192 on.
constexpr int kRamSize41C = 64;    // registers 192..255
constexpr int kRamSize41CV = 320;  // registers 192..511
