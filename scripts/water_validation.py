"""The water model of aqvis against IAPWS-95 and against its own derivatives:
the section "Water against IAPWS-95" of docs/validation.md, its figure, and
the figures docs/model.md quotes.  Called by scripts/validation_page.py;
needs python3-iapws (IAPWS-95 as the reference) and a build of the Python
module.

    /usr/bin/python3 scripts/water_validation.py [BUILD_DIR]

prints the section on its own.
"""
import math
import pathlib
import sys
import warnings

import numpy as np

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIGURES = ROOT / "docs" / "validation"

CAL_CM3_BAR = 41.84    # cm³·bar in one calorie (thermochemical), as the model uses
J_PER_CAL = 4.184      # J in one calorie (thermochemical)
M_IAPWS = 18.015268    # g/mol, molar mass of water in IAPWS-95
# Liquid and supercritical states of the consistency grid (inside 0–500 °C,
# 1–2000 bar); a pressure below the saturation pressure at T is left out.
GRID_T = np.arange(0.0, 501.0, 10.0)
GRID_P = np.array([1.0, 10, 50, 100, 250, 500, 1000, 1500, 2000])
DP = 0.01     # half step of the central difference in pressure, relative to P
DT = 0.1      # K: half step of the central difference in temperature
# States of the table of single values (°C, bar; 0 = saturation pressure).
STATES = [(0.01, 1), (25, 1), (25, 0), (50, 1), (100, 10), (200, 100), (300, 250), (350, 500),
          (400, 500), (500, 1000), (25, 2000)]


def _iapws(tk, p_bar=None):
    """IAPWS-95 at tk (K) and p_bar, or its saturated liquid when p_bar is None."""
    from iapws import IAPWS95
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        if p_bar is None:
            return IAPWS95(T=tk, x=0)
        return IAPWS95(T=tk, P=p_bar / 10)


def _calc(aqvis, t, p):
    """aqvis.calculate over arrays, failures left as NaN (the solute does not
    matter: every water member is the same for every solute)."""
    return aqvis.calculate("N2", np.asarray(t, float), np.asarray(p, float))


def critical_point(aqvis):
    """(t_c in °C, P_c in bar) of the model: the highest temperature at which
    0 bar (the saturation pressure) is computed, found by bisection, and the
    saturation pressure there."""
    lo, hi = 373.0, 375.0
    for _ in range(60):
        mid = 0.5 * (lo + hi)
        if _calc(aqvis, [mid], 0)["kind"][0] == "":
            lo = mid
        else:
            hi = mid
    return lo, float(_calc(aqvis, [lo], 0)["Psat"][0])


def saturation(aqvis):
    """Temperatures (°C), relative deviation of Psat in % and ln f difference
    at saturation, model − IAPWS-95, from 0.01 °C to just below the model's
    critical temperature."""
    t = np.concatenate([[0.02], np.arange(1.0, 373.0, 1.0), np.arange(373.0, 373.91, 0.1)])
    r = _calc(aqvis, t, 0)
    dev = np.empty_like(t)
    dlnf = np.empty_like(t)
    for i, tc in enumerate(t):
        ref = _iapws(tc + 273.15)
        dev[i] = 100 * (r["Psat"][i] / (ref.P * 10) - 1)
        dlnf[i] = r["lnfH2O"][i] - math.log(ref.f * 10)
    return t, dev, dlnf


def fugacity_at(aqvis, tc, p):
    """ln f (f in bar) of the model and of IAPWS-95 at (tc °C, p bar)."""
    r = _calc(aqvis, [tc], p)
    ref = _iapws(tc + 273.15, p)
    return float(r["lnfH2O"][0]), math.log(ref.f * 10)


