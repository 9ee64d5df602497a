#!/usr/bin/python3
"""Makes docs/validation.md and its figures, and the measured figures that
docs/model.md quotes: lnkH of nine gases against the IAPWS Henry-constant
guideline (G7-04) with the built-in and refitted parameters, the density of
water against IAPWS-95, water's fugacity, saturation pressure, critical
point, volume and heat capacity against IAPWS-95 and against its own G and
H (scripts/water_validation.py), and the solubility of gases against
measurements (scripts/solubility_validation.py).  Development time
only (CI does not run it); needs a build of the Python module and Debian's
python3-iapws, python3-numpy and python3-matplotlib:

    /usr/bin/python3 scripts/validation_page.py [BUILD_DIR]
"""
import csv
import pathlib
import sys
import time
import warnings

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
from matplotlib.colors import SymLogNorm  # noqa: E402

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import solubility_validation  # noqa: E402
import water_validation  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
DOCS = ROOT / "docs"
FIGURES = DOCS / "validation"
GUIDELINE = FIGURES / "henry_guideline.csv"
GASES = ["H2", "N2", "O2", "CO2", "Ar", "Ne", "CH4", "H2S", "C2H6"]
# Temperatures (K) of the data each gas's guideline equation was fitted to, as
# python3-iapws states them.
GUIDELINE_RANGE_K = {"H2": (273.15, 636.09), "N2": (278.12, 636.46), "O2": (274.15, 616.52),
                     "CO2": (274.19, 642.66), "Ar": (273.19, 568.36), "Ne": (273.20, 543.36),
                     "CH4": (275.46, 633.11), "H2S": (273.15, 533.09), "C2H6": (275.44, 473.46)}
TEMPS = np.arange(0, 601, 10)
PRESSURES = [1, 10, 25, 50, 100, 150, 200, 250, 300, 400, 500, 750, 1000, 1500, 2000, 2500, 3000,
             3500, 4000, 4500, 5000]


STARTED = time.monotonic()


def progress(text):
    """What the script is doing, on standard error, with the seconds so far."""
    print(f"[{time.monotonic() - STARTED:5.0f} s] {text}", file=sys.stderr, flush=True)


def guideline_points():
    """{gas: (temperatures, lnkH)} of the stored guideline values."""
    with GUIDELINE.open() as f:
        rows = list(csv.reader(line for line in f if not line.startswith("#")))[1:]
    points = {}
    for solute, temp, press, prop, value in rows:
        assert press == "0" and prop == "lnkH"
        t, v = points.setdefault(solute, ([], []))
        t.append(float(temp))
        v.append(float(value))
    return {g: (np.array(t), np.array(v)) for g, (t, v) in points.items()}


def henry_gas(aqvis, rec, points, ax, measured):
    """The table row of one gas against the guideline's `points` (built-in
    and refitted parameters), its panel of deviations drawn on `ax`, its
    figures in `measured`; returns the row and the refit."""
    gas = rec.formula
    own = {"xi": rec.xi, "a": rec.a, "b": rec.b}
    T, value = points
    builtin = aqvis.fit(gas, T, 0, "lnkH", value, fix=own)
    refit = aqvis.fit(gas, T, 0, "lnkH", value)
    se = refit["stderr"]
    lo, hi = (k - 273.15 for k in GUIDELINE_RANGE_K[gas])
    at300 = -float(builtin["rows"]["residual"][builtin["rows"]["temp"] == 300][0])
    measured.setdefault("henry", {})[gas] = (at300, builtin["rms"]["lnkH"], lo, hi)
    line = (f"| {gas} | {own['xi']:.4f} | {own['a']:.4f} | {own['b']:.4f} | {builtin['rms']['lnkH']:.3f} "
            f"| {at300:+.3f} ({np.exp(at300):.2f}) "
            f"| {refit['xi']:.4f} ± {se['xi']:.4f} | {refit['a']:.3f} ± {se['a']:.3f} "
            f"| {refit['b']:.3f} ± {se['b']:.3f} | {refit['rms']['lnkH']:.3f} | {lo:.0f}–{hi:.0f} |")
    for result, label, style in ((builtin, "built-in", "--"), (refit, "refitted", "-")):
        ax.plot(result["rows"]["temp"], -result["rows"]["residual"], style, label=label)
    ax.axvspan(lo, hi, color="0.93", zorder=0)
    ax.axhline(0, color="0.5", lw=0.8)
    ax.set_title(gas)
    return line, refit


