"""aqvis.calculate, aqvis.frame and aqvis.water: one solute, or water alone,
over numbers or arrays."""

import numbers
import warnings

import numpy as np

from . import _core
from ._catalogue import _record

_MEMBERS = tuple(_core.members())
_KIND_IDS = ("",) + tuple(_core.error_kinds())
_INPUTS = ("T", "P", "xi", "a", "b")
_MAX_THREADS = 1024


class _Names:
    """What members= may name for one list of members, "kind" and "in_range"
    last; the core takes indices into it (kind's is one past the members,
    in_range's is the Python side's own)."""

    def __init__(self, members):
        self.names = tuple(m[0] for m in members) + ("kind", "in_range")
        self.index = {name: i for i, name in enumerate(self.names)}
        self.kind = len(members)
        self.in_range = len(members) + 1


_CASE = _Names(_MEMBERS)
_CASE_U = _Names(tuple(_core.members_in("uncertainty")))  # with the u_ members
_WATER = _Names(tuple(_core.members_in("water")))
# Kept under their old names for the modules that use them.
_NAMES, _INDEX, _KIND = _CASE.names, _CASE.index, _CASE.kind


class RangeWarning(UserWarning):
    """Points outside the range the model is meant for (0 to 500 °C, 1 to
    2000 bar), a pressure raised to the saturation pressure, or a number that
    looks like one in another unit ("was it kelvin? use T_unit='K'").  One
    per call, naming how many points lie outside and the first point with
    something to say; the points are computed all the same, and the result's
    ``in_range`` tells which lie inside."""


class CalculationError(Exception):
    """A calculation of one state that failed.

    Attributes:
        kind: the kind of error, e.g. ``"division_by_zero"`` or
            ``"no_convergence"`` (the ids of ``aqvis-cli``'s ``kind``).
        temperature: the temperature asked for, in °C.
        pressure: the pressure asked for, in bar (0 = saturation pressure).
    """

    def __init__(self, message, kind, temperature, pressure):
        super().__init__(message)
        self.kind = kind
        self.temperature = temperature
        self.pressure = pressure

    def __reduce__(self):
        # Pickle (a process pool, a dask worker) and copy rebuild the error
        # from all four arguments, not from the message alone; attributes
        # set later (notes) travel in the state.
        return type(self), (str(self), self.kind, self.temperature, self.pressure), self.__dict__


def _check_threads(threads):
    if threads is None:
        return min(_core.hardware_threads(), _MAX_THREADS)
    if isinstance(threads, (bool, np.bool_)) or not isinstance(threads, numbers.Integral):
        raise TypeError(f"threads must be an integer from 1 to {_MAX_THREADS} or None, "
                        f"not {type(threads).__name__}")
    if not 1 <= int(threads) <= _MAX_THREADS:
        raise ValueError(f"threads must be from 1 to {_MAX_THREADS}, not {threads}")
    return int(threads)


def _check_dtype(name, dtype):
    if dtype.kind not in "iuf":
        raise TypeError(f"{name} must be a number or an array of numbers, not of dtype {dtype}")


def _as_numpy(name, value):
    """`value` as a numpy array.  A pandas array of a nullable numeric dtype
    (Float64, Int64, ...), which numpy would see as objects, is taken as
    float64 when it holds no missing value and refused, naming its dtype,
    otherwise."""
    dtype = getattr(value, "dtype", None)
    if dtype is None or isinstance(dtype, np.dtype) or not hasattr(value, "to_numpy"):
        try:
            return np.asarray(value)
        except (TypeError, ValueError) as e:
            raise TypeError(f"{name} must be a number or an array of numbers ({e})") from None
    if getattr(dtype, "kind", "O") not in "iuf":
        raise TypeError(f"{name} must be a number or an array of numbers, not of dtype {dtype}")
    if np.asarray(value.isna()).any():
        raise ValueError(f"{name} (dtype {dtype}) holds missing values (<NA>); drop or fill them first")
    return value.to_numpy(dtype=np.float64)


def _as_float_array(name, value):
    """`value` as a float64 array; a non-finite single number is refused."""
    arr = _as_numpy(name, value)
    _check_dtype(name, arr.dtype)
    arr = arr.astype(np.float64, copy=False)
    if arr.ndim == 0 and not np.isfinite(arr):
        raise ValueError(f"{name} must be a finite number, not {float(arr)}")
    return arr


def _broadcast_shape(named_shapes):
    """The shape that [(name, shape), ...] broadcast to, or a ValueError that
    names the first argument that does not fit the ones before it."""
    shape = ()
    seen = []
    for name, s in named_shapes:
        try:
            shape = np.broadcast_shapes(shape, s)
        except ValueError:
            before = ", ".join(f"{n} {t}" for n, t in seen)
            raise ValueError(f"{name} of shape {s} does not broadcast with {before}") from None
        seen.append((name, s))
    return shape


