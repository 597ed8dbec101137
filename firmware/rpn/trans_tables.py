#!/usr/bin/env python3
"""Writes the constant tables of trans.asm, computed with mpmath to 40 digits.

The transcendental routines keep their fixed-point values with the units in digit 13 and
thirteen digits after the point. A constant is loaded with LC, digit 13 first. The tables:
  ln 2, ln 10, log10(e)*10 (4.3429...)
  A(k) = -ln(1 - 10^-k) * 10^k   and   B(k) = ln(1 + 10^-k) * 10^k   for k = 1..6
(from k = 7 on the routine computes 1 +- 5*10^-(k+1), which is exact to the 13 digits kept).

Run: trans_tables.py            prints the block that stands between the TABLES markers
     trans_tables.py --check F  exits 1 if the block in F differs from it
"""

import sys
from mpmath import mp, mpf, log

mp.dps = 40
BEGIN = "; ---- TABLES (written by trans_tables.py; do not edit by hand) ----"
END = "; ---- END OF TABLES ----"


def digits14(v):
    """v (0 <= v < 10) rounded to 13 digits after the point: fourteen digits, units first."""
    n = int(mp.nint(v * mpf(10) ** 13))
    s = "%014d" % n
    assert len(s) == 14, v
    return s


def loader(label, v, comment):
    d = digits14(v)
    lines = ["%s: SELQ                    ; C = %s.%s, %s" % (label, d[0], d[1:], comment),
             "        PT= 13"]
    lines += ["        LC %s" % c for c in d]
    lines += ["        SELP", "        RTN"]
    return lines


def block():
    out = [BEGIN]
    out += loader("TRKLN2", log(2), "ln 2")
    out += loader("TRKL10", log(10), "ln 10")
    out += loader("TRKLGE", 10 / log(10), "log10(e) * 10")
    for k in range(1, 7):
        d = mpf(10) ** -k
        out += loader("TRKA%d" % k, -log(1 - d) / d, "-ln(1 - 10^-%d) * 10^%d" % (k, k))
        out += loader("TRKB%d" % k, log(1 + d) / d, "ln(1 + 10^-%d) * 10^%d" % (k, k))
    out.append(END)
    return "\n".join(out) + "\n"


def main():
    text = block()
    if len(sys.argv) == 3 and sys.argv[1] == "--check":
        src = open(sys.argv[2]).read()
        a, b = src.find(BEGIN), src.find(END)
        if a < 0 or b < 0 or src[a:b + len(END) + 1] != text:
            print("%s: the constant tables differ from trans_tables.py's" % sys.argv[2])
            return 1
        return 0
    sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
