// The timer chip at peripheral address 0xFB: clock A from the local time, clocks and their
// carries, alarms, the interval timer, status and accuracy-factor registers, and the polls.

#include "timer/Zudaroz.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "cpu/Cpu.h"
#include "memory/Ram.h"
#include "support/MachineFixture.h"

namespace {

constexpr uint16_t kDataEqC = 0x2F0;
uint16_t CEqRegn(int n) {
  return static_cast<uint16_t>(n * 64 + 0x38);
}
uint16_t RegnEqC(int n) {
  return static_cast<uint16_t>(n * 64 + 0x28);
}

constexpr uint32_t kClockARuns = 1 << 6, kClockBRuns = 1 << 7;
constexpr uint32_t kAlarmAEnabled = 1 << 8, kAlarmBEnabled = 1 << 9;
constexpr uint32_t kIntervalRuns = 1 << 10;

// A number of centiseconds as the 14 decimal digits of a clock register.
std::string Centiseconds(unsigned long long cs) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%014llu", cs);
  return buf;
}

class TimerTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    ASSERT_FALSE(RamExists[0x3F0]);
    Cpu.DAdd = 0x3F0;  // no RAM register here, so the timer chip answers
    Cpu.PfAd = 0xFB;
  }
  void Exec(uint16_t word) {
    LoadWords(0x0100, {word});
    Cpu.PC = 0x0100;
    RunSteps(1);
  }
  std::string Read(int n) {
    Exec(CEqRegn(n));
    return DigitsText(Cpu.C);
  }
  void Write(int n, const std::string& c = "0") {
    SetDigits(Cpu.C, c);
    Exec(RegnEqC(n));
  }
  bool Flags() { return Cpu.FI[12] && Cpu.FI[13]; }
  bool NoFlags() { return !Cpu.FI[12] && !Cpu.FI[13]; }
  void ClearFlags() { Cpu.FI[12] = Cpu.FI[13] = 0; }
};

TEST_F(TimerTest, ClockAStartsAtTheLocalTimeInCentisecondsSince1900) {
  struct Case {
    LocalDateTime t;
    unsigned long long seconds;  // computed independently of the chip
  };
  const Case cases[] = {
      {{1900, 1, 1, 0, 0, 0}, 0ULL},
      {{1900, 3, 1, 0, 0, 0}, 5097600ULL},  // 1900 is no leap year
      {{1970, 1, 1, 0, 0, 0}, 2208988800ULL},
      {{2000, 1, 1, 0, 0, 0}, 3155673600ULL},
      {{2024, 2, 29, 13, 45, 7}, 3918203107ULL},
      {{2038, 1, 19, 3, 14, 8}, 4356472448ULL},  // beyond 32 bits
      {{2099, 12, 31, 23, 59, 59}, 6311433599ULL},
      {{9999, 12, 31, 23, 59, 59}, 255611289599ULL},  // twelve digits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seconds);
    host.SetFakeTime(c.t);
    SetDigits(CLB, "123");
    SetDigits(ALA, "456");
    SetDigits(AF, "1");
    SetDigits(IT, "7");
    SetDigits(TR, "8");
    TimerStatus = 0x1FFF;
    Write(14);  // pointer B
    TimerInit();
    const std::string expected = Centiseconds(c.seconds * 100);
    EXPECT_EQ(Read(0), expected);
    EXPECT_EQ(DigitsText(SCA), expected);
    EXPECT_EQ(DigitsText(ALB), "09999999999000");
    EXPECT_EQ(DigitsText(SCB), "00000000000040");
    EXPECT_EQ(DigitsText(CLB), "00000000000000");
    EXPECT_EQ(DigitsText(ALA), "00000000000000");
    EXPECT_EQ(DigitsText(AF), "0000");
    EXPECT_EQ(DigitsText(IT), "00000");
    EXPECT_EQ(DigitsText(TR), "00000");
    EXPECT_EQ(TimerStatus, 0x140u);
    EXPECT_EQ(TimerPointerB, 0);
    // The time base starts at TimerInit.
    host.AdvanceFakeTicks(1230);
    EXPECT_EQ(Read(0), Centiseconds(c.seconds * 100 + 123));
  }
}