def consistency(aqvis):
    """The model's V against ∂G/∂P and Cp against ∂H/∂T (central differences
    of its own G and H) over the grid: relative deviations in % as 2-D arrays
    (pressure × temperature, NaN where not computed or not liquid/fluid)."""
    T, P = GRID_T[None, :], GRID_P[:, None]
    dp = DP * P
    mid = _calc(aqvis, T, P)
    up_p, down_p = _calc(aqvis, T, P + dp), _calc(aqvis, T, P - dp)
    up_t, down_t = _calc(aqvis, T + DT, P), _calc(aqvis, T - DT, P)
    dG_dP = (up_p["GH2O"] - down_p["GH2O"]) / (2 * dp) * CAL_CM3_BAR
    dH_dT = (up_t["HH2O"] - down_t["HH2O"]) / (2 * DT)
    # Every state of the difference must be the pressure asked for (none raised
    # to the saturation pressure) and computed.
    ok = np.ones(mid["GH2O"].shape, dtype=bool)
    for r, p in ((mid, P), (up_p, P + dp), (down_p, P - dp), (up_t, P), (down_t, P)):
        ok &= (r["kind"] == "") & (r["Pbar"] == np.broadcast_to(p, ok.shape))
    with np.errstate(divide="ignore", invalid="ignore"):  # left-out states
        v_dev = np.where(ok, 100 * (mid["VH2O"] / dG_dP - 1), np.nan)
        cp_dev = np.where(ok, 100 * (mid["CpH2O"] / dH_dT - 1), np.nan)
    return v_dev, cp_dev


def state_table(aqvis):
    """Rows of the single-value table: the model against IAPWS-95."""
    rows = []
    for tc, p in STATES:
        r = _calc(aqvis, [tc], p)
        p_used = float(r["Pbar"][0])
        ref = _iapws(tc + 273.15, None if p == 0 else p)
        rho, alpha, kappa = (float(r[k][0]) for k in ("dH2O", "ddH2OdTK", "ddH2OdPbar"))
        alpha, kappa = -alpha / rho, kappa / rho
        cp_ref = ref.cp * M_IAPWS / J_PER_CAL
        rows.append(
            f"| {tc:g} | {'0 (' + format(p_used, '.5g') + ')' if p == 0 else format(p, 'g')} "
            f"| {100 * (rho * 1000 / ref.rho - 1):+.3f} "
            f"| {alpha:.4e} | {ref.alfav:.4e} | {kappa:.4e} | {ref.kappa / 10:.4e} "
            f"| {float(r['CpH2O'][0]):.3f} | {cp_ref:.3f} "
            f"| {float(r['lnfH2O'][0]) - math.log(ref.f * 10):+.4f} |")
    return rows


def _figure(sat, v_dev, cp_dev):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    t, dev, dlnf = sat
    fig, axes = plt.subplots(2, 2, figsize=(11, 8))
    axes[0, 0].plot(t, dev)
    axes[0, 0].set_ylabel("100 (Psat − Psat(IAPWS-95)) / Psat(IAPWS-95)  [%]")
    axes[0, 1].plot(t, dlnf)
    axes[0, 1].set_ylabel("ln f(model) − ln f(IAPWS-95), saturated liquid")
    for ax, dev2, label in ((axes[1, 0], v_dev, "100 (V / (∂G/∂P) − 1)  [%]"),
                            (axes[1, 1], cp_dev, "100 (Cp / (∂H/∂T) − 1)  [%]")):
        for i, p in enumerate(GRID_P):
            ax.plot(GRID_T, dev2[i], ".-", ms=3, lw=0.8, label=f"{p:g} bar")
        ax.set_ylabel(label)
        ax.axhline(0, color="0.5", lw=0.8)
    axes[1, 1].legend(fontsize=7, ncol=2)
    for ax in axes.flat:
        ax.set_xlabel("t / °C")
    fig.suptitle("Water model: saturation against IAPWS-95; V and Cp against its own G and H")
    fig.tight_layout()
    fig.savefig(FIGURES / "water-deviation.png", dpi=90)


