#pragma once
// A private-profile (INI) file with the Windows semantics the configuration relies on:
// sections and keys compared without regard to case, values trimmed, at most 1023 characters
// of a value seen, a write that changes one line and keeps the rest of the file (comments
// included), and the file created on the first write.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One change of a key: set it to value, or remove its line when value is empty.
struct ProfileEdit {
  std::string section;
  std::string key;
  std::optional<std::string> value;
};

class ProfileFile {
 public:
  explicit ProfileFile(std::string path);

  const std::string& Path() const { return path_; }
  // Reads a text value (at most 1023 characters), or def when the key is missing.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  // Reads an integer: "0x"/"0X" prefix hexadecimal, otherwise decimal or "$" hexadecimal with
  // optional leading blanks and sign; missing or not a number gives def.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
  bool HasKey(const std::string& section, const std::string& key) const;
  // The keys of the section, as written and in file order.
  std::vector<std::string> Keys(const std::string& section) const;
  // Writes the value as text and saves the file; false when the file cannot be written.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool WriteInteger(const std::string& section, const std::string& key, int32_t value);
  // Applies the edits in order and saves the file once: all of them are written or none.
  bool Write(const std::vector<ProfileEdit>& edits);
  // The errno of the last write that failed (0 if none did).
  int LastError() const { return lastError_; }

 private:
  std::string path_;
  int lastError_ = 0;
  std::vector<std::string> lines_;
  bool Save() const;
};

// The integer conversion of the configuration: optional leading blanks and sign, decimal
// digits or "$" followed by hexadecimal digits. Returns false when text is not such a number
// or does not fit in 32 bits.
bool TextToInteger(const std::string& text, int64_t& value);
// The configuration's integer reading: "0x" prefix first, then TextToInteger; 32-bit result.
bool ConfigTextToInteger(const std::string& text, int32_t& value);
