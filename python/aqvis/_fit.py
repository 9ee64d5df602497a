"""aqvis.fit: ξ, a and b of a solute fitted to measurements."""

import json
import numbers
import warnings

import numpy as np

from . import _core
from ._calculate import RangeWarning, _as_float_array, _broadcast_shape, _units
from ._catalogue import _record

FitError = _core.FitError
FitError.__doc__ = """A fit that cannot give parameters: no point could be computed,
fewer points than free parameters, a singular design (e.g. every point at
one state of water), a value that is not finite or a sigma that is not
positive.  The message says why.  A subclass of ValueError."""

_PROPERTIES = tuple(_core.fit_properties())
_PARAMETERS = ("xi", "a", "b")


def _codes(property, shape):
    names = np.asarray(property)
    if names.dtype.kind not in "UO":
        raise TypeError(f"property must be a name or an array of names, not of dtype {names.dtype}")
    # Each distinct name looked up once: a million points name a few properties.
    distinct, inverse = np.unique(names.reshape(-1), return_inverse=True)
    for name in distinct:
        if name not in _PROPERTIES:
            raise ValueError(f"property: unknown property {name!r}; one of {', '.join(_PROPERTIES)}")
    codes = np.array([_PROPERTIES.index(name) for name in distinct], dtype=np.int64)[inverse]
    return np.ascontiguousarray(np.broadcast_to(codes.reshape(names.shape), shape)).reshape(-1)


def _fixed(fix):
    if fix is None:
        return (None, None, None)
    if not hasattr(fix, "items"):
        raise TypeError(f"fix must be a mapping such as {{'xi': 0.05}}, not {type(fix).__name__}")
    out = [None, None, None]
    for name, value in fix.items():
        if name not in _PARAMETERS:
            raise ValueError(f"fix: unknown parameter {name!r}; one of xi, a, b")
        if isinstance(value, bool) or not isinstance(value, numbers.Real) or not np.isfinite(value):
            raise ValueError(f"fix: {name} must be a finite number, not {value!r}")
        out[_PARAMETERS.index(name)] = float(value)
    return tuple(out)


