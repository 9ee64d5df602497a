#!/usr/bin/python3
"""Writes data/guideline_refit.csv: xi, a and b of the nine gases of the
IAPWS Henry-constant guideline G7-04 that this program has, refitted to the
guideline's lnkH along the saturation curve within the temperatures of each
gas's own data (docs/validation/henry_guideline_in_range.csv, written by
scripts/henry_guideline.py), with their covariance.  Development time only;
needs a build of the Python module:

    /usr/bin/python3 scripts/guideline_refit.py [BUILD_DIR]
"""
import pathlib
import sys

import numpy as np

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from henry_validation import IN_RANGE, read_points  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
OUT = ROOT / "data" / "guideline_refit.csv"
GASES = ["H2", "N2", "O2", "CO2", "Ar", "Ne", "CH4", "H2S", "C2H6"]
# S0gas of Ne, cal/(mol K): the CODATA key value for Ne(g) at 298.15 K and
# 1 bar, 146.328 J/(mol K) (CODATA Key Values for Thermodynamics, 1989),
# divided by 4.184 J/cal; the built-in catalogue holds 39.974.
NE_S0GAS = 34.973
HEADER = """\
# xi, a and b of nine gases refitted to the Henry constants of the IAPWS
# guideline G7-04 (Guideline on the Henry's Constant and Vapor-Liquid
# Distribution Constant for Gases in H2O and D2O at High Temperatures):
# lnkH (kH in bar) along the saturation curve of water, each gas only within
# the temperatures of the data the guideline's equation for it rests on
# (G7-04, Table 2, Tmin and Tmax of each solute in H2O), at both ends and
# every 5 degC between (docs/validation/henry_guideline_in_range.csv, the
# guideline as python3-iapws evaluates it).  Made by
# scripts/guideline_refit.py with aqvis.fit (as aqvis-cli fit).
# Ideal-gas data: those of the built-in catalogue, but for Ne's S0gas: 34.973
# cal/(mol K), the CODATA key value 146.328 J/(mol K) (CODATA Key Values for
# Thermodynamics, 1989) divided by 4.184, in place of the built-in 39.974.
# Covariance of xi, a and b: the guideline gives no numerical uncertainty of
# ln kH per gas, so each is from the scatter: unit weights, the covariance
# scaled by chi2/dof.  The residuals are systematic (the form of the model,
# not noise), so the standard errors say how closely the curve pins the three
# parameters, not how far the model may be from the guideline: the RMS of
# each gas is in its note, the measured comparison in docs/validation.md.
"""


def number(x):
    """The shortest text that reads back as the double `x` ("0", "-9.5")."""
    text = repr(float(x))
    return text[:-2] if text.endswith(".0") else text


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build").resolve()
    sys.path.insert(0, str(build / "python"))
    import aqvis

    built_in = {s.formula: s for s in aqvis.solutes()}
    lines = [HEADER + "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5,"
             "var_xi,var_a,var_b,cov_xi_a,cov_xi_b,cov_a_b"]
    for gas, (T, value) in read_points(IN_RANGE).items():
        assert gas in GASES
        f = aqvis.fit(gas, T, 0, "lnkH", value)
        assert f["covariance_from"] == "scatter" and f["failed"] == 0
        c = f["covariance"]
        s = built_in[gas]
        s0 = NE_S0GAS if gas == "Ne" else s.S0gas
        numbers = [f["xi"], f["a"], f["b"], s.G0gas, s0, s.agas, s.bgasE3, s.cgasEmin5,
                   c[0][0], c[1][1], c[2][2], c[0][1], c[0][2], c[1][2]]
        residual = f["rows"]["residual"]
        lines.append(f"# {gas}: data {T[0]:.2f}-{T[-1]:.2f} degC, {len(T)} points, RMS of lnkH "
                     f"{f['rms']['lnkH']:.4f}, largest deviation {np.abs(residual).max():.4f}")
        lines.append(",".join([gas] + [number(x) for x in numbers]))
    OUT.write_text("\n".join(lines) + "\n")
    back = aqvis.load_catalogue(str(OUT))
    for gas in GASES:
        assert back[gas].S0gas == (NE_S0GAS if gas == "Ne" else built_in[gas].S0gas)


if __name__ == "__main__":
    main()
