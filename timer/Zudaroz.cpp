// The timer chip: clocks, alarms, accuracy factor and interval timer in BCD centiseconds.

#include "timer/Zudaroz.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "cpu/Cpu.h"
#include "host/Host.h"
#include "host/Threads.h"

TimerDigits<14> CLA, CLB, ALA, ALB, SCA, SCB;
TimerDigits<4> AF;
TimerDigits<5> IT, TR;
std::atomic<uint32_t> TimerStatus{0};
std::atomic<uint8_t> TimerPointerB{0};
std::atomic<uint32_t> ClockReference[3];

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

enum : uint32_t {
  AlarmAFired = 1 << 0,
  ClockACarry = 1 << 1,
  AlarmBFired = 1 << 2,
  ClockBCarry = 1 << 3,
  IntervalElapsed = 1 << 4,
  ClockARuns = 1 << 6,
  ClockBRuns = 1 << 7,
  AlarmAEnabled = 1 << 8,
  AlarmBEnabled = 1 << 9,
  IntervalRuns = 1 << 10,
};

// The polling thread stands while the CPU sleeps; the sleeping CPU polls instead.
std::atomic<bool> timerSuspended{false};

// Held around every update and every register access, by the polling thread and the CPU thread
// alike: an update reads and moves a clock's reference and adds digit by digit with carries,
// so two at once could add the same interval twice or tear a carry.
std::mutex pollMutex;

template <std::size_t N>
void Clear(TimerDigits<N>& r) {
  for (auto& d : r) d.store(0, relaxed);
}
template <std::size_t N>
void ToC(const TimerDigits<N>& r) {
  for (size_t i = 0; i < N; ++i) Cpu.C[i] = r[i].load(relaxed);
}
void FromC(TimerDigits<14>& r) {
  for (int i = 0; i < 14; ++i) r[i].store(Cpu.C[i], relaxed);
}

void SetBits(uint32_t bits) {
  TimerStatus.fetch_or(bits, relaxed);
}
void ClearBits(uint32_t bits) {
  TimerStatus.fetch_and(~bits, relaxed);
}

void RaiseFlags() {
  Cpu.FI[12].store(1, relaxed);
  Cpu.FI[13].store(1, relaxed);
}

// Whole centiseconds since the reference, which moves to now; the remainder is dropped.
uint32_t Elapsed(std::atomic<uint32_t>& reference) {
  const uint32_t now = TheHost().TickCount();
  const int32_t diff = static_cast<int32_t>(now - reference.load(relaxed));
  reference.store(now, relaxed);
  const uint32_t e = diff < 0 ? 0u - static_cast<uint32_t>(diff) : static_cast<uint32_t>(diff);
  return e / 10;
}

// Adds d to the first n digits with decimal carry; returns the carry out of the top digit.
template <std::size_t N>
bool AddDecimal(TimerDigits<N>& r, uint32_t d) {
  constexpr int n = static_cast<int>(N);
  unsigned carry = 0;
  for (int i = 0; i < n; ++i) {
    unsigned sum = r[i].load(relaxed) + d % 10 + carry;
    d /= 10;
    carry = sum >= 10;
    if (carry) sum -= 10;
    r[i].store(static_cast<uint8_t>(sum), relaxed);
  }
  return carry;
}

template <std::size_t N, std::size_t M>
bool SameDigits(const TimerDigits<N>& a, const TimerDigits<M>& b, int first, int last) {
  for (int i = first; i <= last; ++i)
    if (a[i].load(relaxed) != b[i].load(relaxed)) return false;
  return true;
}

void TimerData() {}

// Days from 1 Jan 1900 to the given civil date.
int64_t DaysSince1900(int y, int m, int d) {
  auto daysFromCivil = [](int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yoe = year - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
  };
  return daysFromCivil(y, m, d) - daysFromCivil(1900, 1, 1);
}

void UpdateClockLocked(int k) {
  const uint32_t runs = k == 0 ? ClockARuns : ClockBRuns;
  if (!(TimerStatus.load(relaxed) & runs)) return;
  const uint32_t d = Elapsed(ClockReference[k]);
  const bool carry = AddDecimal(k == 0 ? CLA : CLB, d);
  const uint32_t carryBit = k == 0 ? ClockACarry : ClockBCarry;
  if (carry)
    SetBits(carryBit);
  else
    ClearBits(carryBit);
}

void UpdateIntervalLocked() {
  if (!(TimerStatus.load(relaxed) & IntervalRuns)) return;
  AddDecimal(IT, Elapsed(ClockReference[2]));
  if (SameDigits(IT, TR, 2, 4)) {
    SetBits(IntervalElapsed);
    Clear(IT);
  } else {
    ClearBits(IntervalElapsed);
  }
}

