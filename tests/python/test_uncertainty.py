"""The refitted catalogue shipped with the package and parameter sets drawn
from a covariance: the catalogue is what its stated procedure gives and
meets the RMS it states; draws follow the covariance, singular ones too."""

import csv
import json
import os
import re
import subprocess

import numpy as np
import pytest

import aqvis
from conftest import assert_same_bits

IN_RANGE = os.path.join(os.path.dirname(__file__), "..", "..", "docs", "validation", "henry_guideline_in_range.csv")
SHIPPED = os.path.join(os.path.dirname(__file__), "..", "..", "data", "guideline_refit.csv")
GASES = ("H2", "N2", "O2", "CO2", "Ar", "Ne", "CH4", "H2S", "C2H6")


def guideline_in_range():
    with open(IN_RANGE) as f:
        rows = list(csv.reader(line for line in f if not line.startswith("#")))[1:]
    return {g: (np.array([float(r[1]) for r in rows if r[0] == g]), np.array([float(r[4]) for r in rows if r[0] == g]))
            for g in GASES}


def stated():
    """{gas: (first, last temperature, RMS)} from the notes of the shipped file."""
    out = {}
    with open(SHIPPED) as f:
        for line in f:
            m = re.match(r"# (\w+): data ([\d.]+)-([\d.]+) degC, \d+ points, RMS of lnkH ([\d.]+),", line)
            if m:
                out[m[1]] = (float(m[2]), float(m[3]), float(m[4]))
    return out


def test_shipped_catalogue_is_found_by_name_and_meets_its_stated_rms():
    cat = aqvis.load_catalogue("guideline_refit")
    assert os.path.samefile(cat.path, os.path.join(os.path.dirname(aqvis.__file__), "data", "guideline_refit.csv"))
    points, notes = guideline_in_range(), stated()
    assert sorted(notes) == sorted(GASES)
    for gas in GASES:
        T, value = points[gas]
        first, last, rms = notes[gas]
        assert (T[0], T[-1]) == (first, last), gas
        lnkH = aqvis.calculate(gas, T, 0, catalogue=cat)["lnkH"]
        assert np.sqrt(np.mean((lnkH - value) ** 2)) <= rms + 5e-5, gas
    # The built-in record stays as published; the refit corrects Ne's S0gas.
    assert aqvis.load_catalogue("guideline_refit")["Ne"].S0gas == 34.973
    assert next(s for s in aqvis.solutes() if s.formula == "Ne").S0gas == 39.974


@pytest.mark.parametrize("gas", GASES)
def test_shipped_parameters_and_covariance_are_the_refit_of_the_guideline_points(gas):
    """Guards the file against a model that changed under it."""
    T, value = guideline_in_range()[gas]
    f = aqvis.fit(gas, T, 0, "lnkH", value)
    cat = aqvis.load_catalogue("guideline_refit")
    np.testing.assert_allclose([cat[gas].xi, cat[gas].a, cat[gas].b], [f["xi"], f["a"], f["b"]], rtol=1e-12)
    np.testing.assert_allclose(cat.covariance(gas), f["covariance"], rtol=1e-9)


def test_draws_follow_the_covariance_and_repeat_with_the_seed():
    cat = aqvis.load_catalogue("guideline_refit")
    sigma = cat.covariance("CH4")
    p = aqvis.sample("CH4", 200_000, seed=3, catalogue=cat)
    draws = np.vstack([p["xi"], p["a"], p["b"]])
    scale = np.sqrt(np.outer(np.diag(sigma), np.diag(sigma)))
    # Sampling error of a covariance from 2e5 draws: about 0.3 % of the scale.
    assert np.abs(np.cov(draws) - sigma).max() / scale.max() < 0.01
    np.testing.assert_allclose(draws.mean(axis=1), [cat["CH4"].xi, cat["CH4"].a, cat["CH4"].b],
                               atol=4 * np.sqrt(np.diag(sigma) / 2e5).max())
    again = aqvis.sample("CH4", 200_000, seed=3, catalogue="guideline_refit")
    assert all(np.array_equal(p[k], again[k]) for k in p)
    assert aqvis.sample("CH4", 0, catalogue=cat)["xi"].shape == (0,)


def test_a_singular_covariance_keeps_the_draws_in_the_directions_it_allows(tmp_path):
    # xi held (row of zeros) and a, b perfectly anticorrelated: every draw has
    # xi as given and a + b as given.
    path = tmp_path / "held.csv"
    path.write_text("Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5,var_xi,var_a,var_b,cov_xi_a,cov_xi_b,cov_a_b\n"
                    "Xe,0.25,-9,12,0,40.5,4.968,0,0,0,0.04,0.04,0,0,-0.04\n")
    p = aqvis.sample("Xe", 10_000, seed=1, catalogue=str(path))
    assert np.all(p["xi"] == 0.25)
    np.testing.assert_allclose(p["a"] + p["b"], 3.0, atol=1e-13)
    assert np.std(p["a"]) == pytest.approx(0.2, rel=0.03)


@pytest.mark.parametrize("args, error, text", [
    (("N2", 10), ValueError, "N2 has no covariance of xi, a and b in the built-in catalogue"),
    (("N2", -1), ValueError, "n must be 0 or more"),
    (("N2", 2.5), TypeError, "n must be an int"),
    (("N2", True), TypeError, "n must be an int"),
    (("Xx", 10), ValueError, "unknown solute 'Xx'"),
])
def test_sample_refuses_what_it_cannot_draw(args, error, text):
    with pytest.raises(error, match=re.escape(text)):
        aqvis.sample(*args)


