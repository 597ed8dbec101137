#pragma once
// The calculator's character codes as Unicode text, for terminals and text files.

#include <string>
#include <string_view>

// One byte of the display's character text as the display draws it.
std::string DisplayCharUtf8(unsigned char byte);
// The display line: each position followed by its punctuation mark when it has one.
std::string DisplayLineUtf8(const std::string& chars, const std::string& punct);
// One print line: characters, skips as blanks, right-justified lines indented.
std::string PrintLineUtf8(std::string_view buffer, int start);
