#pragma once
// A fixture for running valdor-run as a separate program in a temporary home folder.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class RunnerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/valdor-run-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    home_ = std::string(tmpl) + "/";
    const char* tools = std::getenv("VALDOR_TOOLS_DIR");
    runner_ = std::string(tools ? tools : "tools") + "/valdor-run";
    ASSERT_TRUE(std::filesystem::exists(runner_)) << runner_;
  }
  void TearDown() override { std::filesystem::remove_all(home_); }

  // Runs valdor-run with the arguments; returns its exit status, standard output in out.
  int RunTool(const std::string& args, std::string* out = nullptr) {
    const std::string cmd = runner_ + " --home " + home_ + " " + args + " 2>" + home_ + "err.txt";
    FILE* pipe = popen(cmd.c_str(), "r");
    std::string text;
    char buf[256];
    while (pipe && fgets(buf, sizeof buf, pipe)) text += buf;
    const int status = pipe ? pclose(pipe) : -1;
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Errors() { return Slurp(home_ + "err.txt"); }

  std::string home_, runner_;
};
