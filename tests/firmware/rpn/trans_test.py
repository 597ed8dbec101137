#!/usr/bin/env python3
"""Tests of firmware/rpn/trans.asm: LN, LOG, e^x, 10^x, LN1+X, E^X-1 and y^x against mpmath,
over random arguments (ten random digits, across each function's domain) and the edge cases,
and the instruction count of each call, worst case per routine: at most 3300 for one function,
7000 for y^x, over the slowest arguments known and a sample of the random ones.

Accuracy: within 2 units in the tenth significant digit of the exact value at the ten-digit
argument. That is asked where the relative condition number |x f'(x) / f(x)| is at most 1000;
the routines keep it beyond too (ln and log close to 1, LN1+X close to -1, y^x with y close
to 1 and a large x), and the test holds them to it everywhere.
Exact: LOG of a power of ten, 10^x of an integer, LN 1, e^0, (-2)^3, (-2)^2.

Run: trans_test.py --nutasm NUTASM --runner VALDOR-RUN --source REPO [--cases N] [--counts]
Exit status 0 when every case holds; otherwise one line per failing case, and 1.
"""

import os
import random
import re
import subprocess
import sys
from decimal import Decimal

from mpmath import mp, mpf, log, log10, exp, expm1, log1p, power

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as H  # noqa: E402

mp.dps = 50
LAYERS = ["defs.asm", "arith.asm", "trans.asm"]
BIG = Decimal("9.999999999E99")
TOLERANCE = 2          # units in the tenth digit


def M(v):
    """A Decimal (or text) as an mpmath value."""
    return mpf(str(v))


def D(v):
    """An mpmath value as a Decimal (30 digits)."""
    if not mp.isfinite(v):
        raise ValueError("not finite: %s" % v)
    if abs(v) > mpf("1E200") or 0 < abs(v) < mpf("1E-200"):   # far out of range: the size only
        return Decimal("1E200" if abs(v) > 1 else "1E-200").copy_sign(Decimal(int(mp.sign(v))))
    return Decimal(mp.nstr(v, 30)) if v else Decimal(0)


# ----- The functions: reference, relative condition number, domain --------------------------

def cond_ln(x):
    return abs(1 / log(x)) if x != 1 else mpf(0)


def cond_ln1p(x):
    return abs(x / ((1 + x) * log1p(x))) if x else mpf(1)


def cond_expm1(x):
    return abs(x * exp(x) / expm1(x)) if x else mpf(1)


FUNCS = {
    # name: (reference, condition number, ERRDATA when)
    "FLN": (log, cond_ln, lambda x: x <= 0),
    "FLOG": (log10, cond_ln, lambda x: x <= 0),
    "FEXP": (exp, abs, lambda x: False),
    "FALOG": (lambda x: power(10, x), lambda x: abs(x * log(10)), lambda x: False),
    "FLN1P": (log1p, cond_ln1p, lambda x: x <= -1),
    "FEXPM1": (expm1, cond_expm1, lambda x: False),
}


def expected(exact, flags):
    """(outcome, value) for an exact mpmath result: rounded to ten digits, too large is OUT
    OF RANGE (or the largest number with flag 24), too small is 0. None where the rounding
    could fall either way at the edge of the range."""
    r = H.round10(D(exact))
    if abs(r) >= Decimal("1E100"):
        return (H.OK, BIG.copy_sign(r)) if 24 in flags else (H.OUT_OF_RANGE, None)
    if abs(r) < Decimal("1E-99"):
        return None if abs(r) > Decimal("0.99E-99") else (H.OK, Decimal(0))
    if abs(r) >= Decimal("9.99999999E99") or abs(r) < Decimal("1.0000001E-99"):
        return None
    return H.OK, r


