#pragma once
// The microcode disassembler.

#include <cstdint>
#include <string>

// Names of the class-2 field selects (bits 4..2), the registers of REGN=C / C=REGN, and the
// class-2 operations (bits 9..5). Shared with the assembler.
extern const char* const FieldName[8];
extern const char* const RegisterName[16];
extern const char* const ArithOpName[32];
// Class-0 columns 6, 8 and 12, one instruction per row; nullptr where the word has no name
// (LDI, row 4 of column 12, takes an operand and is handled on its own).
extern const char* const Class0Column6[16];
extern const char* const Class0Column8[16];
extern const char* const Class0Column12[16];

// Disassembles the word(s) at address into text and advances address past every word read.
void Disassemble(int32_t& address, std::string& text);
// The same, into a caller's buffer, without allocating. Writes at most capacity - 1 characters
// and a terminating NUL; returns the length of the whole text, which may exceed what was written
// (as snprintf does).
int DisassembleTo(int32_t& address, char* out, int capacity);
// The same from a 64 K-word image of the ROM space (the debugger's listing), as CPU words.
std::string DisassembleImage(const uint16_t* image, int32_t& address);
