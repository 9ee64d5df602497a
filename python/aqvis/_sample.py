"""aqvis.sample: parameter sets drawn from the covariance of a solute's fit."""

import numbers

import numpy as np

from ._catalogue import _catalogue_of, _covariance_of


def sample(solute, n, seed=None, catalogue=None):
    """Draws `n` parameter sets (ξ, a, b) of `solute` from the multivariate
    normal distribution of its catalogue values and their covariance, for a
    Monte Carlo: ``aqvis.calculate(solute, T, P, catalogue=cat,
    **aqvis.sample(solute, n, catalogue=cat))``.

    Every property is affine in ξ, a and b at a fixed state of water, so the
    standard uncertainty that ``uncertainty=True`` gives is exact and needs no
    sampling; this is for what is not linear in them (a solubility, a
    quantity formed from several states).

    A covariance may be singular (a parameter held in the fit, or ξ, a and b
    known exactly along some direction): the draws come from its
    eigen-decomposition, with eigenvalues below zero by round-off taken as
    zero, so they never leave the directions the covariance allows.

    Args:
        solute: formula of a solute of `catalogue` that has a covariance.
        n: number of draws (an int, 0 or more).
        seed: seed of the random generator (an int, None for fresh entropy,
            or a numpy Generator, used as it is): numpy.random.default_rng.
        catalogue: an :class:`aqvis.Catalogue`, the path of a catalogue
            file or the name of a shipped one (``"guideline_refit"``).

    Returns:
        A dict with arrays ``xi``, ``a`` and ``b`` of length `n`.

    Raises:
        ValueError: an unknown solute, one without a covariance (the
            built-in solutes have none), a negative `n`.
        TypeError: `n` that is not an int.
    """
    if isinstance(n, bool) or not isinstance(n, numbers.Integral):
        raise TypeError(f"n must be an int, not {type(n).__name__}")
    if n < 0:
        raise ValueError(f"n must be 0 or more, not {n}")
    cat = _catalogue_of(catalogue)
    if not isinstance(solute, str) or solute not in cat:
        raise ValueError(f"solute: unknown solute {solute!r}; known are {', '.join(cat)}")
    sigma = _covariance_of(cat, solute, "solute")
    record = cat[solute]
    mean = np.array([record.xi, record.a, record.b])
    values, vectors = np.linalg.eigh(sigma)
    factor = vectors * np.sqrt(np.clip(values, 0.0, None))
    draws = mean + np.random.default_rng(seed).standard_normal((int(n), 3)) @ factor.T
    return {"xi": draws[:, 0].copy(), "a": draws[:, 1].copy(), "b": draws[:, 2].copy()}
