"""aqvis.calculate and aqvis.frame: one solute over numbers or arrays."""

import numbers

import numpy as np

from . import _core
from ._catalogue import _record

_MEMBERS = tuple(_core.members())
_KIND_IDS = ("",) + tuple(_core.error_kinds())
_INPUTS = ("T", "P", "xi", "a", "b")
_MAX_THREADS = 1024
# What members= may name, "kind" last; the core takes indices into it.
_NAMES = tuple(m[0] for m in _MEMBERS) + ("kind",)
_INDEX = {name: i for i, name in enumerate(_NAMES)}
_KIND = len(_MEMBERS)


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


def _selection(members):
    """The indices into _NAMES of the members asked for, in their order and
    each once; None for all of them."""
    if members is None:
        return None
    if isinstance(members, (str, bytes)) or not hasattr(members, "__iter__"):
        raise TypeError(f"members must be a list of member names such as ['lnkH'], not {type(members).__name__}")
    picked = []
    for name in members:
        index = _INDEX.get(name) if isinstance(name, str) else None
        if index is None:
            raise ValueError(f"members: unknown member {name!r}; one of {', '.join(_NAMES)}")
        if index not in picked:
            picked.append(index)
    return tuple(picked)


def _run(solute, inputs, threads, picked=None):
    """Runs the core on {name: float64 array of one shape} (xi, a, b optional)
    and returns (members dict, codes, message): the members of `picked`
    (see _selection), by default all of them and "kind"."""
    values, codes, message = _core.calculate(solute, *(inputs.get(n) for n in _INPUTS), threads, picked)
    if picked is None or _KIND in picked:
        values["kind"] = _kind_names(codes)
        if picked is not None:
            values = {_NAMES[i]: values[_NAMES[i]] for i in picked}
    return values, codes, message


def calculate(solute, T, P, *, xi=None, a=None, b=None, threads=None, catalogue=None, members=None):
    """Properties of `solute` in water at infinite dilution, at every point.

    Args:
        solute: formula of a built-in solute, e.g. ``"N2"`` (see
            :func:`aqvis.solutes`), or of one in `catalogue`.
        T: temperature in °C.
        P: pressure in bar; 0 (or anything below the saturation pressure)
            means the saturation pressure, below the critical temperature.
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
            ``["lnkH", "V2"]`` (see :func:`aqvis.members`; ``"kind"`` too);
            None: all of them and ``"kind"``.  Only these arrays are made,
            so a large call that needs one member takes the memory of one.

    T, P, xi, a and b are numbers or array-likes that broadcast together, so
    a grid (``T[:, None]``, ``P[None, :]``) or a Monte Carlo sample over ξ,
    a and b is one call.  The work runs in compiled code with the GIL
    released; the numbers are those of ``aqvis-cli`` to the last bit (with
    negative zero as 0, as it writes it).  A call of a few hundred points or
    fewer, and every call with ``threads=1``, runs on the calling thread.
    When T, P, xi, a and b are plain numbers (Python or numpy floats and
    ints), the members are numpy float64 scalars (``float`` subclasses with
    ``shape == ()``) instead of 0-d arrays, and ``"kind"`` is numpy's ``""``:
    the cheap form for calls in a loop.

    Returns:
        A dict from member name to a float64 array of the broadcast shape, in
        the order of ``aqvis-cli batch --json`` (see :func:`aqvis.members`
        for units): Xi [1], Coef1 (a) and Coef2 (b) [cm3/g], TC [degC],
        TK [K], Pbar [bar] (the pressure used: the saturation pressure for
        0), Psat [bar], the properties of water (dH2O [g/cm3], VH2O
        [cm3/mol], CpH2O [cal/(mol K)], ...), of the ideal gases and of the
        aqueous solute: lnkH [ln bar], GTaqua [cal/mol], S2 [cal/(mol K)],
        V2 [cm3/mol], Cp2 [cal/(mol K)], and K [mol/(kg bar)] last.  Then
        ``"kind"``: a string array, empty where the point was computed and
        holding the error kind where it failed (``"division_by_zero"``,
        ``"no_convergence"``, ...; ``"type_mismatch"`` for a NaN or infinite
        input); a failed point keeps its inputs and is NaN elsewhere.

    Raises:
        CalculationError: when every input is a single number and the
            calculation fails.
        TypeError: an argument is not numeric (or threads not an integer).
        ValueError: unknown solute, a bad catalogue file, arrays that do not broadcast, a single
            number that is NaN or infinite, threads out of range.
    """
    record = _record(solute, catalogue)
    if threads is not None:
        threads = _check_threads(threads)
    picked = _selection(members)
    one = _core.calculate_one(record, T, P, xi, a, b, picked)
    if one is not None:
        if type(one) is dict:
            return one
        code, message = one
        raise CalculationError(message, _KIND_IDS[code], float(T), float(P))
    arrays = {name: _as_float_array(name, v)
              for name, v in zip(_INPUTS, (T, P, xi, a, b)) if v is not None or name in ("T", "P")}
    shape = _broadcast_shape((name, arr.shape) for name, arr in arrays.items())
    inputs = {name: np.broadcast_to(arr, shape) for name, arr in arrays.items()}
    values, codes, message = _run(record, inputs, threads or _check_threads(None), picked)
    if codes.ndim == 0 and codes != 0:
        raise CalculationError(message, _KIND_IDS[int(codes)], float(inputs["T"]), float(inputs["P"]))
    return values


def frame(solute, T, P, *, xi=None, a=None, b=None, threads=None, catalogue=None, members=None):
    """:func:`calculate` as a pandas DataFrame, one row per point.

    The arguments are those of :func:`calculate`.  The columns are its
    members in the same order (K, then kind, last, or those of `members`),
    flattened in C order;
    ``df.attrs["units"]`` maps each column to its unit (e.g. ``"V2":
    "cm3/mol"``), ``df.attrs["meanings"]`` to its meaning and
    ``df.attrs["solute"]`` is the formula.
    """
    import pandas as pd

    values = calculate(solute, T, P, xi=xi, a=a, b=b, threads=threads, catalogue=catalogue, members=members)
    df = pd.DataFrame({name: np.reshape(v, -1) for name, v in values.items()}, copy=False)
    units = {m[0]: m[1] for m in _MEMBERS}
    units["kind"] = ""
    meanings = {m[0]: m[2] for m in _MEMBERS}
    meanings["kind"] = "Error kind where the point failed, empty where computed"
    df.attrs["solute"] = solute
    df.attrs["units"] = {name: units[name] for name in values}
    df.attrs["meanings"] = {name: meanings[name] for name in values}
    return df
