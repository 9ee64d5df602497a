"""aqvis.solubility and aqvis.bubble_pressure: one solute gas and liquid
water in equilibrium, over numbers or arrays."""

import os

import numpy as np

from . import _core
from ._calculate import CalculationError, _as_float_array, _broadcast_shape, _check_threads, _kind_names, _units
from ._catalogue import Catalogue


def _catalogue_path(catalogue):
    if catalogue is None:
        return None
    if isinstance(catalogue, (str, bytes, os.PathLike)):
        return os.fsdecode(catalogue)
    if isinstance(catalogue, Catalogue):
        if catalogue.path is None:
            raise ValueError("catalogue: a Catalogue read from a file (aqvis.load_catalogue) or a path")
        return catalogue.path
    raise TypeError(f"catalogue must be an aqvis.Catalogue or a path, not {type(catalogue).__name__}")


def _run(solute, T, second, second_name, bubble, kij, catalogue, threads, T_unit, P_unit):
    if not isinstance(solute, str):
        raise TypeError(f"solute must be a formula, not {type(solute).__name__}")
    threads = _check_threads(threads)
    if kij is not None:
        kij = float(kij)
        if not np.isfinite(kij):
            raise ValueError(f"kij must be a finite number, not {kij}")
    arrays = {"T": _as_float_array("T", T), second_name: _as_float_array(second_name, second)}
    shape = _broadcast_shape((name, arr.shape) for name, arr in arrays.items())
    flat = [np.ascontiguousarray(np.broadcast_to(arr, shape)).reshape(-1) for arr in arrays.values()]
    units = _units(T_unit, P_unit, None, T)
    celsius, bar = _core.to_model_units(flat[0], flat[1], units)
    flat = [celsius, flat[1] if bubble else bar]
    values, codes, warnings, messages = _core.solubility(
        solute, _catalogue_path(catalogue), flat[0], flat[1], bubble, kij, threads)
    out = {name: arr.reshape(shape) for name, arr in values.items()}
    codes = codes.reshape(shape)
    out["warning"] = np.array(warnings, dtype=str).reshape(shape)
    out["kind"] = _kind_names(codes)
    if codes.ndim == 0 and codes != 0:
        raise CalculationError(messages[0], str(out["kind"]), float(flat[0][0]),
                               float(out["Pbar"]) if not bubble else float("nan"))
    return out


def solubility(solute, T, P, *, kij=None, catalogue=None, threads=None, T_unit="C", P_unit="bar"):
    """How much of the gas `solute` dissolves in liquid water at T and P, and
    how much water is in the gas.

    Args:
        solute: formula of a solute with critical constants (every built-in
            one but H3BO3 and H3AsO3), or of one in `catalogue`.
        T: temperature in °C (or in `T_unit`, ``"C"`` or ``"K"``).
        P: total pressure in bar (or in `P_unit`: ``"bar"``, ``"MPa"``,
            ``"kPa"``, ``"Pa"``), above the saturation pressure of water.
        kij: solute-water binary parameter of the gas phase; None: the
            catalogue's, or 0.
        catalogue: the path of a catalogue file, or an :class:`aqvis.Catalogue`
            read from one; None: the built-in solutes.
        threads: threads to compute on (1 to 1024); None uses every core.

    T and P broadcast together.  The numbers are those of ``aqvis-cli
    solubility`` to the last bit; the work runs with the GIL released.

    Returns:
        A dict of float64 arrays of the broadcast shape: TC [degC], Pbar
        [bar], x (mole fraction of the solute in the liquid), molality
        [mol/kg], y_water (mole fraction of water in the gas), phi_gas and
        phi_water (fugacity coefficients in the gas), Z_gas, V_gas
        [cm3/mol], lnkH [ln bar]; then ``"warning"`` (empty inside the
        checked range) and ``"kind"`` (empty where computed, else the error
        kind: ``"liquid_boils"``, ``"no_two_phase"``, ...).  A failed point
        keeps T and P and is NaN elsewhere.

    Raises:
        CalculationError: when T and P are single numbers and the point fails.
        ValueError: unknown solute, a solute without critical constants, a
            bad catalogue file, arrays that do not broadcast.
    """
    return _run(solute, T, P, "P", False, kij, catalogue, threads, T_unit, P_unit)


def bubble_pressure(solute, T, molality, *, kij=None, catalogue=None, threads=None, T_unit="C"):
    """The bubble pressure: the total pressure at which liquid water holding
    `molality` mol/kg of `solute` is saturated, with the gas it meets.

    Arguments and results as for :func:`aqvis.solubility`, with molality in
    mol/kg instead of P (and T_unit, no P_unit); ``Pbar`` is the bubble pressure in bar, and ``molality``
    the one the solution at that pressure holds (equal to the one asked for
    within 1e-9 relative).
    """
    return _run(solute, T, molality, "molality", True, kij, catalogue, threads, T_unit, "bar")
