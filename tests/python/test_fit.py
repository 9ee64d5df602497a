"""aqvis.fit and catalogues in Python: the fit agrees with an independent
least-squares solution, gives synthetic parameters back, lists the points it
leaves out; a solute from a catalogue file computes as the built-in one."""

import csv
import os

import numpy as np
import pytest

import aqvis
from conftest import assert_same_bits

GUIDELINE = os.path.join(os.path.dirname(__file__), "..", "..", "docs", "validation", "henry_guideline.csv")
TITLE = "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\n"


def guideline(gas):
    with open(GUIDELINE) as f:
        rows = [r for r in csv.reader(line for line in f if not line.startswith("#"))][1:]
    return (np.array([float(r[1]) for r in rows if r[0] == gas]),
            np.array([float(r[4]) for r in rows if r[0] == gas]))


@pytest.mark.parametrize("gas", ["N2", "C2H6"])
def test_fit_agrees_with_numpy_least_squares(gas):
    T, value = guideline(gas)
    # The design from the calculation at the origin and the unit points, solved by numpy.
    base = aqvis.calculate(gas, T, 0, xi=0, a=0, b=0)["lnkH"]
    A = np.stack([aqvis.calculate(gas, T, 0, xi=p[0], a=p[1], b=p[2])["lnkH"] - base
                  for p in ((1, 0, 0), (0, 1, 0), (0, 0, 1))], axis=1)
    x, res, _, _ = np.linalg.lstsq(A, value - base, rcond=None)
    s2 = res[0] / (len(T) - 3)
    se = np.sqrt(np.diag(s2 * np.linalg.inv(A.T @ A)))

    r = aqvis.fit(gas, T, 0, "lnkH", value)
    np.testing.assert_allclose([r["xi"], r["a"], r["b"]], x, rtol=1e-9)
    np.testing.assert_allclose([r["stderr"][k] for k in ("xi", "a", "b")], se, rtol=1e-6)
    assert r["n"] == 71 and r["dof"] == 68 and r["covariance_from"] == "scatter"
    assert r["rms"]["lnkH"] == pytest.approx(np.sqrt(np.mean(r["rows"]["residual"] ** 2)))


def test_synthetic_k_and_v2_give_the_parameters_back_and_failures_are_listed():
    T = np.array([5.0, 60, 120, 200, 280, 500])  # 500 °C has no saturation pressure
    truth = dict(xi=-0.31, a=-13.7, b=16.2)
    values = aqvis.calculate("CH4", T, 0, **truth)
    prop = np.array(["K", "V2"])[:, None]
    value = np.where(prop == "K", values["K"], values["V2"])
    value[np.isnan(value)] = 1.0
    r = aqvis.fit("CH4", T[None, :], 0, prop, value, sigma=np.where(prop == "K", 1e-6, 0.1))
    np.testing.assert_allclose([r["xi"], r["a"], r["b"]], list(truth.values()), rtol=1e-8)
    assert r["covariance_from"] == "sigma" and r["failed"] == 2 and r["n"] == 10
    rows = r["rows"]
    assert list(rows["used"]) == [True] * 5 + [False] + [True] * 5 + [False]
    assert rows["kind"][5] != "" and rows["error"][5] != "" and np.isnan(rows["fitted"][5])
    assert list(rows["property"][:2]) == ["K", "K"]


@pytest.mark.parametrize("kwargs, error, words", [
    (dict(property="lnKH"), ValueError, "unknown property 'lnKH'"),
    (dict(sigma=0.0), aqvis.FitError, "sigma must be a positive"),
    (dict(fix={"c": 1}), ValueError, "unknown parameter 'c'"),
    (dict(fix={"xi": float("nan")}), ValueError, "xi must be a finite number"),
    (dict(T=[25, 25, 25]), aqvis.FitError, "singular design"),
    (dict(solute="Xe"), ValueError, "unknown solute 'Xe'"),
])
def test_bad_fits_are_refused_with_a_reason(kwargs, error, words):
    args = dict(solute="N2", T=[25, 50, 75], P=1, property="lnkH", value=[11.3, 11.6, 11.7])
    args.update(kwargs)
    with pytest.raises(error, match=words):
        aqvis.fit(**args)


