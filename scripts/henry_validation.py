"""lnkH of nine gases against the IAPWS Henry-constant guideline G7-04: the
section "Henry constants against the IAPWS guideline" of docs/validation.md
and its figure.  Compares the built-in parameters and those of
data/guideline_refit.csv within the temperatures of each gas's guideline
data only, and measures how much of the deviation the propagated
uncertainty of the refit covers.  Called by scripts/validation_page.py; needs
a build of the Python module (no IAPWS package: the guideline's values are
stored in docs/validation/).
"""
import csv
import pathlib

import numpy as np

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIGURES = ROOT / "docs" / "validation"
TABLE = FIGURES / "henry_guideline.csv"          # 0-350 degC every 5 degC, extrapolated outside the data
IN_RANGE = FIGURES / "henry_guideline_in_range.csv"  # within each gas's data only
REFIT = ROOT / "data" / "guideline_refit.csv"
GASES = ["H2", "N2", "O2", "CO2", "Ar", "Ne", "CH4", "H2S", "C2H6"]


def read_points(path):
    """{gas: (temperatures, lnkH)} of a stored guideline file."""
    with path.open() as f:
        rows = list(csv.reader(line for line in f if not line.startswith("#")))[1:]
    points = {}
    for solute, temp, press, prop, value in rows:
        assert press == "0" and prop == "lnkH"
        t, v = points.setdefault(solute, ([], []))
        t.append(float(temp))
        v.append(float(value))
    return {g: (np.array(t), np.array(v)) for g, (t, v) in points.items()}


def shifted_uncertainty(aqvis, cat, gas, T):
    """u(lnkH) along the saturation curve as √(d Σ dᵀ), d the changes of lnkH
    for a unit shift of each of ξ, a and b (exact: lnkH is affine in them at
    a fixed state of water), from plain calculations."""
    rec = cat[gas]
    p0 = np.array([rec.xi, rec.a, rec.b])
    base = aqvis.calculate(gas, T, 0, catalogue=cat)["lnkH"]
    d = np.stack([aqvis.calculate(gas, T, 0, catalogue=cat, xi=p[0], a=p[1], b=p[2])["lnkH"] - base
                  for p in p0 + np.eye(3)], axis=1)
    return np.sqrt(np.einsum("ni,ij,nj->n", d, cat.covariance(gas), d))


def measure(aqvis):
    """Per gas: data range, deviations of both parameter sets in and beyond
    the data, the refit's u(lnkH), its parameters and standard errors."""
    table, in_range = read_points(TABLE), read_points(IN_RANGE)
    cat = aqvis.load_catalogue(str(REFIT))
    built_in = {s.formula: s for s in aqvis.solutes()}
    out = {}
    for gas in GASES:
        Tin, vin = in_range[gas]
        lo, hi = Tin[0], Tin[-1]
        # The curve of the figure: the 5 degC table and the points above 350 degC.
        Tall = np.concatenate([table[gas][0], Tin[Tin > table[gas][0][-1]]])
        vall = np.concatenate([table[gas][1], vin[Tin > table[gas][0][-1]]])
        refit = aqvis.calculate(gas, Tall, 0, catalogue=cat)["lnkH"] - vall
        own = aqvis.calculate(gas, Tall, 0)["lnkH"] - vall
        dev_in = aqvis.calculate(gas, Tin, 0, catalogue=cat)["lnkH"] - vin
        own_in = aqvis.calculate(gas, Tin, 0)["lnkH"] - vin
        u_in = shifted_uncertainty(aqvis, cat, gas, Tin)
        cov = cat.covariance(gas)
        out[gas] = {
            "range": (lo, hi), "n": len(Tin), "T": Tall, "refit": refit, "own": own,
            "u": shifted_uncertainty(aqvis, cat, gas, Tall), "dev_in": dev_in, "u_in": u_in,
            "rms_own": np.sqrt(np.mean(own_in ** 2)), "rms": np.sqrt(np.mean(dev_in ** 2)),
            "largest": np.abs(dev_in).max(),
            "within1": np.mean(np.abs(dev_in) <= u_in), "within2": np.mean(np.abs(dev_in) <= 2 * u_in),
            # Neighbouring residuals alike: a deviation of the model's form, not noise.
            "lag1": np.corrcoef(dev_in[:-1], dev_in[1:])[0, 1],
            "params": (cat[gas].xi, cat[gas].a, cat[gas].b), "stderr": np.sqrt(np.diag(cov)),
            "corr_ab": cov[1, 2] / np.sqrt(cov[1, 1] * cov[2, 2]),
            "own_params": (built_in[gas].xi, built_in[gas].a, built_in[gas].b),
        }
    return out