def _worst(dev, columns=slice(None)):
    """(signed largest deviation, t, P) of a pressure × temperature array,
    over the temperature columns given."""
    part = dev[:, columns]
    i, j = np.unravel_index(np.nanargmax(np.abs(part)), part.shape)
    return part[i, j], GRID_T[columns][j], GRID_P[i]


def _largest(values, where):
    """(signed largest of values[where], its index in values)."""
    k = np.flatnonzero(where)[np.nanargmax(np.abs(values[where]))]
    return values[k], k


def measure(aqvis, figure=True):
    """Every figure of the section, as a dict (and the figure file)."""
    from iapws import IAPWS95

    m = {}
    m["tc"], m["pc"] = critical_point(aqvis)
    m["tc_ref"], m["pc_ref"] = IAPWS95.Tc - 273.15, IAPWS95.Pc * 10
    sat = saturation(aqvis)
    t, dev, dlnf = sat
    liquid = t <= 350
    m["psat_low"], k = _largest(dev, liquid)
    m["psat_low_t"] = t[k]
    m["psat_high"], k = _largest(dev, ~liquid)
    m["psat_high_t"] = t[k]
    m["lnf_sat_min"], m["lnf_sat_max"] = np.nanmin(dlnf[liquid]), np.nanmax(dlnf[liquid])
    m["lnf"], m["lnf_ref"] = fugacity_at(aqvis, 25, 1)
    v_dev, cp_dev = consistency(aqvis)
    if figure:
        _figure(sat, v_dev, cp_dev)
    cold = GRID_T <= 350
    m["v_liq"] = _worst(v_dev, cold)
    m["v_hot"] = _worst(v_dev, ~cold)
    m["v_median"] = np.nanmedian(np.abs(v_dev))
    m["cp_max"] = _worst(cp_dev)
    m["cp_min"] = np.nanmin(cp_dev)
    m["states"] = state_table(aqvis)
    return m


def section(m):
    """The section of docs/validation.md."""
    v_liq, v_liq_t, v_liq_p = m["v_liq"]
    v_hot, v_hot_t, v_hot_p = m["v_hot"]
    cp_max, cp_t, cp_p = m["cp_max"]
    lines = [
        "## Water against IAPWS-95",
        "",
        "The water of this program (its Helmholtz function, the saturation-pressure",
        "equation and the ideal-gas water vapour behind ln f) against IAPWS-95 as",
        "python3-iapws evaluates it, made by `scripts/water_validation.py`. The",
        "solute's lnkH, GTaqua and the rest are built on these values.",
        "",
        "### Fugacity, saturation pressure, critical point",
        "",
        f"- ln f of water (f in bar) at 25 °C and 1 bar: {m['lnf']:.4f} against "
        f"{m['lnf_ref']:.4f} (difference {m['lnf'] - m['lnf_ref']:+.4f}); along the",
        f"  saturation curve the difference runs from {m['lnf_sat_min']:+.4f} to "
        f"{m['lnf_sat_max']:+.4f} up to 350 °C.",
        f"- saturation pressure: within {abs(m['psat_low']):.3f} % of IAPWS-95 from 0.02 to "
        f"350 °C ({m['psat_low']:+.3f} % at {m['psat_low_t']:g} °C);",
        f"  above 350 °C up to {m['psat_high']:+.3f} % (at {m['psat_high_t']:g} °C).",
        f"- critical point: the model computes the saturation pressure up to {m['tc']:.3f} °C,",
        f"  where it is {m['pc']:.2f} bar; IAPWS-95 has {m['tc_ref']:.3f} °C and "
        f"{m['pc_ref']:.2f} bar. Between the two temperatures 0 bar",
        "  (the saturation pressure) fails in this program although IAPWS-95 still has a liquid.",
        "",
        "### Volume and heat capacity against the model's own G and H",
        "",
        "V against ∂G/∂P (at constant T, times 41.84 cm³·bar/cal) and Cp against ∂H/∂T (at",
        f"constant P), by central differences of ±{100 * DP:g} % of P and ±{DT:g} K, over 0–500 °C",
        f"every 10 °C and {len(GRID_P)} pressures from 1 to 2000 bar (a state below the "
        "saturation pressure left out).",
        "H and G are formed from the Helmholtz values of the density solved at T + 0.5 K",
        "(the second temperature derivative of the density needs that solution), which",
        "puts H and S of liquid water at 298.15 K and 1 bar on their standard values; the",
        "price is that V and Cp are not exactly the derivatives of G and H:",
        "",
        f"- V: within {abs(v_liq):.2f} % of ∂G/∂P up to 350 °C ({v_liq:+.3f} % at {v_liq_t:g} °C "
        f"and {v_liq_p:g} bar);",
        f"  above 350 °C up to {v_hot:+.2f} % near the critical point ({v_hot_t:g} °C, "
        f"{v_hot_p:g} bar); median {m['v_median']:.3f} %.",
        f"- Cp: {m['cp_min']:+.2f} to {cp_max:+.2f} % from ∂H/∂T over the grid "
        f"(largest at {cp_t:g} °C and {cp_p:g} bar).",
        "",
        "![water deviations](validation/water-deviation.png)",
        "",
        "### Single states",
        "",
        "Density as the deviation from IAPWS-95; α_V = −(∂ρ/∂T)_P/ρ and κ_T = (∂ρ/∂P)_T/ρ;",
        f"Cp of IAPWS-95 per mole with M = {M_IAPWS} g/mol and 4.184 J/cal; ln f difference",
        "model − IAPWS-95. P = 0 is the saturation pressure (the model's value in brackets),",
        "compared with the saturated liquid of IAPWS-95.",
        "",
        "| t, °C | P, bar | ρ dev., % | α_V, 1/K | IAPWS-95 | κ_T, 1/bar | IAPWS-95 "
        "| Cp, cal/(mol·K) | IAPWS-95 | Δ ln f |",
        "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|",
    ]
    return lines + m["states"] + [""]


