"""Networks from files, arrays and NetworkX graphs, and the errors bad input gives."""

import re
import subprocess

import numpy as np
import pytest

import quorel
from conftest import BINARY, PADGETT


def test_array_input_analyses_as_the_file(padgett):
    built = quorel.Network.from_matrices(padgett.matrices.tolist(), label=padgett.label,
                                         non_directional=padgett.non_directional)
    assert built == padgett
    from_file = quorel.analyze(padgett, sample_size=50, seed=2)
    from_array = quorel.analyze(built, sample_size=50, seed=2)
    assert from_array.report() == from_file.report()


def test_fixed_matrix_with_an_array_analyses_as_the_data_file(padgett, tmp_path):
    """A fixed matrix given beside the arrays groups the cells as the data file's does."""
    n = padgett.actor_count
    fixed = np.fromfunction(lambda r, c: (r // 3 + c) % 3, (n, n))
    data = tmp_path / "fixed.dat"
    cells = " ".join(str(v) for v in padgett.matrices.ravel())
    data.write_text(f"fixed\n{n} 2\n{cells}\n" + "\n".join(" ".join(f"{v:g}" for v in row) for row in fixed) + "\n")
    from_file = quorel.read_networks(str(data), fixed_matrix=True)[0]
    built = quorel.Network.from_matrices(padgett.matrices, label="fixed", fixed_matrix=fixed)
    np.testing.assert_array_equal(built.fixed_matrix, from_file.fixed_matrix)
    assert padgett.fixed_matrix is None
    for control in ("MF", "MG"):
        options = dict(measure_control=control, permutation_strategy="pairs", sample_size=40, seed=3)
        assert quorel.analyze(built, **options).report() == quorel.analyze(from_file, **options).report()


def test_network_properties(padgett):
    assert (padgett.actor_count, padgett.relation_count) == (16, 2)
    assert padgett.matrices.shape == (2, 16, 16) and padgett.matrices.dtype == np.uint8
    assert set(np.unique(padgett.matrices)) <= {0, 1}
    named = quorel.read_networks(PADGETT, relation_names=["marriage", "business"])[0]
    assert named.relations == ["marriage", "business"]


@pytest.mark.parametrize("cells", [
    np.eye(3, dtype=bool),                                 # one relation given as N x N, of bools
    np.zeros((2, 4, 4), dtype=np.float32),                 # floats that are 0 and 1
    [[[0, 1], [1, 0]], [[1, 1], [0, 0]]],                  # nested lists
])
def test_accepted_arrays(cells):
    network = quorel.Network.from_matrices(cells)
    expected = np.asarray(cells, dtype=np.uint8)
    np.testing.assert_array_equal(network.matrices, expected.reshape((-1,) + expected.shape[-2:]))


@pytest.mark.parametrize("cells, keywords, message", [
    (np.zeros((2, 3, 4)), {}, "square"),
    (np.zeros((1, 2, 3, 3)), {}, "shape"),
    (np.zeros(5), {}, "shape"),
    (np.zeros((0, 3, 3)), {}, "no relations"),
    (np.zeros((1, 0, 0)), {}, "no actors"),
    (np.full((1, 2, 2), 2), {}, "cell [0, 0, 0] is 2"),
    (np.array([[[0, 0.5], [0, 0]]]), {}, "cell [0, 0, 1] is 0.5"),
    (np.array([[["a", "b"], ["c", "d"]]]), {}, "dtype"),
    (np.zeros((2, 3, 3)), {"actors": ["a", "b"]}, "actors: 2 names for 3 actors"),
    (np.zeros((2, 3, 3)), {"relations": ["r"]}, "relations: 1 names for 2 relations"),
    (np.zeros((2, 3, 3)), {"non_directional": [True]}, "non_directional: 1 entries for 2 relations"),
    (np.zeros((1, 3, 3)), {"fixed_matrix": np.zeros((3, 2))}, "fixed_matrix: expected shape (3, 3)"),
    (np.zeros((1, 2, 2)), {"fixed_matrix": [[0, np.nan], [1, 1]]}, "fixed_matrix: cell [0, 1] is not a finite"),
    (np.zeros((1, 2, 2)), {"fixed_matrix": [["a", "b"], ["c", "d"]]}, "fixed_matrix: not an array-like of numbers"),
])
def test_bad_arrays_name_the_fault(cells, keywords, message):
    with pytest.raises(ValueError, match=re.escape(message)):
        quorel.Network.from_matrices(cells, **keywords)


def test_files_that_cannot_be_read(tmp_path):
    malformed = tmp_path / "bad.dat"
    malformed.write_text("bad\n3 1\n1 1\n0 1\n")
    with pytest.raises(quorel.Error) as caught:
        quorel.read_networks(malformed)
    assert caught.value.kind == "malformed-input"
    # The message is the one the command line prints for the same file.
    shown = subprocess.run([BINARY, "-q", "--data", str(malformed), "--report", str(tmp_path / "out")],
                           capture_output=True, text=True, cwd=tmp_path)
    assert str(caught.value).strip() in shown.stdout + shown.stderr
    with pytest.raises(quorel.Error) as caught:
        quorel.read_networks(tmp_path / "missing.dat")
    assert caught.value.kind == "file"


def test_networkx_graphs():
    networkx = pytest.importorskip("networkx")
    directed = networkx.MultiDiGraph(name="triad")
    directed.add_nodes_from(["x", "y", "z"])
    directed.add_edge("x", "y", relation="advice")
    directed.add_edge("y", "z", relation="advice")
    directed.add_edge("z", "x", relation="friendship")
    directed.add_edge("x", "y", relation="friendship")
    network = quorel.Network.from_networkx(directed)
    assert network.actors == ["x", "y", "z"] and network.relations == ["advice", "friendship"]
    assert network.label == "triad" and network.non_directional is None
    expected = np.zeros((2, 3, 3), dtype=np.uint8)
    expected[0, 0, 1] = expected[0, 1, 2] = expected[1, 2, 0] = expected[1, 0, 1] = 1
    np.testing.assert_array_equal(network.matrices, expected)

    undirected = networkx.path_graph(4)  # no relation attribute: one relation, ties both ways
    network = quorel.Network.from_networkx(undirected)
    assert network.relation_count == 1 and network.non_directional == [True]
    np.testing.assert_array_equal(network.matrices[0], network.matrices[0].T)
    assert network.matrices.sum() == 6
    result = quorel.analyze(network, sample_size=10)
    assert result.element_count >= 1


def test_networkx_graph_with_mixed_edges_is_refused():
    networkx = pytest.importorskip("networkx")
    graph = networkx.DiGraph()
    graph.add_edge(0, 1, relation="r")
    graph.add_edge(1, 0)
    with pytest.raises(ValueError, match="attribute"):
        quorel.Network.from_networkx(graph)
    with pytest.raises(ValueError, match="no nodes"):
        quorel.Network.from_networkx(networkx.Graph())
