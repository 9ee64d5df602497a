"""aqvis.dask.calculate: the calculation on dask arrays, block by block, so a
table larger than one machine's memory runs on a dask.distributed cluster."""

import math

import numpy as np
import dask.array as da

from . import _calculate as _calc
from ._catalogue import _record

_KIND_DTYPE = np.dtype(f"<U{max(len(k) for k in _calc._KIND_IDS)}")


def _block(*blocks, solute, given, threads, picked):
    """The members of `picked` (indices, no kind) of one block, stacked along
    a last axis; the failure code (as a float) after them."""
    inputs = {name: np.asarray(b, dtype=np.float64) for name, b in zip(given, blocks)}
    values, codes, _, _ = _calc._run(solute, inputs, threads, picked)
    out = np.empty(codes.shape + (len(picked) + 1,))
    for k, index in enumerate(picked):
        out[..., k] = values[_calc._NAMES[index]]
    out[..., len(picked)] = codes
    return out


def _kind_block(codes):
    names = np.array(_calc._KIND_IDS, dtype=_KIND_DTYPE)
    return names[codes.astype(np.intp)]


def _as_dask(name, value):
    if isinstance(value, da.Array):
        _calc._check_dtype(name, value.dtype)
        if any(math.isnan(extent) for extent in value.shape):
            raise ValueError(f"{name} has unknown chunk sizes (shape {value.shape}); compute them first: "
                             f"{name}.compute_chunk_sizes(), or to_dask_array(lengths=True) of a dask DataFrame")
        return value.astype(np.float64)
    return da.from_array(_calc._as_float_array(name, value))


def _aligned(arrays, shape):
    """The arrays broadcast to `shape`, with the same blocks: along each axis
    the blocks of the first array that spans it."""
    arrays = {n: x.reshape((1,) * (len(shape) - x.ndim) + x.shape) for n, x in arrays.items()}
    chunks = []
    for d, size in enumerate(shape):
        spanning = [x.chunks[d] for x in arrays.values() if x.shape[d] == size]
        chunks.append(spanning[0] if spanning else (size,))
    out = {}
    for n, x in arrays.items():
        own = tuple(chunks[d] if x.shape[d] == shape[d] else x.chunks[d] for d in range(len(shape)))
        out[n] = da.broadcast_to(x.rechunk(own), shape, chunks=tuple(chunks))
    return out


def calculate(solute, T, P, *, xi=None, a=None, b=None, threads=1, catalogue=None, members=None):
    """:func:`aqvis.calculate` on dask arrays, computed block by block.

    Args:
        solute: formula of a built-in solute, e.g. ``"CH4"``, or of one in
            `catalogue` (an :class:`aqvis.Catalogue` or the path of a
            catalogue file; None: the built-in solutes).
        T: temperature in °C (dask array, array-like or number).
        P: pressure in bar, 0 = saturation pressure.
        xi, a, b: parameters ξ [1], a [cm3/g], b [cm3/g]; None keeps the
            solute's own.
        threads: threads per block (1 to 1024, or None for every core of
            the worker).  The default 1 leaves the parallel work to the
            cluster: one block per worker thread.
        members: names of the members to compute and return (``"kind"``
            too), as for :func:`aqvis.calculate`; None: all of them.

    The inputs broadcast together; blocks follow the first input that spans
    each axis.  Returns a dict from member name to a dask array of the
    broadcast shape, the members of :func:`aqvis.calculate` in the same
    order and units, ``"kind"`` (string array, empty where computed) and
    ``"in_range"`` (True where the point lies inside the model's range; no
    RangeWarning is emitted from the blocks).
    All members of a block come from one task: compute or store them
    together (``dask.compute(*r.values())``, ``da.store``, ``da.to_zarr(...,
    compute=False)``) so each block is computed once.
    """
    solute = _record(solute, catalogue)
    threads = _calc._check_threads(threads)
    picked = _calc._selection(members)
    if picked is None:
        picked = tuple(range(len(_calc._NAMES)))
    computed = tuple(i for i in picked if i != _calc._KIND)
    arrays = {name: _as_dask(name, v)
              for name, v in zip(_calc._INPUTS, (T, P, xi, a, b)) if v is not None or name in ("T", "P")}
    shape = _calc._broadcast_shape((name, x.shape) for name, x in arrays.items())
    scalar = shape == ()
    if scalar:
        shape = (1,)
    arrays = _aligned(arrays, shape)
    first = next(iter(arrays.values()))
    stacked = da.map_blocks(
        _block, *arrays.values(), solute=solute, given=tuple(arrays), threads=threads, picked=computed,
        dtype=np.float64, new_axis=len(shape), chunks=first.chunks + ((len(computed) + 1,),),
        meta=np.empty((0,) * (len(shape) + 1)))
    result = {}
    for index in picked:
        if index == _calc._KIND:
            result["kind"] = stacked[..., len(computed)].map_blocks(_kind_block, dtype=_KIND_DTYPE)
        elif index == _calc._CASE.in_range:
            result["in_range"] = stacked[..., computed.index(index)].astype(bool)
        else:
            result[_calc._NAMES[index]] = stacked[..., computed.index(index)]
    if scalar:
        result = {name: x.reshape(()) for name, x in result.items()}
    return result
