"""aqvis.solutes, aqvis.load_catalogue and aqvis.members: the catalogue and
the output members."""

import os
from collections import namedtuple
from collections.abc import Mapping

import numpy as np

from . import _core

# The catalogues shipped with the package, found by name.
_SHIPPED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")

Solute = namedtuple("Solute", "formula xi a b G0gas S0gas agas bgasE3 cgasEmin5 menu")
Solute.__doc__ = """A built-in solute.

formula: e.g. "N2"; xi [1], a [cm3/g], b [cm3/g]: the parameters of its
equation of state; ideal-gas data: G0gas [cal/mol] and S0gas [cal/(mol K)]
at 298.15 K and 1 bar, heat capacity Cp = agas + bgasE3*1e-3*T -
cgasEmin5*1e5/T**2 [cal/(mol K)] with T in K; menu: the window's menu that
lists it ("Solutes Available" or "Hydrocarbons"; "" for a solute from a
catalogue file)."""

Member = namedtuple("Member", "name unit meaning plot_unit is_input")
Member.__doc__ = """An output member of a calculation.

name: key in the results of aqvis.calculate (e.g. "lnkH"); unit: ASCII unit
("cal/(mol K)", "1" for none); meaning: what it is; plot_unit: the unit as an
axis label shows it; is_input: True for Xi, Coef1, Coef2, TC and Pbar, which
a failed point keeps."""


def solutes():
    """The 19 built-in solutes in menu order, as :class:`Solute` tuples.

    ``pandas.DataFrame(aqvis.solutes())`` gives them as a table.
    """
    return tuple(Solute(*s) for s in _core.solutes())


def members(water=False, E_unit="cal", uncertainty=False):
    """The output members of :func:`aqvis.calculate` in order (K last; with
    ``uncertainty=True`` followed by the standard uncertainties u_lnkH, ...,
    u_K), or of :func:`aqvis.water` with ``water=True``, as :class:`Member`
    tuples with their units (energies in `E_unit`, ``"cal"`` or ``"J"``) and
    meanings."""
    which = "water" if water else "uncertainty" if uncertainty else "case"
    return tuple(Member(*m) for m in _core.members_in(which, E_unit))


class Catalogue(Mapping):
    """The solutes of a run: the 19 built-in ones in menu order, then those of
    a catalogue file; a file's record replaces a built-in one of the same
    formula where it stands.  A read-only mapping from formula to
    :class:`Solute`; made by :func:`load_catalogue`.

    Pass it as ``catalogue=`` to :func:`aqvis.calculate`, :func:`aqvis.frame`,
    :func:`aqvis.fit` and :func:`aqvis.dask.calculate`.
    """

    def __init__(self, added=(), path=None):
        self._solutes = {s.formula: s for s in solutes()}
        self._covariance = {}
        for record in added:
            self._solutes[record[0]] = Solute(*record[:9], "")
            self._covariance.pop(record[0], None)
            if len(record) > 9 and record[9] is not None:
                vxi, va, vb, cxa, cxb, cab = record[9]
                self._covariance[record[0]] = np.array([[vxi, cxa, cxb], [cxa, va, cab], [cxb, cab, vb]])
        self.path = path

    def __getitem__(self, formula):
        return self._solutes[formula]

    def __iter__(self):
        return iter(self._solutes)

    def __len__(self):
        return len(self._solutes)

    def solutes(self):
        """Every solute of the catalogue, as :class:`Solute` tuples."""
        return tuple(self._solutes.values())

    def covariance(self, formula):
        """The covariance of ξ, a and b of the solute `formula` as a 3×3
        array in that order (variances in 1, (cm3/g)²; a held parameter has
        a row of zeros), as the catalogue file gives it; None when it gives
        none (the built-in solutes have none).  KeyError for an unknown
        formula."""
        self._solutes[formula]
        c = self._covariance.get(formula)
        return None if c is None else c.copy()

    def __repr__(self):
        return f"<aqvis.Catalogue of {len(self)} solutes from {self.path!r}>"


