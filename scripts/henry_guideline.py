#!/usr/bin/python3
"""Writes docs/validation/henry_guideline.csv: lnkH of nine gases along the
saturation curve of water, 0-350 degC every 5 degC, from the IAPWS guideline
G7-04 (Henry's constant of gases in H2O at high temperatures) as Debian's
python3-iapws implements it.  Run at development time only:

    /usr/bin/python3 scripts/henry_guideline.py

The tests and the validation page read the CSV; they need no extra package.
"""
import math
import pathlib
import warnings

import iapws
from iapws._iapws import _Henry

GASES = ["H2", "N2", "O2", "CO2", "Ar", "Ne", "CH4", "H2S", "C2H6"]
OUT = pathlib.Path(__file__).resolve().parent.parent / "docs" / "validation" / "henry_guideline.csv"


def main():
    lines = [
        "# lnkH (kH in bar) of gases in water along the saturation curve (press 0).",
        "# Source: IAPWS G7-04, Guideline on the Henry's Constant and Vapor-Liquid",
        "# Distribution Constant for Gases in H2O and D2O at High Temperatures,",
        f"# evaluated with python3-iapws {iapws.__version__} (_Henry, kH in MPa, times 10 for bar)",
        "# by scripts/henry_guideline.py.  Points outside a gas's range of validity",
        "# in the guideline are the guideline's equation extrapolated.",
        "solute,temp,press,property,value",
    ]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # extrapolation outside the fitted range
        for gas in GASES:
            for t in range(0, 351, 5):
                kh_bar = _Henry(t + 273.15, gas) * 10.0
                lines.append(f"{gas},{t},0,lnkH,{math.log(kh_bar)!r}")
    OUT.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
