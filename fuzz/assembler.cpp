// The assembler: any source text. Whatever it accepts becomes images that the module loader
// reads back word for word, and a symbol file that names every label's address.

#include "tools/nutasm/Assembler.h"

#include <string>

#include "debugger/Symbols.h"
#include "fuzz/FuzzSupport.h"
#include "memory/Rom.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHome& home = Home();
  const std::string source(reinterpret_cast<const char*>(data), size);
  const nutasm::Program program = nutasm::Assemble(source, "fuzz.asm");
  const std::string listing = nutasm::ListingText(program);
  if (!program.Ok()) {
    for (const std::string& e : program.errors) FUZZ_CHECK(e.rfind("fuzz.asm:", 0) == 0);
    return 0;
  }
  for (const auto& [address, word] : program.words) FUZZ_CHECK(address <= 0xFFFF && word <= 0x3FF);

  ParseSymbols(nutasm::SymbolText(program));
  FUZZ_CHECK(SymbolTable.size() == program.labels.size());
  for (size_t i = 0; i < SymbolTable.size(); ++i) {
    FUZZ_CHECK(SymbolTable[i].name == "=" + program.labels[i].name);
    FUZZ_CHECK(static_cast<uint32_t>(SymbolTable[i].address) == program.labels[i].address);
  }

  for (const auto& [name, format] : {std::pair{"fuzz.rom", nutasm::ImageFormat::Words16},
                                     std::pair{"fuzz.R41", nutasm::ImageFormat::R41},
                                     std::pair{"fuzz.bin", nutasm::ImageFormat::PackedLsbFirst}}) {
    nutasm::Image image;
    std::string error;
    if (!nutasm::BuildImage(program, format, image, error)) {
      FUZZ_CHECK(program.words.empty() || format == nutasm::ImageFormat::PackedLsbFirst);
      continue;
    }
    const std::string path = home.dir + name;
    WriteFile(path, image.bytes);
    FreshMachine();
    FUZZ_CHECK(LoadModuleImage(image.firstPage * 0x1000, path, 16));
    auto it = program.words.begin();
    for (uint32_t a = image.firstPage * 0x1000; a < (image.firstPage + image.pages) * 0x1000; ++a) {
      uint16_t expected = 0;
      if (it != program.words.end() && it->first == a) expected = (it++)->second;
      FUZZ_CHECK(FetchRom(a) == expected);
    }
    ClearRom();
  }
  return 0;
}
