#!/usr/bin/python3
"""Writes tests/measures/data/statistics_reference.csv: reference values of the 2 x 2 table
statistics from an established statistics library (scipy) and from exact rational
arithmetic, for a few hundred tables of every size a network of up to 181 actors gives.

A table is T0..T3: cell 2a + b counts the cells where the first relation has value a and
the second value b; rows are the first relation, columns the second.

Columns:
  fisher_p        scipy.stats.fisher_exact, two-sided
  fisher_near_tie 1 when another table with the same margins is within a relative 1e-7 of
                  the observed table's probability (see below), else 0
  binom_p         scipy.stats.binomtest(T1, T1 + T2, 0.5), two-sided (nan when T1 + T2 = 0)
  kappa           Cohen's kappa (po - pe) / (1 - pe), exact (nan when pe = 1 or n = 0)
  mcnemar_z       (T1 - T2) / sqrt(T1 + T2) (nan when T1 + T2 = 0)
  estvar          large-sample variance of kappa in the form of Fleiss, Cohen and Everitt
                  (1969), exact (nan when pe = 1)
  null_variance   variance of kappa under independence, same source, exact (nan when pe = 1)
  std_kappa       kappa / sqrt(null_variance) (nan when that is undefined or not positive)
  g_adjusted      scipy.stats.chi2_contingency(table + 0.5, correction=False,
                  lambda_="log-likelihood"): the G statistic of the table with 0.5 added
                  to every cell

Where the program's definitions differ on purpose, and how the test treats it:
  * Fisher's two-sided P. scipy counts every table at most (1 + 1e-7) times as probable
    as the observed one. The program counts the tables beyond the observed one in its
    own direction and, on the opposite side, walks from the far extreme inwards until a
    table is more probable than the observed one, with no tolerance, so an exact tie
    falls by the rounding of the two probabilities. Rows with fisher_near_tie = 1 are not
    compared. The program also reports 0 below the smallest normal float (FLT_MIN).
  * The sign test (BINP). The program gives 1 when T1 = T2 (scipy too, except that it has
    no value for T1 + T2 = 0), 0 when T1 + T2 exceeds 1074 (0.5^(T1+T2) underflows the
    double range; scipy still has a value there) and 0 below FLT_MIN.
  * The variances. ESTVAR is the large-sample (non-null) variance, not the simpler
    po (1 - po) / (n (1 - pe)^2); standardized kappa divides by the null variance. The
    program is written with the moments theta3 and theta4, the reference here with the
    original per-cell sums, so the two are independent routes to the same number. Where
    the reference is undefined (pe = 1) the program reports 0, and ESTVAR is 0 for po = 1.
    The program's standardized kappa uses kappa rounded to a 32-bit float.
  * L is always formed on the table with 0.5 added to each cell, with expected counts and
    the running sum rounded to 32-bit floats; compare it with g_adjusted, not with the G
    statistic of the unadjusted table.

Run from anywhere: python3 tools/make_statistics_reference.py (needs numpy and scipy; the
C++ tests only read the CSV).
"""

import csv
import math
import os
import random
from fractions import Fraction

import numpy as np
from scipy import stats
from scipy.stats.contingency import chi2_contingency

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "measures", "data",
                   "statistics_reference.csv")
MAX_CELLS = 181 * 181  # the largest network: 32761 cells


def kappa_moments(t):
    """Exact kappa, its large-sample variance and its null variance, or None where
    undefined. Cells: t[0] (0,0), t[1] (0,1), t[2] (1,0), t[3] (1,1)."""
    n = sum(t)
    if n == 0:
        return None, None, None
    p = [[Fraction(t[0], n), Fraction(t[1], n)], [Fraction(t[2], n), Fraction(t[3], n)]]
    row = [p[0][0] + p[0][1], p[1][0] + p[1][1]]
    col = [p[0][0] + p[1][0], p[0][1] + p[1][1]]
    po = p[0][0] + p[1][1]
    pe = row[0] * col[0] + row[1] * col[1]
    if pe == 1:
        return None, None, None
    kappa = (po - pe) / (1 - pe)
    # Fleiss, Cohen and Everitt: sum over the agreeing cells, the disagreeing cells, and the
    # correction term, over n (1 - pe)^4.
    s = sum(p[i][i] * ((1 - pe) - (row[i] + col[i]) * (1 - po)) ** 2 for i in range(2))
    s += (1 - po) ** 2 * sum(p[i][j] * (col[i] + row[j]) ** 2
                             for i in range(2) for j in range(2) if i != j)
    s -= (po * pe - 2 * pe + po) ** 2
    var = s / (n * (1 - pe) ** 4)
    null_var = (pe + pe * pe - sum(row[i] * col[i] * (row[i] + col[i]) for i in range(2))) / (
        n * (1 - pe) ** 2)
    return kappa, var, null_var


