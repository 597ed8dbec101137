"""How many instructions a key of the RPN firmware takes, from the key that wakes the
calculator to its sleep (display redrawn), over many arguments: the worst case and the
median per function, and the time that is at the real HP-41's speed (6,300 instructions a
second, valdor's Ticks 256).

    python3 bench/rpn_speed.py --nutasm build/tools/nutasm --runner build/tools/valdor-run \\
        --source . [--cases 40]

Each case stores its arguments in X and Y, presses the key once with valdor-run --trace
--hold 0 (released as soon as the firmware has seen it) and counts the traced instructions
between the two sleeps.
"""

import os
import random
import re
import statistics
import subprocess
import sys
from decimal import Decimal

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "firmware", "rpn"))
import harness as h  # noqa: E402

RECORD = re.compile(r"^[0-9A-F]{4} [0-9A-F]{3} ")
POWOFF = "POWOFF"
REAL_SPEED = 6300  # instructions a second


def rand_num(rng, lo=-99, hi=99, positive=False):
    mant = rng.randrange(10**9, 10**10)
    sign = 1 if positive or rng.random() < 0.5 else -1
    return Decimal(sign * mant).scaleb(rng.randint(lo, hi) - 9)


def rand_in(rng, lo, hi):
    """A ten-digit number between lo and hi."""
    x = Decimal(rng.uniform(float(lo), float(hi)))
    return h.round10(x) if x != 0 else Decimal(1)


# function, key words, budget, and how to draw (y, x)
FUNCTIONS = [
    ("+", "+", 1000, lambda r: (rand_num(r), rand_num(r))),
    ("-", "-", 1000, lambda r: (rand_num(r), rand_num(r))),
    ("x", "*", 1000, lambda r: (rand_num(r, -49, 49), rand_num(r, -49, 49))),
    ("/", "/", 1000, lambda r: (rand_num(r, -49, 49), rand_num(r, -49, 49))),
    ("1/x", "1/X", 1000, lambda r: (0, rand_num(r))),
    ("x^2", "X^2", 1000, lambda r: (0, rand_num(r, -49, 49))),
    ("%", "%", 1000, lambda r: (rand_num(r, -40, 40), rand_num(r, -40, 40))),
    ("sqrt x", "SQRT", 2000, lambda r: (0, rand_num(r, positive=True))),
    ("LN", "LN", 4000, lambda r: (0, rand_num(r, positive=True))),
    ("e^x", "E^X", 4000, lambda r: (0, rand_in(r, -227, 227))),
    ("LOG", "LOG", 4000, lambda r: (0, rand_num(r, positive=True))),
    ("10^x", "10^X", 4000, lambda r: (0, rand_in(r, -99, 99))),
    ("SIN", "SIN", 4000, lambda r: (0, rand_in(r, -1000, 1000))),
    ("COS", "COS", 4000, lambda r: (0, rand_in(r, -1000, 1000))),
    ("TAN", "TAN", 4000, lambda r: (0, rand_in(r, -1000, 1000))),
    ("ASIN", "ASIN", 4000, lambda r: (0, rand_in(r, -1, 1))),
    ("ACOS", "ACOS", 4000, lambda r: (0, rand_in(r, -1, 1))),
    ("ATAN", "ATAN", 4000, lambda r: (0, rand_num(r))),
    ("SIN RAD", "SIN", 4000, lambda r: (0, rand_in(r, -1000, 1000))),
    ("TAN RAD", "TAN", 4000, lambda r: (0, rand_in(r, -1000, 1000))),
    # radians beyond 1000 (condition above 1000) are reduced digit by digit: reported, no budget
    ("SIN RAD large", "SIN", None, lambda r: (0, rand_num(r, 3, 11))),
    ("y^x", "Y^X", 8000, lambda r: (rand_in(r, 0.01, 100), rand_in(r, -20, 20))),
    ("P-R", "P-R", 8000, lambda r: (rand_in(r, -360, 360), rand_num(r, -40, 40, True))),
    ("R-P", "R-P", 8000, lambda r: (rand_num(r, -40, 40), rand_num(r, -40, 40))),
]


def main():
    args = h.parse_args(__doc__)
    n = args.cases or 40
    rng = random.Random(args.seed)
    calc = h.Calculator(args)
    log = os.path.join(calc.m.home, "VALDOR.LOG")
    rows = []
    for name, keys, budget, draw in FUNCTIONS:
        counts = []
        for _ in range(n):
            y, x = draw(rng)
            regs = {2: h.to_reg(h.round10(y)), 3: h.to_reg(h.round10(x))}
            if "RAD" in name:  # flags as after MEMORY LOST, and 43
                regs[h.FLAGS] = h.flags_reg(26, 28, 29, 37, 40, 43)
            calc.press("", registers=regs)
            cmd = [calc.m.runner, "--home", calc.m.home, "--trace", "--hold", "0", "--no-save",
                   "--keys", h.key_numbers(keys)]
            subprocess.run(cmd, capture_output=True, check=True, timeout=120)
            # the instructions between the last two sleeps: the function's key (after SHIFT)
            segments, count = [], 0
            with open(log, errors="replace") as f:
                for line in f:
                    if RECORD.match(line):
                        count += 1
                        if POWOFF in line:
                            segments.append(count)
                            count = 0
            counts.append(segments[-1])
        worst = max(counts)
        rows.append((name, worst, statistics.median(counts), budget))
        print("%-13s worst %5d  median %6.0f  (%4.0f ms at the real speed; budget %s)%s" % (
            name, worst, statistics.median(counts), worst * 1000 / REAL_SPEED, budget or "-",
            "" if not budget or worst <= budget else "  OVER"), flush=True)
    return 1 if any(b and w > b for _, w, _, b in rows) else 0


if __name__ == "__main__":
    sys.exit(main())
