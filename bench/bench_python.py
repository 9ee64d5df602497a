"""Speed of the Python module, in two parts.

    PYTHONPATH=build/python /usr/bin/python3 bench/bench_python.py [build/cli/aqvis-cli]
    PYTHONPATH=build/python /usr/bin/python3 bench/bench_python.py small

Throughput (the first form): aqvis.calculate against aqvis-cli grid on the
same 1,000,000 points with the same threads (the liquid grid of
aqvis_bench_grid: ten solutes x 1000 temperatures x 100 pressures).  Each
run is timed from the call to its return (the program: from start to exit,
its rows going to /dev/null), in wall-clock time and in processor time (all
threads; steadier on a shared machine).  The runs of the three kinds
alternate; the best of five of each is shown.

Small calls (`small`, also run by the first form): one state and 100 points
from Python, as ratios to a closed-form Henry constant in pure Python timed
in the same run, and the peak memory of one member on 10**7 points.  The
closed form stands in for a pure-Python IAPWS package, which cannot be
installed here: the IAPWS G7-04 correlation of the Henry constant of N2 in
water with the vapour pressure of water from the Wagner-Pruss saturation
equation, with the coefficient look-up by gas name and the range check such
a package does (henry_n2 below).
"""

import math
import os
import resource
import subprocess
import sys
import time
import timeit
import warnings

import numpy as np

import aqvis

SMALL_ONLY = sys.argv[1:] == ["small"]
CLI = sys.argv[1] if len(sys.argv) > 1 and not SMALL_ONLY else "build/cli/aqvis-cli"
SOLUTES = ["H2", "N2", "O2", "H2S", "CO2", "Ar", "Ne", "NH3", "SO2", "CH4"]
# The doubles of grid's axes 0:349.65:0.35 and 0:990:10 (exact decimal steps).
T = (np.arange(1000) * 35) / 100.0
P = np.arange(100) * 10.0
POINTS = len(SOLUTES) * T.size * P.size
REPEATS = 5


def cpu_seconds():
    own = time.process_time()
    children = resource.getrusage(resource.RUSAGE_CHILDREN)
    return own + children.ru_utime + children.ru_stime


def timed(run):
    wall, cpu = time.perf_counter(), cpu_seconds()
    run()
    return time.perf_counter() - wall, cpu_seconds() - cpu


def python_run(threads):
    for s in SOLUTES:
        aqvis.calculate(s, T[None, :], P[:, None], threads=threads)


def cli_run(threads, *extra):
    subprocess.run([CLI, "grid", ",".join(SOLUTES), "--temp", "0:349.65:0.35", "--press", "0:990:10",
                    "--threads", str(threads), "--no-progress", *extra],
                   stdout=subprocess.DEVNULL, check=True)


def throughput():
    print(f"{POINTS:,} points, best of {REPEATS}; points per second of wall-clock time (of processor time)")
    print(f"{'threads':>7} {'aqvis.calculate':>24} {'aqvis-cli grid':>24} {'grid --columns all':>24} {'ratio':>11}")
    for threads in (1, 2):
        runs = {"py": lambda: python_run(threads), "grid": lambda: cli_run(threads),
                "all": lambda: cli_run(threads, "--columns", "all")}
        best = {k: [float("inf"), float("inf")] for k in runs}
        for _ in range(REPEATS):
            for k, run in runs.items():
                best[k] = [min(b, t) for b, t in zip(best[k], timed(run))]
        rate = {k: (POINTS / w, POINTS / c) for k, (w, c) in best.items()}
        cells = [f"{w:>11,.0f} ({c:>9,.0f})" for w, c in rate.values()]
        ratio = f"{rate['py'][0] / rate['grid'][0]:.2f} ({rate['py'][1] / rate['grid'][1]:.2f})"
        print(f"{threads:>7} {cells[0]:>24} {cells[1]:>24} {cells[2]:>24} {ratio:>11}")


# IAPWS G7-04, Guideline on the Henry's constant and vapor-liquid distribution
# constant for gases in H2O and D2O at high temperatures (2004), table 2:
# ln(kH / p1) = A / Tr + B tau**0.355 / Tr + C Tr**-0.41 exp(tau), Tr = T / Tc,
# tau = 1 - Tr, with A, B, C per gas and the range of T (K) fitted (N2 alone
# here; the look-up stays, as a package looks the gas up by name).
HENRY_H2O = {"N2": (-9.67578, 4.72162, 11.70585, 278.12, 636.46)}
# Saturation pressure of water (Wagner and Pruss 1993, J. Phys. Chem. Ref.
# Data 22, 783): ln(p / pc) = (Tc / T) sum a_i tau**e_i, Tc = 647.096 K,
# pc = 22.064 MPa.
TC_WATER, PC_WATER = 647.096, 22.064
WP_TERMS = ((-7.85951783, 1.0), (1.84408259, 1.5), (-11.7866497, 3.0), (22.6807411, 3.5),
            (-15.9618719, 4.0), (1.80122502, 7.5))


