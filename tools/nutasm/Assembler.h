#pragma once
// nutasm: assembles Nut microcode written in the disassembler's own texts ("A=A+B W", "LC 3",
// "C=REGN 3 (X)", "GONC label", ...) into module images, listings and symbol files.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace nutasm {

struct Label {
  std::string name;
  uint32_t address;
  int line;
  size_t file = 0;  // index into Program::files
};

// The words one source line produced (none for blank lines, comments and labels alone).
struct ListedLine {
  int line;  // 1-based, in its own file
  uint32_t address;
  std::vector<uint16_t> words;
  size_t file = 0;  // index into Program::files
};

struct SourceFile {
  std::string name;  // as opened: the top file's name, or an include's path from there
  std::vector<std::string> lines;
};

struct Program {
  std::map<uint32_t, uint16_t> words;  // address -> 10-bit word
  std::vector<Label> labels;           // in source order, across all files
  std::vector<ListedLine> listing;     // one entry per source line, includes in place
  std::vector<SourceFile> files;       // the top file first, then each include as it came
  std::vector<std::string> errors;     // "file:line: message", in source order
  bool Ok() const { return errors.empty(); }
};

// Reads a whole file into text; false with the system's reason in error.
using FileReader =
    std::function<bool(const std::string& path, std::string& text, std::string& error)>;
bool ReadSourceFile(const std::string& path, std::string& text, std::string& error);

// Assembles a whole source text; fileName names it in messages, and its folder is where
// ".include" looks for files, through read.
Program Assemble(std::string_view source, const std::string& fileName,
                 const FileReader& read = ReadSourceFile);
// Reads the top file through read too.
Program AssembleFile(const std::string& path, const FileReader& read = ReadSourceFile);

enum class ImageFormat {
  Words16,         // one word per two bytes, high byte first, whole pages of 8192 bytes
  R41,             // 32-byte header, then words packed most significant bit first
  PackedLsbFirst,  // words packed least significant bit first, no header
};
// The format a file name asks for: ".R41" (any case) always means R41; other names get the
// two-byte words, or the packed form when packed is set.
ImageFormat FormatFor(const std::string& path, bool packed);

// A module image covers whole pages, from the page of the lowest word to that of the highest;
// load it at firstPage * 0x1000.
struct Image {
  uint32_t firstPage = 0;
  uint32_t pages = 0;
  std::string bytes;
};
// False, with the reason in error, when there is nothing to write or the loader would take the
// file for another encoding.
bool BuildImage(const Program& program, ImageFormat format, Image& image, std::string& error);

// Address, words, line number and source text of every line; when includes brought in other
// files, a line "; FILE name" wherever the lines of another file begin or resume.
std::string ListingText(const Program& program);
// The labels as symbol file lines "=NAME EQU 0005H", in source order.
std::string SymbolText(const Program& program);

}  // namespace nutasm
