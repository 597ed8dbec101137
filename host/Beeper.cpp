#include "host/Beeper.h"

void SquareWave::Fill(int16_t* out, int n) {
  const bool on = On();
  const double step = kBeeperHz / sampleRate_;
  for (int i = 0; i < n; ++i) {
    out[i] = on ? (phase_ < 0.5 ? amplitude_ : static_cast<int16_t>(-amplitude_)) : 0;
    phase_ += step;
    if (phase_ >= 1.0) phase_ -= 1.0;
  }
}
