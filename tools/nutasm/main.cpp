// nutasm: the command-line assembler for Nut microcode.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>

#include "tools/nutasm/Assembler.h"

namespace {

constexpr const char* kUsage =
    "usage: nutasm [-o IMAGE] [--packed] [-l LISTING] [-s SYMBOLS] SOURCE\n"
    "  -o IMAGE     the module image (default: SOURCE with the extension .rom); one word per\n"
    "               two bytes, whole pages; a name ending in .R41 gets the .R41 form (32-byte\n"
    "               header, words packed most significant bit first)\n"
    "  --packed     for other names: words packed least significant bit first\n"
    "  -l LISTING   write a listing: address, words, line number, source line\n"
    "  -s SYMBOLS   write the labels as a symbol file (Entries.A) for the debugger and the trace\n"
    "  --help       show this text; --version: show the version\n"
    "exit status: 0 written, 1 errors in the source (nothing is written) or a file that\n"
    "             cannot be read or written, 2 bad arguments\n";

struct Options {
  std::string source, image, listing, symbols;
  bool packed = false;
  bool help = false, version = false;
};

std::optional<Options> ParseArguments(int argc, char** argv, std::string& error) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      o.help = true;
      return o;
    } else if (arg == "--version") {
      o.version = true;
      return o;
    } else if (arg == "--packed") {
      o.packed = true;
    } else if (arg == "-o" || arg == "-l" || arg == "-s") {
      if (i + 1 >= argc) {
        error = arg + " needs a file name";
        return std::nullopt;
      }
      (arg == "-o" ? o.image : arg == "-l" ? o.listing : o.symbols) = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      error = "unknown option '" + arg + "'";
      return std::nullopt;
    } else if (o.source.empty()) {
      o.source = arg;
    } else {
      error = "one source file at a time";
      return std::nullopt;
    }
  }
  if (o.source.empty()) {
    error = "no source file";
    return std::nullopt;
  }
  if (o.image.empty()) {
    const size_t slash = o.source.find_last_of('/');
    const size_t dot = o.source.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    o.image = (hasExtension ? o.source.substr(0, dot) : o.source) + ".rom";
  }
  return o;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const int openError = out ? 0 : errno;
  out << bytes;
  out.close();
  if (out) return true;
  const int error = openError ? openError : errno ? errno : EIO;
  std::fprintf(stderr, "nutasm: cannot write %s: %s\n", path.c_str(), std::strerror(error));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options = ParseArguments(argc, argv, error);
  if (!options) {
    std::fprintf(stderr, "nutasm: %s (try --help)\n", error.c_str());
    return 2;
  }
  if (options->help || options->version) {
    std::fputs(options->help ? kUsage : "nutasm " VALDOR_VERSION "\n", stdout);
    return 0;
  }
  // A source that cannot be read (the top file or an included one) is an error naming the
  // file and the system's reason.
  const nutasm::Program program = nutasm::AssembleFile(options->source);
  for (const std::string& e : program.errors) std::fprintf(stderr, "%s\n", e.c_str());
  if (!program.Ok()) {
    std::fprintf(stderr, "nutasm: %zu error(s), nothing written\n", program.errors.size());
    return 1;
  }
  nutasm::Image image;
  if (!nutasm::BuildImage(program, nutasm::FormatFor(options->image, options->packed), image,
                          error)) {
    std::fprintf(stderr, "nutasm: %s\n", error.c_str());
    return 1;
  }
  bool ok = WriteFile(options->image, image.bytes);
  if (!options->listing.empty())
    ok = WriteFile(options->listing, nutasm::ListingText(program)) && ok;
  if (!options->symbols.empty())
    ok = WriteFile(options->symbols, nutasm::SymbolText(program)) && ok;
  if (!ok) return 1;
  const unsigned first = image.firstPage * 0x1000;
  std::printf("nutasm: %s: %zu words, %zu labels; %s holds %04X-%04X (load it at $%X)\n",
              options->source.c_str(), program.words.size(), program.labels.size(),
              options->image.c_str(), first, first + image.pages * 0x1000 - 1, first);
  return 0;
}
