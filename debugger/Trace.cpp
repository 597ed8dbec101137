#include "debugger/Trace.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <cstring>

#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "debugger/Debug.h"
#include "host/Host.h"
#include "memory/Rom.h"

namespace {

constexpr int kBufferSize = 64 * 1024;
// Free space a record needs before it starts: the fixed fields and any ordinary disassembly.
constexpr int kRecordRoom = 1024;
// The most a record can take after its disassembly text.
constexpr int kTailRoom = 256;

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The open log, or nullptr while tracing is off or when the file could not be created.
std::FILE* traceFile = nullptr;
// Records collect here and reach the file in large writes.
char buffer[kBufferSize];
int used = 0;
uint64_t written = 0;  // bytes in the file so far
std::atomic<uint64_t> limit{kDefaultTraceLimitMb << 20};

void FlushBuffer() {
  if (!traceFile || used == 0) {
    used = 0;
    return;
  }
  const uint64_t cap = limit.load(std::memory_order_relaxed);
  const bool full = cap != 0 && written + static_cast<uint64_t>(used) >= cap;
  // The records up to the limit, ending with the last whole line.
  size_t n = static_cast<size_t>(used);
  if (full) {
    n = static_cast<size_t>(cap - written);
    while (n > 0 && buffer[n - 1] != '\n') --n;
  }
  // A failed write loses the records without a message.
  std::fwrite(buffer, 1, n, traceFile);
  written += n;
  used = 0;
  if (!full) return;
  std::fclose(traceFile);
  traceFile = nullptr;
  Trace.store(0);
  TheHost().Announce(" Trace stopped: " + TheHost().ProgramName() + ".LOG full (" +
                     std::to_string(cap >> 20) + " MB)");
}

void CloseFile() {
  if (!traceFile) return;
  FlushBuffer();
  std::fclose(traceFile);
  traceFile = nullptr;
}

// Upper-case hexadecimal with at least minDigits digits.
char* PutHex(char* p, uint32_t value, int minDigits) {
  int digits = 1;
  while (digits < 8 && (value >> (4 * digits)) != 0) ++digits;
  if (digits < minDigits) digits = minDigits;
  for (int i = digits - 1; i >= 0; --i) *p++ = kHexDigits[(value >> (4 * i)) & 15];
  return p;
}

char* PutDecimal(char* p, unsigned value) {
  char digits[10];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) *p++ = digits[--n];
  return p;
}

template <size_t N>
char* PutText(char* p, const char (&text)[N]) {
  std::memcpy(p, text, N - 1);
  return p + N - 1;
}

// Fourteen digits, digit 13 first.
char* PutDigits(char* p, const uint8_t* digits) {
  for (int i = kDigits - 1; i >= 0; --i) *p++ = kHexDigits[digits[i] & 15];
  return p;
}

char* PutLineEnd(char* p) {
  return PutText(p, "\r\n");
}

}  // namespace

void OpenTrace() {
  if (Trace.load()) return;
  CloseFile();  // a log left open while the flag was cleared from elsewhere
  traceFile = std::fopen(HomeFile(".LOG").c_str(), "wb");
  // Records go through our own buffer; the stream needs none of its own.
  if (traceFile) std::setvbuf(traceFile, nullptr, _IONBF, 0);
  used = 0;
  written = 0;
  // Without a file, tracing stays on and the records are lost.
  Trace.store(1);
}

// The CPU thread may be writing a record: the log closes while it stands between two steps.
void CloseTrace() {
  const bool paused = TNutCPU::Pause();
  Trace.store(0);
  CloseFile();
  if (paused) TNutCPU::Resume();
}

void SetTraceLimit(uint64_t bytes) {
  limit.store(bytes, std::memory_order_relaxed);
}

void WriteTraceRecord() {
  if (!Trace.load(std::memory_order_acquire) || !traceFile) return;
  if (kBufferSize - used < kRecordRoom) FlushBuffer();

  const uint16_t pc = Cpu.PC;
  char* p = buffer + used;
  p = PutHex(p, pc, 4);
  *p++ = ' ';
  p = PutHex(p, FetchRom(pc), 3);
  *p++ = ' ';
  int32_t address = pc;
  int room = static_cast<int>(buffer + kBufferSize - p) - kTailRoom;
  int length = DisassembleTo(address, p, room);
  if (length >= room) {
    // A very long symbol name: write out what precedes it and use the whole buffer.
    used = static_cast<int>(p - buffer);
    FlushBuffer();
    p = buffer;
    address = pc;
    room = kBufferSize - kTailRoom;
    length = DisassembleTo(address, p, room);
    if (length >= room) length = room - 1;
  }
  p += length;
  p = PutText(p, " DAdd=");
  p = PutHex(p, static_cast<uint32_t>(Cpu.DAdd), 3);
  p = PutText(p, " PfAd=");
  p = PutHex(p, static_cast<uint32_t>(Cpu.PfAd), 2);
  p = PutText(p, " Base=");
  p = PutDecimal(p, Cpu.Base);
  p = PutLineEnd(p);

  p = PutText(p, "  A=");
  p = PutDigits(p, Cpu.A.data());
  p = PutText(p, " B=");
  p = PutDigits(p, Cpu.B.data());
  p = PutText(p, " C=");
  p = PutDigits(p, Cpu.C.data());
  p = PutText(p, " Stack=");
  for (int i = 0; i < 4; ++i) {
    if (i > 0) *p++ = ' ';
    p = PutHex(p, Cpu.Stack[i], 4);
  }
  p = PutLineEnd(p);

  p = PutText(p, "  M=");
  p = PutDigits(p, Cpu.M.data());
  p = PutText(p, " N=");
  p = PutDigits(p, Cpu.N.data());
  p = PutText(p, " Cy=");
  p = PutHex(p, Cpu.Carry, 1);
  p = PutText(p, " P=");
  p = PutHex(p, Cpu.P, 1);
  p = PutText(p, " Q=");
  p = PutHex(p, Cpu.Q, 1);
  p = PutText(p, " G=");
  *p++ = kHexDigits[Cpu.G[1] & 15];
  *p++ = kHexDigits[Cpu.G[0] & 15];
  p = PutText(p, " FO=");
  p = PutHex(p, Cpu.FO, 2);
  p = PutText(p, " ST=");
  for (int i = kDigits - 1; i >= 0; --i) *p++ = kHexDigits[Cpu.ST[i] & 15];
  p = PutLineEnd(p);

  used = static_cast<int>(p - buffer);
}
