#!/usr/bin/env python3
"""Tests of trig.asm against mpmath: SIN, COS, TAN, ASIN, ACOS, ATAN in DEG, RAD and GRAD,
P->R, R->P, D->R and R->D.

Each function runs on random ten-digit arguments across its domain and on the cases an
HP-41 user expects to be exact. Where the relative condition number |x f'(x) / f(x)| (for
two arguments the larger of the two partial ones) is at
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

ZERO = [0] * 14

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
    got = m.call(routine, LAYERS, [(ZERO, to_reg(x)) for x in args], MODES[mode])
    for x, (outcome, reg) in zip(args, got):
        what = "%s %s %s" % (mode, routine, x)
        xr_full = mpmath.mpf(str(x)) * (1 if mode == "RAD" else 2 * mpmath.pi / TURN[mode])
        r, eighths = radians(x, mode)
        if routine == "FTAN" and eighths in (2, 6):
            if outcome != OUT_OF_RANGE:
                fail("%s: outcome %d, want OUT OF RANGE at the pole" % (what, outcome))
            continue
        judge(what, outcome, reg, exact_value(routine, f, r, eighths), cond(xr_full, r), (routine, mode), stats)


def check_rad_large(m, rng, n):
    """SIN, COS and TAN in RAD of |x| >= 1000 up to 9.999999999E99, and of the ten-digit
    numbers nearest to multiples of pi/2 (a reduced angle down to 1E-10): the result must lie
    within 2 units of the tenth digit plus what an error of 2E-12 in the reduced angle makes
    (|f'| * 2E-12), whatever the condition number."""
    xs = [random_arg(rng, 3, 99) for i in range(n)]
    for i in range(n):
        d = rng.randint(2, 8)
        k = rng.randint(10 ** d, 10 ** (d + 1))
        xs.append(Decimal(mpmath.nstr(k * mpmath.pi / 2, 10)) * rng.choice((1, -1)))
    xs += [Decimal(v) for v in ("9.999999999E99", "1E13", "1E99", "-5.555555555E55", "1.7E19", "9.999999999E12")]
    with mpmath.workdps(200):
        for routine, f, df in (("FSIN", mpmath.sin, mpmath.cos), ("FCOS", mpmath.cos, lambda t: -mpmath.sin(t)),
                               ("FTAN", mpmath.tan, lambda t: mpmath.sec(t) ** 2)):
            got = m.call(routine, LAYERS, [(ZERO, to_reg(x)) for x in xs], RAD)
            for x, (outcome, reg) in zip(xs, got):
                xm = mpmath.mpf(str(x))
                exact, slope = decimal(f(xm)), df(xm)
                v = from_reg(reg) if outcome == OK else None
                if v is None:
                    fail("RAD %s %s: outcome %d (%s)" % (routine, x, outcome, reg_text(reg)))
                    continue
                allowed = 2 + Decimal(mpmath.nstr(abs(slope) * mpmath.mpf("2E-12"), 20)) / harness_unit(exact)
                e = ulps(v, exact)
                if e > allowed:
                    fail("RAD %s %s: %s, exact %s: %.2f units (allowed %.2f)" % (routine, x, v, exact, e, allowed))


def harness_unit(exact):
    """One unit of the tenth significant digit of exact (not 0)."""
    return Decimal(1).scaleb(exact.adjusted() - 9)


def decimal(v):
    return Decimal(mpmath.nstr(v, 40, min_fixed=-1000, max_fixed=1000))


def judge(what, outcome, reg, exact, c, key, stats):
    """Checks one result against the exact value; c is the condition number."""
    if abs(exact) >= Decimal("1E100"):
        if outcome != OUT_OF_RANGE:
            fail("%s: outcome %d, want OUT OF RANGE" % (what, outcome))
        return
    if outcome != OK:
        fail("%s: outcome %d (%s)" % (what, outcome, reg_text(reg)))
        return
    v = from_reg(reg)
    if v is None:
        fail("%s: not a number: %s" % (what, reg_text(reg)))
        return
    if exact != 0 and abs(exact) < Decimal("1E-99"):
        if v != 0 and abs(v) > Decimal("1.000000001E-99"):
            fail("%s: %s for an underflow" % (what, v))
        return
    e = ulps(v, exact)
    if c <= 1000:
        stats.setdefault(key, [0, Decimal(0)])
        stats[key][0] += 1
        stats[key][1] = max(stats[key][1], e)
        if e > 2:
            fail("%s: %s, exact %s: %.2f units (condition %s)" % (what, v, exact, e, mpmath.nstr(c, 3)))
    else:
        grow = stats.setdefault(key + ("ill",), [])
        grow.append((float(c), float(e)))


# Two-result routines give their second result (A) through a wrapper that stands in the
# driver's place for one return level, so that the routine keeps its four.
WRAP = """
TSECOND: SPOPND
        GSUBNC {routine}
        ACEX W
        GOLNC TRET
"""


def call(m, routine, cases, flags, second=False):
    """cases: (y, x) Decimals (y unused by one-argument routines)."""
    regs = [(to_reg(y), to_reg(x)) for y, x in cases]
    if second:
        return m.call("TSECOND", LAYERS, regs, flags, extra=WRAP.format(routine=routine))
    return m.call(routine, LAYERS, regs, flags)


def in_mode(v, mode):
    """An angle in radians in the mode's units."""
    return v * {"DEG": 180, "GRAD": 200, "RAD": mpmath.pi}[mode] / mpmath.pi


def cond_of(f, x):
    """|x f'(x) / f(x)| at x (mpf), by mpmath's derivative."""
    v = f(x)
    return abs(x * mpmath.diff(f, x) / v) if v else mpmath.inf


INVERSE = {
    "FATAN": (mpmath.atan, lambda rng: random_arg(rng, *rng.choice([(-99, 99), (-3, 3), (-1, 1)]))),
    "FASIN": (mpmath.asin, lambda rng: random_arg(rng, *rng.choice([(-99, -1), (-3, -1), (-1, -1)]))),
    "FACOS": (mpmath.acos, lambda rng: random_arg(rng, *rng.choice([(-99, -1), (-3, -1), (-1, -1)]))),
}


def check_inverse(m, routine, mode, args, stats):
    f, _ = INVERSE[routine]
    got = call(m, routine, [(0, x) for x in args], MODES[mode])
    for x, (outcome, reg) in zip(args, got):
        xm = mpmath.mpf(str(x))
        judge("%s %s %s" % (mode, routine, x), outcome, reg, decimal(in_mode(f(xm), mode)),
              cond_of(f, xm), (routine, mode), stats)


def polar(y, x, mode):
    """r and the angle of (x, y) in the mode, -half turn < angle <= half turn."""
    ym, xm = mpmath.mpf(str(y)), mpmath.mpf(str(x))
    return mpmath.hypot(xm, ym), in_mode(mpmath.atan2(ym, xm), mode)


def check_r2p(m, mode, pairs, stats):
    r_got = call(m, "FR2P", pairs, MODES[mode])
    a_got = call(m, "FR2P", pairs, MODES[mode], second=True)
    for (y, x), (o1, r1), (o2, r2) in zip(pairs, r_got, a_got):
        r, a = polar(y, x, mode)
        what = "%s R->P y=%s x=%s" % (mode, y, x)
        judge(what + " r", o1, r1, decimal(r), 1, ("FR2P r", mode), stats)
        th = mpmath.atan2(mpmath.mpf(str(y)), mpmath.mpf(str(x)))
        # d(theta)/d(log x) = -xy/r^2 = -d(theta)/d(log y)
        c = abs(mpmath.mpf(str(x)) * mpmath.mpf(str(y)) / r ** 2 / th) if th else mpmath.inf
        exact = Decimal(0) if y == 0 and x > 0 else decimal(a)
        judge(what + " angle", o2, r2, exact, c, ("FR2P a", mode), stats)


def check_p2r(m, mode, pairs, stats):
    """pairs: (theta, r)."""
    x_got = call(m, "FP2R", pairs, MODES[mode])
    y_got = call(m, "FP2R", pairs, MODES[mode], second=True)
    for (t, r), (o1, r1), (o2, r2) in zip(pairs, x_got, y_got):
        rad, eighths = radians(t, mode)
        tr = mpmath.mpf(str(t)) * (1 if mode == "RAD" else 2 * mpmath.pi / TURN[mode])
        rm = mpmath.mpf(str(r))
        what = "%s P->R theta=%s r=%s" % (mode, t, r)
        xe = Decimal(0) if eighths in (2, 6) else decimal(rm * mpmath.cos(rad))
        ye = Decimal(0) if eighths in (0, 4) else decimal(rm * mpmath.sin(rad))
        cx = abs(tr * mpmath.tan(rad)) if eighths not in (2, 6) else mpmath.inf
        cy = abs(tr / mpmath.tan(rad)) if eighths not in (0, 4) else mpmath.inf
        judge(what + " x", o1, r1, xe, max(cx, 1), ("FP2R x", mode), stats)
        judge(what + " y", o2, r2, ye, max(cy, 1), ("FP2R y", mode), stats)


def check_d2r(m, args, stats):
    for routine, k in (("FD2R", mpmath.pi / 180), ("FR2D", 180 / mpmath.pi)):
        got = call(m, routine, [(0, x) for x in args], DEG)
        for x, (outcome, reg) in zip(args, got):
            judge("%s %s" % (routine, x), outcome, reg, decimal(mpmath.mpf(str(x)) * k), 1, (routine, "-"), stats)


EXACT = [
    # (routine, mode, y, x, outcome, result, second result)
    ("FSIN", "DEG", 0, "30", OK, "0.5", None), ("FCOS", "DEG", 0, "60", OK, "0.5", None),
    ("FTAN", "DEG", 0, "45", OK, "1", None), ("FSIN", "DEG", 0, "180", OK, "0", None),
    ("FSIN", "DEG", 0, "360", OK, "0", None), ("FCOS", "DEG", 0, "90", OK, "0", None),
    ("FCOS", "DEG", 0, "270", OK, "0", None), ("FTAN", "DEG", 0, "180", OK, "0", None),
    ("FSIN", "GRAD", 0, "200", OK, "0", None), ("FSIN", "DEG", 0, "-30", OK, "-0.5", None),
    ("FSIN", "DEG", 0, "150", OK, "0.5", None), ("FSIN", "DEG", 0, "210", OK, "-0.5", None),
    ("FCOS", "DEG", 0, "120", OK, "-0.5", None), ("FCOS", "DEG", 0, "-60", OK, "0.5", None),
    ("FCOS", "DEG", 0, "180", OK, "-1", None), ("FTAN", "DEG", 0, "135", OK, "-1", None),
    ("FTAN", "DEG", 0, "-45", OK, "-1", None), ("FTAN", "DEG", 0, "225", OK, "1", None),
    ("FSIN", "DEG", 0, "90", OK, "1", None), ("FSIN", "DEG", 0, "-90", OK, "-1", None),
    ("FSIN", "DEG", 0, "3.6E99", OK, "0", None), ("FSIN", "DEG", 0, "3.6E10", OK, "0", None),
    ("FCOS", "DEG", 0, "0", OK, "1", None), ("FSIN", "RAD", 0, "0", OK, "0", None),
    ("FCOS", "RAD", 0, "0", OK, "1", None), ("FTAN", "RAD", 0, "0", OK, "0", None),
    ("FSIN", "GRAD", 0, "100", OK, "1", None), ("FCOS", "GRAD", 0, "100", OK, "0", None),
    ("FTAN", "GRAD", 0, "50", OK, "1", None), ("FSIN", "GRAD", 0, "-4E20", OK, "0", None),
    ("FTAN", "DEG", 0, "90", OUT_OF_RANGE, None, None), ("FTAN", "DEG", 0, "-270", OUT_OF_RANGE, None, None),
    ("FTAN", "GRAD", 0, "100", OUT_OF_RANGE, None, None), ("FTAN", "DEG", 0, "89.99999999", OK, "5729577951", None),
    ("FATAN", "DEG", 0, "1", OK, "45", None), ("FATAN", "DEG", 0, "-1", OK, "-45", None),
    ("FATAN", "GRAD", 0, "1", OK, "50", None), ("FATAN", "DEG", 0, "1E99", OK, "90", None),
    ("FATAN", "DEG", 0, "0", OK, "0", None), ("FASIN", "DEG", 0, "1", OK, "90", None),
    ("FASIN", "DEG", 0, "0.5", OK, "30", None), ("FASIN", "DEG", 0, "-1", OK, "-90", None),
    ("FASIN", "DEG", 0, "0", OK, "0", None), ("FACOS", "DEG", 0, "0.5", OK, "60", None),
    ("FACOS", "DEG", 0, "-1", OK, "180", None), ("FACOS", "DEG", 0, "0", OK, "90", None),
    ("FACOS", "DEG", 0, "1", OK, "0", None), ("FACOS", "GRAD", 0, "-1", OK, "200", None),
    ("FASIN", "DEG", 0, "1.000000001", DATA_ERROR, None, None),
    ("FACOS", "DEG", 0, "-2", DATA_ERROR, None, None), ("FASIN", "DEG", 0, "1E10", DATA_ERROR, None, None),
    ("FR2P", "DEG", "4", "3", OK, "5", "53.13010235"), ("FR2P", "DEG", "0", "-1", OK, "1", "180"),
    ("FR2P", "DEG", "-1", "0", OK, "1", "-90"), ("FR2P", "DEG", "0", "0", OK, "0", "0"),
    ("FR2P", "DEG", "1", "1", OK, "1.414213562", "45"), ("FR2P", "GRAD", "0", "-2", OK, "2", "200"),
    ("FR2P", "DEG", "9E99", "9E99", OUT_OF_RANGE, None, None),
    ("FP2R", "DEG", "90", "1", OK, "0", "1"), ("FP2R", "DEG", "180", "2", OK, "-2", "0"),
    ("FP2R", "DEG", "30", "2", OK, "1.732050808", "1"), ("FP2R", "DEG", "-90", "3", OK, "0", "-3"),
    ("FP2R", "GRAD", "200", "1", OK, "-1", "0"), ("FP2R", "DEG", "45", "0", OK, "0", "0"),
    ("FD2R", "DEG", 0, "180", OK, "3.141592654", None), ("FR2D", "DEG", 0, "3.141592654", OK, "180.0000000", None),
]
EXACT_FLAG24 = [("FTAN", "DEG", "90", "9.999999999E99"), ("FTAN", "DEG", "-90", "-9.999999999E99"),
                ("FR2P", "DEG", "9E99", "9.999999999E99")]


def check_exact(m):
    for routine, mode, y, x, outcome, want, want2 in EXACT:
        (o, reg), = call(m, routine, [(Decimal(y), Decimal(x))], MODES[mode])
        what = "%s %s y=%s x=%s" % (mode, routine, y, x)
        if o != outcome or (want is not None and reg != to_reg(want)):
            fail("%s: outcome %d, %s; want %d, %s" % (what, o, reg_text(reg), outcome, want))
        if want2 is not None:
            (o, reg), = call(m, routine, [(Decimal(y), Decimal(x))], MODES[mode], second=True)
            if o != outcome or reg != to_reg(want2):
                fail("%s, second result: outcome %d, %s; want %s" % (what, o, reg_text(reg), want2))
    for routine, mode, x, want in EXACT_FLAG24:
        (o, reg), = call(m, routine, [(Decimal(x), Decimal(x))], MODES[mode] + (24,))
        if o != OK or reg != to_reg(want):
            fail("%s %s %s with flag 24: outcome %d, %s; want %s" % (mode, routine, x, o, reg_text(reg), want))


def instruction_counts(m, routine, cases, flags):
    """The instructions one call of routine takes, the worst over cases (y, x), from the
    trace (a record's first line starts with its address)."""
    m.assemble(harness.driver_source(routine, LAYERS, m.source))
    addr = {}
    for line in open(os.path.join(m.home, "test.lst")).read().splitlines():
        parts = line.split()
        if "call" not in addr and "GSUBNC" in parts and routine in parts:
            addr["call"] = int(parts[0], 16)
        for name in ("TRET:", "ERRDATA:", "ERRRANGE:"):
            if name in parts:
                addr[name] = int(parts[0], 16)
    ends = {addr["TRET:"], addr["ERRDATA:"], addr["ERRRANGE:"]}
    worst, worst_case = 0, None
    for start in range(0, len(cases), 20):
        batch = cases[start:start + 20]
        regs = {harness.FLAGS: harness.flags_reg(*flags)}
        control = [0] * 14
        control[0], control[1], control[2] = harness.FIRST & 15, harness.FIRST >> 4 & 15, harness.FIRST >> 8
        control[3], control[4] = len(batch) & 15, len(batch) >> 4
        regs[harness.CASES] = control
        for i, (y, x) in enumerate(batch):
            regs[harness.FIRST + 2 * i] = to_reg(y)
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
                            worst, worst_case = count, batch[k]
                        count, k = None, k + 1
                    else:
                        count += 1
    return worst, worst_case


def report(stats, timing):
    print("within condition <= 1000: cases, worst error (units of the tenth digit)")
    for key in sorted(k for k in stats if len(k) == 2):
        print("  %-8s %-4s %5d  %.3f" % (key[0], key[1], stats[key][0], stats[key][1]))
    print("beyond: worst error by condition number")
    for key in sorted(k for k in stats if len(k) == 3):
        bands = {}
        for c, e in stats[key]:
            b = 10 ** min(len(str(int(min(c, 1e30)))), 13)
            bands[b] = max(bands.get(b, 0), e)
        print("  %-8s %-4s " % key[:2] + "  ".join(
            "%s%g: %.2f" % ("<" if b < 1e13 else ">", b if b < 1e13 else 1e12, bands[b]) for b in sorted(bands)))
    print("worst instruction count per call (argument)")
    for key, (w, case) in sorted(timing.items()):
        print("  %-6s %-4s %5d  (%s)" % (key[0], key[1], w, ", ".join(str(v) for v in case)))


def main():
    args = harness.parse_args(__doc__)
    rng = random.Random(args.seed)
    n = args.cases or 100                      # per function and mode
    probes = 30 if n <= 100 else 100           # traced cases per function and mode
    m = harness.Machine(args)
    stats, timing = {}, {}
    check_exact(m)
    for mode in MODES:
        for routine in FORWARD:
            xs = []
            for i in range(n):
                if mode == "RAD":
                    lo, hi = [(-3, 1), (-99, -4), (0, 4), (-1, 0), (0, 4), (5, 12)][i % 6]
                else:
                    lo, hi = [(-1, 3), (-99, -4), (3, 99), (0, 2)][i % 4]
                xs.append(random_arg(rng, lo, hi))
            check_forward(m, routine, mode, xs, stats)
            probe = xs[:probes] + [Decimal(v) for v in ("1", "9.999999999E98", "-8.888888888E-88", "44.99999999")]
            timing[(routine, mode)] = instruction_counts(m, routine, [(0, x) for x in probe], MODES[mode])
        for routine, (f, gen) in INVERSE.items():
            xs = [gen(rng) for i in range(n)] + [Decimal("0.9999999999"), Decimal("-0.9999999")]
            check_inverse(m, routine, mode, xs, stats)
            timing[(routine, mode)] = instruction_counts(m, routine, [(0, x) for x in xs[:probes]], MODES[mode])
        pairs = [(random_arg(rng, -99, 99), random_arg(rng, -99, 99)) for i in range(n // 2)]
        pairs += [(random_arg(rng, -3, 3), random_arg(rng, -3, 3)) for i in range(n // 2)]
        check_r2p(m, mode, pairs, stats)
        timing[("FR2P", mode)] = instruction_counts(m, "FR2P", pairs[:probes // 2] + pairs[-probes // 2:], MODES[mode])
        hi = 4 if mode == "RAD" else 99
        pairs = [(random_arg(rng, -2, hi if i % 2 else 3), random_arg(rng, -99, 99)) for i in range(n)]
        check_p2r(m, mode, pairs, stats)
        timing[("FP2R", mode)] = instruction_counts(m, "FP2R", pairs[:probes], MODES[mode])
    check_rad_large(m, rng, n // 2)
    xs = [random_arg(rng, -99, 99) for i in range(n)]
    check_d2r(m, xs, stats)
    for routine in ("FD2R", "FR2D"):
        timing[(routine, "-")] = instruction_counts(m, routine, [(0, x) for x in xs[:20]], DEG)
    report(stats, timing)
    if failures:
        print("%d failure(s)" % len(failures))
        return 1
    print("all cases hold")
    return 0


if __name__ == "__main__":
    sys.exit(main())
