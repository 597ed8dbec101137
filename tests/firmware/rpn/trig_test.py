#!/usr/bin/env python3
"""Tests of trig.asm: SIN, COS, TAN in DEG, RAD and GRAD against mpmath.

Each function runs on random ten-digit arguments across its domain and on the cases an
HP-41 user expects to be exact. Where the relative condition number |x f'(x) / f(x)| is at
most 1000 the result must lie within 2 units of the tenth significant digit of the exact
value at the ten-digit argument; beyond that the error is measured and reported, not
checked. The worst instruction count of each routine (from valdor-run's trace) is printed.
Exit status 0 when everything holds.
"""

import os
import random
import sys
from decimal import Decimal, localcontext

import mpmath

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import OK, DATA_ERROR, OUT_OF_RANGE, to_reg, from_reg, reg_text, ulps  # noqa: E402

LAYERS = ["arith.asm", "trig.asm"]
DEG, RAD, GRAD = (), (43,), (42,)
MODES = {"DEG": DEG, "RAD": RAD, "GRAD": GRAD}
TURN = {"DEG": 360, "GRAD": 400}
mpmath.mp.dps = 60
failures = []


def fail(msg):
    failures.append(msg)
    print("FAIL " + msg)


def random_arg(rng, lo, hi, sign=True):
    """Ten random digits with an exponent in lo..hi."""
    digits = "%d%09d" % (rng.randint(1, 9), rng.randint(0, 10 ** 9 - 1))
    x = Decimal(digits).scaleb(rng.randint(lo, hi) - 9)
    return -x if sign and rng.random() < 0.5 else x


def radians(x, mode):
    """x in radians as an mpf, reduced exactly first in DEG and GRAD (x is ten digits), and
    the reduced angle in eighths of a turn when it is a whole number of them (else None)."""
    if mode == "RAD":
        return mpmath.mpf(str(x)), (0 if x == 0 else None)
    with localcontext() as ctx:
        ctx.prec = 400
        r = x % TURN[mode]
        eighths = r * 8 / TURN[mode]
    whole = int(eighths) % 8 if eighths == eighths.to_integral_value() else None
    return mpmath.mpf(str(r)) * 2 * mpmath.pi / TURN[mode], whole


# function: (mpmath function of the angle in radians, condition number from x in radians
# and the reduced angle r)
FORWARD = {
    "FSIN": (mpmath.sin, lambda xr, r: abs(xr * mpmath.cot(r)) if mpmath.sin(r) else mpmath.inf),
    "FCOS": (mpmath.cos, lambda xr, r: abs(xr * mpmath.tan(r)) if mpmath.cos(r) else mpmath.inf),
    "FTAN": (mpmath.tan, lambda xr, r: abs(2 * xr / mpmath.sin(2 * r)) if mpmath.sin(2 * r) else mpmath.inf),
}


# The zeros of the functions at whole eighths of a turn (SIN 180, COS 90, TAN 0 and the like).
ZEROS = {"FSIN": (0, 4), "FCOS": (2, 6), "FTAN": (0, 4)}


def exact_value(routine, f, r, eighths):
    if eighths in ZEROS[routine]:
        return Decimal(0)
    return Decimal(mpmath.nstr(f(r), 40, min_fixed=-1000, max_fixed=1000))