def fisher_near_tie(t):
    """1 when some other table with the same margins has a probability within a relative
    1e-7 of the observed one."""
    a, b, c, d = t
    n, r0, c0 = a + b + c + d, a + b, a + c
    lo, hi = max(0, r0 + c0 - n), min(r0, c0)
    if hi <= lo:
        return 0
    dist = stats.hypergeom(n, r0, c0)
    support = np.arange(lo, hi + 1)
    logp = dist.logpmf(support)
    observed = dist.logpmf(a)
    close = np.abs(logp - observed) < 1e-7
    return int(np.count_nonzero(close) > 1)


def row_for(label, t):
    a, b, c, d = t
    table = np.array([[a, b], [c, d]])
    fisher = stats.fisher_exact(table, alternative="two-sided").pvalue
    binom = stats.binomtest(b, b + c, 0.5).pvalue if b + c > 0 else math.nan
    kappa, var, null_var = kappa_moments(t)
    mcnemar = (b - c) / math.sqrt(b + c) if b + c > 0 else math.nan
    std_kappa = math.nan
    if null_var is not None and null_var > 0:
        std_kappa = float(kappa) / math.sqrt(float(null_var))
    g = chi2_contingency(table + 0.5, correction=False, lambda_="log-likelihood")[0]
    as_float = lambda x: math.nan if x is None else float(x)
    return [label, a, b, c, d, repr(float(fisher)), fisher_near_tie(t), repr(float(binom)),
            repr(as_float(kappa)), repr(mcnemar), repr(as_float(var)), repr(as_float(null_var)),
            repr(std_kappa), repr(float(g))]


def tables():
    rng = random.Random(20240611)
    out = []
    # Tables with known values and the known hazards.
    for t in [(10, 2, 3, 5), (0, 3, 0, 0), (3, 5, 2, 7), (7, 5, 1, 3), (4000, 7000, 7000, 13000),
              (6, 0, 0, 4), (5, 0, 0, 0), (0, 4, 6, 0), (1, 4, 4, 13), (65, 0, 0, 65),
              (66, 0, 0, 66), (200, 0, 0, 200), (16000, 0, 0, 16000)]:
        out.append(("named", t))
    # Degenerate: an empty row or column, one occupied cell, all cells in one class.
    for t in [(0, 0, 0, 0), (0, 0, 5, 9), (5, 9, 0, 0), (5, 0, 9, 0), (0, 5, 0, 9), (1, 0, 0, 0),
              (0, 1, 0, 0), (0, 0, 1, 0), (0, 0, 0, 1), (32761, 0, 0, 0), (0, 0, 0, 32761),
              (0, 32761, 0, 0), (16380, 0, 16381, 0), (0, 16380, 0, 16380), (32580, 1, 0, 0),
              (32579, 0, 0, 1), (1, 16379, 16380, 1), (0, 181, 181, 32399)]:
        out.append(("degenerate", t))
    for _ in range(150):
        out.append(("small", tuple(rng.randint(0, 15) for _ in range(4))))
    for _ in range(100):
        out.append(("medium", tuple(rng.randint(0, 600) for _ in range(4))))
    # Network-like tables: N actors, with or without the diagonal, two relations of given
    # densities and some association between them.
    nprng = np.random.default_rng(20240611)
    for _ in range(70):
        actors = rng.randint(40, 181)
        cells = actors * actors if rng.random() < 0.3 else actors * (actors - 1)
        d1, d2 = rng.uniform(0.02, 0.6), rng.uniform(0.02, 0.6)
        lift = rng.uniform(-1.0, 1.0)
        both = min(d1, d2) * (0.5 + 0.5 * lift) if lift > 0 else d1 * d2 * (1 + lift)
        probs = np.array([1 - d1 - d2 + both, d2 - both, d1 - both, both])
        probs = np.clip(probs, 0, None)
        probs = probs / probs.sum()
        out.append(("network", tuple(int(x) for x in nprng.multinomial(cells, probs))))
    # The sign test at the edge of the double range: T1 + T2 around 1074.
    for total in [1020, 1030, 1040, 1050, 1060, 1070, 1073, 1074, 1075, 1076, 1100, 1500]:
        for smaller in [total // 2 - 1, total // 2 - 10, total // 2 - 40, total // 3, 5]:
            out.append(("discordant", (rng.randint(0, 9000), smaller, total - smaller,
                                       rng.randint(0, 9000))))
    for _, t in out:
        assert sum(t) <= MAX_CELLS, t
    return out


def main():
    with open(OUT, "w", newline="") as f:
        w = csv.writer(f, lineterminator="\n")
        w.writerow(["kind", "t0", "t1", "t2", "t3", "fisher_p", "fisher_near_tie", "binom_p",
                    "kappa", "mcnemar_z", "estvar", "null_variance", "std_kappa", "g_adjusted"])
        for label, t in tables():
            w.writerow(row_for(label, t))


if __name__ == "__main__":
    main()
