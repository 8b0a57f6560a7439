"""Options, reproducibility and the stopping of an analysis from Python."""

import os
import signal
import threading
import time

import numpy as np
import pytest

import quorel

ARRAYS = ["kappa", "kappa_proportion", "theta", "standardized_kappa_proportion", "partial_order", "matrices"]


def test_same_seed_same_arrays_other_seed_other_proportions(padgett):
    first = quorel.analyze(padgett, sample_size=80, seed=4, threads=2)
    again = quorel.analyze(padgett, sample_size=80, seed=4, threads=1)
    for name in ARRAYS:
        np.testing.assert_array_equal(getattr(first, name), getattr(again, name), err_msg=name)
    other = quorel.analyze(padgett, sample_size=80, seed=5)
    assert not np.array_equal(first.theta, other.theta, equal_nan=True)


@pytest.mark.parametrize("keywords, error, message", [
    ({"bogus": 1}, TypeError, "unexpected keyword argument 'bogus'"),
    ({"sample_size": "many"}, TypeError, "sample_size must be an integer"),
    ({"sample_size": 2.5}, TypeError, "sample_size must be an integer"),
    ({"sample_size": 40000}, ValueError, "sample_size = 40000 is outside 0..32767"),
    ({"transposes": 1}, TypeError, "transposes must be True or False"),
    ({"measure_control": "MZ"}, ValueError, "'MZ' is not one of"),
    ({"permutation_strategy": "shuffle"}, ValueError, "'shuffle' is not one of"),
    ({"diagonal": "none"}, ValueError, "'none' is not one of"),
    ({"omega_from": "exact"}, quorel.Error, "needs exact_p"),
])
def test_bad_options(padgett, keywords, error, message):
    with pytest.raises(error, match=message):
        quorel.analyze(padgett, **keywords)


def test_options_reach_the_analysis(padgett):
    result = quorel.analyze(padgett, sample_size=20, cutoffs=[0.05, 0.01], permutation_strategy="pairs",
                            measure_control="MC", diagonal="include-all", factor_omega=True)
    used = result.options
    assert (used["sample_size"], used["permutation_strategy"], used["diagonal"]) == (20, "pairs", "include-all")
    assert [round(level.alpha, 6) for level in result.levels] == [0.05, 0.01]
    assert all(level.atoms for level in result.levels)
    # McNemar's proportion is sampled only when each pair is permuted.
    assert not np.all(np.isnan(result.mcnemar_z_proportion))
    assert np.all(np.isnan(quorel.analyze(padgett, sample_size=20).mcnemar_z_proportion))


def test_generator_products_only_has_no_closures(padgett):
    level = quorel.analyze(padgett, sample_size=10, generator_products_only=True).levels[0]
    assert level.omega is not None
    assert level.lower_omega is None and level.omega_closure is None and level.lower_omega_closure is None


def test_ctrl_c_stops_a_long_analysis():
    """SIGINT during the sampling stops it promptly with KeyboardInterrupt."""
    generator = np.random.default_rng(1)
    network = quorel.Network.from_matrices(generator.random((3, 40, 40)) < 0.15)
    timer = threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT))
    started = time.monotonic()
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            quorel.analyze(network, sample_size=32767, max_word_length=3, threads=2)
    finally:
        timer.cancel()
    assert time.monotonic() - started < 20


def test_progress_reaches_the_callback_and_its_exception_stops_the_run():
    """The callback hears the steps as they move; raising in it ends the analysis with that error."""
    generator = np.random.default_rng(2)
    network = quorel.Network.from_matrices(generator.random((3, 30, 30)) < 0.15)
    heard = []
    quorel.analyze(network, sample_size=10000, max_word_length=3, progress=lambda *mark: heard.append(mark))
    assert {"sampling"} <= {step for step, _, _ in heard}
    sampling = [(done, total) for step, done, total in heard if step == "sampling"]
    assert sampling == sorted(sampling) and all(0 <= done <= total for done, total in sampling)

    class Enough(Exception):
        pass

    def stop(step, done, total):
        if step == "sampling":
            raise Enough(done)

    started = time.monotonic()
    with pytest.raises(Enough):
        quorel.analyze(network, sample_size=32767, max_word_length=3, progress=stop)
    assert time.monotonic() - started < 20


def test_pairs_without_pandas_is_a_dict_of_columns(padgett, monkeypatch):
    import builtins

    real_import = builtins.__import__

    def refuse_pandas(name, *args, **kwargs):
        if name == "pandas":
            raise ImportError(name)
        return real_import(name, *args, **kwargs)

    result = quorel.analyze(padgett, sample_size=10)
    monkeypatch.setattr(builtins, "__import__", refuse_pandas)
    columns = result.pairs()
    assert isinstance(columns, dict)
    e = result.element_count
    assert len(columns["i"]) == e * (e - 1) // 2
    upper = np.triu_indices(e, 1)
    np.testing.assert_array_equal(columns["kappa"], result.kappa[upper])
