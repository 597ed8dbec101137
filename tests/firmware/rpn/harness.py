"""Runs routines of the RPN firmware on the emulated machine, many cases in one run.

A test names a routine, its arity, the layer files it needs and a list of cases. The harness
writes a small driver in front of those layers, assembles it with nutasm, puts the operands
into the RAM image and runs valdor-run once per batch of cases; the driver calls the routine
for every case and stores what came back (or which error it jumped to) over the operands.
Reference values come from Python's decimal module or mpmath, never from the firmware's own
method.

Numbers travel in the register form: digit 13 the sign (0 or 9), digits 12..3 the mantissa,
digits 2..0 the exponent (a negative one as 1000 - |e|). A register is a list of 14 digits,
digit 0 first.
"""

import argparse
import os
import subprocess
import tempfile
from decimal import Decimal, localcontext, ROUND_HALF_UP

# Register CASES holds C[2..0] = the address of the next case and C[5..3] = the cases left.
# Each case takes two registers from FIRST on: y, then x. After the run the first holds the
# result and the second the outcome: 0 returned, 1 DATA ERROR, 2 OUT OF RANGE.
CASES = 0x0D0
FIRST = CASES + 1
LAST = 0x1FF                     # the top of the default RAM (Size=320: registers 0C0..1FF)
BATCH = (LAST - FIRST + 1) // 2  # cases per run
FLAGS = 14                       # status register d
OK, DATA_ERROR, OUT_OF_RANGE = 0, 1, 2


def parse_args(description=""):
    p = argparse.ArgumentParser(description=description)
    p.add_argument("--nutasm", required=True)
    p.add_argument("--runner", required=True)
    p.add_argument("--source", required=True, help="the repository's root folder")
    p.add_argument("--cases", type=int, default=0, help="random cases per function (0: the test's own count)")
    p.add_argument("--seed", type=int, default=41)
    return p.parse_args()


# ----- The register form ---------------------------------------------------------------------

