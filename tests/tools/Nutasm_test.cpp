// nutasm: the disassembler's texts assemble back to their words; labels, directives, the
// peripheral words, error messages, and images that the module loader reads back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cpu/Cpu.h"
#include "debugger/Debug.h"
#include "debugger/Symbols.h"
#include "memory/Rom.h"
#include "support/MachineFixture.h"
#include "tools/nutasm/Assembler.h"

namespace {

std::string Hex(unsigned value, int digits) {
  char s[16];
  std::snprintf(s, sizeof s, "%0*X", digits, value);
  return s;
}

class NutasmTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    Cpu.SmartPeripheral = kNoPeripheral;
  }
  void TearDown() override {
    Cpu.SmartPeripheral = kNoPeripheral;
    SymbolTable.clear();
    SymbolTableLoaded = false;
    MachineTest::TearDown();
  }

  // The disassembler's text for the words stored at address.
  std::string TextOf(uint32_t address, std::initializer_list<uint16_t> words,
                     uint8_t peripheral = kNoPeripheral) {
    uint32_t a = address;
    for (uint16_t w : words) StoreRom(a++, 0, w);
    Cpu.SmartPeripheral = peripheral;
    int32_t at = static_cast<int32_t>(address);
    std::string text;
    Disassemble(at, text);
    Cpu.SmartPeripheral = kNoPeripheral;
    return text;
  }

  // Assembles source; the words from address on, as many as asked for.
  static std::vector<uint16_t> WordsAt(const nutasm::Program& p, uint32_t address, size_t n) {
    std::vector<uint16_t> words;
    for (size_t i = 0; i < n; ++i) {
      const auto it = p.words.find(address + static_cast<uint32_t>(i));
      words.push_back(it == p.words.end() ? 0xFFFF : it->second);
    }
    return words;
  }
};

// The class-0 words the assembler does not take back from their text: "?!?" names no
// instruction, and row 7 of the digit columns shows the digit -1 (the CPU runs them as no-ops).
const std::set<uint16_t> kNotAssembled = {
    0x080, 0x0C0,                                     // column 0, rows 2 and 3
    0x018, 0x118, 0x218, 0x318,                       // column 6, rows 0, 4, 8, 12
    0x3EC, 0x3FC,                                     // row 15 of columns 11 and 15
    0x034, 0x074, 0x0B4, 0x0F4, 0x134, 0x174, 0x1B4,  // column 13
    0x1F4, 0x234, 0x274, 0x2B4, 0x2F4, 0x334, 0x374, 0x3B4,
    0x3F4, 0x1C4, 0x1C8, 0x1CC, 0x1D4, 0x1DC, 0x1EC, 0x1FC,  // row 7: ST=0 -1 ... RCR -1
};

TEST_F(NutasmTest, EverySingleWordAssemblesFromItsText) {
  for (const uint32_t address : {0x1000u, 0x0005u, 0xFFF0u}) {
    for (uint16_t w = 0; w < 1024; ++w) {
      if ((w & 3) == 1 || w == 0x130) continue;         // the two-word instructions: below
      if (address != 0x1000 && (w & 3) != 3) continue;  // only jumps depend on the address
      const std::string text = TextOf(address, {w});
      const std::string org = ".org " + Hex(address, 4) + "\n";
      const nutasm::Program p = nutasm::Assemble(org + "  " + text + "\n", "t.asm");
      // A relative jump's offset is bits 9..3, signed; the CPU wraps the target at 16 bits.
      const uint32_t target = (address + ((w >> 3 & 0x40) ? (w >> 3) - 0x80 : w >> 3)) & 0xFFFF;
      if ((w & 3) == 3 && target >> 12 != address >> 12) {
        ASSERT_FALSE(p.Ok()) << text;
        EXPECT_NE(p.errors.front().find("a relative jump stays in its page"), std::string::npos)
            << p.errors.front();
      } else if (kNotAssembled.count(w)) {
        EXPECT_FALSE(p.Ok()) << text;
        const nutasm::Program raw = nutasm::Assemble(org + ".word " + Hex(w, 3) + "\n", "t.asm");
        EXPECT_EQ(WordsAt(raw, address, 1), std::vector<uint16_t>{w}) << text;
      } else {
        ASSERT_TRUE(p.Ok()) << text << ": " << p.errors.front();
        EXPECT_EQ(WordsAt(p, address, 1), std::vector<uint16_t>{w}) << text;
      }
    }
  }
}

