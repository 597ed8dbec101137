// The home folder's lock as valdor-run reads it: whose it is, and when it no longer counts.

#include "host/HomeLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>

namespace {

std::string ThisHost() {
  char name[HOST_NAME_MAX + 1] = {};
  ::gethostname(name, sizeof name - 1);
  return name;
}

// The id of a process that has ended and been reaped.
long EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(HomeLockTest, OnlyALiveProcessOnThisHostHoldsTheLock) {
  const std::string path = ::testing::TempDir() + "HomeLockTest.lock";
  const long self = ::getpid();
  struct Case {
    const char* name;
    std::string text;  // empty: no file
    long holder;
  } cases[] = {
      {"no lock file", "", 0},
      {"this process", std::to_string(self) + "\nVALDOR\n" + ThisHost() + "\n", self},
      {"no host name", std::to_string(self) + "\nVALDOR\n", self},
      {"a process that has ended", std::to_string(EndedProcess()) + "\nVALDOR\n" + ThisHost() + "\n", 0},
      {"another host's", std::to_string(self) + "\nVALDOR\nsomewhere-else.example\n", 0},
      {"garbage", "12ab\nVALDOR\n", 0},
      {"zero", "0\nVALDOR\n", 0},
      {"a huge number", "99999999999999999999999\nVALDOR\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(path);
    if (!c.text.empty()) std::ofstream(path) << c.text;
    EXPECT_EQ(HomeLockHolder(path), c.holder);
  }
  std::filesystem::remove(path);
}

}  // namespace
