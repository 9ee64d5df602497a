"""aqvis.solutes and aqvis.members: the catalogue and the output members."""

from collections import namedtuple

from . import _core

Solute = namedtuple("Solute", "formula xi a b G0gas S0gas agas bgasE3 cgasEmin5 menu")
Solute.__doc__ = """A built-in solute.

formula: e.g. "N2"; xi [1], a [cm3/g], b [cm3/g]: the parameters of its
equation of state; ideal-gas data: G0gas [cal/mol] and S0gas [cal/(mol K)]
at 298.15 K and 1 bar, heat capacity Cp = agas + bgasE3*1e-3*T -
cgasEmin5*1e5/T**2 [cal/(mol K)] with T in K; menu: the window's menu that
lists it ("Solutes Available" or "Hydrocarbons")."""

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


def members():
    """The output members of :func:`aqvis.calculate` in order (K last), as
    :class:`Member` tuples with their units and meanings."""
    return tuple(Member(*m) for m in _core.members())