TEST_F(TimerTest, ClockAddsWholeCentisecondsWithDecimalCarry) {
  struct Case {
    const char* start;
    uint32_t ms;
    const char* after;
    bool carry;
  };
  const Case cases[] = {
      {"0", 10, "00000000000001", false},
      {"0", 15, "00000000000001", false},  // the 5 ms remainder is dropped
      {"99", 10, "00000000000100", false},
      {"0", 123450, "00000000012345", false},
      {"199999", 999990, "00000000299998", false},
      {"99999999999999", 10, "00000000000000", true},
      {"99999999999999", 20, "00000000000001", true},
      {"F", 10, "00000000000016", false},  // a digit above 9 carries and loses 10
  };
  for (int b : {0, 1}) {
    Write(b ? 14 : 15);
    if (b) Write(13);  // start clock B
    const uint32_t carryBit = b ? 1 << 3 : 1 << 1;
    for (const Case& t : cases) {
      SCOPED_TRACE(testing::Message() << (b ? "B " : "A ") << t.start << " + " << t.ms);
      Read(0);  // brings the reference up to now
      Write(0, t.start);
      host.AdvanceFakeTicks(t.ms);
      EXPECT_EQ(Read(0), t.after);
      EXPECT_EQ((TimerStatus & carryBit) != 0, t.carry);
    }
    // The next update without a carry clears the bit.
    Write(0, "99999999999999");
    host.AdvanceFakeTicks(10);
    Read(1);
    EXPECT_NE(TimerStatus & carryBit, 0u);
    host.AdvanceFakeTicks(10);
    EXPECT_EQ(Read(1), "00000000000001");
    EXPECT_EQ(TimerStatus & carryBit, 0u);
  }
}

TEST_F(TimerTest, ElapsedTimeDropsRemaindersAndTakesAbsoluteDifferences) {
  Write(0);
  host.AdvanceFakeTicks(15);
  EXPECT_EQ(Read(0), "00000000000001");
  host.AdvanceFakeTicks(15);  // 5 + 15 would make 2; the 5 is gone
  EXPECT_EQ(Read(0), "00000000000002");
  host.SetFakeTicks(1000000 - 500);  // the counter went backwards by 530 ms
  EXPECT_EQ(Read(0), "00000000000055");
  host.AdvanceFakeTicks(0);
  EXPECT_EQ(Read(0), "00000000000055");

  // Across the 32-bit wrap of the tick counter.
  host.SetFakeTicks(0xFFFFFFF0u);
  Read(0);
  Write(0);
  host.AdvanceFakeTicks(0x20);
  EXPECT_EQ(Read(0), "00000000000003");
}

TEST_F(TimerTest, StoppedClockFreezesButKeepsItsTimeBase) {
  Write(0);
  Write(12);  // stop clock A
  EXPECT_EQ(TimerStatus & kClockARuns, 0u);
  host.AdvanceFakeTicks(10000);
  EXPECT_EQ(Read(0), "00000000000000");
  PollTimer();
  EXPECT_EQ(DigitsText(CLA), "00000000000000");
  Write(13);
  EXPECT_EQ(Read(0), "00000000001000");

  // Writing a clock leaves its reference alone.
  host.AdvanceFakeTicks(2000);
  Write(0, "5000");
  EXPECT_EQ(Read(0), "00000000005200");
}

