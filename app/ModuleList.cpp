#include "app/ModuleList.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

#include "app/StartUp.h"
#include "host/Host.h"
#include "host/ProfileFile.h"

std::vector<ModuleItem> ReadModuleList(const ProfileFile& ini) {
  std::vector<ModuleItem> items;
  for (const int64_t i : EntryNumbers(ini, "ROM", ini.ReadInteger("ROM", "Modules", 0))) {
    const std::string value = ini.ReadString("ROM", "Module" + std::to_string(i), "");
    if (value.empty()) continue;
    ModuleEntry entry;
    std::string bad;
    if (ParseModuleEntry(value, entry, bad) != EntryParse::Ok) {
      items.push_back({value, 0, 16, 0, value, false});
      continue;
    }
    items.push_back({entry.file, entry.start, entry.span, entry.bank, value, true});
  }
  return items;
}

std::string ModuleEntryText(const ModuleItem& item) {
  if (!item.understood) return item.text;
  ModuleEntry was;
  std::string bad;
  if (!item.text.empty() && ParseModuleEntry(item.text, was, bad) == EntryParse::Ok &&
      was.file == item.file && was.start == item.start && was.span == item.span &&
      was.bank == item.bank)
    return item.text;
  char start[8];
  std::snprintf(start, sizeof start, "$%04X", static_cast<unsigned>(item.start & 0xFFFF));
  std::string text = start;
  text.append(" ").append(item.file);
  if (item.span != 16 || item.bank != 0) text.append(" ").append(std::to_string(item.span));
  if (item.bank != 0) text.append(" ").append(std::to_string(item.bank));
  return text;
}

bool WriteModuleList(ProfileFile& ini, const std::vector<ModuleItem>& items) {
  std::vector<ProfileEdit> edits;
  edits.push_back({"ROM", "Modules", std::to_string(items.size())});
  for (size_t i = 0; i < items.size(); ++i)
    edits.push_back({"ROM", "Module" + std::to_string(i + 1), ModuleEntryText(items[i])});
  // Entries past the new count would come back if the count were raised by hand.
  for (const std::string& key : ini.Keys("ROM")) {
    const bool numbered = key.size() > 6 && key.find_first_not_of("0123456789", 6) == std::string::npos;
    if (!numbered || !std::equal(key.begin(), key.begin() + 6, "module",
                                 [](char a, char b) { return (a | 0x20) == b; }))
      continue;
    const bool kept = key[6] != '0' && key.size() <= 9 && std::stoul(key.substr(6)) <= items.size();
    if (!kept) edits.push_back({"ROM", key, std::nullopt});
  }
  return ini.Write(edits);
}

bool ModuleLoaded(const ModuleItem& item) {
  return !item.text.empty() && ModuleEntryText(item) == item.text &&
         std::find(LoadedEntries.begin(), LoadedEntries.end(), item.text) != LoadedEntries.end();
}

namespace {

// The cells the words of an image fill, by the loader's placement rule; false when a word would
// land outside the 16 pages x 4 banks.
bool Cells(const ModuleItem& item, int64_t words, std::vector<std::pair<int, int>>& cells) {
  if (item.start < 0 || item.start > 0xFFFF || item.span < 1 || item.bank < 0 || item.bank > 3)
    return false;
  const int64_t limit = item.start + std::min<int64_t>(item.span, 17) * 4096;
  int64_t address = item.start, bank = item.bank;
  std::set<std::pair<int, int>> filled;
  for (int64_t i = 0; i < words; ++i, ++address) {
    if (address >= limit) {
      ++bank;
      address -= 4096;
    }
    if (bank > 3 || address > 0xFFFF) return false;
    filled.insert({static_cast<int>(address >> 12), static_cast<int>(bank)});
  }
  cells.assign(filled.begin(), filled.end());
  return true;
}

}  // namespace

std::vector<ModuleCheck> CheckModules(const std::vector<ModuleItem>& items) {
  std::vector<ModuleCheck> checks(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    ModuleCheck& check = checks[i];
    if (!items[i].understood) {
      check.problem = "not understood: an entry is a start, a file, and optionally span and bank";
      continue;
    }
    check.image = ProbeModuleImage(ModulePath(items[i].file));
    if (!check.image.valid) {
      check.problem = check.image.reason;
      continue;
    }
    if (!Cells(items[i], check.image.words, check.cells)) {
      check.problem = "runs past the end of the address space";
      continue;
    }
    for (size_t j = 0; j < i && check.problem.empty(); ++j) {
      for (const auto& cell : check.cells) {
        if (std::find(checks[j].cells.begin(), checks[j].cells.end(), cell) ==
            checks[j].cells.end())
          continue;
        check.problem = "shares page " + std::to_string(cell.first) + " bank " +
                        std::to_string(cell.second) + " with entry " + std::to_string(j + 1) +
                        " (" + items[j].file + ")";
        break;
      }
    }
  }
  return checks;
}

int FirstFreePage(const std::vector<ModuleCheck>& checks, int pages, int from) {
  bool used[16] = {};
  for (const ModuleCheck& check : checks)
    for (const auto& [page, bank] : check.cells)
      if (bank == 0) used[page] = true;
  for (int page = from; page + pages <= 16; ++page) {
    bool free = true;
    for (int p = page; p < page + pages; ++p) free = free && !used[p];
    if (free) return page;
  }
  return -1;
}

namespace {

namespace fs = std::filesystem;

bool SameFolder(const fs::path& a, const std::string& folder) {
  std::error_code ec;
  return !folder.empty() && fs::equivalent(a, fs::path(folder), ec);
}

bool SameContents(const fs::path& a, const fs::path& b) {
  std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
  return fa && fb &&
         std::equal(std::istreambuf_iterator<char>(fa), {}, std::istreambuf_iterator<char>(fb), {});
}

}  // namespace

std::string ImageIntoHome(const std::string& path, std::string& error) {
  const fs::path source = fs::absolute(path);
  std::error_code ec;
  if (!fs::is_regular_file(source, ec)) {
    error = "Cannot add " + source.string() + ": " +
            (ec ? ec.message() : fs::exists(source) ? "not a regular file" : "no such file");
    return {};
  }
  std::string name = source.filename().string();
  const bool plain = name.find(' ') == std::string::npos;
  if (plain && (SameFolder(source.parent_path(), TheHost().HomeDir()) ||
                SameFolder(source.parent_path(), TheHost().DataDir())))
    return name;
  // A configuration entry ends its file name at a space.
  std::replace(name.begin(), name.end(), ' ', '_');
  const fs::path stem = fs::path(name).stem(), extension = fs::path(name).extension();
  const fs::path home(TheHost().HomeDir());
  for (int n = 1; n < 1000; ++n) {
    const std::string candidate =
        n == 1 ? name : stem.string() + "-" + std::to_string(n) + extension.string();
    const fs::path target = home / candidate;
    if (fs::exists(target, ec)) {
      if (SameContents(source, target)) return candidate;
      continue;
    }
    if (!fs::copy_file(source, target, ec)) {
      error = "Cannot copy " + source.string() + " into " + home.string() + ": " + ec.message();
      return {};
    }
    return candidate;
  }
  error = "Cannot copy " + source.string() + ": too many files of that name in " + home.string();
  return {};
}
