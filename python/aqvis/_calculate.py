"""aqvis.calculate and aqvis.frame: one solute over numbers or arrays."""

import numbers

import numpy as np

from . import _core
from ._catalogue import _record

_MEMBERS = tuple(_core.members())
_KIND_IDS = ("",) + tuple(_core.error_kinds())
_INPUTS = ("T", "P", "xi", "a", "b")
_MAX_THREADS = 1024


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


def _as_float_array(name, value):
    """`value` as a float64 array; a non-finite single number is refused."""
    try:
        arr = np.asarray(value)
    except (TypeError, ValueError) as e:
        raise TypeError(f"{name} must be a number or an array of numbers ({e})") from None
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


def _run(solute, inputs, threads):
    """Runs the core on {name: float64 array of one shape} (xi, a, b optional)
    and returns (members dict with "kind", codes, message)."""
    values, codes, message = _core.calculate(solute, *(inputs.get(n) for n in _INPUTS), threads)
    values["kind"] = _kind_names(codes)
    return values, codes, message


def calculate(solute, T, P, *, xi=None, a=None, b=None, threads=None, catalogue=None):
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

    T, P, xi, a and b are numbers or array-likes that broadcast together, so
    a grid (``T[:, None]``, ``P[None, :]``) or a Monte Carlo sample over ξ,
    a and b is one call.  The work runs in compiled code with the GIL
    released; the numbers are those of ``aqvis-cli`` to the last bit.

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
    threads = _check_threads(threads)
    arrays = {name: _as_float_array(name, v)
              for name, v in zip(_INPUTS, (T, P, xi, a, b)) if v is not None or name in ("T", "P")}
    shape = _broadcast_shape((name, arr.shape) for name, arr in arrays.items())
    inputs = {name: np.broadcast_to(arr, shape) for name, arr in arrays.items()}
    values, codes, message = _run(record, inputs, threads)
    if codes.ndim == 0 and codes != 0:
        raise CalculationError(message, str(values["kind"]), float(inputs["T"]), float(inputs["P"]))
    return values


def frame(solute, T, P, *, xi=None, a=None, b=None, threads=None, catalogue=None):
    """:func:`calculate` as a pandas DataFrame, one row per point.

    The arguments are those of :func:`calculate`.  The columns are its
    members in the same order (K, then kind, last), flattened in C order;
    ``df.attrs["units"]`` maps each column to its unit (e.g. ``"V2":
    "cm3/mol"``), ``df.attrs["meanings"]`` to its meaning and
    ``df.attrs["solute"]`` is the formula.
    """
    import pandas as pd

    values = calculate(solute, T, P, xi=xi, a=a, b=b, threads=threads, catalogue=catalogue)
    df = pd.DataFrame({name: v.reshape(-1) for name, v in values.items()}, copy=False)
    df.attrs["solute"] = solute
    df.attrs["units"] = {m[0]: m[1] for m in _MEMBERS}
    df.attrs["units"]["kind"] = ""
    df.attrs["meanings"] = {m[0]: m[2] for m in _MEMBERS}
    df.attrs["meanings"]["kind"] = "Error kind where the point failed, empty where computed"
    return df
