"""A tour of the aqvis Python module: one state, an isotherm as a table and
a plot, a Monte Carlo over the parameters, a solute of one's own and a fit
of its parameters, a table computed with Dask.

    PYTHONPATH=build/python /usr/bin/python3 examples/python_tour.py [OUTDIR]

Writes co2-150C.png, my_solutes.csv and table.zarr (when zarr is installed) to OUTDIR
(default: aqvis-tour in the temporary folder) and prints what it computed.
"""

import pathlib
import sys
import tempfile

import matplotlib

matplotlib.use("Agg")  # files only, no display needed
import matplotlib.pyplot as plt
import numpy as np

import aqvis

out = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(tempfile.gettempdir()) / "aqvis-tour")
out.mkdir(parents=True, exist_ok=True)

# One state: N2 at 25 °C and 1 bar, and on the saturation curve at 100 °C.
r = aqvis.calculate("N2", [25, 100], [1, 0])
print("lnkH of N2:", r["lnkH"], "at", r["Pbar"], "bar")

# An isotherm of CO2 at 150 °C, saturation to 1000 bar, as a table and a plot.
df = aqvis.frame("CO2", 150, np.linspace(0, 1000, 101))
print(df[["Pbar", "dH2O", "lnkH", "V2"]].head(3))
print("units:", {c: df.attrs["units"][c] for c in ("Pbar", "lnkH", "V2")})
df.plot(x="Pbar", y=["lnkH", "V2"], subplots=True)
plt.savefig(out / "co2-150C.png")

# A Monte Carlo over ξ, a and b: 100,000 draws around CH4's own, at 200 °C on
# the saturation curve, in one call.
ch4 = next(s for s in aqvis.solutes() if s.formula == "CH4")
rng = np.random.default_rng(1)
n = 100_000
mc = aqvis.calculate("CH4", 200, 0,
                     xi=rng.normal(ch4.xi, 0.01, n),
                     a=rng.normal(ch4.a, 0.1, n),
                     b=rng.normal(ch4.b, 0.1, n))
ok = mc["kind"] == ""
print(f"CH4 at 200 °C: lnkH = {mc['lnkH'][ok].mean():.4f} ± {mc['lnkH'][ok].std():.4f}"
      f" ({ok.sum()} of {n} draws computed)")

# A solute of one's own, from a catalogue file (the format of
# `aqvis-cli list --csv`), and ξ, a and b fitted to measurements: here lnkH
# of N2 on the saturation curve made up from other parameters plus noise of
# standard deviation 0.02.
(out / "my_solutes.csv").write_text(
    "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\n"
    "CH3SH,-0.31,-13.7,16.2,-2300,60.9,3.2,30.1,0.5\n")
mine = aqvis.load_catalogue(out / "my_solutes.csv")
print("CH3SH at 25 °C, 1 bar: lnkH =", aqvis.calculate("CH3SH", 25, 1, catalogue=mine)["lnkH"])
T = np.arange(5.0, 350.0, 10.0)
measured = aqvis.calculate("N2", T, 0, xi=0.05, a=-9.9, b=13.3)["lnkH"] + rng.normal(0, 0.02, T.size)
f = aqvis.fit("N2", T, 0, "lnkH", measured, sigma=0.02)
print("fit of N2:", ", ".join(f"{p} = {f[p]:.4f} ± {f['stderr'][p]:.4f}" for p in ("xi", "a", "b")),
      f"RMS {f['rms']['lnkH']:.4f} (own parameters: {f['rms_start']['lnkH']:.4f})")

# A table with Dask, block by block (here on the local machine; with a
# dask.distributed Client the same lines run on a cluster).
try:
    import dask
    import dask.array as da
    import zarr  # noqa: F401  (the table's format on disk)
except ImportError:
    print("dask or zarr not installed: no Dask table")
else:
    T = da.arange(0.0, 350.0, 0.5, chunks=100)[:, None]
    P = da.arange(0.0, 1000.0, 10.0, chunks=50)[None, :]
    table = aqvis.dask.calculate("CH4", T, P)
    writes = [da.to_zarr(table[m], str(out / "table.zarr"), component=m, overwrite=True, compute=False)
              for m in ("TC", "Pbar", "lnkH", "V2", "kind")]
    dask.compute(*writes)
    print("Dask table:", table["lnkH"].shape, "points written to", out / "table.zarr")