TEST_F(TimerTest, AlarmGoesOffOnceWhenDigitsTwoToThirteenMatch) {
  struct Case {
    bool b;
    const char* clock;
    const char* alarm;
    uint32_t status;
    bool fires;
  };
  const uint32_t a = kClockARuns | kAlarmAEnabled, bb = kClockBRuns | kAlarmBEnabled;
  const Case cases[] = {
      {false, "00000000012345", "00000000012399", a, true},
      {false, "12345678901234", "12345678901200", a, true},
      {false, "00000000012345", "00000000012245", a, false},  // digit 2 differs
      {false, "10000000012345", "00000000012345", a, false},  // digit 13 differs
      {false, "00000000012345", "00000000012345", kAlarmAEnabled, false},
      {false, "00000000012345", "00000000012345", kClockARuns, false},
      {false, "00000000012345", "00000000012345", a | 1, false},  // already gone off
      {true, "00000000012345", "00000000012399", bb, true},
      {true, "00000000012345", "00000000013345", bb, false},
      {true, "10000000012345", "00000000012345", bb, false},
      {true, "00000000012345", "00000000012345", kAlarmBEnabled, false},
      {true, "00000000012345", "00000000012345", kClockBRuns, false},
      {true, "00000000012345", "00000000012345", bb | 4, false},
      {true, "00000000012345", "00000000012345", a, false},  // only A's bits
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(testing::Message()
                 << t.b << " " << t.clock << " " << t.alarm << " " << std::hex << t.status);
    SetDigits(CLA, "0");
    SetDigits(ALA, "900");
    SetDigits(CLB, "0");
    SetDigits(ALB, "900");
    SetDigits(t.b ? CLB : CLA, t.clock);
    SetDigits(t.b ? ALB : ALA, t.alarm);
    TimerStatus = t.status;
    ClearFlags();
    const uint32_t fired = t.b ? 1 << 2 : 1 << 0;
    PollTimer();
    EXPECT_EQ(Flags(), t.fires);
    EXPECT_EQ(TimerStatus, t.status | (t.fires ? fired : 0));
    // Within the same second it does not go off again.
    ClearFlags();
    PollTimer();
    EXPECT_TRUE(NoFlags());
  }
}

TEST_F(TimerTest, AlarmWrittenThroughRegisterTwoGoesOffAsTheClockReachesIt) {
  Write(0, "0");
  Write(2, "300");  // 3 s
  host.AdvanceFakeTicks(2990);
  PollTimer();
  EXPECT_TRUE(NoFlags());
  host.AdvanceFakeTicks(10);
  PollTimer();
  EXPECT_TRUE(Flags());
  EXPECT_EQ(TimerStatus & 1, 1u);
}

TEST_F(TimerTest, IntervalTimerCountsToItsSetpointAndRestarts) {
  host.AdvanceFakeTicks(777);  // the write takes the reference from now
  Write(5, "500");             // 5 s
  EXPECT_NE(TimerStatus & kIntervalRuns, 0u);
  EXPECT_EQ(DigitsText(TR), "00500");
  host.AdvanceFakeTicks(4990);
  PollTimer();
  EXPECT_EQ(DigitsText(IT), "00499");
  EXPECT_EQ(TimerStatus & 16, 0u);
  EXPECT_TRUE(NoFlags());
  host.AdvanceFakeTicks(10);
  PollTimer();
  EXPECT_EQ(DigitsText(IT), "00000");
  EXPECT_NE(TimerStatus & 16, 0u);
  EXPECT_TRUE(Flags());
  host.AdvanceFakeTicks(10);
  EXPECT_EQ(Read(5), "00000000000001");
  EXPECT_EQ(TimerStatus & 16, 0u);
  // A new setpoint restarts the count.
  host.AdvanceFakeTicks(1000);
  Write(5, "200");
  EXPECT_EQ(Read(5), "00000000000000");
  // Command 7 stops it.
  Write(7);
  EXPECT_EQ(TimerStatus & kIntervalRuns, 0u);
  host.AdvanceFakeTicks(5000);
  PollTimer();
  EXPECT_EQ(DigitsText(IT), "00000");
}

TEST_F(TimerTest, SubSecondSetpointMatchesAtEveryPoll) {
  Write(5, "50");  // half a second
  for (int i = 0; i < 3; ++i) {
    Write(3, "1F");  // the status write clears the flags
    EXPECT_TRUE(NoFlags());
    host.AdvanceFakeTicks(10);
    PollTimer();
    EXPECT_NE(TimerStatus & 16, 0u);
    EXPECT_TRUE(Flags());
  }
}

TEST_F(TimerTest, StatusWriteClearsOnlyEventBits) {
  struct Case {
    const char* c;  // C[1] C[0]
    uint32_t after;
  };
  const Case cases[] = {
      {"1E", 0x1FDE},                  // clears bit 0, keeps 1..4
      {"0E", 0x1FCE},                  // also clears bit 4
      {"1F", 0x1FDF},                  // bit 5 always clears
      {"00", 0x1FC0}, {"EF", 0x1FCF},  // only bit 0 of C[1] counts
      {"FF", 0x1FDF},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.c);
    TimerStatus = 0x1FFF;
    Cpu.FI[12] = Cpu.FI[13] = 1;
    Write(3, std::string("FFFFFFFFFFFF") + t.c);
    EXPECT_EQ(TimerStatus, t.after);
    EXPECT_TRUE(NoFlags());
  }
  TimerStatus = 0x1ABC;
  EXPECT_EQ(Read(3), "00000000001ABC");
}

