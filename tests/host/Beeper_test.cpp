// The beeper's samples, without a sound device: pitch, and switching on and off.

#include "host/Beeper.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Rising edges in the samples: one per period of the square wave.
int RisingEdges(const std::vector<int16_t>& s) {
  int edges = 0;
  for (size_t i = 1; i < s.size(); ++i) edges += s[i - 1] <= 0 && s[i] > 0;
  return edges;
}

TEST(BeeperTest, ToneHasThePitchOfTheTimerDivisor) {
  SquareWave wave(44100);
  wave.SetOn(true);
  std::vector<int16_t> tenSeconds(441000);
  // Filled in pieces, as the audio output asks for them: the phase must run on.
  for (size_t at = 0; at < tenSeconds.size(); at += 1000) wave.Fill(tenSeconds.data() + at, 1000);
  const int edges = RisingEdges(tenSeconds);
  EXPECT_NEAR(edges, 728, 1);  // 72.8 Hz
  // A square wave: only the two levels.
  for (int16_t v : tenSeconds) ASSERT_TRUE(v == 6000 || v == -6000);
}

TEST(BeeperTest, SilentWhileOffAndTheToneResumesWhenOn) {
  SquareWave wave(8000);
  std::vector<int16_t> s(800);
  wave.Fill(s.data(), 800);
  for (int16_t v : s) ASSERT_EQ(v, 0);
  wave.SetOn(true);
  wave.Fill(s.data(), 800);
  EXPECT_GT(RisingEdges(s), 5);
  wave.SetOn(false);
  wave.Fill(s.data(), 800);
  for (int16_t v : s) ASSERT_EQ(v, 0);
}

}  // namespace
