"""Shared helpers of the Python tests: the built aqvis-cli, which every
number of the module must match to the last bit."""

import csv
import io
import json
import math
import os
import subprocess

import numpy as np
import pytest


@pytest.fixture(scope="session")
def cli():
    """Runs the built aqvis-cli with `args` (and `stdin`) and returns its
    standard output; exit status 0 or 1 (a point failed) is expected."""
    path = os.environ.get("AQVIS_CLI")
    if not path:
        pytest.fail("AQVIS_CLI names no aqvis-cli to compare with")

    def run(*args, stdin=None):
        p = subprocess.run([path, *args], input=stdin, capture_output=True, text=True, timeout=120)
        assert p.returncode in (0, 1), p.stderr
        return p.stdout

    return run


def read_grid_csv(text):
    """`aqvis-cli grid --columns all` output as {member: float array}, plus
    "error" and "warning": lists of str."""
    rows = list(csv.reader(io.StringIO(text)))
    names = [h.split(" [")[0] for h in rows[0]]
    cols = {n: [] for n in names}
    for row in rows[1:]:
        for n, v in zip(names, row):
            cols[n].append(v)
    out = {n: np.array([float(v) if v else math.nan for v in cols[n]])
           for n in names if n not in ("Formula", "error", "warning")}
    out["error"] = cols["error"]
    out["warning"] = cols["warning"]
    return out, rows[0]


def read_json_lines(text):
    return [json.loads(line) for line in text.splitlines()]


def assert_same_bits(actual, expected, name=""):
    """Equal as doubles to the last bit (NaN where the other is NaN)."""
    actual = np.asarray(actual, dtype=np.float64).reshape(-1)
    expected = np.asarray(expected, dtype=np.float64).reshape(-1)
    assert actual.shape == expected.shape, name
    nan = np.isnan(expected)
    assert np.array_equal(np.isnan(actual), nan), name
    assert np.array_equal(actual[~nan].view(np.uint64), expected[~nan].view(np.uint64)), name
