#pragma once
// The HP-41CX timer chip: two clocks, two alarms, scratch registers, accuracy factor and an
// interval timer, at peripheral address 0xFB, advanced from the host's tick counter.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

// Timer digits are atomic bytes: three threads read and write them.
template <std::size_t N>
using TimerDigits = std::array<std::atomic<uint8_t>, N>;

extern TimerDigits<14> CLA, CLB, ALA, ALB, SCA, SCB;
extern TimerDigits<4> AF;
extern TimerDigits<5> IT, TR;
extern std::atomic<uint32_t> TimerStatus;
extern std::atomic<uint8_t> TimerPointerB;  // 0: pointer A, 1: pointer B
extern std::atomic<uint32_t> ClockReference[3];  // clock A, clock B, interval timer

void TimerInit();
void TimerRead(int n);
void TimerWrite(int n);
void PollTimer();
void UpdateClock(int k);  // 0: A, 1: B
void UpdateInterval();
// Milliseconds of the tick counter until the next poll can raise an event (an enabled alarm or
// the interval timer reaching its count); kNoTimerEvent when nothing runs towards one.
constexpr uint32_t kNoTimerEvent = UINT32_MAX;
uint32_t MsToNextTimerEvent();

// The polling thread's pause, paired one to one: POWOFF suspends, waking resumes.
void SuspendTimerThread();
void ResumeTimerThread();
bool TimerThreadSuspended();

// The polling thread ZIrizuvaRezeze: polls the chip while the CPU is awake, with a short sleep
// after each poll. Start it at program initialisation; Stop at program end.
class ZIrizuvaRezeze {
 public:
  static void Start();
  static void Stop();
  static bool Running();
};