TEST_F(NutasmTest, EveryWordPairAssemblesFromItsText) {
  // Every first word of a long jump with every second word, one source per target page (bits
  // 9..6 of the second word): its 16384 jumps fill the eight pages of the other half of memory,
  // so that no target lies in an empty spot of the program's own pages. Then LDI with every
  // constant.
  std::vector<std::vector<std::pair<uint16_t, uint16_t>>> sources(17);
  for (uint16_t first = 1; first < 1024; first += 4) {
    for (uint16_t second = 0; second < 1024; ++second)
      sources[second >> 6].emplace_back(first, second);
  }
  for (uint16_t v = 0; v < 1024; ++v) sources[16].emplace_back(0x130, v);
  for (size_t page = 0; page < sources.size(); ++page) {
    const auto& pairs = sources[page];
    const uint32_t base = page < 8 ? 0x8000 : 0;
    std::string source = ".org " + Hex(base, 4) + "\n";
    for (const auto& [first, second] : pairs) source += TextOf(0x3000, {first, second}) + "\n";
    const nutasm::Program p = nutasm::Assemble(source, "pairs.asm");
    ASSERT_TRUE(p.Ok()) << p.errors.front();
    ASSERT_EQ(p.words.size(), 2 * pairs.size());
    for (size_t i = 0; i < pairs.size(); ++i) {
      const auto words = WordsAt(p, base + 2 * static_cast<uint32_t>(i), 2);
      ASSERT_EQ(words, (std::vector<uint16_t>{pairs[i].first, pairs[i].second}))
          << p.files[0].lines[i + 1];
    }
  }
}

// After SELPF n, a text that only one word has gives that word back. Texts that several words
// share give a word with the same text. The words with an empty text (w AND 7 is 0 or 1, the
// printer's RTNUT included) only go through .word.
TEST_F(NutasmTest, PeripheralWordsAssembleFromTheirTexts) {
  for (const uint8_t peripheral : {uint8_t{9}, uint8_t{5}}) {
    std::map<std::string, std::vector<uint16_t>> byText;
    for (uint16_t w = 0; w < 1024; ++w) byText[TextOf(0x1000, {w}, peripheral)].push_back(w);
    int unique = 0;
    for (const auto& [text, words] : byText) {
      const std::string head = ".org 0\nSELPF " + std::to_string(peripheral) + "\n";
      if (text.empty() || text == " RTNUT") {
        for (uint16_t w : words) {
          // Bit 0 decides whether the next line is a CPU instruction or a peripheral word.
          const auto p = nutasm::Assemble(
              head + ".word " + Hex(w, 3) + (w & 1 ? "\nNOP\n" : "\nRTNUT\n"), "p.asm");
          ASSERT_TRUE(p.Ok()) << p.errors.front();
          EXPECT_EQ(WordsAt(p, 1, 2), (std::vector<uint16_t>{w, uint16_t(w & 1 ? 0 : 1)}))
              << Hex(w, 3);
        }
        continue;
      }
      const auto p = nutasm::Assemble(head + text + "\n", "p.asm");
      ASSERT_TRUE(p.Ok()) << "'" << text << "': " << p.errors.front();
      const uint16_t got = WordsAt(p, 1, 1)[0];
      if (words.size() == 1) {
        ++unique;
        EXPECT_EQ(got, words[0]) << text;
      } else {
        EXPECT_EQ(TextOf(0x1000, {got}, peripheral), text);
      }
    }
    // Only the PF= words of a peripheral other than the printer tell bit 0 by their text.
    EXPECT_EQ(unique, peripheral == 9 ? 0 : 256) << int{peripheral};
  }
}

struct PeripheralCase {
  const char* source;
  std::vector<uint16_t> words;  // from address 0
};