TEST_F(TimerTest, PointerBSelectsTheAccuracyFactor) {
  TimerStatus = 0x1FFF;
  Cpu.FI[12] = Cpu.FI[13] = 1;
  Write(14);
  Write(3, "FFFFFFFFF76543");
  EXPECT_EQ(DigitsText(AF), "1654");
  EXPECT_EQ(Read(3), "00000000016540");
  EXPECT_EQ(TimerStatus, 0x1FFFu);
  EXPECT_TRUE(Flags());
  Write(3, "00000000066660");
  EXPECT_EQ(DigitsText(AF), "0666");
  Write(15);
  EXPECT_EQ(Read(3), "00000000001FFF");
}

TEST_F(TimerTest, RegisterPairsFollowThePointer) {
  struct Case {
    int n;
    bool b;
    TimerDigits<14>* target;
  };
  const Case cases[] = {
      {0, false, &CLA}, {1, false, &CLA}, {0, true, &CLB},  {1, true, &CLB},
      {2, false, &ALA}, {2, true, &ALB},  {4, false, &SCA}, {4, true, &SCB},
  };
  TimerDigits<14>* all[] = {&CLA, &CLB, &ALA, &ALB, &SCA, &SCB};
  for (const Case& t : cases) {
    SCOPED_TRACE(testing::Message() << t.n << (t.b ? " B" : " A"));
    for (auto* r : all) SetDigits(*r, "0");
    Write(t.b ? 14 : 15);
    Write(t.n, "12345678901234");
    for (auto* r : all)
      EXPECT_EQ(DigitsText(*r), r == t.target ? "12345678901234" : "00000000000000");
    SetDigits(Cpu.C, "0");
    EXPECT_EQ(Read(t.n), "12345678901234");
  }
}

TEST_F(TimerTest, CommandsSetAndClearTheirStatusBits) {
  struct Case {
    int n;
    bool b;
    uint32_t bit;
    bool set;
  };
  const Case cases[] = {
      {7, false, kIntervalRuns, false},   {7, true, kIntervalRuns, false},
      {8, false, 1 << 11, false},         {8, true, 1 << 12, false},
      {9, false, 1 << 11, true},          {9, true, 1 << 12, true},
      {10, false, kAlarmAEnabled, false}, {10, true, kAlarmBEnabled, false},
      {11, false, kAlarmAEnabled, true},  {11, true, kAlarmBEnabled, true},
      {12, false, kClockARuns, false},    {12, true, kClockBRuns, false},
      {13, false, kClockARuns, true},     {13, true, kClockBRuns, true},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(testing::Message() << t.n << (t.b ? " B" : " A"));
    Write(t.b ? 14 : 15);
    const uint32_t before = t.set ? 0x0000 : 0x1FFF;
    TimerStatus = before;
    Write(t.n);
    EXPECT_EQ(TimerStatus, t.set ? before | t.bit : before & ~t.bit);
  }
  TimerStatus = 0x0A5A;
  Write(6);
  EXPECT_EQ(TimerStatus, 0x0A5Au);
  Write(14);
  EXPECT_EQ(TimerPointerB, 1);
  Write(15);
  EXPECT_EQ(TimerPointerB, 0);
}

TEST_F(TimerTest, UnusedRegistersReadZeroAndDataWriteDoesNothing) {
  for (int b : {0, 1}) {
    Write(b ? 14 : 15);
    for (int n = 6; n < 16; ++n) {
      SetDigits(Cpu.C, "FFFFFFFFFFFFFF");
      EXPECT_EQ(Read(n), "00000000000000") << n;
    }
  }
  Write(15);
  auto snapshot = [] {
    std::string s;
    for (auto* r : {&CLA, &CLB, &ALA, &ALB, &SCA, &SCB}) s += DigitsText(*r);
    return s + DigitsText(AF) + DigitsText(IT) + DigitsText(TR) + std::to_string(TimerStatus) +
           std::to_string(TimerPointerB);
  };
  const std::string before = snapshot();
  SetDigits(Cpu.C, "FFFFFFFFFFFFFF");
  Exec(kDataEqC);
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(DigitsText(Cpu.C), "FFFFFFFFFFFFFF");
  EXPECT_TRUE(NoFlags());
}