void PollLocked() {
  UpdateClockLocked(0);
  UpdateClockLocked(1);
  UpdateIntervalLocked();
  const uint32_t s = TimerStatus.load(relaxed);
  if ((s & ClockARuns) && (s & AlarmAEnabled) && !(s & AlarmAFired) &&
      SameDigits(CLA, ALA, 2, 13)) {
    RaiseFlags();
    SetBits(AlarmAFired);
  }
  if ((s & ClockBRuns) && (s & AlarmBEnabled) && !(s & AlarmBFired) &&
      SameDigits(CLB, ALB, 2, 13)) {
    RaiseFlags();
    SetBits(AlarmBFired);
  }
  const uint32_t now = TimerStatus.load(relaxed);
  if ((now & IntervalRuns) && (now & IntervalElapsed)) RaiseFlags();
}

// Digits first..last of a register as a decimal number.
uint64_t DigitsValue(const std::atomic<uint8_t>* digits, int first, int last) {
  uint64_t v = 0;
  for (int i = last; i >= first; --i) v = v * 10 + digits[i].load(relaxed);
  return v;
}

// Milliseconds from now until a counter of centiseconds, counted since its reference, reaches
// the target; the time since the reference has already passed.
uint32_t MsUntil(uint64_t targetCs, uint64_t countCs, const std::atomic<uint32_t>& reference) {
  const uint64_t since = static_cast<uint32_t>(TheHost().TickCount() - reference.load(relaxed));
  const uint64_t ms = (targetCs - countCs) * 10;
  return ms <= since ? 0 : static_cast<uint32_t>(std::min<uint64_t>(ms - since, kNoTimerEvent - 1));
}
}  // namespace

uint32_t MsToNextTimerEvent() {
  std::lock_guard lock(pollMutex);
  const uint32_t s = TimerStatus.load(relaxed);
  uint32_t next = kNoTimerEvent;
  // An alarm fires while its clock shows the alarm's second (digits 2..13).
  auto alarm = [&](uint32_t runs, uint32_t enabled, uint32_t fired, const TimerDigits<14>& clock,
                   const TimerDigits<14>& al, const std::atomic<uint32_t>& reference) {
    if ((s & runs) == 0 || (s & enabled) == 0 || (s & fired) != 0) return;
    const uint64_t clockCs = DigitsValue(clock.data(), 0, 13);
    const uint64_t alarmSeconds = DigitsValue(al.data(), 2, 13);
    if (alarmSeconds < clockCs / 100) return;  // passed: the clock would have to wrap
    next = std::min(next, MsUntil(std::max(alarmSeconds * 100, clockCs), clockCs, reference));
  };
  alarm(ClockARuns, AlarmAEnabled, AlarmAFired, CLA, ALA, ClockReference[0]);
  alarm(ClockBRuns, AlarmBEnabled, AlarmBFired, CLB, ALB, ClockReference[1]);
  if (s & IntervalRuns) {
    if (s & IntervalElapsed) return 0;
    // The interval timer counts centiseconds in five digits and fires at TR's second.
    const uint64_t count = DigitsValue(IT.data(), 0, 4), target = DigitsValue(TR.data(), 2, 4) * 100;
    const uint64_t until = count / 100 <= target / 100 ? std::max(target, count) : 100000 + target;
    next = std::min(next, MsUntil(until, count, ClockReference[2]));
  }
  return next;
}

void UpdateClock(int k) {
  std::lock_guard lock(pollMutex);
  UpdateClockLocked(k);
}
void UpdateInterval() {
  std::lock_guard lock(pollMutex);
  UpdateIntervalLocked();
}
void PollTimer() {
  std::lock_guard lock(pollMutex);
  PollLocked();
}

void TimerRead(int n) {
  std::lock_guard lock(pollMutex);
  const bool b = TimerPointerB.load(relaxed);
  switch (n) {
    case 0:
    case 1:
      UpdateClockLocked(b);
      ToC(b ? CLB : CLA);
      break;
    case 2:
      ToC(b ? ALB : ALA);
      break;
    case 3:
      ClearDigits(Cpu.C);
      if (b) {
        for (int i = 0; i < 4; ++i) Cpu.C[i + 1] = AF[i].load(relaxed);
      } else {
        const uint32_t s = TimerStatus.load(relaxed);
        Cpu.C[0] = s & 15;
        Cpu.C[1] = (s >> 4) & 15;
        Cpu.C[2] = (s >> 8) & 15;
        Cpu.C[3] = (s >> 12) & 1;
      }
      break;
    case 4:
      ToC(b ? SCB : SCA);
      break;
    case 5:
      UpdateIntervalLocked();
      ClearDigits(Cpu.C);
      for (int i = 0; i < 5; ++i) Cpu.C[i] = IT[i].load(relaxed);
      break;
    default:
      ClearDigits(Cpu.C);
      break;
  }
}