def henry_section(aqvis, measured):
    points = guideline_points()
    catalogue = {s.formula: s for s in aqvis.solutes()}
    lines = [
        "## Henry constants against the IAPWS guideline",
        "",
        "lnkH (kH in bar) of the nine gases that both this program and the IAPWS guideline",
        "G7-04 (*Guideline on the Henry's Constant and Vapor-Liquid Distribution Constant for",
        "Gases in H2O and D2O at High Temperatures*) cover, along the saturation curve from 0",
        "to 350 °C every 5 °C (71 points per gas). The guideline values are stored in",
        "[validation/henry_guideline.csv](validation/henry_guideline.csv), made with Debian's",
        "python3-iapws by `scripts/henry_guideline.py`. Outside the temperatures each gas's",
        "guideline equation was fitted to (last column) the guideline is extrapolated.",
        "",
        "*Built-in* uses the parameters of the catalogue; *refitted* fits ξ, a and b to the",
        "71 guideline values with `aqvis.fit` (as `aqvis-cli fit`; unit weights, standard",
        "errors from the scatter). RMS is the root-mean-square of lnkH(model) − lnkH(guideline);",
        "Δ300 is lnkH(model) − lnkH(guideline) at 300 °C with the built-in parameters, and",
        "e^Δ300 the ratio of the two Henry constants there.",
        "",
        "| gas | built-in ξ | a | b | RMS | Δ300 (e^Δ300) | refitted ξ | a | b | RMS "
        "| guideline data, °C |",
        "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|",
    ]
    fig, axes = plt.subplots(3, 3, figsize=(11, 9), sharex=True)
    for n, (gas, ax) in enumerate(zip(GASES, axes.flat), 1):
        progress(f"Henry constants: fitting {gas} to the guideline ({n} of {len(GASES)})")
        line, refit = henry_gas(aqvis, catalogue[gas], points[gas], ax, measured)
        lines.append(line)
    for ax in axes[-1]:
        ax.set_xlabel("t / °C (saturation curve)")
    for ax in axes[:, 0]:
        ax.set_ylabel("lnkH(model) − lnkH(guideline)")
    axes[0, 0].legend()
    fig.suptitle("lnkH against IAPWS G7-04; shaded: temperatures of the guideline's data")
    fig.tight_layout()
    fig.savefig(FIGURES / "henry-deviation.png", dpi=90)
    lines += [
        "",
        f"The correlation of a and b is {refit['correlation'][1][2]:.4f} for every gas (the design of lnkH",
        "depends on the states of water alone): along one curve of states the two cross-term",
        "parameters are nearly interchangeable, so their standard errors are much wider than",
        "the band the fitted curve itself is known to.",
        "",
        "![lnkH deviations from the guideline](validation/henry-deviation.png)",
        "",
    ]
    return lines


