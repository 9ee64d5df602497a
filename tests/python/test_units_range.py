"""Units at the edges, the model's range and water alone in the Python
module, against aqvis-cli to the last bit."""

import json
import warnings

import numpy as np
import pytest

import aqvis
from conftest import assert_same_bits, read_grid_csv


def test_range_warns_once_and_marks_the_points():
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        r = aqvis.calculate("N2", [25, 600], 1)
        inside = aqvis.calculate("N2", 25, 1)
    assert [w.category for w in caught] == [aqvis.RangeWarning]
    assert "1 of 2 points" in str(caught[0].message) and "T_unit='K'" in str(caught[0].message)
    assert caught[0].filename == __file__  # it points at the caller's line
    assert r["in_range"].tolist() == [True, False] and np.isfinite(r["lnkH"]).all()
    assert inside["in_range"] and type(inside["in_range"]) is np.bool_
    with pytest.warns(aqvis.RangeWarning, match="Pa"):
        aqvis.calculate("N2", 25, 101325)
    with pytest.warns(aqvis.RangeWarning, match="kelvin"):
        aqvis.calculate("N2", 298.15, 1)


@pytest.mark.parametrize("T, P, kw, args", [
    (298.15, 0.1, dict(T_unit="K", P_unit="MPa", E_unit="J"),
     ["--temp-unit", "K", "--press-unit", "MPa", "--energy-unit", "J"]),
    (25.0, 1e5, dict(P_unit="Pa"), ["--press-unit", "Pa"]),
])
def test_units_give_the_numbers_of_the_command_line(cli, T, P, kw, args):
    expected = json.loads(cli("calc", "CO2", repr(T), repr(P), "--json", *args))
    for r in (aqvis.calculate("CO2", T, P, **kw), aqvis.calculate("CO2", [T], [P], **kw)):
        for m in aqvis.members():
            assert_same_bits(r[m.name], expected[m.name], m.name)
    units = aqvis.frame("CO2", T, P, **kw).attrs["units"]
    assert units["S2"] == ("J/(mol K)" if kw.get("E_unit") == "J" else "cal/(mol K)")


def test_units_refused_say_what_is_allowed():
    for kw, says in [(dict(T_unit="F"), "'C', 'K'"), (dict(P_unit="atm"), "'bar', 'MPa', 'kPa', 'Pa'"),
                     (dict(E_unit="kcal"), "'cal', 'J'")]:
        with pytest.raises(ValueError, match=says):
            aqvis.calculate("N2", 25, 1, **kw)
    with pytest.raises(ValueError, match="below absolute zero"):
        aqvis.water([300, -1], 1, T_unit="K")


def test_water_alone_matches_the_command_line(cli):
    T, P = [0.01, 25, 300, 400], [0, 1, 250]
    r = aqvis.water(np.array(T)[None, :], np.array(P)[:, None])
    expected, header = read_grid_csv(cli("grid", "water", "--temp", ",".join(map(repr, T)),
                                         "--press", ",".join(map(repr, P))))
    names = [m.name for m in aqvis.members(water=True)]
    assert [h.split(" [")[0] for h in header] == names + ["warning", "error"]
    for name in names:
        assert_same_bits(r[name], expected[name], name)
    assert list(r["kind"].reshape(-1)) == expected["error"]
    one = json.loads(cli("water", "25", "1", "--json"))
    w = aqvis.water(25, 1)
    for name in names:
        assert_same_bits(w[name], one[name], name)
    assert w["alphaV"] > 0 and w["in_range"]


def test_fit_takes_units_and_warns_for_points_outside():
    T = np.array([25.0, 100, 200, 300])
    truth = aqvis.calculate("N2", T, 0)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        base = aqvis.fit("N2", T, 0, "HTaqua", truth["HTaqua"])
        joule = aqvis.fit("N2", T + 273.15, 0, "HTaqua", truth["HTaqua"] * 4.184, T_unit="K", E_unit="J")
    for p in ("xi", "a", "b"):
        assert joule[p] == pytest.approx(base[p], rel=1e-9)
    assert joule["rows"]["fitted"] == pytest.approx(base["rows"]["fitted"] * 4.184, rel=1e-9)
    with pytest.warns(aqvis.RangeWarning, match="1 of 5 points"):
        r = aqvis.fit("N2", np.append(T, 600.0), np.array([0, 0, 0, 0, 100.0]), "lnkH",
                      np.append(truth["lnkH"], 1.0))
    assert r["rows"]["warning"][-1].startswith("600 °C is above")
