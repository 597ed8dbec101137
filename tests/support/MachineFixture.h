#pragma once
// A fixture that gives each test a freshly initialised machine, a headless host with a fake
// tick counter, a headless panel and an empty temporary home folder.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "host/Headless.h"

class MachineTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Stores words at consecutive addresses from address, bank 0.
  void LoadWords(uint32_t address, std::initializer_list<uint16_t> words);
  // Runs n steps at normal speed (no delay unless Ticks is set).
  void RunSteps(int n);
  // Writes a file into the home folder; returns its path.
  std::string WriteHomeFile(const std::string& name, const std::string& bytes);
  std::string ReadFile(const std::string& path);

  HeadlessHost host;
  HeadlessPanel panel;
  std::string home;  // ends in '/'
};

// Sets the digits of a register from a hexadecimal text, most significant digit first
// ("1234" sets digits 3..0).
template <typename Reg>
void SetDigits(Reg& reg, const std::string& hex) {
  for (auto& d : reg) d = 0;
  int i = 0;
  for (auto it = hex.rbegin(); it != hex.rend() && i < static_cast<int>(reg.size()); ++it, ++i) {
    const char c = *it;
    reg[i] = static_cast<uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
}
// The digits of a register as 14 hexadecimal digits, most significant first.
template <typename Reg>
std::string DigitsText(const Reg& reg) {
  std::string s;
  for (int i = static_cast<int>(reg.size()) - 1; i >= 0; --i) s += "0123456789ABCDEF"[reg[i] & 15];
  return s;
}
