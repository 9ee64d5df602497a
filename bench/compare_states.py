#!/usr/bin/env python3
"""Compares the results of two builds of aqvis-cli state by state.

    bench/compare_states.py OLD_CLI NEW_CLI

Runs the same grids with every column through both programs and reports the
states whose results differ (a number, or a failure on one side only), with
the largest relative change of any column.  The grids: the steam grid of the
golden outputs, a dense sweep of steam and supercritical water above the
critical temperature (down to 0.1 bar, up to 300 bar), and a liquid sweep.
"""
import subprocess
import sys

GRIDS = [
    ("golden steam grid", "all", "380:600:7.3", "1:50:3.7"),
    ("steam sweep", "N2", "374:1000:0.37", "1:300:1.3"),
    ("low-pressure steam", "N2", "374:1000:0.37", "0.001,0.01,0.1,0.5"),
    ("near the floor", "N2", "374:700:0.11", "20:80:0.23"),
    ("liquid sweep", "N2", "0:373.9:0.29", "5:5000:37"),
    ("saturation", "N2", "0:373.9:0.013", "0"),
]


def rows(cli, solutes, temp, press):
    out = subprocess.run(
        [cli, "grid", solutes, "--temp", temp, "--press", press, "--columns", "all",
         "--threads", "2", "--no-progress"],
        check=True, capture_output=True, text=True).stdout.splitlines()
    header = out[0].split(",")
    return header, [line.split(",") for line in out[1:]]


def main():
    old_cli, new_cli = sys.argv[1], sys.argv[2]
    total_moved = 0
    for name, solutes, temp, press in GRIDS:
        header, old = rows(old_cli, solutes, temp, press)
        _, new = rows(new_cli, solutes, temp, press)
        assert len(old) == len(new), name
        tc = next(i for i, h in enumerate(header) if h.startswith("TC "))
        pbar = next(i for i, h in enumerate(header) if h.startswith("Pbar "))
        moved, largest, worst = [], 0.0, None
        per_column = {}  # column: (largest relative change, state)
        scale = {}  # column: largest magnitude in the grid
        for a in old:
            for col, x in enumerate(a):
                try:
                    scale[header[col]] = max(scale.get(header[col], 0.0), abs(float(x)))
                except ValueError:
                    pass
        for a, b in zip(old, new):
            if a == b:
                continue
            change, column = 0.0, None
            for col, (x, y) in enumerate(zip(a, b)):
                if x == y:
                    continue
                try:
                    fx, fy = float(x), float(y)
                    c = abs(fy - fx) / max(abs(fx), 1e-300)
                except ValueError:
                    c = float("inf")  # a failure on one side only
                if c > per_column.get(header[col], (0.0,))[0]:
                    per_column[header[col]] = (c, f"{a[0]} at {a[tc]} degC, {a[pbar]} bar",
                                               abs(fy - fx) / max(scale.get(header[col], 0.0), 1e-300))
                if c > change:
                    change, column = c, header[col]
            moved.append((a[0], a[tc], a[pbar], change, column))
            if change > largest:
                largest, worst = change, moved[-1]
        total_moved += len(moved)
        print(f"{name}: {len(old)} states, {len(moved)} moved, largest relative change {largest:.3g}"
              + (f" ({worst[4]} of {worst[0]} at {worst[1]} degC, {worst[2]} bar)" if worst else ""))
        for col, (c, where, c_scale) in sorted(per_column.items(), key=lambda kv: -kv[1][0]):
            print(f"  {col}: {c:.3g} ({where}); against the column's largest value {c_scale:.3g}")
    return 0 if total_moved == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
