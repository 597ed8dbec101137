"""The RPN firmware through its keys: what the display shows and what the stack holds.

Each case presses keys after MEMORY LOST (FIX 4, the stack cleared) and compares the
display line that valdor-run prints (every position followed by its punctuation mark).
"""

import sys
from decimal import Decimal

import harness as h

# keys -> the display line afterwards (twelve positions, marks after their characters)
DISPLAY = [
    ("", "MEMORY LOST "),
    ("2 ENTER 3 + 4 *", "20.0000      "),
    ("2 SQRT FIX 9", "1.414213562  "),
    ("1 ENTER 0 /", "DATA ERROR  "),
    ("1 EEX 5 0 ENTER *", "OUT OF RANGE"),
    # typing
    ("1 2", "12_         "),
    ("1 2 3 4 5 6 7", "1,234,567_    "),
    ("1 2 3 4 5 6 7 8 9 0 1", "1,234,567,890_ "),  # ten digits at most
    (".", "0._          "),
    (". 5 CHS", "-0.5_        "),
    ("1 . 5 BKSP BKSP", "1_          "),
    ("1 EEX", "1         __"),
    ("EEX 5", "1         5_"),
    ("1 . 5 EEX 2 3 CHS", "1.5       -23"),
    ("1 EEX 2 3 4", "1         34"),
    ("1 EEX 2 BKSP BKSP", "1_          "),
    ("1 2 BKSP BKSP", "0.0000       "),
    # FIX
    ("1 2 3 4 . 5 6 ENTER", "1,234.5600    "),
    ("9 . 9 9 9 9 9 ENTER", "10.0000      "),
    ("1 2 3 4 5 6 7 8 9 0 ENTER", "1,234,567,890.  "),
    ("1 EEX 1 0 ENTER", "1.0000     10"),
    ("1 2 . 3 4 EEX 6 CHS ENTER", "1.2340    -05"),
    ("1 2 . 3 4 EEX 5 CHS ENTER", "0.0001       "),
    (". 0 0 0 0 5 ENTER", "0.0001       "),
    (". 0 0 0 0 4 ENTER", "4.0000    -05"),
    ("0 FIX 0", "0.           "),
    ("1 2 3 4 . 5 CF 2 9", "1234.5000    "),
    ("1 2 3 4 . 5 CF 2 8", "1.234,5000    "),
    # SCI and ENG
    ("1 2 3 4 . 5 6 7 SCI 3", "1.235      03"),
    ("1 2 3 4 5 . 6 7 ENG 3", "12.35      03"),
    ("1 2 3 4 5 . 6 7 CHS ENG 1", "-12.       03"),
    ("1 2 3 4 5 6 ENG 0", "100.       03"),    # one digit, then zeros to the mark
    (". 0 0 1 2 3 4 ENG 2", "1.23      -03"),
    (". 0 1 2 3 4 ENG 2", "12.3      -03"),
    ("1 2 3 4 . 5 6 7 CHS SCI 9", "-1.2345670 03"),
    ("9 . 9 9 9 9 9 9 EEX 9 9 SCI 2", "9.99       99"),
    ("0 SCI 2", "0.00       00"),
    # stack
    ("1 ENTER 2 ENTER 3 RDN", "2.0000       "),
    ("1 ENTER 2 X<>Y", "1.0000       "),
    ("2 ENTER 3 + LASTX", "3.0000       "),
    ("PI", "3.1416       "),
    ("5 CLX", "0.0000       "),
    # registers and prompts
    ("STO", "STO __      "),
    ("STO 1", "STO 1_      "),
    ("FIX", "FIX _       "),
    ("5 STO 1 2 CLX RCL 1 2", "5.0000       "),
    ("4 STO + 0 1 STO + 0 1 RCL 0 1", "8.0000       "),
    ("9 STO .X RCL .X +", "18.0000      "),
    ("STO 9 9", "0.0000       "),
    ("SHIFT SHIFT 2", "2_          "),
    # flags
    ("SF 0 1 FS? 0 1", "YES         "),
    ("FS? 0 2", "NO          "),
    ("SF 3 0", "NONEXISTENT "),
    ("SF 2 4 1 EEX 5 0 ENTER *", "9.9999     99"),
    ("1 ENTER 0 / BKSP", "0.0000       "),
    ("1 ENTER 0 / 3", "3_          "),
    # tests
    ("3 ENTER 3 X=Y?", "YES         "),
    ("2 ENTER 3 X=Y?", "NO          "),
    ("3 ENTER 2 X<=Y?", "YES         "),
    ("2 ENTER 3 X<=Y?", "NO          "),
    ("5 CHS ENTER 4 CHS X>Y?", "YES         "),
    ("2 CHS ENTER 3 CHS X>Y?", "NO          "),
    ("1 EEX 3 CHS ENTER 2 EEX 3 CHS X<=Y?", "NO          "),
    ("1 EEX 5 CHS X=0?", "NO          "),
    ("0 X=0?", "YES         "),
    # statistics, program memory
    ("2 ENTER 3 Σ+ 4 ENTER 5 Σ+", "2.0000       "),
    ("2 ENTER 3 Σ+ 4 ENTER 5 Σ+ RCL 1 1", "8.0000       "),
    ("2 ENTER 3 Σ+ 4 ENTER 5 Σ+ RCL 1 3", "6.0000       "),
    ("2 ENTER 3 Σ+ 4 ENTER 5 Σ+ RCL 1 5", "26.0000      "),
    ("2 ENTER 3 Σ+ 2 ENTER 3 Σ- RCL 1 2", "0.0000       "),
    ("2 ENTER 3 Σ+ CLΣ RCL 1 6", "0.0000       "),
    ("PRGM", "00 REG 204  "),
    # functions of the other layers on their keys
    ("2 LN FIX 9", "0.693147181  "),
    ("3 0 SIN", "0.5000       "),
    ("2 CHS ENTER 3 Y^X", "-8.0000      "),
    ("3 ENTER 4 R-P X<>Y", "36.8699      "),
    # ALPHA and XEQ
    ("ALPHA 'RST'", "RST_        "),
    ("ALPHA 'A' BKSP", "_           "),
    ("ALPHA 'ABCDEFGHIJKLMNOPQRSTUVWXYZ'", "NOPQRSTUVWX_"),  # 24 characters at most
    ("ALPHA 'AB' ALPHA ALPHA", "AB          "),
    ("ALPHA 'AB' ALPHA ALPHA 'C'", "C_          "),   # the first character replaces
    ("ALPHA 'AB' ALPHA ALPHA APPEND 'C'", "ABC_        "),
    ("ALPHA 'HELLO' ALPHA XEQ ALPHA 'AVIEW' ALPHA", "HELLO       "),
    ("XEQ ALPHA 'AB'", "XEQ AB_     "),
    ("XEQ ALPHA 'XYZ' ALPHA", "NONEXISTENT "),
    ("2 CHS XEQ ALPHA 'ABS' ALPHA", "2.0000       "),
    ("5 ENTER 3 XEQ ALPHA 'X≠Y?' ALPHA", "YES         "),
    ("XEQ ALPHA 'RAD' ALPHA 1 SIN", "0.8415       "),
    ("XEQ ALPHA 'FIX' ALPHA 2", "0.00         "),
    ("2 ENTER 3 Σ+ XEQ ALPHA 'SDEV' ALPHA", "DATA ERROR  "),   # n - 1 = 0
    ("XEQ ALPHA 'SIZE' ALPHA", "SIZE ___    "),
    ("XEQ ALPHA 'SIZE' ALPHA 0 1", "SIZE 01_    "),
    ("XEQ ALPHA 'SIZE' ALPHA 0 1 BKSP", "SIZE 0__    "),
    ("XEQ ALPHA 'SIZE' ALPHA 0 1 0 PRGM", "00 REG 294  "),
    ("XEQ ALPHA 'SIZE' ALPHA 0 1 0 STO 1 0", "NONEXISTENT "),
    ("XEQ ALPHA 'SIZE' ALPHA 3 0 0 PRGM", "00 REG 4    "),
    ("XEQ ALPHA 'SIZE' ALPHA 3 0 5", "NO ROOM     "),
    # ASTO: the first six characters as text in a register
    ("ALPHA 'HELLO' ALPHA XEQ ALPHA 'ASTO' ALPHA 0 1 CLX RCL 0 1", "HELLO       "),
    ("ALPHA 'ABCDEFGHIJ' ALPHA XEQ ALPHA 'ASTO' ALPHA .X", "ABCDEF      "),
    ("ALPHA 'AB' ALPHA XEQ ALPHA 'ASTO' ALPHA 0 3 VIEW 0 3", "AB          "),
    ("ALPHA 'ABC' ALPHA XEQ ALPHA 'ASTO' ALPHA .X 1 +", "ALPHA DATA  "),
    ("ALPHA 'ABC' ALPHA XEQ ALPHA 'ASTO' ALPHA .X CHS", "ALPHA DATA  "),
    ("ALPHA 'ABC' ALPHA XEQ ALPHA 'ASTO' ALPHA 0 2 XEQ ALPHA 'CLA' ALPHA ALPHA 'X=' ALPHA "
     "XEQ ALPHA 'ARCL' ALPHA 0 2 XEQ ALPHA 'AVIEW' ALPHA", "X=ABC       "),
    # IND: the register named holds the number meant
    ("STO IND", "STO IND __  "),
    ("FIX IND", "FIX IND __  "),
    ("7 STO 0 1 4 2 STO IND 0 1 CLX RCL 0 7", "42.0000      "),
    ("4 . 7 STO 0 1 9 STO IND 0 1 CLX RCL IND 0 1", "9.0000       "),
    ("3 STO 0 2 FIX IND 0 2", "3.000        "),
    ("3 ENTER FIX IND .X", "3.000        "),
    ("2 STO 0 3 SF IND 0 3 FS? 0 2", "YES         "),
    ("2 0 0 STO 0 1 STO IND 0 1", "NONEXISTENT "),
    ("1 CHS STO 0 1 RCL IND 0 1", "NONEXISTENT "),
    ("1 2 . 5 STO 0 1 ALPHA 'X=' ALPHA XEQ ALPHA 'ARCL' ALPHA 0 1 XEQ ALPHA 'AVIEW' ALPHA",
     "X=12.5000   "),
    ("1 2 3 4 5 6 CHS STO 0 1 ALPHA 'ABCDEFGHIJKLMNOPQR' ALPHA XEQ ALPHA 'ARCL' ALPHA 0 1 "
     "XEQ ALPHA 'AVIEW' ALPHA", "NOPQR-123,4 "),                   # 24 characters at most
]

