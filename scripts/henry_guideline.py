#!/usr/bin/python3
"""Writes lnkH of nine gases along the saturation curve of water from the
IAPWS guideline G7-04 (Henry's constant of gases in H2O at high
temperatures) as Debian's python3-iapws implements it:

- docs/validation/henry_guideline.csv: 0-350 degC every 5 degC, the
  guideline's equation extrapolated outside each gas's data;
- docs/validation/henry_guideline_in_range.csv: only within the temperatures
  of the data each gas's equation rests on, every 5 degC and both ends (the
  points data/guideline_refit.csv is fitted to).

Run at development time only:

    /usr/bin/python3 scripts/henry_guideline.py

The tests and the validation page read the CSV files; they need no extra
package.
"""
import math
import pathlib
import warnings

import iapws
from iapws._iapws import _Henry

GASES = ["H2", "N2", "O2", "CO2", "Ar", "Ne", "CH4", "H2S", "C2H6"]
FOLDER = pathlib.Path(__file__).resolve().parent.parent / "docs" / "validation"
OUT = FOLDER / "henry_guideline.csv"
IN_RANGE = FOLDER / "henry_guideline_in_range.csv"
# Lowest and highest temperature (K) of the data each gas's equation was
# fitted to: IAPWS G7-04, Table 2 (columns Tmin and Tmax next to the
# parameters A, B and C of each solute in H2O); python3-iapws holds the same
# numbers as the limits of _Henry, beyond which it warns.
DATA_RANGE_K = {"H2": (273.15, 636.09), "N2": (278.12, 636.46), "O2": (274.15, 616.52),
                "CO2": (274.19, 642.66), "Ar": (273.19, 568.36), "Ne": (273.20, 543.36),
                "CH4": (275.46, 633.11), "H2S": (273.15, 533.09), "C2H6": (275.44, 473.46)}
SOURCE = [
    "# Source: IAPWS G7-04, Guideline on the Henry's Constant and Vapor-Liquid",
    "# Distribution Constant for Gases in H2O and D2O at High Temperatures,",
    f"# evaluated with python3-iapws {iapws.__version__} (_Henry, kH in MPa, times 10 for bar)",
]


def data_range_celsius(gas):
    """The temperatures (degC, to 0.01) of the guideline's data for `gas`."""
    return tuple(round(k - 273.15, 2) for k in DATA_RANGE_K[gas])


def in_range_temperatures(gas):
    """Both ends of the gas's data range and every 5 degC between them."""
    lo, hi = data_range_celsius(gas)
    return [lo] + [t for t in range(0, 400, 5) if lo < t < hi] + [hi]


def line(gas, t):
    kh_bar = _Henry(t + 273.15, gas) * 10.0
    return f"{gas},{t},0,lnkH,{math.log(kh_bar)!r}"


def main():
    lines = ["# lnkH (kH in bar) of gases in water along the saturation curve (press 0)."] + SOURCE + [
        "# by scripts/henry_guideline.py.  Points outside a gas's range of validity",
        "# in the guideline are the guideline's equation extrapolated.",
        "solute,temp,press,property,value",
    ]
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # extrapolation outside the fitted range
        for gas in GASES:
            lines += [line(gas, t) for t in range(0, 351, 5)]
    OUT.write_text("\n".join(lines) + "\n")

    lines = ["# lnkH (kH in bar) of gases in water along the saturation curve (press 0),",
             "# only within the temperatures of the data each gas's equation rests on",
             "# (IAPWS G7-04, Table 2, Tmin and Tmax): both ends and every 5 degC between."] + SOURCE + [
        "# by scripts/henry_guideline.py.",
        "solute,temp,press,property,value",
    ]
    for gas in GASES:
        lines += [line(gas, t) for t in in_range_temperatures(gas)]
    IN_RANGE.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
