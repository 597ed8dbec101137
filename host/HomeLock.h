#pragma once
// The lock a running VALDOR holds on its home folder, so that two programs never write their
// memory over each other's. The desktop takes it with QLockFile; valdor-run, which has no Qt,
// reads the same file: the holder's process id, program name and host name, one a line.

#include <string>

// The lock file of the home folder homeDir (ending in '/').
std::string HomeLockPath(const std::string& homeDir, const std::string& programName);

// The process id of a program that holds the lock and still runs on this host, else 0: no file,
// a file that does not parse, a process that has ended (a crash leaves its lock behind), or
// another host's lock, whose process cannot be asked.
long HomeLockHolder(const std::string& lockPath);