def fit(solute, T, P, property, value, sigma=None, fix=None, catalogue=None, *, T_unit="C", P_unit="bar",
        E_unit="cal"):
    """Fits the parameters ξ, a and b of `solute` to measurements.

    At a fixed state of water lnkH, GTaqua, S2, V2, Cp2, HTaqua and ln K are
    affine in ξ, a and b, so this is a weighted linear least-squares fit (K
    is fitted as ln K, its sigma taken as sigma/K).

    Args:
        solute: formula of a built-in solute, or of one in `catalogue`.
        T: temperature of each measurement in °C (or in `T_unit`).
        P: pressure in bar (or in `P_unit`); 0 means the saturation pressure.
        property: name of the measured property, one of ``"lnkH"`` [ln bar],
            ``"K"`` [mol/(kg bar)], ``"GTaqua"`` [cal/mol], ``"S2"`` [cal/(mol
            K)], ``"V2"`` [cm3/mol], ``"Cp2"`` [cal/(mol K)], ``"HTaqua"``
            [cal/mol]: one name for all points or one per point.
        value: the measured values, in those units (energies in `E_unit`).
        sigma: standard uncertainty of each value (same units, > 0).  None:
            unit weights, and the standard errors come from the scatter
            (covariance times chi2/dof).
        fix: parameters held at a value, e.g. ``{"xi": 0.05}``.
        catalogue: an :class:`aqvis.Catalogue` or the path of a catalogue
            file; None: the built-in solutes.
        T_unit, P_unit, E_unit: the units of T, P and of the energies,
            entropies and heat capacities among the values, as for
            :func:`aqvis.calculate`; the result's rows, fitted values,
            residuals and RMS are in them too.

    T, P, property, value and sigma broadcast together; the points are
    taken in C order.  Points outside the model's range (0 to 500 °C, 1 to
    2000 bar), or with a pressure raised to the saturation pressure, are fitted
    all the same; the call emits one :class:`aqvis.RangeWarning` that names
    how many and the first, and ``rows["warning"]`` holds each point's text.

    Returns:
        A dict, as ``aqvis-cli fit --json`` prints it: ``xi``, ``a``, ``b``
        (fitted or held), ``fixed`` and ``start`` (the solute's own values)
        and ``stderr`` (None each when no uncertainty can be given) as dicts
        by parameter; ``covariance`` and ``correlation`` (3×3 arrays in the
        order ξ, a, b, zero for a held parameter, or None);
        ``covariance_from`` (``"sigma"``, ``"scatter"`` or None); ``chi2``,
        ``dof``, ``n`` (points used) and ``failed`` (points left out);
        ``rms`` and ``rms_start`` (RMS of value − fitted per property, with
        the fitted and the solute's own parameters); ``rows``: a dict of
        arrays, one entry per point: temp, press, press_used, property,
        value, sigma, used, fitted and residual (NaN where not used), error
        (with the sentence that explains it) and kind (empty where used),
        and warning (empty where there is nothing to say).  A point the calculation cannot do, or
        whose T or P is not a finite number (kind ``type_mismatch``), is
        left out and listed in ``rows`` with its error.  ``note`` is there
        only where the covariance (or chi2) cannot be held in a double for
        the sigmas given, and says so; the parameters do not depend on a
        common scale of the sigmas.  The dict is read from the JSON text the
        command line prints, so both give the same numbers.

    Raises:
        FitError: the fit cannot be done (see :class:`aqvis.FitError`).
        TypeError, ValueError: arguments that are not numbers, names that
            are unknown, arrays that do not broadcast.
    """
    record = _record(solute, catalogue)
    units = _units(T_unit, P_unit, E_unit, T)
    arrays = {"T": _as_float_array("T", T), "P": _as_float_array("P", P),
              "value": _as_float_array("value", value)}
    if sigma is not None:
        arrays["sigma"] = _as_float_array("sigma", sigma)
    named = [(n, a.shape) for n, a in arrays.items()]
    named.append(("property", np.shape(property)))
    shape = _broadcast_shape(named)
    flat = {n: np.ascontiguousarray(np.broadcast_to(a, shape).reshape(-1)) for n, a in arrays.items()}
    if sigma is None:
        flat["sigma"] = np.ones(flat["T"].shape)
    codes = _codes(property, shape)
    text = _core.fit(record, flat["T"], flat["P"], codes, flat["value"], flat["sigma"], _fixed(fix),
                     sigma is not None, units)
    result = _from_json(json.loads(text))
    noted = np.flatnonzero(result["rows"]["warning"] != "")
    if noted.size:
        first = result["rows"]["warning"][noted[0]]
        warnings.warn(RangeWarning(f"{noted.size} of {len(result['rows']['warning'])} points have a note; "
                                   f"the first (point {noted[0]}): {first}"), stacklevel=2)
    return result


def _from_json(result):
    """The dict of aqvis.fit from the JSON object of the fit: matrices as 3×3
    arrays, rows as one array per column (NaN where a point has no value)."""
    for name in ("covariance", "correlation"):
        if result[name] is not None:
            result[name] = np.array(result[name], dtype=float)
    rows = result["rows"]
    columns = {}
    for name in ("temp", "press", "press_used", "value", "sigma", "fitted", "residual"):
        columns[name] = np.array([row.get(name, np.nan) for row in rows], dtype=float)
    columns["used"] = np.array([row["used"] for row in rows], dtype=bool)
    for name in ("property", "error", "kind", "warning"):
        columns[name] = np.array([row.get(name, "") for row in rows], dtype=str)
    result["rows"] = {name: columns[name] for name in
                      ("temp", "press", "press_used", "property", "value", "sigma", "used", "fitted",
                       "residual", "error", "kind", "warning")}
    return result

