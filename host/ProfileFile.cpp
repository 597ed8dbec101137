#include "host/ProfileFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string_view>

#include "host/ReplaceFile.h"
#include "host/Trim.h"

namespace {

constexpr size_t kValueLimit = 1023;  // what a 1024-character buffer holds

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Keys, values and section names lose blanks and stray carriage returns at both ends: a last
// line that ends in a lone CR must read the same once a write has ended it with CR LF.
bool IsTrimmed(char c) {
  return IsBlank(c) || c == '\r';
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c | 0x20) : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// The file as lines, each with its own line end, so that a rewrite keeps every byte.
std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::error_code ec;
  // A folder or device in the file's place reads as a missing file.
  if (!std::filesystem::is_regular_file(path, ec)) return lines;
  std::ifstream in(path, std::ios::binary);
  if (!in) return lines;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t at = 0;
  while (at < text.size()) {
    const size_t nl = text.find('\n', at);
    const size_t end = nl == std::string::npos ? text.size() : nl + 1;
    lines.push_back(text.substr(at, end - at));
    at = end;
  }
  return lines;
}

std::string_view LineEnd(const std::string& line) {
  std::string_view s(line);
  if (s.ends_with("\r\n")) return s.substr(s.size() - 2);
  if (s.ends_with('\n')) return s.substr(s.size() - 1);
  return {};
}

// A line without its line end (and without a byte order mark on the first line).
std::string_view Content(const std::vector<std::string>& lines, size_t i) {
  std::string_view s(lines[i]);
  s.remove_suffix(LineEnd(lines[i]).size());
  if (i == 0 && s.starts_with("\xEF\xBB\xBF")) s.remove_prefix(3);
  return s;
}

bool SectionHeader(std::string_view content, std::string_view& name) {
  content = Trim(content, IsTrimmed);
  if (!content.starts_with('[')) return false;
  content.remove_prefix(1);
  name = Trim(content.substr(0, content.find(']')), IsTrimmed);
  return true;
}

bool KeyLine(std::string_view content, std::string_view& key, std::string_view& value) {
  const std::string_view trimmed = Trim(content, IsTrimmed);
  if (trimmed.starts_with(';')) return false;
  const size_t eq = trimmed.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(trimmed.substr(0, eq), IsTrimmed);
  value = Trim(trimmed.substr(eq + 1), IsTrimmed);
  return true;
}

// The header line of the first section of that name, or -1.
long FindSection(const std::vector<std::string>& lines, const std::string& section) {
  std::string_view name;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (SectionHeader(Content(lines, i), name) && EqualNoCase(name, section)) {
      return static_cast<long>(i);
    }
  }
  return -1;
}

struct KeySearch {
  long line = -1;         // the key's line, or -1
  long lastKeyLine = -1;  // the section's last key line (or its header): where a key goes
  std::string_view name;  // the key as written in the file
  std::string_view value;
};

KeySearch FindKey(const std::vector<std::string>& lines, long header, const std::string& key) {
  KeySearch found;
  found.lastKeyLine = header;
  std::string_view name, k, v;
  for (size_t i = static_cast<size_t>(header) + 1; i < lines.size(); ++i) {
    const std::string_view content = Content(lines, i);
    if (SectionHeader(content, name)) break;
    if (!KeyLine(content, k, v)) continue;
    found.lastKeyLine = static_cast<long>(i);
    if (found.line < 0 && EqualNoCase(k, key)) {
      found.line = static_cast<long>(i);
      found.name = k;
      found.value = v;
    }
  }
  return found;
}

std::string PreferredLineEnd(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    const std::string_view end = LineEnd(line);
    if (!end.empty()) return std::string(end);
  }
  return "\n";
}

bool HexDigit(char c, unsigned& digit) {
  if (c >= '0' && c <= '9') {
    digit = static_cast<unsigned>(c - '0');
  } else if (Lower(c) >= 'a' && Lower(c) <= 'f') {
    digit = static_cast<unsigned>(Lower(c) - 'a' + 10);
  } else {
    return false;
  }
  return true;
}

// Digits of the given base, all of them, at least one; false past limit.
bool ParseDigits(std::string_view s, unsigned base, uint64_t limit, uint64_t& value) {
  if (s.empty()) return false;
  value = 0;
  for (char c : s) {
    unsigned d = 0;
    if (!HexDigit(c, d) || d >= base) return false;
    value = value * base + d;
    if (value > limit) return false;
  }
  return true;
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)), lines_(ReadLines(path_)) {}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& def) const {
  std::string value = def;
  const long header = FindSection(lines_, section);
  if (header >= 0) {
    const KeySearch found = FindKey(lines_, header, key);
    if (found.line >= 0) {
      std::string_view v = found.value;
      // Matching quotes around a value are not part of it.
      if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
      }
      value = std::string(v);
    }
  }
  if (value.size() > kValueLimit) value.resize(kValueLimit);
  return value;
}

