// Random microcode: any bytes become the ROM (loaded at page 0 by a full start-up, then laid
// over every page and some banks), executed for a bounded number of steps, with keys pressed
// whenever the calculator sleeps. After every step the machine's invariants must hold.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "cpu/Cpu.h"
#include "cpu/RunLoop.h"
#include "display/Lcd.h"
#include "fuzz/FuzzSupport.h"
#include "host/Host.h"
#include "memory/Ram.h"
#include "memory/Rom.h"
#include "printer/Dovada.h"
#include "timer/Zudaroz.h"

namespace {

constexpr int kIterations = 20000;
// Faceplate keys pressed to wake a sleeping calculator: ON, a digit, R/S, SHIFT, ENTER.
constexpr int kKeys[] = {1, 82, 84, 31, 51};

bool Digits(const DigitRegister& r) {
  return std::all_of(r.begin(), r.end(), [](uint8_t d) { return d <= 15; });
}

void CheckCpu() {
  FUZZ_CHECK(Cpu.P <= 13 && Cpu.Q <= 13);
  FUZZ_CHECK(Cpu.ActivePointer == &Cpu.P || Cpu.ActivePointer == &Cpu.Q);
  FUZZ_CHECK(Cpu.DAdd >= 0 && Cpu.DAdd <= 1023);
  FUZZ_CHECK(Cpu.PfAd >= 0 && Cpu.PfAd <= 255);
  FUZZ_CHECK(Cpu.Carry <= 1 && Cpu.PrevCarry <= 1 && Cpu.KbFlag <= 1);
  for (uint8_t s : Cpu.ST) FUZZ_CHECK(s <= 1);
  FUZZ_CHECK(Cpu.Base == 10 || Cpu.Base == 16);
  FUZZ_CHECK(Digits(Cpu.A) && Digits(Cpu.B) && Digits(Cpu.C) && Digits(Cpu.M) && Digits(Cpu.N));
  FUZZ_CHECK(Cpu.G[0] <= 15 && Cpu.G[1] <= 15);
  FUZZ_CHECK(PrintBufferLength >= 0 && PrintBufferLength <= kPrintBufferLimit);
}

template <size_t N>
bool TimerDigitsOk(const TimerDigits<N>& r) {
  return std::all_of(r.begin(), r.end(), [](const auto& d) { return d.load() <= 15; });
}

// The words of pages 0..3, which no instruction may change, with their blocks.
struct LowPages {
  std::vector<uint16_t> words;
  std::vector<bool> present;
  static LowPages Take() {
    LowPages p;
    for (int page = 0; page < 4; ++page) {
      for (int bank = 0; bank < 4; ++bank) {
        const RomBlock* block = RomPages[page][bank].load();
        p.present.push_back(block != nullptr);
        if (block) p.words.insert(p.words.end(), block->begin(), block->end());
      }
    }
    return p;
  }
  bool operator==(const LowPages&) const = default;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHome& home = Home();
  InputReader in(data, size);
  const uint8_t flags = in.Byte();
  const uint8_t keyChoice = in.Byte();
  if (in.RestSize() == 0) return 0;
  WriteFile(home.dir + "code.bin", in.Rest(), in.RestSize());
  WriteFile(HomeFile(".Ini"),
            std::string("[ROM]\nModules=1\nModule1=0 code.bin 1\n[CPU]\nTicks=0\n") +
                "Turbo=" + std::to_string(flags & 1) +
                "\n[RAM]\nSize=" + std::to_string((flags >> 1 & 3) * 160) + "\n");
  FreshMachine();
  StartUp(kNoWaits);
  FUZZ_CHECK(Cpu.Running.load() == 1);
  if (flags & 8) PrinterOn = 1;

  // The loaded words, laid over every page of bank 0 and the second bank of the switchable
  // pages, each page starting elsewhere in them.
  const size_t count = std::min<size_t>(4096, (in.RestSize() * 8 + 9) / 10);
  std::vector<uint16_t> words(count);
  for (size_t i = 0; i < count; ++i) words[i] = FetchRom(static_cast<uint32_t>(i));
  for (uint32_t page = 1; page < 16; ++page) {
    for (uint32_t offset = 0; offset < 4096; ++offset)
      StoreRom(page << 12 | offset, 0, words[(offset + page * 97) % count]);
  }
  for (uint32_t page : {4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 13u, 14u, 15u}) {
    for (uint32_t offset = 0; offset < 4096; offset += 2)
      StoreRom(page << 12 | offset, 1 + (page & 1) + (flags >> 4 & 1),
               words[(offset + page * 31) % count]);
  }
  const LowPages before = LowPages::Take();

  RunLoopStart();
  int idle = 0, held = 0;
  for (int i = 0; i < kIterations; ++i) {
    const Iteration it = RunIteration();
    if (it == Iteration::Ended || it == Iteration::Halted) break;
    CheckCpu();
    home.host.AdvanceFakeTicks(10);
    // A sleeping calculator gets a key after a while; a held key is released later.
    if (it == Iteration::Idle && ++idle % 16 == 0) {
      KeyPressed(kKeys[(keyChoice + idle / 16) % std::size(kKeys)]);
      held = 200;
    } else if (held > 0 && --held == 0) {
      KeyReleased();
    }
  }

  FUZZ_CHECK(LowPages::Take() == before);
  for (int r = 0; r < kRamRegisters; ++r) FUZZ_CHECK(Digits(RamRegisters[r]));
  for (int p = 0; p < kLcdPositions; ++p)
    FUZZ_CHECK(LcdA[p] <= 15 && LcdB[p] <= 15 && LcdC[p] <= 1);
  FUZZ_CHECK(LcdE.load() <= 0xFFF);
  FUZZ_CHECK(TimerDigitsOk(CLA) && TimerDigitsOk(CLB) && TimerDigitsOk(ALA) && TimerDigitsOk(ALB));
  FUZZ_CHECK(TimerDigitsOk(SCA) && TimerDigitsOk(SCB) && TimerDigitsOk(AF) && TimerDigitsOk(IT) &&
             TimerDigitsOk(TR));
  home.host.messages.clear();
  KeyReleased();
  ClearRom();
  return 0;
}
