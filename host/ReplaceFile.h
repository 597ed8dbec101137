#pragma once
// Writing a file so that a failure at any point (a read-only folder, a full disk, a crash)
// leaves the previous file as it was.

#include <string>

// Writes bytes to a new file beside path, flushes it and renames it over path. A path that is
// a symbolic link keeps the link: its target is replaced. False when anything failed, with errno
// telling why; the previous file is then untouched and no temporary file is left.
bool ReplaceFile(const std::string& path, const std::string& bytes);