def _kind_names(codes):
    """The kind ids for an array of failure codes, as a string array no wider
    than its longest id."""
    counts = np.bincount(codes.reshape(-1), minlength=len(_KIND_IDS))
    width = max([1] + [len(_KIND_IDS[c]) for c in np.flatnonzero(counts)])
    names = np.array(_KIND_IDS, dtype=f"<U{width}")
    return names[codes.reshape(-1)].reshape(codes.shape)


def _selection(members, names=_CASE):
    """The indices into names.names of the members asked for, in their order
    and each once; None for all of them."""
    if members is None:
        return None
    if isinstance(members, (str, bytes)) or not hasattr(members, "__iter__"):
        raise TypeError(f"members must be a list of member names such as ['lnkH'], not {type(members).__name__}")
    picked = []
    for name in members:
        index = names.index.get(name) if isinstance(name, str) else None
        if index is None:
            raise ValueError(f"members: unknown member {name!r}; one of {', '.join(names.names)}")
        if index not in picked:
            picked.append(index)
    return tuple(picked)


def _core_selection(picked, names=_CASE):
    """`picked` as the core takes it: without in_range, which is not its."""
    return None if picked is None else tuple(i for i in picked if i != names.in_range)


def _finish(values, picked, names, codes, in_range):
    """The result dict: "kind" (from `codes`; one computed state has its own
    already) and "in_range" added, in the order asked for."""
    if codes is not None and (picked is None or names.kind in picked):
        values["kind"] = _kind_names(codes)
    if picked is None or names.in_range in picked:
        values["in_range"] = in_range
    if picked is not None:
        values = {names.names[i]: values[names.names[i]] for i in picked}
    return values


def _run(solute, inputs, threads, picked=None, units=None, names=_CASE):
    """Runs the core on {name: float64 array of one shape} (xi, a, b optional)
    and returns (members dict, codes, message, notes): the members of
    `picked` (see _selection), by default all of them, "kind" and
    "in_range"; notes as the core gives them."""
    values, codes, message, in_range, notes = _core.calculate(
        solute, *(inputs.get(n) for n in _INPUTS), threads, _core_selection(picked, names), units)
    return _finish(values, picked, names, codes, in_range), codes, message, notes


def _warn_range(notes, shape, stacklevel=3):
    """One RangeWarning for a call whose points have something said about
    them: how many lie outside the range, and the first such point's text."""
    outside, noted, text, index = notes
    if not noted:
        return
    n = int(np.prod(shape))
    if n == 1:
        message = text
    else:
        where = tuple(int(i) for i in np.unravel_index(index, shape)) if shape else ()
        head = (f"{outside} of {n} points lie outside the model's range (0 to 500 °C, 1 to 2000 bar)"
                if outside else f"{noted} of {n} points have a note")
        message = f"{head}; the first at index {where}: {text}"
    warnings.warn(RangeWarning(message), stacklevel=stacklevel)


def _units(T_unit, P_unit, E_unit, T):
    """The units as the core takes them, checked; a negative T in kelvin is
    refused."""
    units = (T_unit, P_unit, E_unit)
    _core.check_units(units)
    if T_unit == "K":
        t = _as_numpy("T", T)
        if t.dtype.kind in "iuf" and np.any(t < 0):
            first = t.reshape(-1)[np.flatnonzero(t.reshape(-1) < 0)[0]]
            raise ValueError(f"T = {first} K is below absolute zero: with T_unit='K' a temperature is in "
                             "kelvin, 0 or more (T_unit='C', the default, takes °C)")
    return units