# keys -> (X, Y, LASTX) afterwards, as numbers
STACK = [
    ("2 ENTER 3 +", ("5", "0", "3")),
    ("2 ENTER 3 ENTER +", ("6", "2", "3")),
    ("7 ENTER 2 -", ("5", "0", "2")),
    ("1 ENTER 3 /", ("0.3333333333", "0", "3")),
    ("1 ENTER 0 /", ("0", "1", "0")),          # an error keeps the stack
    ("5 ENTER 6", ("6", "5", "0")),            # ENTER: the next number replaces X
    ("5 ENTER ENTER *", ("25", "5", "5")),
    ("1 . 5 EEX 2 CHS", ("0.015", "0", "0")),  # X follows the keys while a number is typed
    ("1 2 3 4 5 6 7 8 9 1 EEX 2", ("1.234567891E11", "0", "0")),
    (". 0 0 0 0 0 0 0 0 0 1 EEX 9 9 CHS", ("0", "0", "0")),
    ("2 0 0 % ", ("0", "0", "200")),
    ("2 0 0 ENTER 1 5 %", ("30", "200", "15")),
    ("2 ENTER 3 Σ+", ("1", "2", "3")),         # n in X, x in LASTX
    ("5 PI", ("3.141592654", "5", "0")),
    ("7 ENTER 2 X<=Y?", ("2", "7", "0")),      # a test changes nothing
    ("2 XEQ ALPHA 'LN1+X' ALPHA", ("1.098612289", "0", "2")),
    ("1 2 STO 0 5 7 XEQ ALPHA 'X<>' ALPHA 0 5 RCL 0 5", ("7", "12", "0")),
    # MEAN and SDEV of (x, y) = (3, 2), (5, 4), (1, 9): X for x, Y for y
    ("2 ENTER 3 Σ+ 4 ENTER 5 Σ+ 9 ENTER 1 Σ+ XEQ ALPHA 'MEAN' ALPHA", ("3", "5", "3")),
    ("2 ENTER 3 Σ+ 4 ENTER 5 Σ+ 9 ENTER 1 Σ+ XEQ ALPHA 'SDEV' ALPHA", ("2", "3.605551275", "3")),
    ("XEQ ALPHA 'ΣREG' ALPHA 2 0 2 ENTER 3 Σ+ RCL 2 0", ("3", "2", "3")),
    ("6 4 XEQ ALPHA 'OCT' ALPHA", ("100", "0", "64")),
    # RND: to what the display shows
    ("2 SQRT FIX 2 XEQ ALPHA 'RND' ALPHA", ("1.41", "0", "1.414213562")),
    ("9 . 9 9 9 9 9 XEQ ALPHA 'RND' ALPHA", ("10", "0", "9.99999")),
    (". 0 0 0 0 6 XEQ ALPHA 'RND' ALPHA", ("0.0001", "0", "0.00006")),
    (". 0 0 0 0 4 4 4 4 5 XEQ ALPHA 'RND' ALPHA", ("0.000044445", "0", "0.000044445")),
    ("1 2 3 4 5 6 CHS ENG 0 XEQ ALPHA 'RND' ALPHA", ("-100000", "0", "-123456")),
    ("1 0 0 XEQ ALPHA 'DEC' ALPHA", ("64", "0", "100")),
]