TEST_F(TimerTest, PollWithNothingRunningChangesNothing) {
  TimerStatus = 0;
  SetDigits(CLA, "5");
  host.AdvanceFakeTicks(100000);
  PollTimer();
  EXPECT_EQ(DigitsText(CLA), "00000000000005");
  EXPECT_EQ(TimerStatus, 0u);
  EXPECT_TRUE(NoFlags());
}

TEST_F(TimerTest, PollsAndRegisterReadsTogetherAddEachIntervalOnce) {
  // The polling thread and the CPU thread update clock A at once, 10 ms at a time: however they
  // interleave, the clock gains exactly the time that passed.
  Read(0);
  Write(0, "0");
  std::atomic<bool> stop{false};
  std::thread poller([&] {
    while (!stop) PollTimer();
  });
  constexpr int kSteps = 200000;
  for (int i = 0; i < kSteps; ++i) {
    host.AdvanceFakeTicks(10);
    TimerRead(0);
  }
  stop = true;
  poller.join();
  TimerRead(0);
  EXPECT_EQ(DigitsText(CLA), Centiseconds(kSteps));
}

}  // namespace

namespace {

// The time to the next event, as a sleeping CPU computes it, is when the polls first raise the
// flags: one tick earlier they do not.
TEST_F(TimerTest, TimeToTheNextEventIsWhenThePollRaisesIt) {
  struct Case {
    const char* what;
    uint32_t status;
    const char *cla, *ala, *clb, *alb, *it, *tr;
    uint32_t sinceReference;  // ms since the last poll
    uint32_t ms;
  };
  const uint32_t a = kClockARuns | kAlarmAEnabled, b = kClockBRuns | kAlarmBEnabled;
  const Case cases[] = {
      {"alarm A in 3 s", a, "0", "300", "0", "0", "0", "0", 0, 3000},
      {"part of it passed", a, "0", "300", "0", "0", "0", "0", 1230, 1770},
      {"within the second", a, "12345", "12399", "0", "0", "0", "0", 0, 0},
      {"alarm B", b, "0", "0", "250", "500", "0", "0", 0, 2500},
      {"the earlier one", a | b, "0", "900", "0", "410", "0", "0", 0, 4000},
      {"alarm passed", a, "500", "300", "0", "0", "0", "0", 0, kNoTimerEvent},
      {"alarm off", kClockARuns, "0", "300", "0", "0", "0", "0", 0, kNoTimerEvent},
      {"alarm gone off", a | 1, "0", "300", "0", "0", "0", "0", 0, kNoTimerEvent},
      {"clock stopped", kAlarmAEnabled, "0", "300", "0", "0", "0", "0", 0, kNoTimerEvent},
      {"interval", kIntervalRuns, "0", "0", "0", "0", "120", "500", 0, 3800},
      {"interval wraps", kIntervalRuns, "0", "0", "0", "0", "700", "500", 0, 998000},
      {"interval sooner", a | kIntervalRuns, "0", "900", "0", "0", "0", "200", 0, 2000},
      {"interval elapsed", kIntervalRuns | 16, "0", "0", "0", "0", "0", "500", 0, 0},
      {"nothing runs", 0, "0", "300", "0", "300", "0", "500", 0, kNoTimerEvent},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetDigits(CLA, c.cla);
    SetDigits(ALA, c.ala);
    SetDigits(CLB, c.clb);
    SetDigits(ALB, c.alb);
    SetDigits(IT, c.it);
    SetDigits(TR, c.tr);
    TimerStatus = c.status;
    for (auto& r : ClockReference) r = host.TickCount() - c.sinceReference;
    ClearFlags();
    EXPECT_EQ(MsToNextTimerEvent(), c.ms);
    if (c.ms == 0 || c.ms == kNoTimerEvent) continue;
    host.AdvanceFakeTicks(c.ms - 10);
    PollTimer();
    EXPECT_TRUE(NoFlags());
    host.AdvanceFakeTicks(10);
    PollTimer();
    EXPECT_TRUE(Flags());
  }
}

}  // namespace