int32_t ProfileFile::ReadInteger(const std::string& section, const std::string& key,
                                 int32_t def) const {
  int32_t value = 0;
  return ConfigTextToInteger(ReadString(section, key, ""), value) ? value : def;
}

bool ProfileFile::HasKey(const std::string& section, const std::string& key) const {
  const long header = FindSection(lines_, section);
  return header >= 0 && FindKey(lines_, header, key).line >= 0;
}

std::vector<std::string> ProfileFile::Keys(const std::string& section) const {
  std::vector<std::string> keys;
  const long header = FindSection(lines_, section);
  if (header < 0) return keys;
  std::string_view name, k, v;
  for (size_t i = static_cast<size_t>(header) + 1; i < lines_.size(); ++i) {
    const std::string_view content = Content(lines_, i);
    if (SectionHeader(content, name)) break;
    if (KeyLine(content, k, v)) keys.emplace_back(k);
  }
  return keys;
}

namespace {

// Sets key to value in lines, or removes the key's line when value is empty (nullopt).
void Edit(std::vector<std::string>& lines, const ProfileEdit& edit) {
  const std::string eol = PreferredLineEnd(lines);
  // Before a line is added after line i, line i must end.
  auto terminate = [&](size_t i) {
    if (LineEnd(lines[i]).empty()) lines[i] += eol;
  };
  const long header = FindSection(lines, edit.section);
  if (header >= 0) {
    const KeySearch found = FindKey(lines, header, edit.key);
    if (found.line >= 0) {
      const auto at = static_cast<size_t>(found.line);
      if (!edit.value) {
        lines.erase(lines.begin() + static_cast<long>(at));
        return;
      }
      std::string& line = lines[at];
      line = std::string(found.name) + "=" + *edit.value + std::string(LineEnd(line));
    } else if (edit.value) {
      const size_t after = static_cast<size_t>(found.lastKeyLine);
      terminate(after);
      lines.insert(lines.begin() + static_cast<long>(after) + 1,
                   edit.key + "=" + *edit.value + eol);
    }
  } else if (edit.value) {
    if (!lines.empty()) {
      terminate(lines.size() - 1);
      if (!Trim(Content(lines, lines.size() - 1), IsTrimmed).empty()) lines.push_back(eol);
    }
    lines.push_back("[" + edit.section + "]" + eol);
    lines.push_back(edit.key + "=" + *edit.value + eol);
  }
}

}  // namespace

bool ProfileFile::WriteString(const std::string& section, const std::string& key,
                              const std::string& value) {
  return Write({{section, key, value}});
}

bool ProfileFile::Write(const std::vector<ProfileEdit>& edits) {
  // Start from the file as it is now, so that writes through another instance are kept.
  const std::vector<std::string> onDisk = ReadLines(path_);
  lines_ = onDisk;
  for (const ProfileEdit& edit : edits) Edit(lines_, edit);
  if (!Save()) {
    lastError_ = errno;
    lines_ = onDisk;
    return false;
  }
  return true;
}

bool ProfileFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool ProfileFile::Save() const {
  // Replaced as a whole, so that a full disk or a crash cannot leave half a configuration.
  std::string text;
  for (const std::string& line : lines_) text += line;
  return ReplaceFile(path_, text);
}

bool TextToInteger(const std::string& text, int64_t& value) {
  std::string_view s(text);
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  unsigned base = 10;
  if (!s.empty() && s.front() == '$') {
    base = 16;
    s.remove_prefix(1);
  }
  // The magnitude of INT32_MIN is one more than INT32_MAX.
  const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
  uint64_t magnitude = 0;
  if (!ParseDigits(s, base, limit, magnitude)) return false;
  value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

bool ConfigTextToInteger(const std::string& text, int32_t& value) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    uint64_t bits = 0;
    if (!ParseDigits(std::string_view(text).substr(2), 16, 0xFFFFFFFF, bits)) return false;
    // 0x80000000..0xFFFFFFFF wrap to negative values, as a 32-bit cast does.
    value = static_cast<int32_t>(static_cast<uint32_t>(bits));
    return true;
  }
  int64_t wide = 0;
  if (!TextToInteger(text, wide)) return false;
  value = static_cast<int32_t>(wide);
  return true;
}
