// The RAM image: 9-byte records (register number, low byte first, then 14 digits packed two
// to a byte, the even digit in the low half), restored at start-up and written at shut-down.

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "host/Host.h"
#include "host/Panel.h"
#include "host/ReplaceFile.h"
#include "memory/Ram.h"

namespace {

constexpr size_t kRecordBytes = 9;

void ApplyRecord(const uint8_t* rec) {
  const unsigned r = rec[0] | (rec[1] << 8);
  if (r >= kRamRegisters || !RamExists[r]) return;
  for (int k = 0; k < 7; ++k) {
    RamRegisters[r][2 * k] = rec[2 + k] & 0x0F;
    RamRegisters[r][2 * k + 1] = rec[2 + k] >> 4;
  }
}

std::string ImagePath() {
  return RamImageFile.empty() ? HomeFile(".RAM") : RamImageFile;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::string RamImageFile;

std::string EncodeRamImage() {
  std::string bytes;
  for (int r = 0; r < kRamRegisters; ++r) {
    if (!RamExists[r]) continue;
    bytes += static_cast<char>(r & 0xFF);
    bytes += static_cast<char>(r >> 8);
    for (int k = 0; k < 7; ++k) {
      bytes += static_cast<char>((RamRegisters[r][2 * k] & 0x0F) |
                                 ((RamRegisters[r][2 * k + 1] & 0x0F) << 4));
    }
  }
  return bytes;
}

void ApplyRamImage(const std::string& bytes) {
  // A partial record at the end is ignored.
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  for (size_t at = 0; at + kRecordBytes <= bytes.size(); at += kRecordBytes) {
    ApplyRecord(data + at);
  }
}

bool LoadRamImage(uint32_t waitMs) {
  ThePanel().drawAnnunciators(" Hold ON to skip RAM loading ...");
  if (waitMs > 0) WaitProcessingMessages(waitMs);
  const int32_t key = Cpu.KeyDown.load();
  if (key == 1 || key == 45) return true;  // ON or back-arrow held: start with cleared RAM

  const std::string path = ImagePath();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return true;  // no image yet
  // A folder, a device or a pipe in its place cannot be read (or never ends, or blocks).
  std::unique_ptr<std::FILE, FileCloser> file(S_ISREG(st.st_mode) ? std::fopen(path.c_str(), "rb")
                                                                  : nullptr);
  if (!file) {
    ReportCpuError(0, "Error loading RAM image.");
    return false;
  }
  ThePanel().drawAnnunciators(" Loading RAM image ...");
  TheHost().ProcessMessages();

  uint8_t rec[kRecordBytes];
  for (;;) {
    const size_t n = std::fread(rec, 1, kRecordBytes, file.get());
    if (n < kRecordBytes) {
      // End of file, possibly after a partial record, which is ignored.
      if (!std::ferror(file.get())) return true;
      ReportCpuError(0, "Error loading RAM image.");
      return false;
    }
    ApplyRecord(rec);
  }
}

bool SaveRamImage() {
  ThePanel().drawAnnunciators(" Saving RAM image ...");
  TheHost().ProcessMessages();
  // Digit 13 of register 9 carries ST 10 to the next run.
  RamRegisters[9][13] = Cpu.ST[10] ? 1 : 0;
  const std::string path = ImagePath();
  if (!ReplaceFile(path, EncodeRamImage())) {
    TheHost().FileError(WithReason("Cannot save RAM image: " + path, errno));
    return false;
  }
  return true;
}

bool CheckRamImage(const std::string& bytes, std::string& reason) {
  if (bytes.empty()) {
    reason = "empty file";
    return false;
  }
  if (bytes.size() % kRecordBytes != 0) {
    reason = std::to_string(bytes.size()) + " bytes: not a whole number of 9-byte records";
    return false;
  }
  bool seen[kRamRegisters] = {};
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  for (size_t at = 0; at < bytes.size(); at += kRecordBytes) {
    const unsigned r = data[at] | (data[at + 1] << 8);
    const std::string record = "record " + std::to_string(at / kRecordBytes + 1);
    if (r >= kRamRegisters) {
      reason = record + " is for register " + std::to_string(r) + " (registers are 0 to 1023)";
      return false;
    }
    if (seen[r]) {
      reason = record + " is for register " + std::to_string(r) + " again";
      return false;
    }
    seen[r] = true;
  }
  return true;
}

bool ReadRamImageFile(const std::string& path, std::string& bytes, std::string& reason) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    reason = S_ISDIR(st.st_mode) ? "a folder" : "not a regular file";
    return false;
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    reason = std::strerror(errno);
    return false;
  }
  bytes.clear();
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, file.get())) > 0;) bytes.append(buf, n);
  if (std::ferror(file.get())) {
    reason = std::strerror(errno ? errno : EIO);
    return false;
  }
  return CheckRamImage(bytes, reason);
}