def model_summary(m):
    """The list of measured figures that docs/model.md quotes."""
    v_liq = m["v_liq"][0]
    v_hot, v_hot_t, v_hot_p = m["v_hot"]
    return [
        f"- ln f of water at 25 °C and 1 bar is {m['lnf'] - m['lnf_ref']:+.3f} from IAPWS-95 "
        f"({m['lnf']:.4f} against {m['lnf_ref']:.4f}); along the saturation curve "
        f"{m['lnf_sat_min']:+.3f} to {m['lnf_sat_max']:+.3f} up to 350 °C. lnkH and GTaqua "
        "carry (1 − ξ) times this difference.",
        f"- The saturation pressure is within {abs(m['psat_low']):.2f} % of IAPWS-95 up to "
        f"350 °C (largest near 0 °C) and within {abs(m['psat_high']):.2f} % above.",
        f"- The critical point is {m['tc']:.3f} °C and {m['pc']:.2f} bar against "
        f"{m['tc_ref']:.3f} °C and {m['pc_ref']:.2f} bar; from {m['tc']:.3f} °C on, 0 bar "
        "(the saturation pressure) has no meaning and a pressure must be given.",
        f"- V of water is within {abs(v_liq):.2f} % of the pressure derivative of the model's "
        f"own G up to 350 °C (up to {abs(v_hot):.1f} % near the critical point, "
        f"{v_hot_t:g} °C and {v_hot_p:g} bar), and Cp {m['cp_min']:.2f}–{m['cp_max'][0]:.2f} % "
        "above the temperature derivative of its own H: H, S and G are formed from the "
        "Helmholtz values of the density solved at T + 0.5 K (see Water above).",
    ]


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build").resolve()
    sys.path.insert(0, str(build / "python"))
    import aqvis

    m = measure(aqvis, figure=False)
    print("\n".join(section(m) + model_summary(m)))


if __name__ == "__main__":
    main()