def check_forward(m, routine, mode, args, stats):
    f, cond = FORWARD[routine]
    got = m.call(routine, LAYERS, [([0] * 14, to_reg(x)) for x in args], MODES[mode])
    for x, (outcome, reg) in zip(args, got):
        what = "%s %s %s" % (mode, routine, x)
        xr_full = mpmath.mpf(str(x)) * (1 if mode == "RAD" else 2 * mpmath.pi / TURN[mode])
        r, eighths = radians(x, mode)
        if routine == "FTAN" and eighths in (2, 6):
            if outcome != OUT_OF_RANGE:
                fail("%s: outcome %d, want OUT OF RANGE at the pole" % (what, outcome))
            continue
        exact = exact_value(routine, f, r, eighths)
        c = cond(xr_full, r)
        if abs(exact) >= Decimal("1E100"):
            if outcome != OUT_OF_RANGE:
                fail("%s: outcome %d, want OUT OF RANGE" % (what, outcome))
            continue
        if outcome != OK:
            fail("%s: outcome %d (%s)" % (what, outcome, reg_text(reg)))
            continue
        v = from_reg(reg)
        if v is None:
            fail("%s: not a number: %s" % (what, reg_text(reg)))
            continue
        if exact != 0 and abs(exact) < Decimal("1E-99"):
            if v != 0 and abs(v) > Decimal("1.000000001E-99"):
                fail("%s: %s for an underflow" % (what, v))
            continue
        e = ulps(v, exact)
        key = (routine, mode)
        if c <= 1000:
            stats.setdefault(key, [0, Decimal(0)])
            stats[key][0] += 1
            stats[key][1] = max(stats[key][1], e)
            if e > 2:
                fail("%s: %s, exact %s: %.2f units (condition %s)" % (what, v, exact, e, mpmath.nstr(c, 3)))
        else:
            grow = stats.setdefault(key + ("ill",), [])
            grow.append((float(c), float(e)))


EXACT = [
    # (routine, mode, x, outcome, result)
    ("FSIN", "DEG", "30", OK, "0.5"), ("FCOS", "DEG", "60", OK, "0.5"), ("FTAN", "DEG", "45", OK, "1"),
    ("FSIN", "DEG", "180", OK, "0"), ("FSIN", "DEG", "360", OK, "0"), ("FCOS", "DEG", "90", OK, "0"),
    ("FCOS", "DEG", "270", OK, "0"), ("FTAN", "DEG", "180", OK, "0"), ("FSIN", "GRAD", "200", OK, "0"),
    ("FSIN", "DEG", "-30", OK, "-0.5"), ("FSIN", "DEG", "150", OK, "0.5"), ("FSIN", "DEG", "210", OK, "-0.5"),
    ("FCOS", "DEG", "120", OK, "-0.5"), ("FCOS", "DEG", "-60", OK, "0.5"), ("FCOS", "DEG", "180", OK, "-1"),
    ("FTAN", "DEG", "135", OK, "-1"), ("FTAN", "DEG", "-45", OK, "-1"), ("FTAN", "DEG", "225", OK, "1"),
    ("FSIN", "DEG", "90", OK, "1"), ("FSIN", "DEG", "-90", OK, "-1"), ("FSIN", "DEG", "3.6E99", OK, "0"),
    ("FSIN", "DEG", "3.6E10", OK, "0"), ("FCOS", "DEG", "0", OK, "1"), ("FSIN", "RAD", "0", OK, "0"),
    ("FCOS", "RAD", "0", OK, "1"), ("FTAN", "RAD", "0", OK, "0"), ("FSIN", "GRAD", "100", OK, "1"),
    ("FCOS", "GRAD", "100", OK, "0"), ("FTAN", "GRAD", "50", OK, "1"), ("FSIN", "GRAD", "-4E20", OK, "0"),
    ("FSIN", "DEG", "1E-99", OK, "1.745329252E-101" if False else "0"),
    ("FTAN", "DEG", "90", OUT_OF_RANGE, None), ("FTAN", "DEG", "-270", OUT_OF_RANGE, None),
    ("FTAN", "GRAD", "100", OUT_OF_RANGE, None), ("FTAN", "DEG", "89.99999999", OK, "5729577951"),
]
EXACT_FLAG24 = [("FTAN", "DEG", "90", "9.999999999E99"), ("FTAN", "DEG", "-90", "-9.999999999E99")]


def check_exact(m):
    for routine, mode, x, outcome, want in EXACT:
        (o, reg), = m.call(routine, LAYERS, [([0] * 14, to_reg(x))], MODES[mode])
        if o != outcome or (want is not None and reg != to_reg(want)):
            fail("%s %s %s: outcome %d, %s; want %d, %s" % (mode, routine, x, o, reg_text(reg), outcome, want))
    for routine, mode, x, want in EXACT_FLAG24:
        (o, reg), = m.call(routine, LAYERS, [([0] * 14, to_reg(x))], MODES[mode] + (24,))
        if o != OK or reg != to_reg(want):
            fail("%s %s %s with flag 24: outcome %d, %s; want %s" % (mode, routine, x, o, reg_text(reg), want))


