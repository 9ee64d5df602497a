"""Aqvis: standard thermodynamic properties of one neutral solute in water at
infinite dilution (Henry constant, distribution constant, Gibbs energy,
entropy, partial molar volume and heat capacity) and of pure water.

Temperatures are in °C and pressures in bar; a pressure of 0 means the
saturation pressure below the critical temperature of water.

    calculate(solute, T, P, *, xi, a, b, threads)   dict of numpy arrays
    frame(solute, T, P, ...)                        pandas DataFrame
    solutes()                                       the built-in solutes
    load_catalogue(path)                            built-in solutes plus a file's
    fit(solute, T, P, property, value, ...)         ξ, a, b fitted to measurements
    solubility(solute, T, P, *, kij, catalogue)     gas dissolved in water, water in the gas
    bubble_pressure(solute, T, molality, ...)       pressure saturating a given molality
    members()                                       output names, units, meanings
    dask.calculate(solute, T, P, ...)               dict of dask arrays
    CalculationError                                a single state that failed
    FitError                                        a fit that cannot be done
"""

import importlib

from ._core import __version__
from ._calculate import CalculationError, calculate, frame
from ._catalogue import Catalogue, Member, Solute, load_catalogue, members, solutes
from ._fit import FitError, fit
from ._solubility import bubble_pressure, solubility

__all__ = ["__version__", "calculate", "frame", "solutes", "members", "load_catalogue", "fit", "CalculationError",
           "FitError", "Catalogue", "Solute", "Member", "dask", "solubility", "bubble_pressure"]


def __getattr__(name):
    # aqvis.dask is imported on first use, so `import aqvis` needs no dask.
    if name == "dask":
        return importlib.import_module(".dask", __name__)
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")
