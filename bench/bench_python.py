"""Throughput of aqvis.calculate against aqvis-cli grid on the same
1,000,000 points with the same threads (the liquid grid of
aqvis_bench_grid: ten solutes x 1000 temperatures x 100 pressures).

    PYTHONPATH=build/python /usr/bin/python3 bench/bench_python.py [build/cli/aqvis-cli]

Each run is timed from the call to its return (the program: from start to
exit, its rows going to /dev/null), in wall-clock time and in processor time
(all threads; steadier on a shared machine).  The runs of the three kinds
alternate; the best of five of each is shown.
"""

import resource
import subprocess
import sys
import time

import numpy as np

import aqvis

CLI = sys.argv[1] if len(sys.argv) > 1 else "build/cli/aqvis-cli"
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