# keys -> the annunciators lit afterwards
ANNUNCIATORS = [
    ("SHIFT", "SHIFT"),
    ("SHIFT LASTX", ""),
    ("SHIFT SHIFT", ""),
    ("SF 0 1 SF 0 4", "1 4"),
    ("SF 0 1 CF 0 1", ""),
    ("XEQ ALPHA 'RAD' ALPHA", "RAD"),
    ("XEQ ALPHA 'GRAD' ALPHA 2", "G RAD"),
    ("USER", "USER"),
    ("ALPHA", "ALPHA"),
    ("ALPHA ALPHA", ""),
    ("PRGM", "PRGM"),
    ("SF 2 7", "USER"),
]

# keys -> what the printer prints (its mode switch at TRACE, or at MAN)
PAPER = [
    ("1 2 . 5 PRINT", "man", ["12.5000"]),
    ("1 2 . 5 PRINT ADV 3 PRINT", "man", ["12.5000", "", "3.0000"]),
    ("1 2 3 4 CHS SCI 2 PRINT", "man", ["-1.23      03"]),
    ("2 ENTER 3 +", "trace", ["ENTER^", "2.0000", "+", "5.0000"]),
    ("1 EEX 5 0 ENTER X^2", "trace", ["ENTER^", "1.0000     50"]),  # an error prints nothing
]


