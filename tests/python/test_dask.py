"""aqvis.dask on a local cluster of two worker processes: the same numbers
as aqvis.calculate, block by block."""

import logging

import numpy as np
import pytest

import aqvis

da = pytest.importorskip("dask.array")
distributed = pytest.importorskip("distributed")

MEMBERS = [m.name for m in aqvis.members()]


@pytest.fixture(scope="module")
def client():
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                       dashboard_address=None, silence_logs=logging.ERROR)
    c = distributed.Client(cluster, timeout="60s")
    yield c
    c.close(timeout=30)
    cluster.close(timeout=30)


def test_blocks_on_the_cluster_match_one_call(client):
    # Chunks of different sizes on the two axes, a broadcast parameter and a
    # failing corner (0 bar above the critical temperature).
    T = da.from_array(np.linspace(0, 450, 60), chunks=17)
    P = da.from_array(np.array([0.0, 1.0, 300.0, 1000.0]), chunks=3)
    xi = np.array([-0.2102, -0.1])[:, None, None]
    r = aqvis.dask.calculate("H2S", T[None, :], P[:, None], xi=xi)
    assert r["lnkH"].shape == (2, 4, 60) and r["lnkH"].chunks[2] == (17, 17, 17, 9)
    computed = client.compute(r).result(timeout=120)
    expected = aqvis.calculate("H2S", np.linspace(0, 450, 60)[None, :],
                               np.array([0.0, 1.0, 300.0, 1000.0])[:, None], xi=xi)
    assert list(computed) == MEMBERS + ["kind", "in_range"]
    for name in MEMBERS:
        np.testing.assert_array_equal(computed[name], expected[name], err_msg=name)
    np.testing.assert_array_equal(computed["kind"], expected["kind"])
    np.testing.assert_array_equal(computed["in_range"], expected["in_range"])
    assert (computed["kind"] == "division_by_zero").any()


def test_table_written_block_by_block(client, tmp_path):
    zarr = pytest.importorskip("zarr")
    T = da.arange(0, 300, 1.5, chunks=50)
    r = aqvis.dask.calculate("CH4", T, 0)
    writes = [da.to_zarr(r[name], str(tmp_path / "table.zarr"), component=name, compute=False)
              for name in ("TC", "Pbar", "lnkH")]
    client.compute(writes, sync=True)
    table = zarr.open(str(tmp_path / "table.zarr"), mode="r")
    np.testing.assert_array_equal(table["lnkH"][:], aqvis.calculate("CH4", np.arange(0, 300, 1.5), 0)["lnkH"])


def test_single_numbers_and_bad_arguments(client):
    r = aqvis.dask.calculate("N2", 25, 1)
    assert r["lnkH"].shape == ()
    assert client.compute(r["lnkH"]).result(timeout=60) == aqvis.calculate("N2", 25, 1)["lnkH"]
    with pytest.raises(ValueError, match="P of shape"):
        aqvis.dask.calculate("N2", da.zeros(3, chunks=2), da.zeros(4, chunks=2))
    with pytest.raises(TypeError, match="T must be"):
        aqvis.dask.calculate("N2", da.from_array(np.array(["1"])), 1)
    with pytest.raises(ValueError, match="unknown solute"):
        aqvis.dask.calculate("Xe", 25, 1)
    unknown = da.from_array(np.arange(10.0), chunks=5)
    unknown = unknown[unknown > 2]  # chunk sizes known only once computed
    with pytest.raises(ValueError, match=r"T has unknown chunk sizes.*compute_chunk_sizes\(\)"):
        aqvis.dask.calculate("N2", unknown, 1)
    assert np.array_equal(aqvis.dask.calculate("N2", unknown.compute_chunk_sizes(), 1)["lnkH"].compute(),
                          aqvis.calculate("N2", np.arange(3.0, 10.0), 1)["lnkH"])


def test_members_and_failures_of_a_worker(client):
    T = da.from_array(np.array([25.0, 400.0, 60.0]), chunks=2)
    r = aqvis.dask.calculate("N2", T, 0, members=["kind", "V2"])
    assert list(r) == ["kind", "V2"]
    computed = client.compute(r).result(timeout=60)
    expected = aqvis.calculate("N2", np.array([25.0, 400.0, 60.0]), 0)
    np.testing.assert_array_equal(computed["V2"], expected["V2"])
    np.testing.assert_array_equal(computed["kind"], expected["kind"])
    # A single state that fails on a worker reaches the caller as itself.
    with pytest.raises(aqvis.CalculationError) as e:
        client.submit(aqvis.calculate, "N2", 400, 0).result(timeout=60)
    assert (e.value.kind, e.value.temperature, e.value.pressure) == ("division_by_zero", 400.0, 0.0)
