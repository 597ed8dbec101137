#pragma once
// The beeper's tone: a steady square wave of the PC timer's divisor 0x4000 (about 72.8 Hz)
// while it is on, silence while it is off. The samples are produced here, free of any audio
// library, so that pitch and switching can be tested without a sound device.

#include <atomic>
#include <cstdint>

constexpr double kPcTimerHz = 1193182.0;
constexpr double kBeeperHz = kPcTimerHz / 0x4000;  // 72.83 Hz

class SquareWave {
 public:
  explicit SquareWave(int sampleRate = 44100, int16_t amplitude = 6000)
      : sampleRate_(sampleRate), amplitude_(amplitude) {}
  void SetOn(bool on) { on_.store(on, std::memory_order_relaxed); }
  bool On() const { return on_.load(std::memory_order_relaxed); }
  // Fills n mono 16-bit samples; the phase runs on across calls so the tone has no clicks.
  void Fill(int16_t* out, int n);

 private:
  int sampleRate_;
  int16_t amplitude_;
  double phase_ = 0;  // 0..1 within one period
  std::atomic<bool> on_{false};
};
