#include "app/Restart.h"

#include <cerrno>

#include "cpu/Cpu.h"
#include "cpu/CpuThread.h"
#include "host/Host.h"
#include "host/ReplaceFile.h"
#include "memory/Ram.h"
#include "printer/Dovada.h"
#include "timer/Zudaroz.h"

namespace {

std::string ImageNow() {
  RamRegisters[9][13] = Cpu.ST[10] ? 1 : 0;
  return EncodeRamImage();
}

}  // namespace

std::string MemoryImage() {
  std::string image;
  TNutCPU::RunHalted([&image] { image = ImageNow(); });
  return image;
}

bool RestartMachine(const LifeCycleWaits& waits, const std::string* memory) {
  TNutCPU::Stop();
  const std::string kept = memory ? *memory : ImageNow();
  const bool saved = memory || !SaveRam || SaveRamImage();
  const PrinterMode mode = GetPrinterMode();
  // The speed, turbo and window placement of now are what the new start reads.
  SaveSettings();
  StartUp(waits, &kept);
  SetPrinterMode(mode);
  // A CPU asleep at the restart had paused the timer's thread; the new one starts awake.
  if (TimerThreadSuspended()) ResumeTimerThread();
  if (Cpu.Running) TNutCPU::Create();
  return saved;
}

bool SaveMemoryAs(const std::string& path, std::string& error) {
  if (ReplaceFile(path, MemoryImage())) return true;
  error = WithReason("Cannot save the memory to " + path, errno);
  return false;
}

bool PrepareMemoryLoad(const std::string& path, std::string& bytes, std::string& error) {
  std::string reason;
  if (!ReadRamImageFile(path, bytes, reason)) {
    error = "Cannot load the memory from " + path + ": " + reason + ". The memory is unchanged.";
    return false;
  }
  const std::string backup = HomeFile(kMemoryBackup);
  if (!ReplaceFile(backup, MemoryImage())) {
    error = WithReason("Cannot keep the current memory as " + backup, errno) +
            ". The memory is unchanged.";
    return false;
  }
  return true;
}