TEST_F(NutasmTest, ControlReturnsToTheCpuAfterAWordWithBit0) {
  const PeripheralCase cases[] = {
      {"SELPF 9\nPRINTC RTNUT\nNOP", {0x264, 0x007, 0x000}},
      {"SELPF 9\nPRINTC\nPRINTC\n?PFSET 1 RTNUT\nRTN", {0x264, 0x006, 0x006, 0x043, 0x3E0}},
      {"SELPF 9\nRDTPRN\nLDI 10", {0x264, 0x03B, 0x130, 0x010}},
      {"SELPF 9\nRDTPR\nRTNUT\nRTN", {0x264, 0x03A, 0x001, 0x3E0}},
      {"SELPF 5\nPFLOAD\nPFSAVE RTNUT\nNOP", {0x164, 0x006, 0x03B, 0x000}},
      {"SELPF 5\nPF= 7F\n?PFSET 3 RTNUT", {0x164, 0x3FC, 0x0C3}},
      // A raw word hands control back when its bit 0 is set; .org starts CPU code.
      {"SELPF 9\n.word 006, 007\nLDI 3FF", {0x264, 0x006, 0x007, 0x130, 0x3FF}},
      {"SELPF 9\n.org 0002\nLDI 001", {0x264, 0xFFFF, 0x130, 0x001}},
      {"SELPF 9\n.word FF\nNOP", {0x264, 0x0FF, 0x000}},  // a number there, never a label
      // The constant of LDI and a second jump word never select a peripheral.
      {"LDI 264\nGOLNC 1099\nNOP", {0x130, 0x264, 0x265, 0x042, 0x000}},
  };
  for (const auto& c : cases) {
    const auto p = nutasm::Assemble(c.source, "m.asm");
    ASSERT_TRUE(p.Ok()) << c.source << ": " << p.errors.front();
    EXPECT_EQ(WordsAt(p, 0, c.words.size()), c.words) << c.source;
  }
}

struct ErrorCase {
  const char* source;
  const char* message;  // the first error, with file and line
};

TEST_F(NutasmTest, ReportsWhatItCannotAssembleWithFileAndLine) {
  const ErrorCase cases[] = {
      {"NOP\nFOO W", "e.asm:2: unknown mnemonic 'FOO'"},
      {"A=A+B\n", "e.asm:1: A=A+B needs a field (PT X WPT W PQ XS M S)"},
      {"A=A+B Z", "e.asm:1: unknown field 'Z' (PT X WPT W PQ XS M S)"},
      {"NOP 3", "e.asm:1: 'NOP' takes no operand"},
      {"LC 16", "e.asm:1: LC needs a number 0..15, not '16'"},
      {"ST=1 14", "e.asm:1: ST=1 needs a digit 0..13, not '14'"},
      {"RCR -1", "e.asm:1: RCR needs a digit 0..13, not '-1'"},
      {"C=REGN 3 (Y)", "e.asm:1: register 3 is (X), not (Y)"},
      {"LDI 400", "e.asm:1: LDI needs a constant 000..3FF (hexadecimal) or a label, not '400'"},
      {"?!?", "e.asm:1: '?!?' names no instruction: write the word with .word"},
      {"PRINTC", "e.asm:1: 'PRINTC' is a peripheral word: it follows SELPF n"},
      {"SELPF 9\nPRINTC\nNOP",
       "e.asm:3: 'NOP' while peripheral 9 has control: end the peripheral words with RTNUT (or "
       "a .word with bit 0 set)"},
      {"SELPF 9\nPFLOAD", "e.asm:2: 'PFLOAD' is not a word of peripheral 9"},
      {"SELPF 4\nRDTPR", "e.asm:2: 'RDTPR' is not a word of peripheral 4"},
      {"X:\n.org 0041\nGONC X",
       "e.asm:3: jump target 0000 is -65 words away; a relative jump reaches -64..+63 (use "
       "GOLC/GOLNC)"},
      {"GOC Y\n.org 0040\nY:",
       "e.asm:1: jump target 0040 is 64 words away; a relative jump reaches -64..+63 (use "
       "GOLC/GOLNC)"},
      {".org 1000\nGONC +03 1005", "e.asm:2: the offset does not match target 1005"},
      {"GONC +04", "e.asm:1: GONC needs its target after the offset: a label or an address"},
      {"GOLNC NOWHERE", "e.asm:1: undefined label 'NOWHERE'"},
      {"GOLNC 12345", "e.asm:1: '12345' is not a label or an address 0000..FFFF"},
      {"NOP\nNOP\n.org 0001\nRTN", "e.asm:4: address 0001 already holds a word from line 2"},
      {"LDI 3\n.org 1\n.word 5", "e.asm:3: address 0001 already holds a word from line 1"},
      {"A: NOP\nA: NOP", "e.asm:2: label 'A' is already defined on line 1"},
      {"EQUAL: NOP", "e.asm:1: label 'EQUAL' contains EQU, which the symbol file cannot hold"},
      {".org FFFF\nNOP\nNOP", "e.asm:3: the address runs past FFFF"},
      {".org 10000", "e.asm:1: .org needs one address 0..FFFF (hexadecimal)"},
      {".word 400", "e.asm:1: '400' is not a word 000..3FF (hexadecimal) or a label"},
      {".org 500\nT: .word T", "e.asm:2: 'T' is 0500, beyond a word's 3FF"},
      {".lcd \"ABf\"", "e.asm:1: the display has no character for 'f'"},
      {".lcd \"A\u03a9\"", "e.asm:1: the display has no character for '\u03a9'"},
      {".lcd ABC", "e.asm:1: .lcd needs a text in double quotes"},
      {".byte 3", "e.asm:1: unknown directive '.byte'"},
  };
  for (const auto& c : cases) {
    const auto p = nutasm::Assemble(c.source, "e.asm");
    ASSERT_FALSE(p.Ok()) << c.source;
    EXPECT_EQ(p.errors.front(), c.message) << c.source;
  }
}

