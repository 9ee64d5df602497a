"""The solute's V2, S2 and Cp2 against derivatives of the program's own
lnkH, GTaqua and HTaqua: the section "Thermodynamic consistency of the
solute's properties" of docs/validation.md and its figure.  No published V2
or Cp2 data are in the project, so this checks that the program's numbers
belong to one Gibbs energy, not that they are right.  Called by
scripts/validation_page.py; needs a build of the Python module.
"""
import pathlib

import numpy as np

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIGURES = ROOT / "docs" / "validation"
CAL_CM3_BAR = 41.84  # cm³·bar in one calorie (thermochemical), as the model uses
R_CM3_BAR = 83.14410001672  # cm³·bar/(mol·K), the model's gas constant
SOLUTES = ["N2", "CO2", "CH4", "C2H6", "H2S", "NH3"]
# The states: inside 0–500 °C and 1–2000 bar, those below the saturation
# pressure left out (their pressure would be raised).
GRID_T = np.arange(0.0, 501.0, 10.0)
GRID_P = np.array([1.0, 10, 50, 100, 250, 500, 1000, 1500, 2000])
DP = 0.01  # half step of the central difference in pressure, relative to P
DT = 0.1   # K: half step of the central difference in temperature


def _enthalpy(r):
    """HTaqua = GTaqua + T·S2 (cal/mol), formed here as the model defines it."""
    return r["GTaqua"] + r["TK"] * r["S2"]


def _derivatives(aqvis, solute, dp, dt):
    """The three checks on the grid with half steps dp (relative) and dt (K):
    (value, derivative, water's part) as 2-D arrays, NaN where a state of the
    difference is not computed or not at the pressure asked for.  Water's
    part is (1 − ξ) times the same check on water's own V, S and Cp against
    its G and H, which the solute's properties hold with that weight."""
    T, P = GRID_T[None, :], GRID_P[:, None]
    h = dp * P
    runs = {"mid": (T, P), "up_p": (T, P + h), "down_p": (T, P - h), "up_t": (T + dt, P), "down_t": (T - dt, P)}
    r = {k: aqvis.calculate(solute, t, p) for k, (t, p) in runs.items()}
    ok = np.ones(np.broadcast_shapes(T.shape, P.shape), dtype=bool)
    for k, (t, p) in runs.items():
        ok &= (r[k]["kind"] == "") & (r[k]["Pbar"] == np.broadcast_to(p, ok.shape))
    mid, w = r["mid"], 1 - r["mid"]["Xi"]

    def by_p(member):
        return (r["up_p"][member] - r["down_p"][member]) / (2 * h)

    def by_t(f):
        return (f(r["up_t"]) - f(r["down_t"])) / (2 * dt)

    checks = {
        "V2": (mid["V2"], R_CM3_BAR * mid["TK"] * by_p("lnkH"), w * (mid["VH2O"] - CAL_CM3_BAR * by_p("GH2O"))),
        "S2": (mid["S2"], -by_t(lambda x: x["GTaqua"]), w * (mid["SH2O"] + by_t(lambda x: x["GH2O"]))),
        "Cp2": (mid["Cp2"], by_t(_enthalpy), w * (mid["CpH2O"] - by_t(lambda x: x["HH2O"]))),
    }
    return {k: tuple(np.where(ok, x, np.nan) for x in c) for k, c in checks.items()}


def measure(aqvis):
    """Per check, stacked over the solutes (solute × pressure × temperature):
    the value, its deviation from the derivative, water's part of it, and
    how much the derivative moves when the steps are halved (the resolution
    of the difference)."""
    out = {}
    runs = [(_derivatives(aqvis, s, DP, DT), _derivatives(aqvis, s, DP / 2, DT / 2)) for s in SOLUTES]
    for k in ("V2", "S2", "Cp2"):
        out[k] = {"value": np.stack([f[k][0] for f, _ in runs]),
                  "dev": np.stack([f[k][0] - f[k][1] for f, _ in runs]),
                  "water": np.stack([f[k][2] for f, _ in runs]),
                  "resolution": np.stack([np.abs(f[k][1] - h[k][1]) for f, h in runs])}
    # Cp2 holds ∂²ρ/∂T², which the water model forms as the difference of
    # ∂ρ/∂T over ±0.5 K: against a difference over ±0.01 K at the state where
    # Cp2 departs most.
    i = np.unravel_index(np.nanargmax(np.abs(out["Cp2"]["dev"])), out["Cp2"]["dev"].shape)
    t, p = GRID_T[i[2]], GRID_P[i[1]]
    mid, up, down = (aqvis.calculate("N2", t + d, p) for d in (0.0, 0.01, -0.01))
    out["rho_tt"] = (t, p, float(mid["d2dH2OdTK2"]), float((up["ddH2OdTK"] - down["ddH2OdTK"]) / 0.02))
    return out


UNITS = {"V2": "cm³/mol", "S2": "cal/(mol·K)", "Cp2": "cal/(mol·K)"}
AGAINST = {"V2": "R·T·∂lnkH/∂P", "S2": "−∂GTaqua/∂T", "Cp2": "∂HTaqua/∂T"}
DIFFERENCE = {"V2": "V2 − R·T·∂lnkH/∂P", "S2": "S2 + ∂GTaqua/∂T", "Cp2": "Cp2 − ∂HTaqua/∂T"}


