"""Typing stub of quorel: multiplex networks, their analysis and its results as arrays."""

from os import PathLike
from typing import Any, Callable, Literal, Sequence

import numpy
import numpy.typing

__version__: str

_Bytes = numpy.typing.NDArray[numpy.uint8]
_Reals = numpy.typing.NDArray[numpy.float64]
_Flags = numpy.typing.NDArray[numpy.bool_]

class Error(RuntimeError):
    """A failure of reading or analysing, with the command line's message."""

    kind: Literal["fatal", "completion", "malformed-input", "file", "cancelled", "invalid-argument"]
    code: int

class Network:
    """One multiplex network: N actors and R binary relations, each an N x N 0/1 matrix."""

    label: str
    @staticmethod
    def from_matrices(
        matrices: numpy.typing.ArrayLike,
        *,
        actors: Sequence[str] | None = None,
        relations: Sequence[str] | None = None,
        non_directional: Sequence[bool] | None = None,
        label: str = "",
        fixed_matrix: numpy.typing.ArrayLike | None = None,
    ) -> Network: ...
    @staticmethod
    def from_networkx(graph: Any, *, relation_attribute: str = "relation") -> Network: ...
    @property
    def actor_count(self) -> int: ...
    @property
    def relation_count(self) -> int: ...
    @property
    def actors(self) -> list[str]: ...
    @property
    def relations(self) -> list[str]: ...
    @property
    def non_directional(self) -> list[bool] | None: ...
    @property
    def matrices(self) -> _Bytes: ...
    @property
    def fixed_matrix(self) -> numpy.typing.NDArray[numpy.float32] | None: ...
    def __eq__(self, other: object) -> bool: ...

class Atom:
    """An atom of a factorization; inclusions (first, second): second included in first."""

    @property
    def generating(self) -> tuple[int, int]: ...
    @property
    def induced(self) -> list[tuple[int, int]]: ...
    @property
    def unique_meet_complement(self) -> bool: ...

class Level:
    """One cutoff level; cell [i, j] of a relation: element j included in element i."""

    @property
    def alpha(self) -> float: ...
    @property
    def omega(self) -> _Flags: ...
    @property
    def lower_omega(self) -> _Flags | None: ...
    @property
    def omega_closure(self) -> _Flags | None: ...
    @property
    def lower_omega_closure(self) -> _Flags | None: ...
    @property
    def atoms(self) -> list[Atom]: ...
    @property
    def lower_omega_atoms(self) -> list[Atom]: ...

class Result:
    """Every result of one analysed network; elements are 0-based."""

    @property
    def label(self) -> str: ...
    @property
    def actor_count(self) -> int: ...
    @property
    def generator_count(self) -> int: ...
    @property
    def element_count(self) -> int: ...
    @property
    def options(self) -> dict[str, Any]: ...
    @property
    def warnings(self) -> list[str]: ...
    @property
    def words(self) -> list[str]: ...
    @property
    def word_names(self) -> list[str] | None: ...
    @property
    def matrices(self) -> _Bytes: ...
    @property
    def multiplication_table(self) -> numpy.typing.NDArray[numpy.int32]: ...
    @property
    def partial_order(self) -> _Flags: ...
    @property
    def likelihood_ratio(self) -> _Reals: ...
    @property
    def theta(self) -> _Reals: ...
    @property
    def fisher_p(self) -> _Reals: ...
    @property
    def mcnemar_z(self) -> _Reals: ...
    @property
    def mcnemar_z_proportion(self) -> _Reals: ...
    @property
    def binomial_p(self) -> _Reals: ...
    @property
    def kappa(self) -> _Reals: ...
    @property
    def estvar(self) -> _Reals: ...
    @property
    def kappa_proportion(self) -> _Reals: ...
    @property
    def standardized_kappa(self) -> _Reals: ...
    @property
    def standardized_kappa_proportion(self) -> _Reals: ...
    @property
    def theta_exact(self) -> _Reals: ...
    @property
    def mcnemar_z_proportion_exact(self) -> _Reals: ...
    @property
    def kappa_proportion_exact(self) -> _Reals: ...
    @property
    def standardized_kappa_proportion_exact(self) -> _Reals: ...
    @property
    def levels(self) -> list[Level]: ...
    def pair_columns(self) -> dict[str, Any]: ...
    def pairs(self) -> Any:
        """A pandas DataFrame with the columns of pairs.csv, or a dict of columns without pandas."""
    def report(self) -> str: ...

def read_networks(
    path: str | PathLike[str],
    *,
    input_format: Literal["auto", "data", "dl", "csv", "pajek", "graphml"] = "auto",
    fixed_matrix: bool = False,
    threshold: float | None = None,
    relation_attribute: str = "",
    non_directional: str = "",
    relation_names: Sequence[str] = (),
    actor_names: Sequence[str] = (),
) -> list[Network]: ...
def analyze(
    network: Network,
    *,
    transposes: bool = ...,
    generator_products_only: bool = ...,
    max_word_length: int = ...,
    permutation_strategy: Literal["pairs", "generators"] = ...,
    measure_control: Literal["MA", "MB", "MC", "MD", "ME", "MF", "MG"] = ...,
    sample_size: int = ...,
    min_kappa: float = ...,
    diagonal: Literal["exclude-all", "exclude-generators", "include-all"] = ...,
    cutoffs: str | Sequence[float] = ...,
    factor_omega: bool = ...,
    factor_lower_omega: bool = ...,
    full_factor_output: bool = ...,
    reapply: bool = ...,
    seed: int = ...,
    threads: int = ...,
    exact_p: bool = ...,
    omega_from: Literal["sampled", "exact"] = ...,
    progress: Callable[[str, int, int], object] | None = None,
) -> Result: ...
def analyze_all(
    networks: Sequence[Network], *, progress: Callable[[str, int, int], object] | None = None, **options: Any
) -> list[Result]: ...
def report(results: Sequence[Result]) -> str: ...
def version() -> str: ...