def check(name, arg, outcome, reg, exact, cond, flags=(), exact_wanted=False):
    """A message if the firmware's answer is wrong, else None. exact is None for ERRDATA."""
    got = H.from_reg(reg) if outcome == H.OK else None
    if outcome == H.OK and got is None:
        return "%s(%s): not a number in register form: %s" % (name, arg, H.reg_text(reg))
    if exact is None:
        if outcome != H.DATA_ERROR:
            return "%s(%s): DATA ERROR expected, got outcome %d %s" % (name, arg, outcome, got)
        return None
    want = expected(exact, flags)
    if want is None:
        return None
    if outcome != want[0]:
        return "%s(%s): outcome %d expected, got %d (%s); exact %s" % (
            name, arg, want[0], outcome, got, mp.nstr(exact, 15))
    if outcome != H.OK:
        return None
    if exact_wanted or want[1] == 0 or abs(want[1]) == BIG:
        if got != want[1]:
            return "%s(%s) = %s, expected exactly %s" % (name, arg, got, want[1])
        return None
    err = H.ulps(got, D(exact))
    if err > TOLERANCE:
        return "%s(%s) = %s, exact %s: %.2f units (cond %.3g)" % (
            name, arg, got, mp.nstr(exact, 15), err, float(cond))
    return None


# ----- Arguments -----------------------------------------------------------------------------

def rand_num(rng, emin, emax, sign=None):
    digits = rng.choice("123456789") + "".join(rng.choice("0123456789") for _ in range(9))
    e = rng.randint(emin, emax)
    if sign is None:
        sign = rng.choice("+-")
    return Decimal("%s%s.%sE%d" % ("-" if sign == "-" else "", digits[0], digits[1:], e))


def clip10(v):
    """A value rounded to ten digits (a valid argument), or None outside the range."""
    if not v:
        return Decimal(0)
    r = H.round10(D(v))
    return r if -99 <= r.adjusted() <= 99 else None


def arguments(name, rng, n):
    out = []
    for i in range(n):
        kind = i % 4
        if name in ("FLN", "FLOG"):
            x = rand_num(rng, -99, 99, "+") if kind < 2 else \
                clip10(1 + (1 if kind == 2 else -1) * M(rand_num(rng, -9, -1, "+")))
        elif name == "FEXP":
            x = rand_num(rng, -99, 2) if kind == 0 else clip10(rng.uniform(-230, 230)) \
                if kind < 3 else rand_num(rng, -12, 0)
        elif name == "FALOG":
            x = rand_num(rng, -99, 1) if kind == 0 else clip10(rng.uniform(-99.5, 99.9)) \
                if kind < 3 else rand_num(rng, -12, 0)
        elif name == "FLN1P":
            x = rand_num(rng, -99, -1) if kind == 0 else rand_num(rng, 0, 99, "+") \
                if kind == 1 else clip10(-1 + M(rand_num(rng, -9, -1, "+"))) if kind == 2 \
                else rand_num(rng, -9, -1)
        else:  # FEXPM1
            x = rand_num(rng, -99, -1) if kind == 0 else clip10(rng.uniform(-230, 230)) \
                if kind == 1 else rand_num(rng, -9, 0)
        if x is not None:
            out.append(x)
    return out


EDGES = {
    "FLN": ["1", "2", "10", "0.5", "9.999999999E99", "1E-99", "1.000000001", "0.9999999999",
            "0.999", "1.001", "2.718281828", "5", "4.999999999", "0", "-1", "-1E-99"],
    "FLOG": ["1", "10", "1E99", "1E-99", "100", "0.1", "1E-5", "2", "9.999999999E99", "0",
             "-10", "0.999", "1.001", "3.162277660"],
    "FEXP": ["0", "1", "-1", "230.2585092", "230.2585093", "230.26", "-227.9559243",
             "-227.9559244", "-230.3", "1E-99", "-1E-99", "1E-10", "5E-11", "100", "-100",
             "9.999999999E99", "-9.999999999E99", "0.6931471806", "2.302585093"],
    "FALOG": ["0", "1", "2", "99", "-99", "-1", "99.99999999", "100", "-100", "-99.5",
              "0.5", "1E-99", "-1E-99", "0.9999999999", "-0.0000000001", "1E99", "-1E99",
              "0.3010299957"],
    "FLN1P": ["0", "1E-99", "-1E-99", "1E-8", "-1E-8", "1E-7", "-1E-7", "9.999999999E-8",
              "0.09999999999", "0.1", "-0.1", "-0.09999999999", "-0.5", "-0.9999999999",
              "-1", "-2", "1", "9.999999999E99", "1.718281828", "-0.6321205588"],
    "FEXPM1": ["0", "1E-99", "-1E-99", "1E-8", "-1E-8", "1E-7", "-1E-7", "9.999999999E-8",
               "0.09999999999", "0.1", "-0.1", "-0.09999999999", "1", "-1", "230", "231",
               "-230", "-1E99", "1E99", "0.6931471806"],
}