void TimerWrite(int n) {
  std::lock_guard lock(pollMutex);
  const bool b = TimerPointerB.load(relaxed);
  switch (n) {
    case 0:
    case 1:
      FromC(b ? CLB : CLA);
      break;
    case 2:
      FromC(b ? ALB : ALA);
      break;
    case 3:
      if (b) {
        for (int i = 0; i < 4; ++i) AF[i].store(Cpu.C[i + 1], relaxed);
        AF[3].store(AF[3].load(relaxed) & 1, relaxed);
      } else {
        // Clears event bits 0..4 where C has zeros; always clears bit 5; keeps 6..12.
        Cpu.FI[12].store(0, relaxed);
        Cpu.FI[13].store(0, relaxed);
        TimerStatus.fetch_and((Cpu.C[0] & 15u) | ((Cpu.C[1] & 1u) << 4) | 0x1FC0u, relaxed);
      }
      break;
    case 4:
      FromC(b ? SCB : SCA);
      break;
    case 5:
      for (int i = 0; i < 5; ++i) TR[i].store(Cpu.C[i], relaxed);
      Clear(IT);
      SetBits(IntervalRuns);
      ClockReference[2].store(TheHost().TickCount(), relaxed);
      break;
    case 7:
      ClearBits(IntervalRuns);
      break;
    case 8:
      ClearBits(b ? 1u << 12 : 1u << 11);
      break;
    case 9:
      SetBits(b ? 1u << 12 : 1u << 11);
      break;
    case 10:
      ClearBits(b ? AlarmBEnabled : AlarmAEnabled);
      break;
    case 11:
      SetBits(b ? AlarmBEnabled : AlarmAEnabled);
      break;
    case 12:
      ClearBits(b ? ClockBRuns : ClockARuns);
      break;
    case 13:
      SetBits(b ? ClockBRuns : ClockARuns);
      break;
    case 14:
      TimerPointerB = 1;
      break;
    case 15:
      TimerPointerB = 0;
      break;
    default:
      break;
  }
}

// Clears the registers and sets clock A to the local time, under the lock: the polling thread
// may still be running when the machine is initialised again.
void TimerInit() {
  std::unique_lock lock(pollMutex);
  PeripheralReadTable[0xFB] = TimerRead;
  PeripheralWriteTable[0xFB] = TimerWrite;
  PeripheralDataTable[0xFB] = TimerData;
  for (auto* r : {&CLA, &CLB, &ALA, &ALB, &SCA, &SCB}) Clear(*r);
  Clear(AF);
  Clear(IT);
  Clear(TR);
  TimerStatus = ClockARuns | AlarmAEnabled;

  const LocalDateTime t = TheHost().LocalTime();
  const int64_t seconds =
      DaysSince1900(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
  const uint32_t now = TheHost().TickCount();
  for (auto& r : ClockReference) r.store(now, relaxed);

  // Clock A: the local time as centiseconds since 01.01.1900, to the whole second.
  int64_t s = seconds < 0 ? 0 : seconds;
  for (int i = 2; i < 14; ++i) {
    CLA[i].store(static_cast<uint8_t>(s % 10), relaxed);
    s /= 10;
  }
  for (int i = 2; i < 14; ++i) SCA[i].store(CLA[i].load(relaxed), relaxed);
  for (int i = 3; i <= 12; ++i) ALB[i].store(9, relaxed);
  SCB[1].store(4, relaxed);
  TimerPointerB = 0;
  lock.unlock();
  ResumeTimerThread();
}

namespace {
std::condition_variable resumed;  // a suspended thread waits here instead of polling
std::thread timerThread;
std::atomic<bool> stopTimerThread{false};
std::atomic<bool> timerThreadRunning{false};
}  // namespace

void SuspendTimerThread() {
  std::lock_guard lock(pollMutex);
  timerSuspended = true;
}
void ResumeTimerThread() {
  std::lock_guard lock(pollMutex);
  timerSuspended = false;
  resumed.notify_all();
}
bool TimerThreadSuspended() {
  return timerSuspended;
}

void ZIrizuvaRezeze::Start() {
  if (timerThreadRunning) return;
  stopTimerThread = false;
  timerThreadRunning = true;
  timerThread = std::thread([] {
    NameThisThread("ZIrizuvaRezeze");
    SetThreadPriority(CurrentThreadId(), 1);
    std::unique_lock lock(pollMutex);
    while (!stopTimerThread) {
      resumed.wait(lock, [] { return !timerSuspended || stopTimerThread; });
      if (stopTimerThread) break;
      PollLocked();
      // The tick counter moves in 10 ms steps: one poll per step loses nothing.
      resumed.wait_for(lock, std::chrono::milliseconds(10), [] { return stopTimerThread.load(); });
    }
  });
}

void ZIrizuvaRezeze::Stop() {
  if (!timerThreadRunning) return;
  {
    std::lock_guard lock(pollMutex);
    stopTimerThread = true;
    resumed.notify_all();
  }
  timerThread.join();
  timerThreadRunning = false;
}

bool ZIrizuvaRezeze::Running() {
  return timerThreadRunning;
}
