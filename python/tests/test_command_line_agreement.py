"""The module's arrays, tables and report hold what the command line writes for the same
network and options: its JSON document number for number, its report byte for byte."""

import numpy as np
import pytest

import quorel
from conftest import PADGETT

# Option sets covering both permutation strategies, the diagonal rules (which change the
# 2 x 2 counts), several cutoff levels and the factorizations.
OPTION_SETS = [
    dict(sample_size=60),
    dict(sample_size=60, seed=11, permutation_strategy="pairs", cutoffs="0.05, 0.01", factor_omega=True,
         exact_p=True),
    dict(sample_size=40, seed=3, diagonal="include-all", measure_control="MB", factor_lower_omega=True),
    dict(sample_size=40, seed=5, diagonal="exclude-all", transposes=True, max_word_length=3),
    dict(sample_size=0),
]
NAMES = ["marriage", "business"]

STATISTICS = {  # Result attribute: the JSON's statistics block
    "likelihood_ratio": "likelihood_ratio",
    "theta": "theta",
    "fisher_p": "fisher_p",
    "mcnemar_z": "mcnemar_z",
    "mcnemar_z_proportion": "mcnemar_z_proportions",
    "binomial_p": "binomial_p",
    "kappa": "kappa",
    "estvar": "estvar",
    "kappa_proportion": "kappa_proportions",
    "standardized_kappa": "standardized_kappa",
    "standardized_kappa_proportion": "standardized_kappa_proportions",
    "theta_exact": "theta_exact",
    "mcnemar_z_proportion_exact": "mcnemar_z_proportions_exact",
    "kappa_proportion_exact": "kappa_proportions_exact",
    "standardized_kappa_proportion_exact": "standardized_kappa_proportions_exact",
}


def as_float32(cells, e):
    """A JSON statistics block (or null) as an E x E float32 array with NaN for null."""
    if cells is None:
        return np.full((e, e), np.nan, dtype=np.float32)
    return np.array([[np.nan if v is None else v for v in row] for row in cells], dtype=np.float32)


def as_cells(rows):
    """A JSON element relation or relation matrix ('0'/'1' strings) as a bool array."""
    return np.array([[c == "1" for c in row] for row in rows])


@pytest.fixture(scope="module", params=range(len(OPTION_SETS)), ids=lambda k: "options%d" % k)
def analysed(request, run_command_line):
    options = OPTION_SETS[request.param]
    report, document = run_command_line(PADGETT, {**options, "relation_names": ",".join(NAMES)})
    network = quorel.read_networks(PADGETT, relation_names=NAMES)[0]
    return quorel.analyze(network, **options), report, document["problems"][0]


def test_semigroup_matches(analysed):
    result, _, problem = analysed
    elements = problem["semigroup"]["elements"]
    assert result.element_count == problem["semigroup"]["order"]
    assert result.words == [e["letters"] for e in elements]
    assert result.word_names == [e["word_names"] for e in elements]
    np.testing.assert_array_equal(result.matrices, np.array([as_cells(e["matrix"]) for e in elements]))
    table = np.array([[-1 if p is None else p - 1 for p in row] for row in problem["semigroup"]["multiplication_table"]])
    np.testing.assert_array_equal(result.multiplication_table, table)
    np.testing.assert_array_equal(result.partial_order, np.array(problem["partial_order_cells"], dtype=bool))


@pytest.mark.parametrize("attribute", sorted(STATISTICS))
def test_statistic_matches(analysed, attribute):
    result, _, problem = analysed
    values = getattr(result, attribute)
    assert values.dtype == np.float64 and values.shape == (result.element_count,) * 2
    expected = as_float32(problem["statistics"].get(STATISTICS[attribute]), result.element_count)
    np.testing.assert_array_equal(values.astype(np.float32), expected)
    assert np.all(np.isnan(values[np.tril_indices(result.element_count)]))


def test_levels_match(analysed):
    result, _, problem = analysed
    levels = problem["cutoff_levels"]
    assert len(result.levels) == len(levels)
    for level, expected in zip(result.levels, levels):
        assert np.float32(level.alpha) == np.float32(expected["alpha"])
        for name in ("omega", "lower_omega", "omega_closure", "lower_omega_closure"):
            np.testing.assert_array_equal(getattr(level, name), np.array(expected[name + "_cells"], dtype=bool))
        for atoms, key in ((level.atoms, "omega_factorization"), (level.lower_omega_atoms, "lower_omega_factorization")):
            factorization = expected[key]
            assert len(atoms) == (0 if factorization is None else len(factorization["atoms"]))


def test_pair_table_matches(analysed):
    result, _, problem = analysed
    columns = result.pair_columns()
    records = problem["pairs"]
    for name, values in columns.items():
        expected = [record[name] for record in records]
        if name in ("word_i", "word_j") or name.startswith("omega_"):
            assert list(values) == expected, name
        else:
            expected = np.array([np.nan if v is None else v for v in expected], dtype=np.float64)
            np.testing.assert_array_equal(np.asarray(values, dtype=np.float64).astype(np.float32),
                                          expected.astype(np.float32), err_msg=name)


def test_report_is_byte_for_byte(analysed):
    result, report, _ = analysed
    assert result.report() == report
    assert quorel.report([result]) == report


def test_pairs_frame_has_table_columns(analysed):
    pandas = pytest.importorskip("pandas")
    result, _, problem = analysed
    frame = result.pairs()
    assert isinstance(frame, pandas.DataFrame)
    assert list(frame.columns) == list(problem["pairs"][0])
    assert len(frame) == result.element_count * (result.element_count - 1) // 2


def test_several_networks_share_one_random_stream(run_command_line, tmp_path):
    """Two problems in one file analysed together give the command line's report."""
    text = PADGETT.read_text()
    both = tmp_path / "twice.dat"
    both.write_text(text + ("" if text.endswith("\n") else "\n") + text)
    report, _ = run_command_line(both, {"sample_size": 30, "seed": 9})
    results = quorel.analyze_all(quorel.read_networks(both), sample_size=30, seed=9)
    assert len(results) == 2
    assert quorel.report(results) == report