def henry_n2(T, gas="N2"):
    """kH of `gas` in water at T (K), in MPa."""
    A, B, C, t_min, t_max = HENRY_H2O[gas]
    if not t_min <= T <= t_max:
        warnings.warn(f"{T} K is outside the range of the correlation for {gas}")
    tr = T / TC_WATER
    tau = 1.0 - tr
    p1 = PC_WATER * math.exp(sum(a * tau ** e for a, e in WP_TERMS) / tr)
    return p1 * math.exp(A / tr + B * tau ** 0.355 / tr + C * tr ** -0.41 * math.exp(tau))


def per_call(stmt, number, **names):
    """Best of seven of `number` calls, in microseconds per call."""
    return min(timeit.repeat(stmt, globals={**globals(), **names}, number=number, repeat=7)) / number * 1e6


PEAK = """
import sys, numpy as np, aqvis
def rss(field):
    with open("/proc/self/status") as f:
        return next(int(l.split()[1]) for l in f if l.startswith(field)) / 1024
base = rss("VmRSS:")
with open("/proc/self/clear_refs", "w") as f:
    f.write("5")  # the peak starts again from here
T = np.linspace(0.0, 300.0, 10**7)
r = aqvis.calculate("N2", T, 1.0, **eval(sys.argv[1]))
print(rss("VmHWM:") - base)
"""


def peak_mib(kwargs):
    """Peak resident memory above the interpreter's, numpy and aqvis
    imported, of a call on 10**7 temperatures (their 76 MiB included)."""
    p = subprocess.run([sys.executable, "-c", PEAK, repr(kwargs)], capture_output=True, text=True)
    return float(p.stdout) if p.returncode == 0 else float("nan")


def small_calls():
    # The stand-in against the guideline values stored for the tests (python3-iapws, IF97 vapour pressure).
    stored = next(float(line.split(",")[4]) for line in open(os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "docs", "validation", "henry_guideline.csv"))
        if line.startswith("N2,25,"))
    print(f"stand-in: lnkH of N2 at 25 degC {math.log(henry_n2(298.15) * 10):.6f}, stored {stored:.6f}")
    T100 = np.linspace(1.0, 99.0, 100)
    fresh = iter(np.random.default_rng(1).uniform(1.0, 99.0, 10**7))  # a temperature not met before
    try:
        aqvis.calculate("N2", 25, 1, members=["lnkH"])
        has_members = True
    except TypeError:
        has_members = False
    t = {
        "henry": per_call("henry_n2(298.15)", 20000),
        "scalar": per_call('aqvis.calculate("N2", 25, 1)', 2000),
        "scalar, new T": per_call('aqvis.calculate("N2", next(fresh), 1)', 2000, fresh=fresh),
        "scalar, lnkH": per_call('aqvis.calculate("N2", 25, 1, members=["lnkH"])', 2000) if has_members
        else float("nan"),
        "100 points": per_call('aqvis.calculate("N2", T100, 1)', 200, T100=T100),
        "100 points, new T": per_call('aqvis.calculate("N2", T100 + next(fresh) * 1e-9, 1)', 200, T100=T100,
                                      fresh=fresh),
        # What a point costs where the call's own cost is spread thin: the
        # floor of the 100-point call is 100 times this.
        "a point of a 100,000-point call, one thread": per_call(
            'aqvis.calculate("N2", T5, 1, threads=1)', 1, T5=np.tile(T100, 1000)) / 1e5,
    }
    print(f"{'call':<46} {'us':>9} {'/ henry':>8} {'/ scalar':>9}")
    for name, us in t.items():
        print(f"{name:<46} {us:>9.2f} {us / t['henry']:>8.2f} {us / t['scalar']:>9.2f}")
    print(f"the 100-point call beyond 100 points' work: {t['100 points'] - 100 * t[list(t)[-1]]:.1f} us")
    for kwargs in ({"members": ["lnkH"]}, {"members": ["lnkH"], "threads": 1}, {}):
        if kwargs.get("members") and not has_members:
            continue
        print(f"peak memory of calculate on 10**7 points {kwargs}: {peak_mib(kwargs):,.0f} MiB")


if SMALL_ONLY:
    small_calls()
else:
    throughput()
    small_calls()
