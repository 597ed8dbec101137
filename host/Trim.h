#pragma once
// The ends of a text trimmed: blanks and control characters (codes up to 32), or the characters
// the caller's test names.

#include <string_view>

inline bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

template <typename Trimmed = bool (*)(char)>
std::string_view Trim(std::string_view s, Trimmed trimmed = IsBlankOrControl) {
  while (!s.empty() && trimmed(s.front())) s.remove_prefix(1);
  while (!s.empty() && trimmed(s.back())) s.remove_suffix(1);
  return s;
}
