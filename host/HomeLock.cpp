#include "host/HomeLock.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>

std::string HomeLockPath(const std::string& homeDir, const std::string& programName) {
  return homeDir + programName + ".lock";
}

long HomeLockHolder(const std::string& lockPath) {
  std::ifstream in(lockPath);
  std::string pidLine, name, host;
  if (!std::getline(in, pidLine)) return 0;
  std::getline(in, name);
  std::getline(in, host);
  long pid = 0;
  for (const char c : pidLine) {
    if (c < '0' || c > '9' || pid > (LONG_MAX - 9) / 10) return 0;
    pid = pid * 10 + (c - '0');
  }
  if (pid <= 0 || pid > INT_MAX) return 0;
  char here[HOST_NAME_MAX + 1] = {};
  ::gethostname(here, sizeof here - 1);
  if (!host.empty() && host != here) return 0;
  const bool alive = ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
  return alive ? pid : 0;
}
