"""aqvis.calculate, aqvis.frame and the catalogue against aqvis-cli, which
runs the same cases through its own front end; bad arguments."""

import copy
import math
import multiprocessing
import os
import pickle
import subprocess
import sys
import tracemalloc
import warnings
from concurrent.futures import ProcessPoolExecutor

import numpy as np
import pandas as pd
import pytest

import aqvis
from conftest import assert_same_bits, read_grid_csv, read_json_lines

MEMBERS = [m.name for m in aqvis.members()]


@pytest.mark.parametrize("solute, temps, presses", [
    ("N2", [0.01, 25, 99.5, 250, 373], [0, 1, 500]),   # saturation, liquid, 373 °C near the critical point
    ("CH4", [300, 374, 450, 700], [0, 250, 1000]),     # 0 bar above the critical temperature fails
    ("H3AsO3", [-10, 5, 150], [1, 2000]),              # below 0 °C
])
def test_grid_points_match_the_command_line(cli, solute, temps, presses):
    text = cli("grid", solute, "--temp", ",".join(map(repr, temps)),
               "--press", ",".join(map(repr, presses)), "--columns", "all", "--no-progress")
    expected, header = read_grid_csv(text)
    # Rows run over pressure, then temperature: C order of P[:, None], T[None, :].
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", aqvis.RangeWarning)
        r = aqvis.calculate(solute, np.array(temps)[None, :], np.array(presses)[:, None], threads=2)
    assert list(r) == MEMBERS + ["kind", "in_range"]
    assert [h.split(" [")[0] for h in header] == ["Formula"] + MEMBERS + ["warning", "error"]
    for name in MEMBERS:
        assert r[name].shape == (len(presses), len(temps))
        assert_same_bits(r[name], expected[name], name)
    assert list(r["kind"].reshape(-1)) == expected["error"]
    # The command line flags the points that Python finds outside the range.
    assert list(~r["in_range"].reshape(-1)) == ["the model's range" in w for w in expected["warning"]]


def test_parameter_sample_matches_batch(cli):
    # A Monte Carlo over ξ, a, b broadcast against two states, one of which fails.
    rng = np.random.default_rng(7)
    xi = -0.032 + 0.01 * rng.standard_normal(4)
    a = -11.538 + 0.2 * rng.standard_normal(4)
    b = 14.6278 + 0.2 * rng.standard_normal(4)
    T = np.array([[60.0], [400.0]])
    P = np.array([[0.0], [0.0]])
    r = aqvis.calculate("N2", T, P, xi=xi, a=a, b=b, threads=2)
    assert r["V2"].shape == (2, 4)
    lines = "".join(f"N2,{t!r},{p!r},{x!r},{y!r},{z!r}\n"
                    for t, p in zip(T[:, 0], P[:, 0]) for x, y, z in zip(xi, a, b))
    cases = read_json_lines(cli("batch", "-", "--json", stdin=lines))
    assert len(cases) == 8
    kinds = r["kind"].reshape(-1)
    for i, case in enumerate(cases):
        if "kind" in case:
            assert kinds[i] == case["kind"]
            assert all(math.isnan(r[n].reshape(-1)[i]) for n in ("lnkH", "K", "TK"))
            continue
        assert kinds[i] == ""
        for name in MEMBERS:
            assert_same_bits(r[name].reshape(-1)[i], case[name], name)


def test_threads_and_strided_inputs_give_the_same_points():
    # 3,000 points cross many hand-out units; inputs read through strides.
    T = np.linspace(0, 360, 120)
    P = np.linspace(0, 800, 50)
    ref = aqvis.calculate("CO2", T[:, None].copy(), np.ascontiguousarray(np.broadcast_to(P, (120, 50))),
                          xi=-0.085, threads=1)
    T_strided = np.repeat(T, 2)[::2][:, None]
    P_fortran = np.asfortranarray(np.broadcast_to(P, (120, 50)))
    for threads in (2, 3, 7):
        r = aqvis.calculate("CO2", T_strided, P_fortran, xi=np.array([-0.085]),
                            threads=threads)
        for name in MEMBERS:
            assert_same_bits(r[name], ref[name], name)
        assert np.array_equal(r["kind"], ref["kind"])