def density_section(aqvis, measured):
    from iapws import IAPWS95

    progress(f"density of water: {len(PRESSURES)} pressures x {len(TEMPS)} temperatures against "
             "IAPWS-95, a pressure at a time")
    r = aqvis.calculate("N2", TEMPS[None, :], np.array(PRESSURES, dtype=float)[:, None])
    dev = np.full(r["dH2O"].shape, np.nan)
    raised = np.zeros(dev.shape, dtype=bool)
    for (i, j), rho in np.ndenumerate(r["dH2O"]):
        if j == 0:
            progress(f"density of water: {PRESSURES[i]} bar ({i + 1} of {len(PRESSURES)})")
        if r["kind"][i, j]:
            continue
        tk, pbar, psat = r["TK"][i, j], r["Pbar"][i, j], r["Psat"][i, j]
        saturated = psat > 0 and pbar == psat
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            ref = IAPWS95(T=tk, x=0) if saturated else IAPWS95(T=tk, P=pbar / 10)
        dev[i, j] = 100 * (rho * 1000 / ref.rho - 1)
        raised[i, j] = saturated and pbar > PRESSURES[i]
    fig, ax = plt.subplots(figsize=(10, 6))
    lim = np.nanmax(np.abs(dev))
    mesh = ax.pcolormesh(TEMPS, PRESSURES, dev, shading="nearest", cmap="RdBu_r",
                         norm=SymLogNorm(linthresh=1e-3, vmin=-lim, vmax=lim))
    ti, pi = np.nonzero(raised.T)
    ax.plot(TEMPS[ti], np.array(PRESSURES)[pi], "k.", ms=2)
    ax.set_yscale("log")
    ax.set_xlabel("t / °C")
    ax.set_ylabel("P / bar")
    fig.colorbar(mesh, label="100 (ρ − ρ(IAPWS-95)) / ρ(IAPWS-95)  [%]")
    ax.set_title("Density of water against IAPWS-95 (dots: pressure raised to saturation)")
    fig.tight_layout()
    fig.savefig(FIGURES / "density-deviation.png", dpi=90)

    liquid = dev[:, TEMPS <= 350]
    measured["density"] = (np.nanmax(np.abs(liquid)), np.nanmax(np.abs(dev)))
    return [
        "## Density of water against IAPWS-95",
        "",
        f"The density of water from `aqvis.calculate` over 0–600 °C (every 10 °C) and {len(PRESSURES)}",
        "pressures from 1 to 5000 bar, against IAPWS-95 as python3-iapws evaluates it, as a",
        "relative deviation in per cent. Below the critical temperature a pressure under the",
        "saturation pressure is raised to it (marked with dots); those points are compared",
        "with the saturated liquid of IAPWS-95.",
        "",
        f"- largest deviation: {np.nanmax(np.abs(dev)):.3g} % "
        f"(at {TEMPS[np.nanargmax(np.nanmax(np.abs(dev), axis=0))]} °C)",
        f"- at or below 350 °C: at most {np.nanmax(np.abs(liquid)):.3g} %, "
        f"median {np.nanmedian(np.abs(liquid)):.2g} %",
        f"- points not computed: {int(np.isnan(dev).sum())} of {dev.size}",
        "",
        "![density deviation map](validation/density-deviation.png)",
        "",
    ]


def replace_block(text, name, lines):
    """`text` with the lines between "<!-- measured NAME -->" and
    "<!-- /measured -->" replaced by `lines`."""
    begin = f"<!-- measured {name} -->\n"
    start = text.index(begin) + len(begin)
    end = text.index("<!-- /measured -->", start)
    return text[:start] + "".join(line + "\n" for line in lines) + text[end:]


def model_page(measured, water):
    """Puts the measured figures that docs/model.md quotes into it."""
    liquid, overall = measured["density"]
    at300, rms, lo, hi = measured["henry"]["Ne"]
    water_lines = [
        f"- The density of water is within {liquid:.2f} % of IAPWS-95 from 0 to 350 °C and "
        f"{overall:.2f} % up to 600 °C and 5000 bar.",
    ] + water_validation.model_summary(water)
    ne_lines = [
        f"- Ne: its built-in ξ, a and b give lnkH {at300:+.2f} above the IAPWS guideline at "
        f"300 °C along the saturation curve, a Henry constant {np.exp(at300):.1f} times the "
        f"guideline's (whose Ne data reach {hi:.0f} °C, so it is extrapolated there), and an "
        f"RMS of {rms:.2f} in lnkH over 0–350 °C; ξ, a and b refitted to the guideline are "
        "in [validation.md](validation.md).",
    ]
    page = DOCS / "model.md"
    text = replace_block(page.read_text(), "water", water_lines)
    page.write_text(replace_block(text, "ne", ne_lines))


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build").resolve()
    sys.path.insert(0, str(build / "python"))
    import aqvis

    progress(f"aqvis {aqvis.__version__} from {build / 'python'}")
    lines = [
        "# Validation",
        "",
        "Made by `scripts/validation_page.py` from a build of the Python module; do not edit by hand.",
        "",
    ]
    measured = {}
    lines += henry_section(aqvis, measured)
    lines += density_section(aqvis, measured)
    progress("water against IAPWS-95 and its own G and H (scripts/water_validation.py)")
    water = water_validation.measure(aqvis)
    lines += water_validation.section(water)
    progress("gas solubilities against the measurements (scripts/solubility_validation.py)")
    lines += solubility_validation.solubility_section(aqvis)
    (DOCS / "validation.md").write_text("\n".join(lines))
    model_page(measured, water)
    progress(f"wrote {DOCS / 'validation.md'}, the figures in {FIGURES} and the measured lines of "
             f"{DOCS / 'model.md'}")


if __name__ == "__main__":
    main()