EXACT = {   # results that must be exact: (function, argument, result)
    "FLN": [("1", "0")],
    "FLOG": [("1", "0"), ("10", "1"), ("1E99", "99"), ("1E-99", "-99"), ("1E-5", "-5"),
             ("100", "2"), ("0.1", "-1"), ("1E50", "50")],
    "FEXP": [("0", "1")],
    "FALOG": [("0", "1"), ("1", "10"), ("2", "100"), ("99", "1E99"), ("-99", "1E-99"),
              ("-1", "0.1"), ("-50", "1E-50"), ("7", "1E7")],
}

# Instructions a routine may take, call to return, and the slowest arguments known: about
# ten counts in every stage of the loops (the stages start at 10^-7 there), many 9s.
BUDGET, POW_BUDGET = 3300, 7000
SLOW = {"FLN": ["1.000000899", "1.000000989", "7.999999999E99"],
        "FLOG": ["1.000000899", "1.000000989", "1.000009899"],
        "FEXP": ["-71.73034965", "229.9999999"],
        "FALOG": ["-99.99999999", "0.9999999999"],
        "FLN1P": ["9.899999999E-7", "9.999999999E-7"],
        "FEXPM1": ["-9.999999999E-7", "-9.899999999E-7", "-217.5977463"]}
SLOW_POW = [("1.000000899", "255908302.3"), ("-1.000000899", "255908302"),
            ("1.000000989", "232616236.1"), ("-1.000000001", "1E99")]

POW_EXACT = [("-2", "3", "-8"), ("-2", "2", "4"), ("2", "0", "1"), ("-7", "0", "1"),
             ("0", "3", "0"), ("1", "1E99", "1"), ("10", "5", "100000"), ("10", "-3", "0.001"),
             ("-10", "3", "-1000"), ("4", "0.5", "2"), ("-1", "1E99", "1"),
             ("-1", "1234567891", "-1")]
POW_ERRORS = [("0", "0"), ("0", "-1"), ("-2", "0.5"), ("-2", "-2.5"), ("-8", "3.333333333"),
              ("-2", "1E-99"), ("0", "-1E-99")]


def pow_cases(rng, n):
    out = []
    for i in range(n):
        kind = i % 6
        if kind in (0, 4, 5):                    # x keeping |x log10 y| within 99 (kind 4:
            # near 99, where x log10 y needs all its digits; kind 5: y close to 1, x large)
            y = rand_num(rng, -99, 99, "+") if kind == 0 else rand_num(rng, -1, 0, "+") \
                if kind == 4 else clip10(1 + M(rand_num(rng, -9, -1)))
            t = rng.uniform(-99.5, 99.9) if kind != 4 else \
                rng.choice([-1, 1]) * rng.uniform(80, 99.9)
            x = clip10(mpf(t) / log10(M(y))) if y != 1 else Decimal(1)
        elif kind == 1:                          # y near 1, large x
            y = clip10(1 + M(rand_num(rng, -6, -1)))
            x = rand_num(rng, 0, 3)
        elif kind == 2:                          # a negative y, an integer x
            y = rand_num(rng, -3, 3, "-")
            x = Decimal(rng.randint(-60, 60))
        else:                                    # small arguments both
            y = rand_num(rng, -2, 2, "+")
            x = rand_num(rng, -5, 1)
        if x is None or y is None or (y < 0 and abs(M(x) * log10(abs(M(y)))) > 99):
            continue
        out.append((y, x))
    return out


def pow_exact(y, x):
    if y == 0:
        return None if x <= 0 else mpf(0)
    if y < 0:
        if x != int(x):
            return None
        v = power(M(-y), M(x))
        return -v if int(x) % 2 else v
    return power(M(y), M(x))


def pow_cond(y, x):
    if y == 0:
        return mpf(0)
    return max(abs(M(x)), abs(M(x) * log(abs(M(y)))))