def test_non_finite_values_fail_only_their_point():
    T = np.array([25.0, np.nan, 50.0, np.inf, 75.0])
    xi = np.array([0.1, 0.1, -np.inf, 0.1, 0.1])
    r = aqvis.calculate("O2", T, 1, xi=xi)
    assert list(r["kind"]) == ["", "type_mismatch", "type_mismatch", "type_mismatch", ""]
    assert np.isnan(r["lnkH"][[1, 2, 3]]).all()
    assert_same_bits(r["TC"], T)  # a failed point keeps its inputs
    clean = aqvis.calculate("O2", [25.0, 75.0], 1, xi=0.1)
    assert_same_bits(r["lnkH"][[0, 4]], clean["lnkH"])


def test_single_state(cli):
    expected = read_json_lines(cli("calc", "NH3", "120", "0", "--json"))[0]
    r = aqvis.calculate("NH3", 120, 0)
    assert r["lnkH"].shape == () and r["kind"].shape == ()
    for name in MEMBERS:
        assert_same_bits(r[name], expected[name], name)
    with pytest.raises(aqvis.CalculationError) as e:
        aqvis.calculate("NH3", 500, 0)
    failed = read_json_lines(cli("calc", "NH3", "500", "0", "--json"))[0]
    assert (e.value.kind, e.value.temperature, e.value.pressure) == (failed["kind"], 500.0, 0.0)
    assert str(e.value) == failed["error"]


MINE = "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\nN2,0.1,-10.5,13.9,0,45.77,6.76,0.606,0.13\n"
# Single states in a row, as a loop calls them: solutes, parameters, a
# catalogue's N2 beside the built-in one and negative zeros follow each other,
# so a solute kept from the call before would show.  (solute, T, P, xi, a, b, mine)
SINGLE_STATES = [
    ("N2", 25, 1, None, None, None, False),
    ("N2", 25.0, 1.0, 0.1, -12, 15, False),
    ("N2", np.float64(25), 1, None, None, None, False),
    ("N2", 25, 1, None, None, None, True),
    ("N2", 25, 1, None, None, None, False),
    ("CO2", 150, 0, None, None, None, False),
    ("N2", -0.0, 1, None, None, None, False),
    ("N2", 25, -0.0, None, None, None, False),
    ("N2", 25, 1, -0.0, -0.0, -0.0, False),
    ("N2", 400, 0, None, None, None, False),   # no saturation pressure above the critical point
    ("CH4", 300, 500, -0.1, -12, 15, True),
]


def test_single_states_in_a_row_match_batch(cli, tmp_path):
    mine = tmp_path / "mine.csv"
    mine.write_text(MINE)
    lines = "".join(",".join("" if v is None else repr(float(v)) if not isinstance(v, str) else v
                             for v in case[:6]).rstrip(",") + "\n" for case in SINGLE_STATES)
    expected = {False: read_json_lines(cli("batch", "-", "--json", stdin=lines)),
                True: read_json_lines(cli("batch", "-", "--json", "--catalogue", str(mine), stdin=lines))}
    catalogue = aqvis.load_catalogue(mine)
    for i, (solute, T, P, xi, a, b, own) in enumerate(SINGLE_STATES):
        case = expected[own][i]
        args = dict(xi=xi, a=a, b=b, catalogue=catalogue if own else None)
        if "kind" in case:
            with pytest.raises(aqvis.CalculationError) as e:
                aqvis.calculate(solute, T, P, **args)
            assert (e.value.kind, str(e.value)) == (case["kind"], case["error"])
            continue
        one = aqvis.calculate(solute, T, P, **args)
        array = aqvis.calculate(solute, [T], [P], **args)
        assert list(one) == MEMBERS + ["kind", "in_range"] and one["kind"] == "" and array["kind"][0] == ""
        for name in MEMBERS:
            assert type(one[name]) is np.float64 and one[name].shape == ()
            assert_same_bits(one[name], case[name], f"{i} {name}")
            assert_same_bits(array[name], case[name], f"{i} {name}")


@pytest.mark.parametrize("T, members", [
    (25, ["lnkH"]),
    (25, ["kind", "V2", "lnkH", "V2"]),
    ([[25.0, 400.0], [50.0, 60.0]], ["K", "TC"]),
    ([[25.0, 400.0], [50.0, 60.0]], ["kind", "lnkH"]),
    (np.linspace(0, 350, 700), ["Cp2", "kind"]),
])
def test_members_limit_what_is_returned(T, members):
    full = aqvis.calculate("H2S", T, 0)
    r = aqvis.calculate("H2S", T, 0, members=members)
    assert list(r) == list(dict.fromkeys(members))
    for name in r:
        if name == "kind":
            assert np.array_equal(r[name], full[name])
        else:
            assert_same_bits(r[name], full[name], name)
    df = aqvis.frame("H2S", T, 0, members=members)
    assert list(df.columns) == list(r) and set(df.attrs["units"]) == set(r)


