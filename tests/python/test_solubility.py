"""aqvis.solubility and aqvis.bubble_pressure against aqvis-cli solubility,
to the last bit, and their failed points."""

import json

import numpy as np
import pytest

import aqvis

TEMPS = [25.0, 80.0, 150.0, 380.0]
PRESSES = [0.5, 1.0, 30.0, 700.0]


def _bits(a):
    return np.asarray(a, dtype=np.float64).view(np.uint64)


@pytest.mark.parametrize("bubble", [False, True])
def test_points_match_the_command_line(cli, bubble):
    second = [0.01, 0.5] if bubble else PRESSES
    option = "--molality" if bubble else "--press"
    rows = [json.loads(line) for line in cli("solubility", "CH4", "--temp", ",".join(map(repr, TEMPS)), option,
                                            ",".join(map(repr, second)), "--json", "--kij", "0.1").splitlines()]
    T, S = np.meshgrid(TEMPS, second)  # rows go by pressure, then temperature
    call = aqvis.bubble_pressure if bubble else aqvis.solubility
    got = call("CH4", T, S, kij=0.1, threads=2)
    assert got["x"].shape == T.shape
    for i, row in enumerate(rows):
        k = np.unravel_index(i, T.shape)
        assert got["kind"][k] == row.get("kind", "")
        assert got["warning"][k] == row.get("warning", "")
        for name, value in row.items():
            if name not in ("Formula", "kind", "error", "warning"):
                assert _bits(got[name][k]) == _bits(value), (name, k)
        if "kind" in row:
            assert np.isnan(got["x"][k]) and np.isnan(got["lnkH"][k])


def test_a_single_failed_point_raises_with_its_kind():
    with pytest.raises(aqvis.CalculationError) as e:
        aqvis.solubility("N2", 150.0, 3.0)
    assert e.value.kind == "liquid_boils"
    assert "saturation pressure of water" in str(e.value)
    with pytest.raises(ValueError, match="H3AsO3 has no critical temperature"):
        aqvis.solubility("H3AsO3", 25.0, 1.0)


def test_catalogue_file_gives_critical_constants_and_kij(tmp_path):
    path = tmp_path / "mine.csv"
    path.write_text("Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5,Tc,Pc,omega,kij\n"
                    "CH4,-0.1131,-11.8462,14.8615,-12122.4,44.518,5.65,11.44,0.46,,,,0.1\n")
    own = aqvis.solubility("CH4", 200.0, [50.0, 500.0], catalogue=aqvis.load_catalogue(path))
    given = aqvis.solubility("CH4", 200.0, [50.0, 500.0], kij=0.1)
    plain = aqvis.solubility("CH4", 200.0, [50.0, 500.0])
    assert (_bits(own["x"]) == _bits(given["x"])).all()
    assert (own["x"] != plain["x"]).all()