TEST_F(NutasmTest, ErrorsComeInLineOrderAndAllAreReported) {
  const auto p = nutasm::Assemble("GOLNC LATER\nBAD\nLC 99\n", "o.asm");
  EXPECT_EQ(p.errors, (std::vector<std::string>{"o.asm:1: undefined label 'LATER'",
                                                "o.asm:2: unknown mnemonic 'BAD'",
                                                "o.asm:3: LC needs a number 0..15, not '99'"}));
}

struct LcdCase {
  const char* text;
  std::vector<uint16_t> words;
};

TEST_F(NutasmTest, DisplayTextsBecomeCharacterWords) {
  // Character code c with mark m: (c >> 6) << 8 | m << 6 | ((c >> 4) & 3) << 4 | (c & 15);
  // bit 9 marks the last position.
  const LcdCase cases[] = {
      {"\"AZ\"", {0x001, 0x21A}},
      {"\"09 \"", {0x030, 0x039, 0x220}},
      {"\"1.5,2:\"", {0x071, 0x0F5, 0x2B2}},
      {"\".\"", {0x260}},           // a mark at the start stands on a blank
      {"\"A..\"", {0x041, 0x260}},  // and so does a second mark
      {"\"ae\\\"\"", {0x101, 0x105, 0x222}},
      {"\"1\\.5\"", {0x031, 0x02E, 0x235}},  // an escaped mark is a character
      {"\"\u03a3+\"", {0x10E, 0x22B}},
      {"\"X;Y\" ; a comment", {0x018, 0x03B, 0x219}},
  };
  for (const auto& c : cases) {
    const auto p = nutasm::Assemble(std::string(".lcd ") + c.text, "l.asm");
    ASSERT_TRUE(p.Ok()) << c.text << ": " << p.errors.front();
    EXPECT_EQ(WordsAt(p, 0, c.words.size() + 1), [&] {
      auto w = c.words;
      w.push_back(0xFFFF);
      return w;
    }()) << c.text;
  }
}

