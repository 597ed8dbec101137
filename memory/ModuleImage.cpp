// Module image files: the three encodings, the placement of their words into pages and banks,
// and the "ROM" "Module<n>" configuration entries.

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "cpu/Cpu.h"
#include "host/HomeFolder.h"
#include "host/Host.h"
#include "host/Panel.h"
#include "host/ProfileFile.h"
#include "memory/Rom.h"

namespace {

constexpr int kBlockWords = 64;
constexpr int64_t kPageWords = 4096;

using Encoding = ImageEncoding;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool HasR41Extension(const std::string& path) {
  if (path.size() < 4) return false;
  const char* ext = path.c_str() + path.size() - 4;
  return ext[0] == '.' && (ext[1] | 0x20) == 'r' && ext[2] == '4' && ext[3] == '1';
}

// Decodes one block of 64 words; buf holds a whole block (missing bytes are zero).
void DecodeBlock(Encoding encoding, const uint8_t* buf, uint16_t* words) {
  if (encoding == Encoding::Words16) {
    for (int i = 0; i < kBlockWords; ++i) {
      words[i] = static_cast<uint16_t>(((buf[2 * i] << 8) | buf[2 * i + 1]) & 0x3FF);
    }
    return;
  }
  for (int g = 0; g < kBlockWords / 4; ++g) {
    const uint8_t* b = buf + 5 * g;
    uint16_t* w = words + 4 * g;
    if (encoding == Encoding::PackedMsbFirst) {
      w[0] = static_cast<uint16_t>((b[0] << 2) | (b[1] >> 6));
      w[1] = static_cast<uint16_t>(((b[1] & 0x3F) << 4) | (b[2] >> 4));
      w[2] = static_cast<uint16_t>(((b[2] & 0x0F) << 6) | (b[3] >> 2));
      w[3] = static_cast<uint16_t>(((b[3] & 0x03) << 8) | b[4]);
    } else {
      w[0] = static_cast<uint16_t>(b[0] | ((b[1] & 0x03) << 8));
      w[1] = static_cast<uint16_t>((b[1] >> 2) | ((b[2] & 0x0F) << 6));
      w[2] = static_cast<uint16_t>((b[2] >> 4) | ((b[3] & 0x3F) << 4));
      w[3] = static_cast<uint16_t>((b[3] >> 6) | (b[4] << 2));
    }
  }
}

// Places the words of one file: span pages from start in bank 0, then every further page into
// the next bank of the last of those pages. Words that would land outside the 16 x 4 table
// are dropped and counted.
class Placement {
 public:
  Placement(int64_t start, int64_t span, int64_t bank) : address_(start), bank_(bank) {
    // Out of range starts, spans or banks place nothing. Spans above 17 behave like 17 (no
    // address of the space reaches the limit), so clamping keeps start + span x 4096 from
    // overflowing.
    valid_ = start >= 0 && start <= 0xFFFF && span >= 1 && bank >= 0 && bank <= 3;
    limit_ = valid_ ? start + std::min<int64_t>(span, 17) * kPageWords : 0;
  }

  void Place(uint16_t word) {
    if (!valid_) {
      ++refused_;
      return;
    }
    if (address_ >= limit_) {
      ++bank_;
      address_ -= kPageWords;
    }
    if (bank_ <= 3 && address_ <= 0xFFFF) {
      StoreRom(static_cast<uint32_t>(address_), static_cast<int>(bank_), word);
    } else {
      ++refused_;
    }
    ++address_;
  }

  int64_t refused() const { return refused_; }
  // Every further word would be refused: the banks are used up, or nothing can be placed.
  bool Exhausted() const { return !valid_ || bank_ > 3; }

 private:
  int64_t address_;
  int64_t bank_;
  int64_t limit_ = 0;
  int64_t refused_ = 0;
  bool valid_ = false;
};

// Opens an image for reading. Only a regular file is an image: a folder cannot be read, a
// device such as /dev/zero never ends and a pipe could hold start-up forever.
File OpenImage(const std::string& path, std::string& reason) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    reason = std::strerror(errno);
  else if (S_ISDIR(st.st_mode))
    reason = std::strerror(EISDIR);
  else if (!S_ISREG(st.st_mode))
    reason = "not a regular file";
  File file(reason.empty() ? std::fopen(path.c_str(), "rb") : nullptr);
  if (!file && reason.empty()) reason = std::strerror(errno);
  return file;
}

// The encoding is chosen by the size alone when it is a multiple of 8192 bytes, else by the
// extension.
Encoding EncodingOf(int64_t size, bool r41) {
  if (size >= 0 && size % 8192 == 0) return Encoding::Words16;
  return r41 ? Encoding::PackedMsbFirst : Encoding::PackedLsbFirst;
}

}  // namespace