def load_catalogue(path):
    """The built-in solutes plus those of the catalogue file at `path`, or of
    the catalogue shipped with the package of that name:
    ``"guideline_refit"``, nine gases refitted to the IAPWS Henry-constant
    guideline G7-04 within the temperatures of its data, with the covariance
    of their parameters (a file of that name in the working folder comes
    first).

    The file is CSV with the title line
    ``Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5`` (units as in
    :class:`Solute`), optionally followed by ``Tc,Pc,omega,kij`` and by
    ``var_xi,var_a,var_b,cov_xi_a,cov_xi_b,cov_a_b`` (the covariance of ξ, a
    and b, see :meth:`Catalogue.covariance`); ``#`` comment lines and blank
    lines are allowed; ``aqvis-cli list --csv`` and ``aqvis-cli fit --save``
    write one.  A bad file (a missing column, a field that is not a number,
    an empty formula or one with a control character, a formula twice, text
    that is not UTF-8, a covariance that is incomplete or not positive
    semi-definite) is refused whole with ValueError naming the line and the
    reason; an unreadable one, or one longer than 64 MiB, raises OSError.
    The file is read by the reader of ``aqvis-cli``: the same rules and
    messages.

    Returns:
        A :class:`Catalogue`.
    """
    name = _core.catalogue_path(os.fsdecode(path), [_SHIPPED])
    return Catalogue(_core.read_catalogue_file(name), path=name)


def _catalogue_of(catalogue):
    """The :class:`Catalogue` that `catalogue` (None, a Catalogue, the path of
    a catalogue file or the name of a shipped one) stands for."""
    if catalogue is None:
        return _BUILT_IN
    if isinstance(catalogue, (str, bytes, os.PathLike)):
        return load_catalogue(catalogue)
    if not isinstance(catalogue, Catalogue):
        raise TypeError(f"catalogue must be an aqvis.Catalogue or a path, not {type(catalogue).__name__}")
    return catalogue


def _covariance_of(catalogue, solute, what):
    """The covariance of `solute` in `catalogue`, or the ValueError of `what`
    (``"uncertainty=True"``) that says there is none and where to get one."""
    sigma = catalogue.covariance(solute)
    if sigma is None:
        where = "the built-in catalogue" if catalogue.path is None else repr(catalogue.path)
        raise ValueError(f"{what}: {solute} has no covariance of xi, a and b in {where}; load a catalogue "
                         "that gives one, such as aqvis.load_catalogue('guideline_refit') or a file written "
                         "by aqvis-cli fit --save")
    return sigma


def _record(solute, catalogue, uncertainty=False):
    """What the compiled core takes for `solute`: the formula of a built-in
    solute, or the record tuple of a catalogue's; with `uncertainty`, the
    record with its covariance (ValueError when it has none).  `catalogue` is
    None, a :class:`Catalogue` or the path of a catalogue file."""
    if not uncertainty and catalogue is None and type(solute) is str and solute in _BUILT_IN_FORMULAS:
        return solute
    if not isinstance(solute, str):
        raise TypeError(f"solute must be a formula such as 'N2', not {type(solute).__name__}")
    catalogue = _catalogue_of(catalogue)
    if solute not in catalogue:
        raise ValueError(f"solute: unknown solute {solute!r}; known are {', '.join(catalogue)}")
    record = catalogue[solute]
    if uncertainty:
        c = _covariance_of(catalogue, solute, "uncertainty=True")
        return tuple(record[:9]) + ((c[0, 0], c[1, 1], c[2, 2], c[0, 1], c[0, 2], c[1, 2]),)
    return solute if catalogue is _BUILT_IN else tuple(record[:9])


_BUILT_IN = Catalogue()
_BUILT_IN_FORMULAS = frozenset(_BUILT_IN)