TEST_F(NutasmTest, LabelsNameTargetsInTheDisassemblyThroughTheSymbolFile) {
  const auto p = nutasm::Assemble(
      "        .org 4000\n"
      "START:  GSUBNC sub      ; forward reference\n"
      "loop:   GONC loop\n"
      "        GOLC START\n"
      "sub:    LDI tab\n"
      "        RTN\n"
      "        .org 0123\n"
      "tab:    .word tab, 0x3FF\n",
      "s.asm");
  ASSERT_TRUE(p.Ok()) << p.errors.front();
  EXPECT_EQ(nutasm::SymbolText(p),
            "=START EQU 4000H\n=loop EQU 4002H\n=sub EQU 4005H\n=tab EQU 0123H\n");
  EXPECT_EQ(WordsAt(p, 0x4005, 2), (std::vector<uint16_t>{0x130, 0x123}));
  EXPECT_EQ(WordsAt(p, 0x0123, 2), (std::vector<uint16_t>{0x123, 0x3FF}));

  ParseSymbols(nutasm::SymbolText(p));
  for (const auto& [address, word] : p.words) StoreRom(address, 0, word);
  int32_t a = 0x4000;
  std::string text;
  for (const char* expected : {"GSUBNC 4005 =sub", "GONC 01 4002 =loop", "GOLC 4000 =START"}) {
    Disassemble(a, text);
    EXPECT_EQ(text, expected);
  }
  // The disassembler's text, symbol and all, assembles again.
  const auto again = nutasm::Assemble(".org 4002\nloop: GONC 01 4002 =loop\n", "s.asm");
  ASSERT_TRUE(again.Ok()) << again.errors.front();
  EXPECT_EQ(WordsAt(again, 0x4002, 1), std::vector<uint16_t>{0x003});
}

TEST_F(NutasmTest, ListingShowsAddressWordsLineAndSource) {
  const auto p =
      nutasm::Assemble("; demo\n.org 0010\nGO: LDI 05A\n.lcd \"ABC\"\nGONC GO\n", "x.asm");
  ASSERT_TRUE(p.Ok()) << p.errors.front();
  EXPECT_EQ(nutasm::ListingText(p),
            "                  1  ; demo\n"
            "                  2  .org 0010\n"
            "0010 130 05A      3  GO: LDI 05A\n"
            "0012 001 002      4  .lcd \"ABC\"\n"
            "0014 203\n"
            "0015 3DB          5  GONC GO\n");
}

struct ImageCase {
  const char* name;
  bool packed;
  nutasm::ImageFormat format;
  size_t size;
};

TEST_F(NutasmTest, ImagesLoadBackThroughTheModuleLoader) {
  // Words in pages 1 and 3, so page 2 is an empty page of the image.
  const auto p = nutasm::Assemble(
      ".org 1000\nA=A+B W\nGOLNC 3FFF\n.org 1FFF\n.word 3FF\n.org 3FFE\n.word 155, 2AA\n", "i.asm");
  ASSERT_TRUE(p.Ok()) << p.errors.front();
  const ImageCase cases[] = {
      {"demo.rom", false, nutasm::ImageFormat::Words16, 3 * 8192},
      {"demo.R41", false, nutasm::ImageFormat::R41, 32 + 3 * 5120},
      {"demo.r41", true, nutasm::ImageFormat::R41, 32 + 3 * 5120},
      {"demo.bin", true, nutasm::ImageFormat::PackedLsbFirst, 3 * 5120},
  };
  for (const auto& c : cases) {
    ClearRom();
    ASSERT_EQ(nutasm::FormatFor(c.name, c.packed), c.format) << c.name;
    nutasm::Image image;
    std::string error;
    ASSERT_TRUE(nutasm::BuildImage(p, c.format, image, error)) << error;
    EXPECT_EQ(image.firstPage, 1u);
    EXPECT_EQ(image.pages, 3u);
    EXPECT_EQ(image.bytes.size(), c.size) << c.name;
    ASSERT_TRUE(LoadModuleImage(0x1000, WriteHomeFile(c.name, image.bytes), 16)) << c.name;
    for (uint32_t address = 0x1000; address < 0x4000; ++address) {
      const auto it = p.words.find(address);
      ASSERT_EQ(FetchRom(address), it == p.words.end() ? 0 : it->second)
          << c.name << " at " << Hex(address, 4);
    }
  }
}

TEST_F(NutasmTest, RefusesImagesTheLoaderWouldMisread) {
  std::string error;
  nutasm::Image image;
  EXPECT_FALSE(nutasm::BuildImage(nutasm::Assemble("; nothing\n", "n.asm"),
                                  nutasm::ImageFormat::Words16, image, error));
  EXPECT_EQ(error, "the source holds no words");
  // Eight packed pages are 40960 bytes, a multiple of 8192: the loader would take two-byte
  // words. The .R41 form of the same words is safe.
  const auto eight = nutasm::Assemble("NOP\n.org 7FFF\nRTN\n", "e.asm");
  ASSERT_TRUE(eight.Ok());
  EXPECT_FALSE(nutasm::BuildImage(eight, nutasm::ImageFormat::PackedLsbFirst, image, error));
  EXPECT_EQ(error,
            "a packed image of 8 pages would be read as two-byte words: write it as .R41 or "
            "unpacked");
  EXPECT_TRUE(nutasm::BuildImage(eight, nutasm::ImageFormat::R41, image, error));
}