def figure(m):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, axes = plt.subplots(1, 3, figsize=(13, 4.5))
    for ax, k in zip(axes, ("V2", "S2", "Cp2")):
        for i, s in enumerate(SOLUTES):
            dev = m[k]["dev"][i]
            for j in range(len(GRID_P)):
                ax.plot(GRID_T, dev[j], ".", ms=2, color=f"C{i}", label=s if j == 0 else None)
        ax.axhline(0, color="0.5", lw=0.8)
        ax.set_xlabel("t / °C")
        ax.set_ylabel(f"{DIFFERENCE[k]}  [{UNITS[k]}]")
        # The liquid's scale; near the critical point of water the
        # differences leave it (the table gives their size).
        liquid = np.abs(m[k]["dev"][:, :, GRID_T <= 350])
        ax.set_ylim(-2 * np.nanmax(liquid), 2 * np.nanmax(liquid))
    axes[0].legend(fontsize=7, markerscale=4)
    fig.suptitle("The solute's V2, S2 and Cp2 against central differences of its lnkH, GTaqua and HTaqua\n"
                 f"({GRID_P[0]:g}–{GRID_P[-1]:g} bar; points near the critical point of water leave the panel)")
    fig.tight_layout()
    fig.savefig(FIGURES / "consistency-deviation.png", dpi=90)


def _row(m, k, region, sel):
    dev, water, res, value = (m[k][x][:, :, sel] for x in ("dev", "water", "resolution", "value"))
    i = np.unravel_index(np.nanargmax(np.abs(dev)), dev.shape)
    return (f"| {k} | {region} | {np.nanmedian(np.abs(dev)):.3g} | {np.nanmedian(np.abs(dev / value)) * 100:.2g} % "
            f"| {np.nanmedian(np.abs(dev - water)):.2g} | {dev[i]:+.3g} ({abs(dev[i] / value[i]) * 100:.2g} %; "
            f"{SOLUTES[i[0]]}, {GRID_T[sel][i[2]]:g} °C, {GRID_P[i[1]]:g} bar) | {res[i]:.2g} | {water[i]:.2g} "
            f"| {UNITS[k]} |")


def section(m):
    lines = [
        "## Thermodynamic consistency of the solute's properties",
        "",
        "Neither the guideline nor any data set in this project gives V2 or Cp2, so they are",
        "not compared with measurements here. What is measured is whether the program's",
        "numbers belong to one Gibbs energy: V2 against R·T·∂lnkH/∂P, S2 against",
        "−∂GTaqua/∂T and Cp2 against ∂HTaqua/∂T (HTaqua = GTaqua + T·S2), the derivatives as",
        f"central differences of `aqvis.calculate` (half steps {DP:g}·P and {DT:g} K) over",
        f"{len(GRID_T)} temperatures from {GRID_T[0]:g} to {GRID_T[-1]:g} °C and {len(GRID_P)} pressures",
        f"from {GRID_P[0]:g} to {GRID_P[-1]:g} bar, leaving out states below the saturation pressure,",
        f"for {', '.join(SOLUTES)} with their built-in parameters. Each property holds water's V,",
        "S or Cp with the weight 1 − ξ: *water's part* is (1 − ξ) times water's own deviation (V",
        "against ∂G/∂P, S against −∂G/∂T, Cp against ∂H/∂T), and *left* the deviation once it",
        "is taken off. *Resolution* is how much the derivative moves when both steps are",
        "halved (a deviation below it is the difference's own error).",
        "",
        "| property | t | median \\|dev.\\| | median \\|dev.\\|/value | median left | largest deviation "
        "(state) | resolution there | water's part there | unit |",
        "|---|---|---:|---:|---:|---:|---:|---:|---|",
    ]
    liquid = GRID_T <= 350
    for k in ("V2", "S2", "Cp2"):
        lines.append(_row(m, k, "≤ 350 °C", liquid))
        lines.append(_row(m, k, "> 350 °C", ~liquid))
    rest = max(np.nanmedian(np.abs(m[k]["dev"] - m[k]["water"]) / np.abs(m[k]["dev"]))
               for k in ("V2", "S2", "Cp2"))
    t, p, model, fine = m["rho_tt"]
    lines += [
        "",
        "Away from the critical point of water the deviations are water's: what is left once",
        f"water's part is taken off is at most {100 * rest:.2g} % of the deviation (median over the",
        "states of each property); water's V, S and Cp do not quite belong to its own G and H,",
        "and the solute inherits that with the weight 1 − ξ. Near the critical point V2's",
        "central differences are not resolved (the resolution is of the size of the",
        "deviation), while Cp2's are and depart from the model's Cp2 by more than water's part:",
        "Cp2 holds ∂²ρ/∂T², which the water model forms as the difference of ∂ρ/∂T over",
        f"±0.5 K; at {t:g} °C and {p:g} bar it is {100 * (model / fine - 1):+.2g} % off a difference over",
        "±0.01 K.",
        "",
        "![consistency deviations](validation/consistency-deviation.png)",
        "",
    ]
    return lines
