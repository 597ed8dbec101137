// The RAM image: 9-byte records (register number, low byte first, then 14 digits packed two
// to a byte, the even digit in the low half), restored at start-up and written at shut-down.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "host/Host.h"
#include "host/Panel.h"
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

// Writes all of bytes to fd, across short writes.
bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes a new file beside path and renames it over path, so that a failure at any point
// leaves the previous file as it was.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  struct stat old {};
  const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 0777) : 0644;
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable; failing here loses nothing already written.
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

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

void LoadRamImage(uint32_t waitMs) {
  ThePanel().drawAnnunciators(" Hold ON to skip RAM loading ...");
  if (waitMs > 0) WaitProcessingMessages(waitMs);
  const int32_t key = Cpu.KeyDown.load();
  if (key == 1 || key == 45) return;  // ON or back-arrow held: start with cleared RAM

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(HomeFile(".RAM").c_str(), "rb"));
  if (!file) return;  // no image yet
  ThePanel().drawAnnunciators(" Loading RAM image ...");
  TheHost().ProcessMessages();

  uint8_t rec[kRecordBytes];
  for (;;) {
    const size_t n = std::fread(rec, 1, kRecordBytes, file.get());
    if (n < kRecordBytes) {
      // End of file, possibly after a partial record, which is ignored.
      if (std::ferror(file.get())) ReportCpuError(0, "Error loading RAM image.");
      return;
    }
    ApplyRecord(rec);
  }
}

bool SaveRamImage() {
  ThePanel().drawAnnunciators(" Saving RAM image ...");
  TheHost().ProcessMessages();
  // Digit 13 of register 9 carries ST 10 to the next run.
  RamRegisters[9][13] = Cpu.ST[10] ? 1 : 0;
  const std::string path = HomeFile(".RAM");
  if (!ReplaceFile(path, EncodeRamImage())) {
    ReportCpuError(0, "Cannot save RAM image: " + path);
    return false;
  }
  return true;
}