// ----- Includes, constants and the checks across pages -----

using Files = std::map<std::string, std::string>;

// Files from memory; a missing one fails with a reason of its own.
nutasm::FileReader FromMemory(const Files& files) {
  return [&files](const std::string& path, std::string& text, std::string& error) {
    const auto it = files.find(path);
    if (it == files.end()) {
      error = "not in the test's files";
      return false;
    }
    text = it->second;
    return true;
  };
}

TEST_F(NutasmTest, IncludedFilesAssembleInPlaceFromTheirOwnFolder) {
  const Files files = {
      {"./fw/main.asm", "START: LDI 001\n.include \"lib/a.asm\"\nEND: GOLNC START\n"},
      {"fw/lib/a.asm", "A1: NOP\n.include \"b.asm\"  ; beside a.asm\nA2: GONC B1\n"},
      {"fw/lib/b.asm", "B1: .word A2, END\n"},
  };
  const auto p = nutasm::AssembleFile("./fw/main.asm", FromMemory(files));
  ASSERT_TRUE(p.Ok()) << p.errors.front();
  EXPECT_EQ(WordsAt(p, 0, 9), (std::vector<uint16_t>{0x130, 0x001, 0x000, 0x005, 0x006, 0x3F3,
                                                     0x001, 0x002, 0xFFFF}));
  EXPECT_EQ(nutasm::SymbolText(p),
            "=START EQU 0000H\n=A1 EQU 0002H\n=B1 EQU 0003H\n=A2 EQU 0005H\n=END EQU 0006H\n");
  EXPECT_EQ(nutasm::ListingText(p),
            "; FILE main.asm\n"
            "0000 130 001      1  START: LDI 001\n"
            "                  2  .include \"lib/a.asm\"\n"
            "; FILE lib/a.asm\n"
            "0002 000          1  A1: NOP\n"
            "                  2  .include \"b.asm\"  ; beside a.asm\n"
            "; FILE lib/b.asm\n"
            "0003 005 006      1  B1: .word A2, END\n"
            "; FILE lib/a.asm\n"
            "0005 3F3          3  A2: GONC B1\n"
            "; FILE main.asm\n"
            "0006 001 002      3  END: GOLNC START\n");
}

TEST_F(NutasmTest, FaultsInIncludedFilesNameTheirOwnFileAndLine) {
  const ErrorCase cases[] = {
      {"NOP\n.include \"gone.asm\"", "m.asm:2: cannot read 'gone.asm': not in the test's files"},
      {".include gone.asm", "m.asm:1: .include needs a file name in double quotes"},
      {".include \"bad.asm\"", "bad.asm:2: unknown mnemonic 'FOO'"},
      {".include \"self.asm\"", "self.asm:1: include cycle: self.asm -> self.asm"},
      {".include \"ping.asm\"", "pong.asm:1: include cycle: ping.asm -> pong.asm -> ping.asm"},
      {"X: NOP\n.include \"x.asm\"", "x.asm:1: label 'X' is already defined on m.asm:1"},
      {".include \"x.asm\"\nX: NOP", "m.asm:2: label 'X' is already defined on x.asm:1"},
      {".include \"x.asm\"\n.org 0\nRTN",
       "m.asm:3: address 0000 already holds a word from x.asm:1"},
      {"N .equ 1\n.include \"n.asm\"", "n.asm:1: constant 'N' is already defined on m.asm:1"},
      {".include \"./sub/../m.asm\"", "m.asm:1: include cycle: m.asm -> m.asm"},
  };
  const Files files = {{"bad.asm", "NOP\nFOO\n"},
                       {"self.asm", ".include \"self.asm\"\n"},
                       {"ping.asm", ".include \"pong.asm\""},
                       {"pong.asm", ".include \"ping.asm\""},
                       {"x.asm", "X: NOP\n"},
                       {"n.asm", "N .equ 2\n"}};
  for (const auto& c : cases) {
    const auto p = nutasm::Assemble(c.source, "m.asm", FromMemory(files));
    ASSERT_FALSE(p.Ok()) << c.source;
    EXPECT_EQ(p.errors.front(), c.message) << c.source;
  }
  // A top file that cannot be read is named alone.
  const auto gone = nutasm::AssembleFile("gone.asm", FromMemory(files));
  EXPECT_EQ(gone.errors,
            std::vector<std::string>{"cannot read 'gone.asm': not in the test's files"});
  // From the disk: the system's reason, and a file found beside the one that includes it.
  const auto p = nutasm::Assemble(".include \"not-there.asm\"", WriteHomeFile("top.asm", ""));
  ASSERT_EQ(p.errors.size(), 1u);
  EXPECT_NE(p.errors[0].find("not-there.asm': No such file or directory"), std::string::npos)
      << p.errors[0];
  WriteHomeFile("inc.asm", "LDI 2A5\n");
  const auto disk = nutasm::AssembleFile(WriteHomeFile("main.asm", ".include \"inc.asm\"\nRTN\n"));
  ASSERT_TRUE(disk.Ok()) << disk.errors.front();
  EXPECT_EQ(WordsAt(disk, 0, 3), (std::vector<uint16_t>{0x130, 0x2A5, 0x3E0}));
}