@pytest.mark.parametrize("call, error, words", [
    (lambda: aqvis.calculate("N2", [1, 2, 3], [1, 2]), ValueError, "P of shape (2,)"),
    (lambda: aqvis.calculate("N2", [1, 2], 1, xi=[1, 2, 3]), ValueError, "xi of shape (3,)"),
    (lambda: aqvis.calculate("N2", ["25"], 1), TypeError, "T must be"),
    (lambda: aqvis.calculate("N2", 25, [1 + 2j]), TypeError, "P must be"),
    (lambda: aqvis.calculate("N2", 25, 1, a=[[1], [2, 3]]), TypeError, "a must be"),
    (lambda: aqvis.calculate("N2", 25, 1, b=True), TypeError, "b must be"),
    (lambda: aqvis.calculate("N2", 25, 1, b=object()), TypeError, "b must be"),
    (lambda: aqvis.calculate("N2", math.nan, 1), ValueError, "T must be a finite number"),
    (lambda: aqvis.calculate("N2", 25, 1, xi=math.inf), ValueError, "xi must be a finite number"),
    (lambda: aqvis.calculate("N3", 25, 1), ValueError, "unknown solute 'N3'"),
    (lambda: aqvis.calculate(None, 25, 1), TypeError, "solute"),
    (lambda: aqvis.calculate("N2", 25, 1, threads=0), ValueError, "threads"),
    (lambda: aqvis.calculate("N2", 25, 1, threads=-3), ValueError, "threads"),
    (lambda: aqvis.calculate("N2", 25, 1, threads=10**9), ValueError, "threads"),
    (lambda: aqvis.calculate("N2", 25, 1, threads=2.0), TypeError, "threads"),
    (lambda: aqvis.calculate("N2", 25, 1, threads=True), TypeError, "threads"),
    (lambda: aqvis.frame("N2", [1, 2], [1, 2, 3]), ValueError, "P of shape (3,)"),
    (lambda: aqvis.calculate("N2", 25, 1, members=["lnKH"]), ValueError, "unknown member 'lnKH'"),
    (lambda: aqvis.calculate("N2", 25, 1, members="lnkH"), TypeError, "list of member names"),
    (lambda: aqvis.calculate("N2", pd.Series([25.0, None], dtype="Float64"), 1), ValueError,
     "dtype Float64) holds missing values"),
    (lambda: aqvis.calculate("N2", 25, pd.array([1, None], dtype="Int64")), ValueError, "dtype Int64"),
    (lambda: aqvis.calculate("N2", pd.Series(["25"], dtype="string"), 1), TypeError, "not of dtype string"),
])
def test_bad_arguments_are_named(call, error, words):
    with pytest.raises(error) as e:
        call()
    assert words in str(e.value)


def test_empty_arrays_give_empty_results():
    r = aqvis.calculate("N2", np.zeros((0, 3)), 1)
    assert r["V2"].shape == (0, 3) and r["kind"].shape == (0, 3)


def test_memory_is_the_result_arrays():
    n = 100_000
    T = np.linspace(0, 300, n)
    aqvis.calculate("N2", T[:10], 1)  # warm up
    tracemalloc.start()
    r = aqvis.calculate("N2", T, 1)
    _, peak = tracemalloc.get_traced_memory()
    tracemalloc.stop()
    results = sum(v.nbytes for v in r.values())
    assert r["kind"].dtype.kind == "U" and all(r[m].dtype == np.float64 for m in MEMBERS)
    assert peak < results + n + 1_000_000  # + the failure codes, one byte a point


def test_frame_columns_units_and_values(cli):
    df = aqvis.frame("C2H6", [25, 50, 75], [[1], [100]])
    assert list(df.columns) == MEMBERS + ["kind", "in_range"] and len(df) == 6
    header = read_grid_csv(cli("grid", "C2H6", "--temp", "25", "--press", "1", "--columns", "all"))[1]
    units = {h.split(" [")[0]: h.split(" [")[1].rstrip("]") for h in header if " [" in h}
    assert {k: v for k, v in df.attrs["units"].items() if k not in ("kind", "in_range")} == units
    r = aqvis.calculate("C2H6", [25, 50, 75], [[1], [100]])
    assert_same_bits(df["Cp2"], r["Cp2"])
    assert df.attrs["solute"] == "C2H6"