def instruction_counts(m, routine, args, flags):
    """The instructions one call of routine takes, the worst over args (from the trace)."""
    m.assemble(harness.driver_source(routine, LAYERS, m.source))
    lst = open(os.path.join(m.home, "test.lst")).read().splitlines()
    addr = {}
    for line in lst:
        parts = line.split()
        if len(parts) >= 4 and "GSUBNC" in line and routine in line and "call" not in addr:
            addr["call"] = int(parts[0], 16)
        for name in ("TRET:", "ERRDATA:", "ERRRANGE:"):
            if name in parts:
                addr[name] = int(parts[0], 16)
    ends = {addr["TRET:"], addr["ERRDATA:"], addr["ERRRANGE:"]}
    worst, worst_x = 0, None
    for start in range(0, len(args), 20):
        batch = args[start:start + 20]
        regs = {harness.FLAGS: harness.flags_reg(*flags)}
        control = [0] * 14
        control[0], control[1], control[2] = harness.FIRST & 15, harness.FIRST >> 4 & 15, harness.FIRST >> 8
        control[3], control[4] = len(batch) & 15, len(batch) >> 4
        regs[harness.CASES] = control
        for i, x in enumerate(batch):
            regs[harness.FIRST + 2 * i] = [0] * 14
            regs[harness.FIRST + 2 * i + 1] = to_reg(x)
        m.run(regs, extra_args=["--trace", "--no-save"])
        count, k = None, 0
        with open(os.path.join(m.home, "VALDOR.LOG")) as log:
            for line in log:
                if line[0] == " ":
                    continue
                pc = int(line[:4], 16)
                if pc == addr["call"]:
                    count = 0
                elif count is not None:
                    if pc in ends:
                        if count > worst:
                            worst, worst_x = count, batch[k]
                        count, k = None, k + 1
                    else:
                        count += 1
    return worst, worst_x


def main():
    args = harness.parse_args(__doc__)
    rng = random.Random(args.seed)
    n = args.cases or 100                      # per function and mode
    m = harness.Machine(args)
    stats = {}
    check_exact(m)
    timing = {}
    for routine in FORWARD:
        for mode in MODES:
            xs = []
            for i in range(n):
                kind = i % 4
                if mode == "RAD":
                    lo, hi = [(-3, 1), (-99, -4), (0, 4), (-1, 0)][kind]
                else:
                    lo, hi = [(-1, 3), (-99, -4), (3, 99), (0, 2)][kind]
                xs.append(random_arg(rng, lo, hi))
            check_forward(m, routine, mode, xs, stats)
            probe = xs[:40] + ["1", "9.999999999E98", "-8.888888888E-88", "44.99999999", "0.7853981634"]
            timing[(routine, mode)] = instruction_counts(m, routine, [Decimal(x) for x in probe], MODES[mode])
    print("within condition <= 1000: cases, worst error (units of the tenth digit)")
    for key in sorted(k for k in stats if len(k) == 2):
        print("  %-5s %-4s %5d  %.3f" % (key[0], key[1], stats[key][0], stats[key][1]))
    print("beyond: worst error by condition number")
    for key in sorted(k for k in stats if len(k) == 3):
        bands = {}
        for c, e in stats[key]:
            b = 10 ** min(len(str(int(min(c, 1e30)))), 13)
            bands[b] = max(bands.get(b, 0), e)
        print("  %-5s %-4s " % key[:2] + "  ".join(
            "%s%g: %.2f" % ("<" if b < 1e13 else ">", b if b < 1e13 else 1e12, bands[b]) for b in sorted(bands)))
    print("worst instruction count per call (argument)")
    for key, (w, x) in sorted(timing.items()):
        print("  %-5s %-4s %5d  (%s)" % (key[0], key[1], w, x))
    if failures:
        print("%d failure(s)" % len(failures))
        return 1
    print("all cases hold")
    return 0


if __name__ == "__main__":
    sys.exit(main())