struct ConstantCase {
  const char* source;   // with constants
  const char* literal;  // the same, with each constant's text in its place
};

TEST_F(NutasmTest, ConstantsReadAsTheirTextInEachOperandsBase) {
  const ConstantCase cases[] = {
      {"XR .equ 3\nC=REGN XR\nREGN=C XR (X)", "C=REGN 3\nREGN=C 3 (X)"},
      {"SIG .equ 1C1\nLDI SIG", "LDI 1C1"},
      {"D .equ 13\nPT= D\n?PT= D\nST=1 D\nST=0 D\n?ST=1 D\nRCR D\n?F=1 D",
       "PT= 13\n?PT= 13\nST=1 13\nST=0 13\n?ST=1 13\nRCR 13\n?F=1 13"},
      {"N .equ 10\nLC N\nSELPF N\nRTNUT", "LC 10\nSELPF 10\nRTNUT"},
      {"P .equ 9\nF .equ 2\nV .equ 7F\nSELPF P\n?PFSET F\nPF= V RTNUT",
       "SELPF 9\n?PFSET 2\nPF= 7F RTNUT"},
      {"K .equ 5\nSELPF 4\nPF= K\n.word K", "SELPF 4\nPF= 5\n.word 5"},
      {"W .equ 2\nA=A+B W\nLC W", "A=A+B W\nLC 2"},  // a field stays a field
      {"AT .equ 0003\n.org AT+1\nNOP", ".org 0004\nNOP"},
      {"T .equ 0004\nGOLNC T\nGONC T\nGOC T-1\nNOP", "GOLNC 0004\nGONC 0004\nGOC 0003\nNOP"},
      {"L .equ HERE\nHERE: .word L, HERE+2, L+1, 3FE+1\nLDI HERE+3\nNOP",
       "HERE: .word HERE, 0002, 0001, 3FF\nLDI 0003\nNOP"},
      {"E .equ DONE\nE2 .equ E\nGOLNC E2+1\nDONE: NOP\nNOP", "GOLNC 0003\nNOP\nNOP"},
  };
  for (const auto& c : cases) {
    const auto p = nutasm::Assemble(c.source, "c.asm");
    ASSERT_TRUE(p.Ok()) << c.source << ": " << p.errors.front();
    const auto literal = nutasm::Assemble(c.literal, "l.asm");
    ASSERT_TRUE(literal.Ok()) << c.literal << ": " << literal.errors.front();
    EXPECT_EQ(p.words, literal.words) << c.source;
  }
  // The base is the operand's: register 3 and the constant 1C1.
  EXPECT_EQ(WordsAt(nutasm::Assemble("R .equ 3\nC=REGN R\nV .equ 1C1\nLDI V", "c.asm"), 0, 3),
            (std::vector<uint16_t>{0x0F8, 0x130, 0x1C1}));
}