def calculate(solute, T, P, *, xi=None, a=None, b=None, threads=None, catalogue=None, members=None,
              T_unit="C", P_unit="bar", E_unit="cal", uncertainty=False):
    """Properties of `solute` in water at infinite dilution, at every point.

    Args:
        solute: formula of a built-in solute, e.g. ``"N2"`` (see
            :func:`aqvis.solutes`), or of one in `catalogue`.
        T: temperature in °C (or in `T_unit`).
        P: pressure in bar (or in `P_unit`); 0 (or anything below the
            saturation pressure) means the saturation pressure, below the
            critical temperature.
        xi: parameter ξ of the solute (dimensionless); None keeps the
            solute's own.
        a: parameter a in cm³/g; None keeps the solute's own.
        b: parameter b in cm³/g; None keeps the solute's own.
        threads: threads to compute on (1 to 1024); None uses every core.
        catalogue: an :class:`aqvis.Catalogue` (see
            :func:`aqvis.load_catalogue`) or the path of a catalogue file,
            whose solutes are added to the built-in ones; None: the
            built-in ones.
        members: names of the members to compute and return, e.g.
            ``["lnkH", "V2"]`` (see :func:`aqvis.members`; ``"kind"`` and
            ``"in_range"`` too); None: all of them, ``"kind"`` and
            ``"in_range"``.  Only these arrays are made, so a large call that
            needs one member takes the memory of one.
        T_unit: ``"C"`` (default) or ``"K"``: the unit of `T`.  The result
            keeps ``TC`` in °C and ``TK`` in K.
        P_unit: ``"bar"`` (default), ``"MPa"``, ``"kPa"`` or ``"Pa"``: the
            unit of `P`.  The result keeps ``Pbar`` and ``Psat`` in bar.
        E_unit: ``"cal"`` (default) or ``"J"``: the unit of every energy,
            entropy and heat capacity in the result (joules are the calorie
            values × 4.184).
        uncertainty: True adds, after K, the standard uncertainties (k=1)
            u_lnkH, u_GTaqua, u_S2, u_V2, u_Cp2, u_HTaqua and u_K, in the
            units of their members (E_unit too).  They are propagated
            exactly from the covariance of the solute's ξ, a and b in
            `catalogue` (every property is affine in them at a fixed state
            of water; u_K = K·u_lnkH), and hold that alone, not the model's
            own error.  The solute needs a covariance (the built-in ones
            have none: ``catalogue="guideline_refit"`` or a file written by
            ``aqvis-cli fit --save``), and xi, a and b stay unset; else
            ValueError.  The numbers are those of ``aqvis-cli calc
            --uncertainty`` to the last bit.

    T, P, xi, a and b are numbers or array-likes that broadcast together, so
    a grid (``T[:, None]``, ``P[None, :]``) or a Monte Carlo sample over ξ,
    a and b is one call.  The work runs in compiled code with the GIL
    released; the numbers are those of ``aqvis-cli`` to the last bit (with
    negative zero as 0, as it writes it).  A call of a few hundred points or
    fewer, and every call with ``threads=1``, runs on the calling thread.
    When T, P, xi, a and b are plain numbers (Python or numpy floats and
    ints), the members are numpy float64 scalars (``float`` subclasses with
    ``shape == ()``) instead of 0-d arrays, ``"kind"`` is numpy's ``""`` and
    ``"in_range"`` a numpy bool: the cheap form for calls in a loop.

    The model is meant for 0 to 500 °C and 1 to 2000 bar (0 bar, the
    saturation pressure, inside).  Points outside are computed all the same;
    a call with any, or with a pressure raised to the saturation pressure,
    or a number that looks like one in another unit, emits one
    :class:`aqvis.RangeWarning` that says how many and names the first.

    Returns:
        A dict from member name to a float64 array of the broadcast shape, in
        the order of ``aqvis-cli batch --json`` (see :func:`aqvis.members`
        for units): Xi [1], Coef1 (a) and Coef2 (b) [cm3/g], TC [degC],
        TK [K], Pbar [bar] (the pressure used: the saturation pressure for
        0), Psat [bar], the properties of water (dH2O [g/cm3], VH2O
        [cm3/mol], CpH2O [cal/(mol K)], ...), of the ideal gases and of the
        aqueous solute: lnkH [ln bar], GTaqua [cal/mol], S2 [cal/(mol K)],
        V2 [cm3/mol], Cp2 [cal/(mol K)], HTaqua [cal/mol] (GTaqua + TK S2),
        and K [mol/(kg bar)].  Then ``"kind"``: a string array, empty where
        the point was computed and holding the error kind where it failed
        (``"division_by_zero"``, ``"no_convergence"``, ...;
        ``"type_mismatch"`` for a NaN or infinite input); a failed point
        keeps its inputs and is NaN elsewhere.  Last ``"in_range"``: a bool
        array, True where the point lies inside the model's range.

    Raises:
        CalculationError: when every input is a single number and the
            calculation fails; its message says why and what to try.
        TypeError: an argument is not numeric (or threads not an integer).
        ValueError: unknown solute, a bad catalogue file, arrays that do not broadcast, a single
            number that is NaN or infinite, threads out of range, a unit not
            in the list, a negative T in kelvin.
    """
    if uncertainty and (xi is not None or a is not None or b is not None):
        raise ValueError("uncertainty=True propagates the covariance of the catalogue's own ξ, a and b; "
                         "leave xi, a and b out (for a Monte Carlo over them see aqvis.sample)")
    record = _record(solute, catalogue, uncertainty)
    names = _CASE_U if uncertainty else _CASE
    if threads is not None:
        threads = _check_threads(threads)
    picked = _selection(members, names)
    units = (T_unit, P_unit, E_unit)
    if T_unit != "C":  # the units checked and a temperature below absolute zero refused
        _units(T_unit, P_unit, E_unit, T)
    # One state: the core checks the units itself.
    one = _core.calculate_one(record, T, P, xi, a, b, _core_selection(picked, names), units)
    if one is not None:
        if len(one) == 3:
            values, in_range, warning = one
            if warning:
                warnings.warn(RangeWarning(warning), stacklevel=2)
            return _finish(values, picked, names, None, in_range)
        code, message, in_range, warning = one
        if warning:
            warnings.warn(RangeWarning(warning), stacklevel=2)
        raise CalculationError(message, _KIND_IDS[code], float(T), float(P))
    _core.check_units(units)  # a unit's error before an input's, as for one state
    inputs = _inputs(T, P, xi, a, b)
    values, codes, message, notes = _run(record, inputs, threads or _check_threads(None), picked, units, names)
    _warn_range(notes, codes.shape)
    if codes.ndim == 0 and codes != 0:
        raise CalculationError(message, _KIND_IDS[int(codes)], float(inputs["T"]), float(inputs["P"]))
    return values