# ----- Instruction counts --------------------------------------------------------------------

def counts(machine, routine, cases):
    """Instructions from the call of the routine to its return (or error exit), per case:
    traced runs of the driver over these cases, one batch at a time."""
    machine.call(routine, LAYERS, [])       # assembles the driver (no cases to run)
    lst = open(os.path.join(machine.home, "test.lst")).read()
    addr = {}
    for name in ("TRET", "ERRDATA", "ERRRANGE"):
        m = re.search(r"^([0-9A-F]{4}) [0-9A-F]{3} +\d+ +%s:" % name, lst, re.M)
        addr[int(m.group(1), 16)] = name
    m = re.search(r"^([0-9A-F]{4}) [0-9A-F]{3} [0-9A-F]{3} +\d+ +GSUBNC %s\b" % routine,
                  lst, re.M)
    call = int(m.group(1), 16)
    log_path = os.path.join(machine.home, "VALDOR.LOG")
    out = []
    for first in range(0, len(cases), H.BATCH):
        batch = cases[first:first + H.BATCH]
        regs = {H.FLAGS: H.flags_reg()}
        control = [0] * 14
        control[0], control[1], control[2] = H.FIRST & 15, H.FIRST >> 4 & 15, H.FIRST >> 8
        control[3], control[4] = len(batch) & 15, len(batch) >> 4 & 15
        regs[H.CASES] = control
        for i, (y, x) in enumerate(batch):
            regs[H.FIRST + 2 * i] = y
            regs[H.FIRST + 2 * i + 1] = x
        machine.run(regs, extra_args=("--trace", "--no-save"))
        start = None
        with open(log_path) as f:
            for line in f:
                if line[0] == " ":
                    continue
                a = int(line[:4], 16)
                if a == call:
                    start = 0
                elif start is not None:
                    if a in addr:
                        out.append(start)
                        start = None
                    else:
                        start += 1
        os.remove(log_path)
    return out


# ----- The test ------------------------------------------------------------------------------

def guarded(failures, what, run, *args, **kw):
    """run(*args, **kw), or None with a failure when the assembly or a run of the machine
    fails (a routine that never returns runs into valdor-run's limit)."""
    try:
        return run(*args, **kw)
    except RuntimeError as e:
        failures.append("%s: %s" % (what, str(e).strip().splitlines()[-1]))
        return None