def main():
    args = h.parse_args(__doc__)
    calc = h.Calculator(args)
    failures, total = [], 0
    for keys, want in DISPLAY:
        total += 1
        got, _, _ = calc.press(keys)
        if got != want:
            failures.append("%-32s shows %r, not %r" % (keys, got, want))
    for keys, want in STACK:
        total += 1
        _, _, ram = calc.press(keys)
        got = tuple(h.from_reg(ram[r]) for r in (3, 2, 4))
        if got != tuple(Decimal(w) for w in want):
            failures.append("%-32s leaves X Y L = %s, not %s" % (keys, got, want))

    for keys, want in ANNUNCIATORS:
        total += 1
        _, got, _ = calc.press(keys)
        # "G" and "RAD" are written together as GRAD
        got = " ".join(got.replace("GRAD", "G RAD").replace("01", "0 1").split())
        if got != want:
            failures.append("%-32s lights %r, not %r" % (keys, got, want))
    for keys, mode, want in PAPER:
        total += 1
        paper = calc.m.home + "/paper.txt"
        calc.press(keys, extra=("--printer-on", "--printer-mode", mode, "--paper", paper))
        got = [line.strip() for line in open(paper).read().split("\n")[:-1]]
        if got != want:
            failures.append("%-32s prints %s, not %s" % (keys, got, want))

    # Held past the wait, a key shows NULL and does nothing.
    total += 1
    got, _, ram = calc.press("2 ENTER 3", hold=0)
    got, _, ram = calc.press("+", fresh=False, hold=6000)
    if h.from_reg(ram[3]) != 3:
        failures.append("+ held for 6000 instructions still ran: X = %s" % h.from_reg(ram[3]))

    # The memory survives a restart; a cold start clears it.
    total += 1
    calc.press("4 2 STO 0 7")
    shown, _, ram = calc.press("RCL 0 7 +", fresh=False)
    if shown != "84.0000      ":
        failures.append("after a restart 42 RCL 07 + shows %r" % shown)
    # An HP-41C's memory (registers 0C0..0FF): 48 data registers and none for programs.
    small = h.Calculator(args, ram_size=64)
    for keys, want in [("STO 4 7", "STO 4 7"), ("STO 4 8", "NONEXISTENT "), ("PRGM", "00 REG 0    ")]:
        total += 1
        got, _, _ = small.press(keys)
        want = "0.0000       " if want == keys else want
        if got != want:
            failures.append("with 64 registers %-16s shows %r, not %r" % (keys, got, want))
    return h.report(failures, total, "keys")


if __name__ == "__main__":
    sys.exit(main())