def figure(m):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, axes = plt.subplots(3, 3, figsize=(11, 9))
    right = 370.0
    for gas, ax in zip(GASES, axes.flat):
        g = m[gas]
        lo, hi = g["range"]
        T = g["T"]
        ax.axvspan(0, lo, color="0.88", zorder=0, lw=0)
        ax.axvspan(hi, right, color="0.88", zorder=0, lw=0, label="guideline extrapolated")
        ax.fill_between(T, g["refit"] - g["u"], g["refit"] + g["u"], color="C0", alpha=0.3, lw=0,
                        label="refitted ± u(lnkH)")
        ax.plot(T, g["own"], "--", color="C1", label="built-in")
        ax.plot(T, g["refit"], "-", color="C0", label="refitted")
        ax.axhline(0, color="0.4", lw=0.8)
        ax.set_xlim(0, right)
        # The scale of the refit's deviations within the data; the built-in
        # curve may leave it (its RMS is in the table).
        inside = (T >= lo) & (T <= hi)
        span = 1.4 * max(np.abs(g["refit"][inside] + g["u"][inside]).max(),
                         np.abs(g["refit"][inside] - g["u"][inside]).max(), 0.02)
        ax.set_ylim(-span, span)
        ax.set_title(f"{gas} (data {lo:g}–{hi:g} °C)", fontsize=10)
    for ax in axes[-1]:
        ax.set_xlabel("t / °C (saturation curve)")
    for ax in axes[:, 0]:
        ax.set_ylabel("lnkH(model) − lnkH(guideline)")
    axes[0, 0].legend(fontsize=7, loc="lower left")
    fig.suptitle("lnkH against IAPWS G7-04; grey: outside the guideline's data for the gas\n"
                 "(scaled to the refit within the data: a built-in curve may leave the panel)")
    fig.tight_layout()
    fig.savefig(FIGURES / "henry-deviation.png", dpi=90)


def section(m):
    """The lines of the section."""
    lines = [
        "## Henry constants against the IAPWS guideline",
        "",
        "lnkH (kH in bar) of the nine gases that both this program and the IAPWS guideline",
        "G7-04 (*Guideline on the Henry's Constant and Vapor-Liquid Distribution Constant for",
        "Gases in H2O and D2O at High Temperatures*) cover, along the saturation curve. Each",
        "gas's guideline equation rests on measurements over a range of temperature of its own",
        "(G7-04, Table 2); beyond it the guideline is extrapolated, and nothing there is a",
        "measure of this program. Every figure below is therefore taken only within the data",
        "range of the gas, at both ends and every 5 °C between",
        "([validation/henry_guideline_in_range.csv](validation/henry_guideline_in_range.csv),",
        "the guideline as Debian's python3-iapws evaluates it, made by `scripts/henry_guideline.py`).",
        "",
        "*Built-in* uses the parameters of the catalogue; *refitted* those of",
        "[data/guideline_refit.csv](../data/guideline_refit.csv) (`--catalogue guideline_refit`,",
        "`aqvis.load_catalogue(\"guideline_refit\")`), fitted to exactly these points by",
        "`scripts/guideline_refit.py`, with unit weights and the covariance from the scatter (the",
        "guideline states no numerical uncertainty of ln kH per gas). RMS and the largest",
        "deviation are of lnkH(model) − lnkH(guideline); ± are standard errors.",
        "",
        "| gas | data, °C | n | built-in RMS | refitted ξ | a | b | RMS | largest | within ±u | within ±2u |",
        "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|",
    ]
    for gas in GASES:
        g = m[gas]
        (xi, a, b), (sxi, sa, sb) = g["params"], g["stderr"]
        lo, hi = g["range"]
        lines.append(
            f"| {gas} | {lo:g}–{hi:g} | {g['n']} | {g['rms_own']:.3f} | {xi:.4f} ± {sxi:.4f} "
            f"| {a:.3f} ± {sa:.3f} | {b:.3f} ± {sb:.3f} | {g['rms']:.4f} | {g['largest']:.4f} "
            f"| {100 * g['within1']:.0f} % | {100 * g['within2']:.0f} % |")
    corr = [m[g]["corr_ab"] for g in GASES]
    lag1 = [m[g]["lag1"] for g in GASES]
    u_in = np.concatenate([m[g]["u_in"] for g in GASES])
    dev = np.concatenate([m[g]["dev_in"] for g in GASES])
    lines += [
        "",
        "u is the standard uncertainty of lnkH propagated from the refit's covariance",
        "(√(JΣJᵀ), J the change of lnkH per unit of ξ, a and b). It is small, median",
        f"{np.median(u_in):.4f} against a median |deviation| of {np.median(np.abs(dev)):.4f}, and",
        f"covers {100 * np.mean(np.abs(dev) <= u_in):.0f} % of the points (±2u:",
        f"{100 * np.mean(np.abs(dev) <= 2 * u_in):.0f} %) where a normal scatter would give 68 % (95 %):",
        "the residuals are not noise but the form of the model set against the guideline's",
        "equation, one long wave along the curve (the correlation of neighbouring residuals is",
        f"{min(lag1):.2f} to {max(lag1):.2f}). The standard errors say how closely this one curve",
        "pins the three parameters; how far the model may lie from the guideline is the RMS and",
        f"the largest deviation. a and b are correlated {min(corr):.4f} to {max(corr):.4f} (the design",
        "of lnkH along one curve of states makes the two nearly interchangeable), so their",
        "standard errors are wide while the curve they give is known much more closely; drawn",
        "independently they would give a spread of lnkH far too wide, `aqvis.sample` draws them",
        "together.",
        "",
        "![lnkH deviations from the guideline](validation/henry-deviation.png)",
        "",
    ]
    return lines