def test_a_covariance_that_is_not_one_is_refused_with_its_line(tmp_path):
    path = tmp_path / "bad.csv"
    path.write_text("Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5,var_xi,var_a,var_b,cov_xi_a,cov_xi_b,cov_a_b\n"
                    "# every correlation -0.6\nXe,0.25,-9,12,0,40.5,4.968,0,0,1,1,1,-0.6,-0.6,-0.6\n")
    with pytest.raises(ValueError, match="line 3: the covariance of xi, a and b is not positive semi-definite"):
        aqvis.load_catalogue(path)


# Liquid (at 1 bar, on the saturation curve) and steam (thin, dense), in
# calories and in joules: the energy unit reaches the u_ members as it
# reaches their members.
STATES = [("CO2", 25.0, 1.0, "cal"), ("N2", 300.0, 0.0, "J"), ("CH4", 450.0, 10.0, "cal"), ("H2", 480.0, 300.0, "J")]


@pytest.mark.parametrize("gas, T, P, E", STATES)
def test_command_line_uncertainties_are_those_of_three_shifted_calculations(cli, gas, T, P, E):
    """u = √(d Σ dᵀ), d the changes of `calc` with ξ, a and b each shifted by
    one unit: exact, as the properties are affine in them at a fixed state of
    water; u_K through ln K.  Python gives the same bits."""
    cat = aqvis.load_catalogue("guideline_refit")
    sigma, rec = cat.covariance(gas), cat[gas]

    def calc(*extra):
        return json.loads(cli("calc", gas, repr(T), repr(P), "--json", "--catalogue", "guideline_refit",
                              "--energy-unit", E, *extra))

    got = calc("--uncertainty")
    shifted = [calc("--xi", repr(float(p[0])), "--a", repr(float(p[1])), "--b", repr(float(p[2])))
               for p in np.array([rec.xi, rec.a, rec.b]) + np.eye(3)]
    for name in ("lnkH", "GTaqua", "S2", "V2", "Cp2", "HTaqua", "K"):
        f = np.log if name == "K" else float
        d = np.array([f(s[name]) - f(got[name]) for s in shifted])
        u = np.sqrt(d @ sigma @ d) * (got["K"] if name == "K" else 1.0)
        assert got["u_" + name] == pytest.approx(u, rel=1e-9, abs=0), name
    py = aqvis.calculate(gas, T, P, catalogue=cat, uncertainty=True, E_unit=E)
    for m in aqvis.members(uncertainty=True):
        assert_same_bits(py[m.name], got[m.name], m.name)
    units = aqvis.frame(gas, T, P, catalogue=cat, uncertainty=True, E_unit=E).attrs["units"]
    assert units["u_GTaqua"] == ("J/mol" if E == "J" else "cal/mol")


def test_monte_carlo_spread_of_lnkH_agrees_with_u_lnkH():
    """The standard deviation of lnkH over 100,000 draws of aqvis.sample is
    u_lnkH within 1 % (the sampling error of a standard deviation from 1e5
    draws is 0.22 %)."""
    cat = aqvis.load_catalogue("guideline_refit")
    for gas, T, P in (("CO2", 25.0, 1.0), ("C2H6", 450.0, 50.0)):
        draws = aqvis.sample(gas, 100_000, seed=7, catalogue=cat)
        lnkH = aqvis.calculate(gas, T, P, catalogue=cat, members=["lnkH"], **draws)["lnkH"]
        u = aqvis.calculate(gas, T, P, catalogue=cat, uncertainty=True)["u_lnkH"]
        assert abs(np.std(lnkH, ddof=1) / u - 1) < 0.01, gas


def run_cli(*args, stdin=None):
    return subprocess.run([os.environ["AQVIS_CLI"], *args], input=stdin, capture_output=True, text=True, timeout=120)


REFIT = ("--catalogue", "guideline_refit")


@pytest.mark.parametrize("args, says", [
    (("calc", "N2", "25", "1"), "--uncertainty: N2 has no covariance of xi, a and b (the built-in solutes have none)"),
    (("calc", "CO2", "25", "1", *REFIT, "--a", "-9"), "not of values given instead; leave out --xi, --a and --b"),
    (("grid", "CO2,NH3", "--temp", "25", "--press", "1", *REFIT), "--uncertainty: NH3 has no covariance"),
    (("grid", "water", "--temp", "25", "--press", "1"), "water alone has no solute, so no --uncertainty"),
])
def test_without_a_covariance_calc_and_grid_refuse_rather_than_show_zeros(args, says):
    p = run_cli(*args, "--uncertainty")
    assert (p.returncode, p.stdout) == (2, "") and says in p.stderr, p.stderr


def test_a_batch_goes_on_with_null_uncertainties_and_says_why_once():
    p = run_cli("batch", "--json", "--uncertainty", *REFIT,
                stdin="CO2,25,1\nNH3,25,1\nCO2,25,1,-0.1,-9,11\nNH3,50,1\n")
    rows = [json.loads(line) for line in p.stdout.splitlines()]
    names = [m.name for m in aqvis.members(uncertainty=True) if m.name.startswith("u_")]
    assert p.returncode == 0 and len(rows) == 4
    assert all(rows[0][n] > 0 for n in names)
    assert all(r[n] is None for r in rows[1:] for n in names)
    assert p.stderr.count("note: NH3 has no covariance") == 1
    assert "note: the covariance of CO2 is that of its catalogue values" in p.stderr


@pytest.mark.parametrize("kw, says", [
    (dict(), "uncertainty=True: N2 has no covariance of xi, a and b in the built-in catalogue"),
    (dict(catalogue="guideline_refit", xi=0.1), "leave xi, a and b out"),
])
def test_python_refuses_uncertainties_it_cannot_give(kw, says):
    with pytest.raises(ValueError, match=re.escape(says)):
        aqvis.calculate("N2", 25, 1, uncertainty=True, **kw)