ImageInfo ProbeModuleImage(const std::string& path) {
  ImageInfo info;
  File file = OpenImage(path, info.reason);
  if (!file) return info;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) info.bytes = std::ftell(file.get());
  const bool r41 = HasR41Extension(path);
  info.encoding = EncodingOf(info.bytes, r41);
  const int64_t data = info.bytes - (r41 ? 32 : 0);
  info.words = info.encoding == Encoding::Words16 ? data / 2 : data * 8 / 10;
  if (info.words <= 0) {
    info.words = 0;
    info.reason = r41 ? "no words after the .R41 header" : "empty file";
  } else if (info.words % kPageWords != 0) {
    info.reason = "holds " + std::to_string(info.words) +
                  " words: an image holds whole pages of 4096 words";
  } else {
    info.valid = true;
  }
  return info;
}

const char* EncodingName(ImageEncoding encoding) {
  switch (encoding) {
    case Encoding::Words16:
      return "2-byte words";
    case Encoding::PackedMsbFirst:
      return ".R41 packed";
    case Encoding::PackedLsbFirst:
      return "packed, low bit first";
  }
  return "";
}

bool LoadModuleImage(int64_t start, const std::string& path, int64_t span, int64_t bank) {
  ThePanel().drawAnnunciators(" Loading module image ...");
  std::string reason;
  File file = OpenImage(path, reason);
  if (!file) {
    // A file problem, not the CPU's: the box is titled with the file's name.
    TheHost().MessageBox("Module file " + std::filesystem::path(path).filename().string(),
                         "Cannot load module file: " + path + ": " + reason);
    return false;
  }
  TheHost().ProcessMessages();

  std::FILE* f = file.get();
  int64_t size = 0;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  const bool r41 = HasR41Extension(path);
  std::fseek(f, r41 ? 32 : 0, SEEK_SET);

  const Encoding encoding = EncodingOf(size, r41);
  const size_t blockBytes = encoding == Encoding::Words16 ? 128 : 80;

  Placement placement(start, span, bank);
  bool failed = false;
  try {
    uint8_t buf[128];
    uint16_t words[kBlockWords];
    for (;;) {
      std::memset(buf, 0, sizeof buf);
      const size_t n = std::fread(buf, 1, blockBytes, f);
      if (n == 0 || std::ferror(f)) break;
      DecodeBlock(encoding, buf, words);
      for (uint16_t w : words) placement.Place(w);
      if (n < blockBytes || placement.Exhausted()) break;  // an oversized file is not read on
    }
  } catch (const std::bad_alloc&) {
    failed = true;  // what was stored before stays
  }
  if (failed || placement.refused() > 0) {
    ReportCpuError(0, "Error loading module image: " + path);
    return false;
  }
  return true;
}

EntryParse ParseModuleEntry(const std::string& value, ModuleEntry& entry, std::string& badText) {
  const size_t space = value.find(' ');
  if (value.empty() || space == std::string::npos) return EntryParse::Skip;

  const std::string startText = value.substr(0, space);
  int64_t start = 0;
  if (!TextToInteger(startText, start)) {
    badText = startText;
    return EntryParse::BadNumber;
  }
  if (start < 0 || start > 0xFFFF) return EntryParse::Skip;

  std::string file = value.substr(space + 1);
  int64_t span = 16, bank = 0;
  const size_t spanSpace = file.find(' ');
  if (spanSpace != std::string::npos) {
    std::string spanText = file.substr(spanSpace + 1);
    // The span may have blanks before it; the bank follows the span after a space.
    const size_t spanAt = spanText.find_first_not_of(' ');
    const size_t bankSpace =
        spanAt == std::string::npos ? std::string::npos : spanText.find(' ', spanAt);
    if (bankSpace != std::string::npos) {
      const std::string bankText = spanText.substr(bankSpace + 1);
      if (!TextToInteger(bankText, bank)) {
        badText = bankText;
        return EntryParse::BadNumber;
      }
      spanText.resize(bankSpace);
    }
    if (!TextToInteger(spanText, span)) {
      badText = spanText;
      return EntryParse::BadNumber;
    }
    file.resize(spanSpace);
  }
  entry.start = start;
  entry.file = file;
  entry.span = span;
  entry.bank = bank;
  return EntryParse::Ok;
}

std::string ModulePath(const std::string& file) {
  return FindModuleFile(file, TheHost().HomeDir(), TheHost().DataDir());
}