def test_catalogue_matches_the_list(cli):
    listed = [line.split(None, 9) for line in cli("list").splitlines()[1:]]
    solutes = aqvis.solutes()
    assert [s.formula for s in solutes] == [row[0] for row in listed]
    for s, row in zip(solutes, listed):
        assert [s.xi, s.a, s.b, s.G0gas, s.S0gas, s.agas, s.bgasE3, s.cgasEmin5] == \
            [float(v) for v in row[1:9]], s.formula
        assert s.menu == row[9].split("  ")[0]  # a note may follow


def test_pandas_nullable_arrays_without_missing_values_are_numbers():
    T, P = [0.5, 25.0, 300.0], [1, 300, 1000]
    expected = aqvis.calculate("O2", T, P)
    for t, p in [(pd.Series(T, dtype="Float64"), pd.array(P, dtype="Int64")),
                 (pd.array(T, dtype="Float64"), pd.Index(P, dtype="Int64"))]:
        r = aqvis.calculate("O2", t, p)
        for name in MEMBERS:
            assert_same_bits(r[name], expected[name], name)


def failing_calls():
    """A real instance of every exception class the module has, by name."""
    def fail(call):
        try:
            call()
        except Exception as e:
            return e
        raise AssertionError("did not fail")
    def outside():
        with warnings.catch_warnings():
            warnings.simplefilter("error")
            aqvis.calculate("N2", 600, 1)
    return {"CalculationError": fail(lambda: aqvis.calculate("N2", 400, 0)), "RangeWarning": fail(outside),
            "FitError": fail(lambda: aqvis.fit("N2", [25, 25, 25], 1, "lnkH", [11.3, 11.3, 11.4]))}


def calculate_in_worker(T):
    return aqvis.calculate("N2", T, 0)["lnkH"]


def test_every_exception_survives_pickle_copy_and_process_pools():
    errors = failing_calls()
    classes = {n for n in dir(aqvis) if isinstance(getattr(aqvis, n), type)
               and issubclass(getattr(aqvis, n), BaseException)}
    assert classes == set(errors), "an exception class without a failing call here"
    for name, e in errors.items():
        for twin in (pickle.loads(pickle.dumps(e)), copy.deepcopy(e), copy.copy(e)):
            assert type(twin) is type(e) and str(twin) == str(e) and vars(twin) == vars(e), name
    # A worker's failure reaches the caller with its kind, instead of a pool that waits for ever.
    with multiprocessing.get_context("spawn").Pool(1) as pool:
        with pytest.raises(aqvis.CalculationError) as e:
            pool.map_async(calculate_in_worker, [25.0, 400.0]).get(timeout=120)
    assert e.value.kind == "division_by_zero" and e.value.temperature == 400.0
    with ProcessPoolExecutor(1, mp_context=multiprocessing.get_context("spawn")) as pool:
        with pytest.raises(aqvis.CalculationError) as e:
            pool.submit(calculate_in_worker, 400.0).result(timeout=120)
    assert e.value.kind == "division_by_zero"


INTERRUPTED = """
import os, resource, signal, sys, threading, time, traceback
import numpy as np, aqvis
# A call that does not stop fails on memory rather than filling the machine.
resource.setrlimit(resource.RLIMIT_AS, (6 << 30, 6 << 30))
n = 2_000_000
T = np.linspace(0.0, 300.0, n)  # every point a state of its own
calls = {
    "fit": lambda: aqvis.fit("N2", T, 1.0, "lnkH", np.full(n, 11.0)),
    "calculate, one thread": lambda: aqvis.calculate("N2", np.tile(T, 5), 1.0, threads=1, members=["lnkH"]),
    "calculate, two threads": lambda: aqvis.calculate("N2", np.tile(T, 5), 1.0, threads=2, members=["lnkH"]),
}
threading.Timer(1.5, os.kill, (os.getpid(), signal.SIGINT)).start()
start = time.monotonic()
try:
    calls[sys.argv[1]]()
except KeyboardInterrupt as e:
    # Stopped in the compiled core, not in the Python around it.
    print(time.monotonic() - start - 1.5, "_core." in traceback.extract_tb(e.__traceback__)[-1].line)
else:
    sys.exit("ran to its end")
"""


@pytest.mark.parametrize("call", ["fit", "calculate, one thread", "calculate, two threads"])
def test_ctrl_c_stops_long_calls(call):
    # Each call takes tens of seconds uninterrupted; Ctrl-C must end it within about a second.
    p = subprocess.run([sys.executable, "-c", INTERRUPTED, call], capture_output=True, text=True, timeout=300,
                       env=dict(os.environ))
    assert p.returncode == 0, p.stderr
    delay, in_core = p.stdout.split()
    assert float(delay) < 2.0 and in_core == "True", p.stdout