TEST_F(NutasmTest, RefusesConstantsThatClashAndUsesBeforeTheDefinition) {
  const ErrorCase cases[] = {
      {"K .equ 1\nK .equ 1", "e.asm:2: constant 'K' is already defined on line 1"},
      {"K: NOP\nK .equ 1", "e.asm:2: 'K' is already a label, defined on line 1"},
      {"K .equ 1\nK: NOP", "e.asm:2: 'K' is already a constant, defined on line 1"},
      {"rtn .equ 1", "e.asm:1: 'rtn' is a mnemonic; it cannot name a constant"},
      {"PRINTC .equ 1", "e.asm:1: 'PRINTC' is a mnemonic; it cannot name a constant"},
      {"1K .equ 1",
       "e.asm:1: '1K' cannot name a constant: a letter or _, then letters, digits, _ "
       "or ."},
      {"K .equ 1 2", "e.asm:1: .equ needs one value: NAME .equ TEXT"},
      {".equ K 1", "e.asm:1: .equ goes after the name it defines: NAME .equ TEXT"},
      {"LC K\nK .equ 1", "e.asm:1: 'K' is used before its .equ on line 2"},
      {"GOLNC K\nK .equ 1", "e.asm:1: 'K' is used before its .equ on line 2"},
      {".org FACE\nFACE .equ 1", "e.asm:1: 'FACE' is used before its .equ on line 2"},
      {"A .equ B\nB .equ 1", "e.asm:1: 'B' is used before its .equ on line 2"},
      {"K .equ 16\nLC K", "e.asm:2: LC needs a number 0..15, not '16'"},
      {".word NOPE+1", "e.asm:1: undefined label 'NOPE'"},
      {".org FFFE\nT: GOLNC T+2", "e.asm:2: 'T+2' is not a label or an address 0000..FFFF"},
      {"SIG .equ 5C1\nLDI SIG",
       "e.asm:2: LDI needs a constant 000..3FF (hexadecimal) or a label, not '5C1'"},
  };
  for (const auto& c : cases) {
    const auto p = nutasm::Assemble(c.source, "e.asm");
    ASSERT_FALSE(p.Ok()) << c.source;
    EXPECT_EQ(p.errors.front(), c.message) << c.source;
    // One fault, one message: a use before the definition replaces the operand's own error.
    EXPECT_EQ(p.errors.size(), 1u) << c.source << ": " << p.errors.back();
  }
}

TEST_F(NutasmTest, JumpsMustLandOnCodeInTheProgramsOwnPages) {
  const ErrorCase cases[] = {
      {".org 0FFE\nGONC 1002\nNOP\nNOP\nNOP\nNOP",
       "e.asm:2: jump target 1002 is in page 1, the jump in page 0; a relative jump stays in its "
       "page (use GOLC/GOLNC)"},
      {".org 1001\nGOC 0FFF\n.org 0FFF\nNOP",
       "e.asm:2: jump target 0FFF is in page 0, the jump in page 1; a relative jump stays in its "
       "page (use GOLC/GOLNC)"},
      {"GSUBNC 0100\n.org 0FFF\nRTN",
       "e.asm:1: target 0100 holds no word, in a page this program fills: a call there does "
       "nothing"},
      {"NOP\n.org 2000\nGOLC 0001",
       "e.asm:3: target 0001 holds no word, in a page this program "
       "fills"},
      {"Z: NOP\nGSUBC Z", "e.asm:2: target 0000 holds the word 000: a call there does nothing"},
  };
  for (const auto& c : cases) {
    const auto p = nutasm::Assemble(c.source, "e.asm");
    ASSERT_FALSE(p.Ok()) << c.source;
    EXPECT_EQ(p.errors.front(), c.message) << c.source;
  }
  // Another module's page, a jump to a zero word, and a relative jump up to its page's edge.
  for (const char* fine : {"GSUBNC 4000\nGOLNC 1FFF", "Z: NOP\nGOLNC Z",
                           ".org 0FC0\nX: NOP\n.org 0FFE\nGONC 0FFF\nGOC X"}) {
    const auto p = nutasm::Assemble(fine, "f.asm");
    EXPECT_TRUE(p.Ok()) << fine << ": " << p.errors.front();
  }
}

}  // namespace