def test_a_catalogue_solute_computes_as_the_built_in_one(tmp_path):
    co2 = aqvis.solutes()[4]
    path = tmp_path / "mine.csv"
    path.write_text("# mine\n" + TITLE + "MyCO2," + ",".join(repr(v) for v in co2[1:9]) + "\n")
    catalogue = aqvis.load_catalogue(path)
    assert len(catalogue) == 20 and catalogue["MyCO2"].menu == ""
    T, P = np.linspace(0, 600, 25)[:, None], np.array([0.0, 1, 500])
    ours = aqvis.calculate("MyCO2", T, P, catalogue=catalogue)
    built_in = aqvis.calculate("CO2", T, P)
    for name in built_in:
        if name != "kind":
            assert_same_bits(ours[name], built_in[name], name)
    assert aqvis.frame("MyCO2", 25, 1, catalogue=str(path))["lnkH"][0] == built_in["lnkH"][1, 1]
    with pytest.raises(ValueError, match="unknown solute 'MyCO2'"):
        aqvis.calculate("MyCO2", 25, 1)


# The file is read by the command line's reader: the same bound, rules and
# messages (text that is not UTF-8, a NUL kept in the message, 1e-400 as 0).
@pytest.mark.parametrize("body, error, words", [
    (b"Xe,0.1,-9,12,0,40.5,4.968,0,0\nXe,0.1,-9,12,0,40.5,4.968,0,0\n", ValueError,
     r"bad.csv line 3: formula Xe given twice"),
    (b"X\xffe,0.1,-9,12,0,40.5,4.968,0,0\n", ValueError, r"line 2: not UTF-8 text \(byte 0xff at column 2\)"),
    (b"Xe,0.1,-9,12,0,40.5,4.968,0,0\x00zz\n", ValueError, r'cgasEmin5 is not a finite number: "0\\x00zz"'),
    (b"X\xc2\x9be,0.1,-9,12,0,40.5,4.968,0,0\n", ValueError, r"line 2: the formula holds a control character"),
])
def test_bad_catalogue_files_name_the_line(tmp_path, body, error, words):
    path = tmp_path / "bad.csv"
    path.write_bytes(TITLE.encode() + body)
    with pytest.raises(error, match=words):
        aqvis.load_catalogue(path)


def test_catalogue_files_are_read_with_the_command_lines_bound(tmp_path):
    with pytest.raises(OSError):
        aqvis.load_catalogue(tmp_path / "none.csv")
    with pytest.raises(OSError, match="longer than 64 MiB"):
        aqvis.load_catalogue("/dev/zero")
    path = tmp_path / "tiny.csv"
    path.write_text(TITLE + "Xe,1e-400,-9,12,-0,40.5,4.968,0,0\n")
    xe = aqvis.load_catalogue(path)["Xe"]
    assert xe.xi == 0.0 and str(xe.G0gas) == "0.0"


# A temperature or pressure that is not a number is a failed point of its own
# (type_mismatch): it borrows no other point's state and leaves the fit as it
# is without it.
def test_points_whose_state_is_not_a_number_are_failed_points():
    T = np.array([5.0, 60, 120, 200, 280])
    value = aqvis.calculate("N2", T, 0)["lnkH"]
    want = aqvis.fit("N2", T, 0, "lnkH", value)
    for bad_T, bad_P in [(np.nan, 0.0), (25.0, np.nan), (np.inf, 0.0)]:
        r = aqvis.fit("N2", np.append(T, bad_T), np.append(np.zeros(5), bad_P), "lnkH", np.append(value, 11.0))
        assert r["failed"] == 1 and r["rows"]["kind"][5] == "type_mismatch"
        assert [r[k] for k in ("xi", "a", "b")] == [want[k] for k in ("xi", "a", "b")]


def test_rows_are_the_fits_own_and_zeros_are_written_as_0():
    # The caller's arrays stay theirs; a parameter held at -0 comes back as
    # aqvis-cli fit --json writes it.
    T, P = np.array([25.0, 60, 120, 200]), np.zeros(4)
    value, sigma = np.array([11.3, 11.6, 11.4, 10.9]), np.full(4, 0.05)
    r = aqvis.fit("N2", T, P, "lnkH", value, sigma=sigma, fix={"xi": -0.0, "a": -0.0})
    for name, given in (("temp", T), ("press", P), ("value", value), ("sigma", sigma)):
        assert not np.shares_memory(r["rows"][name], given), name
        assert_same_bits(r["rows"][name], given, name)
    assert np.copysign(1.0, r["xi"]) == 1.0 and np.copysign(1.0, r["a"]) == 1.0
    assert np.copysign(1.0, r["covariance"][0, 0]) == 1.0