def _inputs(T, P, xi=None, a=None, b=None):
    """The inputs given as float64 arrays broadcast to one shape."""
    arrays = {name: _as_float_array(name, v)
              for name, v in zip(_INPUTS, (T, P, xi, a, b)) if v is not None or name in ("T", "P")}
    shape = _broadcast_shape((name, arr.shape) for name, arr in arrays.items())
    return {name: np.broadcast_to(arr, shape) for name, arr in arrays.items()}


def water(T, P, *, threads=None, members=None, T_unit="C", P_unit="bar", E_unit="cal"):
    """Properties of water alone at every point, no solute needed.

    T, P, threads, members, T_unit, P_unit and E_unit are those of
    :func:`calculate` (T and P broadcast together).  The numbers are those
    of ``aqvis-cli water`` and ``aqvis-cli grid water`` to the last bit, and
    those of :func:`calculate` for the same members.

    Returns:
        A dict of arrays of the broadcast shape: TC [degC], TK [K], Pbar
        [bar] (the pressure used), Psat [bar] (NaN above the critical
        temperature of water, where there is none), dH2O [g/cm3], VH2O
        [cm3/mol], lnfH2O [ln of f in bar], GH2O and HH2O [cal/mol], SH2O
        and CpH2O [cal/(mol K)], alphaV [1/K] (the isobaric expansion
        coefficient, positive above 4 °C), kappaT [1/bar] (the isothermal
        compressibility), then ``"kind"`` and ``"in_range"`` as in
        :func:`calculate`; :func:`aqvis.members` with ``water=True`` lists
        them.  A single failing point raises :class:`CalculationError`.
    """
    threads = _check_threads(threads)
    picked = _selection(members, _WATER)
    units = _units(T_unit, P_unit, E_unit, T)
    inputs = _inputs(T, P)
    values, codes, message, notes = _run(None, inputs, threads, picked, units, _WATER)
    _warn_range(notes, codes.shape)
    if codes.ndim == 0 and codes != 0:
        raise CalculationError(message, _KIND_IDS[int(codes)], float(inputs["T"]), float(inputs["P"]))
    return values


def frame(solute, T, P, *, xi=None, a=None, b=None, threads=None, catalogue=None, members=None,
          T_unit="C", P_unit="bar", E_unit="cal", uncertainty=False):
    """:func:`calculate` as a pandas DataFrame, one row per point.

    The arguments are those of :func:`calculate`.  The columns are its
    members in the same order (K, kind and in_range last, or those of
    `members`), flattened in C order; ``df.attrs["units"]`` maps each column
    to the unit of its numbers (e.g. ``"V2": "cm3/mol"``, ``"GTaqua":
    "J/mol"`` with ``E_unit="J"``), ``df.attrs["meanings"]`` to its meaning
    and ``df.attrs["solute"]`` is the formula.
    """
    import pandas as pd

    values = calculate(solute, T, P, xi=xi, a=a, b=b, threads=threads, catalogue=catalogue, members=members,
                       T_unit=T_unit, P_unit=P_unit, E_unit=E_unit, uncertainty=uncertainty)
    df = pd.DataFrame({name: np.reshape(v, -1) for name, v in values.items()}, copy=False)
    listed = _core.members_in("uncertainty" if uncertainty else "case", E_unit)
    units = {m[0]: m[1] for m in listed}
    meanings = {m[0]: m[2] for m in listed}
    units["kind"] = units["in_range"] = ""
    meanings["kind"] = "Error kind where the point failed, empty where computed"
    meanings["in_range"] = "True where the point lies inside the model's range, 0-500 degC and 1-2000 bar"
    df.attrs["solute"] = solute
    df.attrs["units"] = {name: units[name] for name in values}
    df.attrs["meanings"] = {name: meanings[name] for name in values}
    return df
