#pragma once
// The class-0 map of the instruction set, written out as data for the tests of the dispatch
// table and the disassembler.

// The class-0 map of the instruction set: rows down, columns across, "-" for no instruction.
inline const char* const kClass0Map[16][16] = {
    {"NOP", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "-", "PT=", "SPOPND", "SELPF", "REGN=C", "?F=1",
     "ROMBLK", "-", "C=REGN", "RCR"},
    {"WMLDL", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "G=C", "PT=", "POWOFF", "SELPF", "REGN=C",
     "?F=1", "N=C", "-", "C=REGN", "RCR"},
    {"-", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "C=G", "PT=", "SELP", "SELPF", "REGN=C", "?F=1",
     "C=N", "-", "C=REGN", "RCR"},
    {"-", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "CGEX", "PT=", "SELQ", "SELPF", "REGN=C", "?F=1",
     "CNEX", "-", "C=REGN", "RCR"},
    {"ENROM0", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "-", "PT=", "?P=Q", "SELPF", "REGN=C", "?F=1",
     "LDI", "-", "C=REGN", "RCR"},
    {"ENROM2", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "M=C", "PT=", "?LLD", "SELPF", "REGN=C",
     "?F=1", "STK=C", "-", "C=REGN", "RCR"},
    {"ENROM1", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "C=M", "PT=", "CLRABC", "SELPF", "REGN=C",
     "?F=1", "C=STK", "-", "C=REGN", "RCR"},
    {"ENROM3", "-", "-", "-", "LC", "-", "CMEX", "-", "GOTOC", "SELPF", "REGN=C", "-", "WPTOG", "-",
     "C=REGN", "-"},
    {"HPIL=C", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "-", "PT=", "C=KEYS", "SELPF", "REGN=C",
     "?F=1", "GOKEYS", "-", "C=REGN", "RCR"},
    {"HPIL=C", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "F=SB", "PT=", "SETHEX", "SELPF", "REGN=C",
     "?F=1", "DADD=C", "-", "C=REGN", "RCR"},
    {"HPIL=C", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "SB=F", "PT=", "SETDEC", "SELPF", "REGN=C",
     "?F=1", "CLREGS", "-", "C=REGN", "RCR"},
    {"HPIL=C", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "FEXSB", "PT=", "DISOFF", "SELPF", "REGN=C",
     "?F=1", "DATA=C", "-", "C=REGN", "RCR"},
    {"HPIL=C", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "-", "PT=", "DISTOG", "SELPF", "REGN=C",
     "?F=1", "CXISA", "-", "C=REGN", "RCR"},
    {"HPIL=C", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "ST=C", "PT=", "RTNC", "SELPF", "REGN=C",
     "?F=1", "C=C!A", "-", "C=REGN", "RCR"},
    {"HPIL=C", "ST=0", "ST=1", "?ST=1", "LC", "?PT=", "C=ST", "PT=", "RTNNC", "SELPF", "REGN=C",
     "?F=1", "C=C&A", "-", "C=REGN", "RCR"},
    {"HPIL=C", "CLRST", "RSTKB", "CHKKB", "LC", "DECPT", "CSTEX", "INCPT", "RTN", "SELPF", "REGN=C",
     "-", "PFAD=C", "-", "C=REGN", "-"},
};

