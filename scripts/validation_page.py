#!/usr/bin/python3
"""Makes docs/validation.md and its figures, and the measured figures that
docs/model.md quotes: lnkH of nine gases against the IAPWS Henry-constant
guideline (G7-04) with the built-in and refitted parameters within the
guideline's data (scripts/henry_validation.py), the consistency of the
solute's V2, S2 and Cp2 with its own lnkH, GTaqua and HTaqua
(scripts/consistency_validation.py), the density of water against IAPWS-95,
water's fugacity, saturation pressure, critical point, volume and heat
capacity against IAPWS-95 and against its own G and H
(scripts/water_validation.py), and the solubility of gases against
measurements (scripts/solubility_validation.py).  Development time
only (CI does not run it); needs a build of the Python module and Debian's
python3-iapws, python3-numpy and python3-matplotlib:

    /usr/bin/python3 scripts/validation_page.py [BUILD_DIR]
"""
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
import consistency_validation  # noqa: E402
import henry_validation  # noqa: E402
import solubility_validation  # noqa: E402
import water_validation  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
DOCS = ROOT / "docs"
FIGURES = DOCS / "validation"
TEMPS = np.arange(0, 601, 10)
PRESSURES = [1, 10, 25, 50, 100, 150, 200, 250, 300, 400, 500, 750, 1000, 1500, 2000, 2500, 3000,
             3500, 4000, 4500, 5000]


STARTED = time.monotonic()


def progress(text):
    """What the script is doing, on standard error, with the seconds so far."""
    print(f"[{time.monotonic() - STARTED:5.0f} s] {text}", file=sys.stderr, flush=True)


def henry_section(aqvis, measured):
    progress("Henry constants against the guideline within its data (scripts/henry_validation.py)")
    m = henry_validation.measure(aqvis)
    henry_validation.figure(m)
    measured["henry"] = m
    return henry_validation.section(m)


def consistency_section(aqvis):
    progress("V2, S2 and Cp2 against derivatives of lnkH, GTaqua and HTaqua (scripts/consistency_validation.py)")
    m = consistency_validation.measure(aqvis)
    consistency_validation.figure(m)
    return consistency_validation.section(m)


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
    # The largest deviation: ringed on the map and at the ends of the scale.
    worst = np.unravel_index(np.nanargmax(np.abs(dev)), dev.shape)
    ax.plot(TEMPS[worst[1]], PRESSURES[worst[0]], "o", mfc="none", mec="k", ms=12, mew=1.5)
    ax.annotate(f"largest: {dev[worst]:+.3g} % ({TEMPS[worst[1]]} °C, {PRESSURES[worst[0]]} bar)",
                (TEMPS[worst[1]], PRESSURES[worst[0]]), xytext=(14, -28), textcoords="offset points",
                fontsize=9, bbox={"fc": "white", "ec": "0.5", "alpha": 0.9},
                arrowprops={"arrowstyle": "-", "color": "k"})
    ax.set_yscale("log")
    ax.set_xlabel("t / °C")
    ax.set_ylabel("P / bar")
    ticks = [-lim] + [t for t in (-0.1, -0.01, -0.001, 0, 0.001, 0.01, 0.1) if abs(t) < 0.8 * lim] + [lim]
    bar = fig.colorbar(mesh, label="100 (ρ − ρ(IAPWS-95)) / ρ(IAPWS-95)  [%]", ticks=ticks)
    bar.ax.set_yticklabels([f"{t:+.3g}" if abs(t) == lim else f"{t:g}" for t in ticks])
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
    ne = measured["henry"]["Ne"]
    at300 = float(ne["own"][ne["T"] == 300][0])
    rms, (lo, hi) = ne["rms_own"], ne["range"]
    water_lines = [
        f"- The density of water is within {liquid:.2f} % of IAPWS-95 from 0 to 350 °C and "
        f"{overall:.2f} % up to 600 °C and 5000 bar.",
    ] + water_validation.model_summary(water)
    ne_lines = [
        f"- Ne: its built-in ξ, a and b give lnkH {at300:+.2f} above the IAPWS guideline at "
        f"300 °C along the saturation curve, a Henry constant {np.exp(at300):.1f} times the "
        f"guideline's (whose Ne data reach {hi:.0f} °C, so it is extrapolated there), and an "
        f"RMS of {rms:.2f} in lnkH within the data ({lo:g}–{hi:g} °C); ξ, a and b refitted to "
        "the guideline within the data are in data/guideline_refit.csv and "
        "[validation.md](validation.md).",
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
    lines += consistency_section(aqvis)
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