def main():
    want_counts = "--counts" in sys.argv
    if want_counts:
        sys.argv.remove("--counts")
    p = H.parse_args(__doc__)
    n = p.cases or 200
    rng = random.Random(p.seed)
    machine = H.Machine(p)
    failures, report = [], []

    # The constant tables in trans.asm are those that trans_tables.py computes.
    rpn = os.path.join(p.source, "firmware", "rpn")
    r = subprocess.run([sys.executable, os.path.join(rpn, "trans_tables.py"), "--check",
                        os.path.join(rpn, "trans.asm")], capture_output=True, text=True)
    if r.returncode != 0:
        failures.append("constant tables: " + (r.stdout + r.stderr).strip())

    # Unary functions: random and edge arguments, exact cases, flag 24.
    for name, (ref, cond, bad) in FUNCS.items():
        args = [Decimal(a) for a in EDGES[name]] + arguments(name, rng, n)
        args += [Decimal(a) for a, _ in EXACT.get(name, [])]
        exact_res = {Decimal(a): Decimal(r) for a, r in EXACT.get(name, [])}
        res = guarded(failures, name, machine.call, name, LAYERS,
                      [([0] * 14, H.to_reg(a)) for a in args])
        if res is None:
            continue
        worst = (0, None)
        for a, (outcome, reg) in zip(args, res):
            x = M(a)
            ex = None if bad(x) else ref(x)
            c = cond(x) if ex is not None else 0
            msg = check(name, a, outcome, reg, ex, c, exact_wanted=a in exact_res)
            if msg:
                failures.append(msg)
            elif ex is not None and outcome == H.OK and c <= 1000 and ex != 0:
                got = H.from_reg(reg)
                if got and abs(D(ex)) < Decimal("1E100"):
                    e = H.ulps(got, D(ex))
                    worst = max(worst, (e, a), key=lambda t: t[0])
            if a in exact_res and outcome == H.OK and H.from_reg(reg) != exact_res[a]:
                failures.append("%s(%s) = %s, expected %s exactly" % (
                    name, a, H.from_reg(reg), exact_res[a]))
        report.append("%-7s %5d cases, worst %.3f units at %s" % (name, len(args), worst[0],
                                                                  worst[1]))
    # Range errors with flag 24: the largest number, with its sign.
    for name, a, want in [("FEXP", "231", BIG), ("FALOG", "100", BIG), ("FEXPM1", "240", BIG)]:
        res = guarded(failures, name, machine.call, name, LAYERS,
                      [([0] * 14, H.to_reg(Decimal(a)))], flags=(24,))
        if res is None:
            continue
        (outcome, reg), = res
        if outcome != H.OK or H.from_reg(reg) != want:
            failures.append("%s(%s) with flag 24: expected %s, got %d %s" % (
                name, a, want, outcome, H.from_reg(reg)))
    res = guarded(failures, "FPOW", machine.call, "FPOW", LAYERS,
                  [(H.to_reg(Decimal("-10")), H.to_reg(Decimal("101")))], flags=(24,))
    outcome, reg = res[0] if res else (H.OK, H.to_reg(-BIG))
    if outcome != H.OK or H.from_reg(reg) != -BIG:
        failures.append("FPOW(-10, 101) with flag 24: expected %s, got %d %s" % (
            -BIG, outcome, H.from_reg(reg)))

    # y^x.
    pairs = [(Decimal(y), Decimal(x)) for y, x, _ in POW_EXACT]
    pairs += [(Decimal(y), Decimal(x)) for y, x in POW_ERRORS] + pow_cases(rng, n)
    res = guarded(failures, "FPOW", machine.call, "FPOW", LAYERS,
                  [(H.to_reg(y), H.to_reg(x)) for y, x in pairs]) or []
    exact_pow = {(Decimal(y), Decimal(x)): Decimal(r) for y, x, r in POW_EXACT}
    worst = (0, None)
    for (y, x), (outcome, reg) in zip(pairs, res):
        ex = pow_exact(y, x)
        c = pow_cond(y, x) if ex is not None else 0
        arg = "%s, %s" % (y, x)
        msg = check("FPOW", arg, outcome, reg, ex, c, exact_wanted=(y, x) in exact_pow)
        if msg:
            failures.append(msg)
        elif ex is not None and outcome == H.OK and c <= 1000 and ex != 0:
            got = H.from_reg(reg)
            if got and abs(D(ex)) < Decimal("1E100"):
                worst = max(worst, (H.ulps(got, D(ex)), arg), key=lambda t: t[0])
    report.append("%-7s %5d cases, worst %.3f units at %s" % ("FPOW", len(pairs), worst[0],
                                                              worst[1]))

    # Instruction counts: the slowest arguments known, and a sample of the random ones (a
    # few dozen per routine; up to 600 in a longer run or with --counts).
    many = min(n, 600) if want_counts or p.cases else 30
    for name in list(FUNCS) + ["FPOW"]:
        if name == "FPOW":
            sample = [(H.to_reg(Decimal(y)), H.to_reg(Decimal(x))) for y, x in SLOW_POW]
            sample += [(H.to_reg(y), H.to_reg(x)) for y, x in pairs[-many:]]
        else:
            args = [Decimal(a) for a in SLOW.get(name, []) + EDGES[name]]
            args += arguments(name, rng, many)
            sample = [([0] * 14, H.to_reg(a)) for a in args]
        c = guarded(failures, name + " (counting)", counts, machine, name, sample)
        if not c:
            continue
        budget = POW_BUDGET if name == "FPOW" else BUDGET
        report.append("%-7s instructions: worst %d, mean %d over %d calls (budget %d)" % (
            name, max(c), sum(c) // len(c), len(c), budget))
        if max(c) > budget:
            failures.append("%s takes %d instructions, more than %d" % (name, max(c), budget))

    for line in report:
        print(line)
    for msg in failures:
        print("FAIL " + msg)
    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
