"""Aqvis: standard thermodynamic properties of one neutral solute in water at
infinite dilution (Henry constant, distribution constant, Gibbs energy,
entropy, partial molar volume and heat capacity) and of pure water.

Temperatures are in °C, pressures in bar and energies in cal unless T_unit=,
P_unit= or E_unit= say otherwise; a pressure of 0 means the saturation
pressure below the critical temperature of water.  The model is meant for 0
to 500 °C and 1 to 2000 bar: points outside are computed, with one
RangeWarning per call and False in the result's in_range.  docs/model.md
writes the model down.

    calculate(solute, T, P, *, xi, a, b, threads)   dict of numpy arrays
    frame(solute, T, P, ...)                        pandas DataFrame
    water(T, P, ...)                                water alone: dict of numpy arrays
    solutes()                                       the built-in solutes
    load_catalogue(path)                            built-in solutes plus a file's (or "guideline_refit")
    sample(solute, n, seed, catalogue)              ξ, a, b drawn from a fit's covariance
    fit(solute, T, P, property, value, ...)         ξ, a, b fitted to measurements
    solubility(solute, T, P, *, kij, catalogue)     gas dissolved in water, water in the gas
    bubble_pressure(solute, T, molality, ...)       pressure saturating a given molality
    members()                                       output names, units, meanings
    dask.calculate(solute, T, P, ...)               dict of dask arrays
    CalculationError                                a single state that failed
    RangeWarning                                    points outside the model's range
    FitError                                        a fit that cannot be done
"""

import importlib

from ._core import __version__
from ._calculate import CalculationError, RangeWarning, calculate, frame, water
from ._catalogue import Catalogue, Member, Solute, load_catalogue, members, solutes
from ._fit import FitError, fit
from ._sample import sample
from ._solubility import bubble_pressure, solubility

__all__ = ["__version__", "calculate", "frame", "water", "solutes", "members", "load_catalogue", "fit",
           "CalculationError", "RangeWarning", "FitError", "Catalogue", "Solute", "Member", "dask", "solubility",
           "bubble_pressure", "sample"]


def __getattr__(name):
    # aqvis.dask is imported on first use, so `import aqvis` needs no dask.
    if name == "dask":
        return importlib.import_module(".dask", __name__)
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")