def to_reg(x):
    """A number of at most ten significant digits (0, or 1E-99 <= |x| < 1E100) as 14 digits."""
    x = Decimal(x)
    if x == 0:
        return [0] * 14
    sign, digits, exp = x.as_tuple()
    digits = list(digits)
    while len(digits) > 1 and digits[-1] == 0:
        digits.pop()
        exp += 1
    if len(digits) > 10:
        raise ValueError("more than ten digits: %s" % x)
    e = exp + len(digits) - 1
    if not -99 <= e <= 99:
        raise ValueError("exponent out of range: %s" % x)
    mant = digits + [0] * (10 - len(digits))
    ex = e if e >= 0 else 1000 + e
    return [ex % 10, ex // 10 % 10, ex // 100] + list(reversed(mant)) + [9 if sign else 0]


def from_reg(reg):
    """The number that 14 digits stand for; None if they are not a number in register form
    (a digit above 9, a sign other than 0 or 9, an unnormalised mantissa, -0)."""
    if any(d > 9 for d in reg) or reg[13] not in (0, 9):
        return None
    mant = reg[12:2:-1]
    if mant[0] == 0:
        return Decimal(0) if all(d == 0 for d in reg) else None
    ex = reg[2] * 100 + reg[1] * 10 + reg[0]
    e = ex if ex < 500 else ex - 1000
    if not -99 <= e <= 99:
        return None
    text = "%s%d.%sE%d" % ("-" if reg[13] == 9 else "", mant[0], "".join(map(str, mant[1:])), e)
    return Decimal(text)


def reg_text(reg):
    return "".join("%X" % d for d in reversed(reg))


def round10(x):
    """x rounded half away from zero to ten significant digits."""
    x = Decimal(x)
    if x == 0:
        return Decimal(0)
    with localcontext() as ctx:
        ctx.prec = 10
        ctx.rounding = ROUND_HALF_UP
        return +x


def flags_reg(*numbers):
    """Register d with the given flags (0..55) set."""
    reg = [0] * 14
    for n in numbers:
        reg[13 - n // 4] |= 8 >> (n % 4)
    return reg


# ----- The RAM image -------------------------------------------------------------------------

def write_ram(path, registers):
    """registers: {number: 14 digits}."""
    with open(path, "wb") as f:
        for r, reg in sorted(registers.items()):
            f.write(bytes([r & 0xFF, r >> 8]) + bytes(reg[2 * k] | reg[2 * k + 1] << 4 for k in range(7)))


def read_ram(path):
    out = {}
    data = open(path, "rb").read()
    for at in range(0, len(data) - 8, 9):
        r = data[at] | data[at + 1] << 8
        out[r] = [d for k in range(7) for d in (data[at + 2 + k] & 15, data[at + 2 + k] >> 4)]
    return out


# ----- The driver ----------------------------------------------------------------------------

DRIVER = """\
; Test driver: calls {routine} once per case (see tests/firmware/rpn/harness.py).
        .org 0000
        GOLNC TNEXT
TNEXT:  SETHEX
        LDI {cases:03X}
        DADD=C
        C=REGN 0                ; C[2..0] = the next case's address, C[5..3] = cases left
        RCR 3
        ?C<>0 X
        GOC TCASE
        POWOFF                  ; all done: the runner saves the RAM image
TCASE:  C=C-1 X
        RCR 11
        A=C W
        B=A W                   ; B[2..0] = this case's address
        C=C+1 X
        C=C+1 X
        DATA=C                  ; the next one's (DATA=C keeps the data address)
        C=B W
        DADD=C
        C=REGN 0                ; y
        M=C
        C=B W
        C=C+1 X
        DADD=C
        C=M
        A=C W                   ; A = y
        C=REGN 0                ; C = x
        GSUBNC {routine}
TRET:   M=C                     ; returned: the result, and outcome 0
        C=0 W
TOUT:   SETHEX
        A=C W                   ; A = the outcome, M = the result
        LDI {cases:03X}
        DADD=C
        C=REGN 0
        C=C-1 X
        C=C-1 X
        BCEX W                  ; B[2..0] = this case's address (C is read again below)
        C=B W
        DADD=C
        C=M
        DATA=C
        C=B W
        C=C+1 X
        DADD=C
        ACEX W
        DATA=C
        GOLNC TNEXT
ERRDATA: C=0 W
        M=C
        LDI 001
        GOLNC TOUT
ERRRANGE: C=0 W
        M=C
        LDI 002
        GOLNC TOUT
{extra}
        .org 1000
"""


def driver_source(routine, layers, source_root, extra=""):
    """The driver, then the layers' texts pasted in order from address 1000 on. A layer is a
    file name in firmware/rpn/ (defs.asm first when a layer uses its names)."""
    text = DRIVER.format(routine=routine, cases=CASES, extra=extra)
    for layer in layers:
        path = os.path.join(source_root, "firmware", "rpn", layer)
        text += "; ---- %s\n" % layer + open(path).read() + "\n"
    return text


class Machine:
    def __init__(self, args):
        self.nutasm = args.nutasm
        self.runner = args.runner
        self.source = args.source
        self.home = tempfile.mkdtemp(prefix="rpn-test-")
        with open(os.path.join(self.home, "VALDOR.Ini"), "w") as f:
            f.write("[ROM]\nModules=1\nModule1=0 test.rom\n")

    def assemble(self, text):
        src = os.path.join(self.home, "test.asm")
        with open(src, "w") as f:
            f.write(text)
        r = subprocess.run([self.nutasm, "-o", os.path.join(self.home, "test.rom"),
                            "-l", os.path.join(self.home, "test.lst"), src],
                           capture_output=True, text=True)
        if r.returncode != 0:
            raise RuntimeError("nutasm failed:\n" + r.stdout + r.stderr)

    def run(self, registers, keys=None, extra_args=()):
        """Runs from a cold start with the given RAM registers; returns the RAM afterwards."""
        ram = os.path.join(self.home, "VALDOR.RAM")
        write_ram(ram, registers)
        cmd = [self.runner, "--home", self.home] + list(extra_args)
        if keys:
            cmd += ["--keys", keys]
        r = subprocess.run(cmd, capture_output=True, text=True, timeout=600)
        if r.returncode != 0:
            raise RuntimeError("valdor-run failed (%d):\n%s%s" % (r.returncode, r.stdout, r.stderr))
        return read_ram(ram)

    def call(self, routine, layers, cases, flags=(), extra=""):
        """cases: a list of (y, x) pairs of register forms (y is ignored by unary routines).
        Returns a list of (outcome, result register) in the same order."""
        self.assemble(driver_source(routine, layers, self.source, extra))
        results = []
        for start in range(0, len(cases), BATCH):
            batch = cases[start:start + BATCH]
            regs = {FLAGS: flags_reg(*flags)}
            control = [0] * 14
            control[0], control[1], control[2] = FIRST & 15, FIRST >> 4 & 15, FIRST >> 8
            n = len(batch)
            control[3], control[4], control[5] = n & 15, n >> 4 & 15, n >> 8
            regs[CASES] = control
            for i, (y, x) in enumerate(batch):
                regs[FIRST + 2 * i] = y
                regs[FIRST + 2 * i + 1] = x
            ram = self.run(regs)
            for i in range(n):
                outcome = ram[FIRST + 2 * i + 1]
                code = outcome[0] if all(d == 0 for d in outcome[1:]) else -1
                results.append((code, ram[FIRST + 2 * i]))
        return results


def ulps(got, exact):
    """The distance of got from exact in units of the tenth significant digit of exact."""
    exact = Decimal(exact)
    if exact == 0:
        return Decimal(0) if got == 0 else Decimal("Infinity")
    unit = Decimal(1).scaleb(exact.adjusted() - 9)
    return abs(Decimal(got) - exact) / unit


# ----- Keys ------------------------------------------------------------------------------------

# Faceplate key numbers by legend, unshifted and shifted ("SHIFT" is pressed first for the
# second kind), as valdor-run takes them (#N).
KEYS = {
    "ON": 1, "USER": 2, "PRGM": 3, "ALPHA": 4,
    "Σ+": 11, "1/X": 12, "SQRT": 13, "LOG": 14, "LN": 15,
    "X<>Y": 21, "RDN": 22, "SIN": 23, "COS": 24, "TAN": 25,
    "SHIFT": 31, "XEQ": 32, "STO": 33, "RCL": 34, "SST": 35,
    "ENTER": 41, "CHS": 43, "EEX": 44, "BKSP": 45,
    "-": 51, "7": 52, "8": 53, "9": 54,
    "+": 61, "4": 62, "5": 63, "6": 64,
    "*": 71, "1": 72, "2": 73, "3": 74,
    "/": 81, "0": 82, ".": 83, "R/S": 84,
}
SHIFTED = {
    "Σ-": 11, "Y^X": 12, "X^2": 13, "10^X": 14, "E^X": 15,
    "CLΣ": 21, "%": 22, "ASIN": 23, "ACOS": 24, "ATAN": 25,
    "CATALOG": 41, "ISG": 43, "RTN": 44, "CLX": 45,
    "X=Y?": 51, "SF": 52, "CF": 53, "FS?": 54,
    "X<=Y?": 61, "BEEP": 62, "P-R": 63, "R-P": 64,
    "X>Y?": 71, "FIX": 72, "SCI": 73, "ENG": 74,
    "X=0?": 81, "PI": 82, "LASTX": 83, "VIEW": 84,
    "APPEND": 41, "IND": 31,
}
# The characters of ALPHA mode: unshifted on these keys...
ALPHA_KEYS = dict(zip("ABCDEFGHIJKLMNOPQRSTUVWXYZ=?: ,",
                      [11, 12, 13, 14, 15, 21, 22, 23, 24, 25, 32, 33, 34, 41, 43, 44, 51, 52,
                       53, 54, 61, 62, 63, 64, 71, 72, 73, 74, 81, 82, 83]))
# ...and shifted.
ALPHA_SHIFTED = dict(zip("0123456789.-+*/abcdeΣ%≠<&$>@^'",
                         [82, 72, 73, 74, 62, 63, 64, 52, 53, 54, 83, 51, 61, 71, 81, 11, 12, 13,
                          14, 15, 21, 22, 32, 23, 33, 43, 24, 34, 44, 25]))
# In a prompt after ".", the keys that carry these letters in ALPHA name stack registers.
LETTER = {"X": 64, "Y": 71, "Z": 72, "T": 54, "L": 33}


def key_numbers(text):
    """'2 ENTER 3 +' or 'SHIFT FIX 4' (or just 'FIX 4') as valdor-run's #N list; a word in
    single quotes is typed in ALPHA mode ('LN1+X'), and #N is a key number."""
    out = []
    for word in text.split():
        if len(word) > 2 and word[0] == word[-1] == "'":
            for ch in word[1:-1]:
                if ch in ALPHA_KEYS:
                    out.append("#%d" % ALPHA_KEYS[ch])
                else:
                    out += ["#%d" % KEYS["SHIFT"], "#%d" % ALPHA_SHIFTED[ch]]
        elif word.startswith("#") or word in ("PRINT", "ADV"):
            out.append(word)
        elif word in SHIFTED:
            out += ["#%d" % KEYS["SHIFT"], "#%d" % SHIFTED[word]]
        elif word in KEYS:
            out.append("#%d" % KEYS[word])
        elif word.startswith(".") and word[1:] in LETTER:
            out += ["#%d" % KEYS["."], "#%d" % LETTER[word[1:]]]
        else:
            raise ValueError("no key '%s'" % word)
    return " ".join(out)


class Calculator:
    """The RPN firmware as the user meets it: keys in, display and registers out."""

    def __init__(self, args, ram_size=None):
        self.m = Machine(args)
        if ram_size:  # registers from 0C0 on, as VALDOR.Ini's [RAM] Size gives them
            with open(os.path.join(self.m.home, "VALDOR.Ini"), "a") as f:
                f.write("[RAM]\nSize=%d\n" % ram_size)
        src = os.path.join(args.source, "firmware", "rpn", "main.asm")
        r = subprocess.run([args.nutasm, "-o", os.path.join(self.m.home, "test.rom"), src],
                           capture_output=True, text=True)
        if r.returncode != 0:
            raise RuntimeError("nutasm failed:\n" + r.stdout + r.stderr)
        self.ram = os.path.join(self.m.home, "VALDOR.RAM")

    def press(self, keys, fresh=True, hold=None, registers=None, extra=()):
        """Presses the keys (after MEMORY LOST when fresh); returns (display line,
        annunciator line, RAM). extra: more valdor-run arguments (--printer-on ...)."""
        if fresh and os.path.exists(self.ram):
            os.remove(self.ram)
        if registers:
            if fresh:  # a cold start first, so that the memory is the firmware's own
                self.press("", fresh=True)
            ram = read_ram(self.ram)
            ram.update(registers)
            write_ram(self.ram, ram)
        cmd = [self.m.runner, "--home", self.m.home, "--display"] + list(extra)
        if hold is not None:
            cmd += ["--hold", str(hold)]
        if keys:
            cmd += ["--keys", key_numbers(keys)]
        r = subprocess.run(cmd, capture_output=True, text=True, timeout=120)
        if r.returncode != 0:
            raise RuntimeError("valdor-run failed (%d):\n%s%s" % (r.returncode, r.stdout, r.stderr))
        lines = r.stdout.split("\n")
        return lines[0], lines[1], read_ram(self.ram)


def report(failures, total, what):
    for f in failures:
        print("FAIL", f)
    print("%s: %d of %d cases hold" % (what, total - len(failures), total))
    return 1 if failures else 0
