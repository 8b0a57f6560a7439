"""Algebraic analysis of multiplex social networks.

From N actors and R binary relations quorel builds the semigroup of compound relations,
its partial order, the statistics of every pair of elements with P-values from random
samples, the inclusion relation Omega at each cutoff level, its closures and
factorizations, and the text report::

    import quorel
    network = quorel.read_networks("examples/padgett_florentine.dat")[0]
    result = quorel.analyze(network, sample_size=500, seed=1)
    result.kappa[0, 1]                      # kappa of the report's elements 1 and 2
    table = result.pairs()                  # one row per pair, as pairs.csv
    print(result.report())

Elements are numbered from 0 in arrays (element i is the report's element i + 1) and
from 1 in the pairs table, as in the command line's tables.
"""

from ._quorel import (
    Atom,
    Error,
    Level,
    Network,
    Result,
    analyze,
    analyze_all,
    read_networks,
    report,
    version,
)

__all__ = [
    "Atom",
    "Error",
    "Level",
    "Network",
    "Result",
    "analyze",
    "analyze_all",
    "read_networks",
    "report",
    "version",
]
__version__ = version()


def _pairs(self):
    """Every pair i < j as a table with the columns of the command line's pairs.csv.

    A pandas DataFrame when pandas is installed, else a dict of NumPy arrays and lists.
    Elements are numbered from 1, as in the table; a statistic the report does not print
    is NaN.
    """
    columns = self.pair_columns()
    try:
        import pandas
    except ImportError:
        return columns
    return pandas.DataFrame(columns)


def _from_networkx(graph, *, relation_attribute="relation"):
    """A network from a NetworkX graph, multigraph, digraph or multidigraph.

    The nodes are the actors, in the graph's order and named by str(node). Each edge
    belongs to the relation named by its `relation_attribute` (relations in the order
    they are first met); a graph whose edges carry no such attribute is one relation.
    An undirected graph gives non-directional relations (each edge a tie both ways).
    Raises ValueError for a graph without nodes or edges.
    """
    import numpy

    nodes = list(graph.nodes)
    if not nodes:
        raise ValueError("graph: no nodes")
    index = {node: k for k, node in enumerate(nodes)}
    relations = []
    position = {}
    ties = []
    for u, v, data in graph.edges(data=True):
        name = data.get(relation_attribute)
        key = "" if name is None else str(name)
        if key not in position:
            position[key] = len(relations)
            relations.append(key)
        ties.append((position[key], index[u], index[v]))
    if not relations:
        raise ValueError("graph: no edges, so no relations")
    if "" in position and len(relations) > 1:
        raise ValueError(
            f"graph: some edges have no '{relation_attribute}' attribute and others have one")
    directed = graph.is_directed()
    cells = numpy.zeros((len(relations), len(nodes), len(nodes)), dtype=numpy.uint8)
    for k, u, v in ties:
        cells[k, u, v] = 1
        if not directed:
            cells[k, v, u] = 1
    names = None if relations == [""] else relations
    label = str(graph.graph.get("name", "") or "")
    return Network.from_matrices(
        cells,
        actors=[str(node) for node in nodes],
        relations=names,
        non_directional=None if directed else [True] * len(relations),
        label=label,
    )


Result.pairs = _pairs
Network.from_networkx = staticmethod(_from_networkx)
