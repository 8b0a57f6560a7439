#include "sampling/exact_proportions.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

#include "core/worker_pool.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/shuffles.hpp"

namespace quorel {

namespace {

constexpr double kAbsent = std::numeric_limits<double>::quiet_NaN();

// The work a pair's law may still take; spent as terms are formed.
class WorkBudget {
 public:
  explicit WorkBudget(std::int64_t limit) : left_(limit) {}
  bool Spend(std::int64_t work) {
    left_ -= work;
    return left_ >= 0;
  }

 private:
  std::int64_t left_;
};

bool Counted(const ExactPair& pair, int r, int c) { return pair.include_diagonal || r != c; }

int CountedTies(const ExactPair& pair, const std::int8_t* m) {
  int ties = 0;
  for (int r = 0; r < pair.n; ++r) {
    for (int c = 0; c < pair.n; ++c) ties += Counted(pair, r, c) ? m[r * pair.n + c] : 0;
  }
  return ties;
}

// A single value with probability 1.
LogDistribution Certain(int value) {
  LogDistribution law(static_cast<std::size_t>(value) + 1, kLogZero);
  law.back() = 0.0;
  return law;
}

// `ties` values placed uniformly over slots of which slots_of_weight[w] meet weight w of A:
// the law of the weight met. Terms: the ways to split the ties over weights 1 and 2.
bool ClassLaw(const std::array<int, 3>& slots_of_weight, int ties, const LogFactorials& lf, WorkBudget& budget,
              LogDistribution& law) {
  const int m0 = slots_of_weight[0], m1 = slots_of_weight[1], m2 = slots_of_weight[2];
  const int slots = m0 + m1 + m2;
  const double arrangements = lf.Choose(slots, ties);
  law.assign(static_cast<std::size_t>(m1 + 2 * m2) + 1, kLogZero);
  const int high2 = std::min(m2, ties);
  if (!budget.Spend(static_cast<std::int64_t>(high2 + 1) * (std::min(m1, ties) + 1))) return false;
  for (int k2 = 0; k2 <= high2; ++k2) {
    const int rest = ties - k2;
    for (int k1 = std::max(0, rest - m0); k1 <= std::min(m1, rest); ++k1) {
      const double term = lf.Choose(m2, k2) + lf.Choose(m1, k1) + lf.Choose(m0, rest - k1) - arrangements;
      double& cell = law[static_cast<std::size_t>(k1 + 2 * k2)];
      cell = LogAdd(cell, term);
    }
  }
  return true;
}

// The values from the first to the last possible one.
std::int64_t Span(const LogDistribution& p) {
  std::size_t end = p.size();
  while (end > 0 && p[end - 1] == kLogZero) --end;
  const std::size_t first = FirstPossible(p);
  return end > first ? static_cast<std::int64_t>(end - first) : 0;
}

bool ConvolveInto(LogDistribution& law, const LogDistribution& part, WorkBudget& budget) {
  if (!budget.Spend(Span(law) * Span(part))) return false;
  law = Convolve(law, part);
  return true;
}

// MA, MF, MG: every class is a multivariate hypergeometric over the weights its slots meet;
// a cell no class reaches keeps B's value.
bool ClassesLaw(const NullModel& model, const ExactPair& pair, const FixedMatrixRecord* fixed, const LogFactorials& lf,
                WorkBudget& budget, OverlapLaw& out) {
  CellClasses classes;
  BuildCellClasses(model, pair.n, pair.include_diagonal, fixed, classes);
  const int n = pair.n;
  std::vector<int> weight(static_cast<std::size_t>(classes.Slots()), 0);
  std::vector<int> lands(weight.size(), 0);
  int fixed_overlap = 0;
  out.second_ties = 0;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      if (!Counted(pair, r, c)) continue;
      const int cell = r * n + c;
      const int slot = classes.source[static_cast<std::size_t>(cell)];
      if (slot < 0) {
        fixed_overlap += pair.first[cell] & pair.second[cell];
        out.second_ties += pair.second[cell];
      } else {
        weight[static_cast<std::size_t>(slot)] += pair.first[cell];
        ++lands[static_cast<std::size_t>(slot)];
      }
    }
  }
  LogDistribution law = Certain(fixed_overlap);
  LogDistribution part;
  for (int k = 0; k < classes.Count(); ++k) {
    const int begin = classes.Begin(k);
    std::array<int, 3> slots_of_weight{0, 0, 0};
    int ties = 0;
    for (int s = begin; s < begin + classes.Size(k); ++s) {
      // A class whose values land on different numbers of counted cells lets W's ties vary.
      if (lands[static_cast<std::size_t>(s)] != lands[static_cast<std::size_t>(begin)]) return false;
      ++slots_of_weight[static_cast<std::size_t>(weight[static_cast<std::size_t>(s)])];
      ties += pair.second[classes.slot_cell[static_cast<std::size_t>(s)]];
    }
    if (classes.Size(k) == 0) continue;
    out.second_ties += lands[static_cast<std::size_t>(begin)] * ties;
    if (!ClassLaw(slots_of_weight, ties, lf, budget, part) || !ConvolveInto(law, part, budget)) return false;
  }
  out.log_p = std::move(law);
  return true;
}

// MC, ME: row k of A (a_k ties among L counted cells) meets the row of B of a uniformly
// random actor, its d ties shuffled within the row: Hypergeometric(L, a_k, d). The rows of A
// are handed B's rows one at a time; a state is the multiset of B's outdegrees still to hand
// out, numbered in mixed radix over the distinct outdegrees, and handing out a row lowers the
// number, so the states are done from the highest number down.
bool RowsLaw(const NullModel& model, const ExactPair& pair, const LogFactorials& lf, WorkBudget& budget,
             OverlapLaw& out) {
  CellClasses rows;
  BuildCellClasses(model, pair.n, pair.include_diagonal, nullptr, rows);
  const int n = pair.n;
  const int length = n > 0 ? rows.Size(0) : 0;
  std::vector<int> first_row_ties(static_cast<std::size_t>(n), 0);
  std::map<int, int> outdegree_count;
  for (int r = 0; r < n; ++r) {
    int second = 0;
    for (int s = rows.Begin(r); s < rows.Begin(r) + rows.Size(r); ++s) {
      first_row_ties[static_cast<std::size_t>(r)] += pair.first[rows.slot_cell[static_cast<std::size_t>(s)]];
      second += pair.second[rows.slot_cell[static_cast<std::size_t>(s)]];
    }
    ++outdegree_count[second];
  }
  std::vector<int> degree, count;
  std::vector<std::int64_t> stride;
  std::int64_t states = 1;
  for (const auto& [d, c] : outdegree_count) {
    degree.push_back(d);
    count.push_back(c);
    stride.push_back(states);
    states *= c + 1;
    if (states > kExactWorkLimit) return false;
  }
  const int largest = std::min(out.first_ties, out.second_ties);
  if (!budget.Spend(states * (largest + 1))) return false;
  // The hypergeometric law of row k against every distinct outdegree.
  const auto row_law = [&](int k, int d) {
    const int a = first_row_ties[static_cast<std::size_t>(k)];
    LogDistribution law(static_cast<std::size_t>(std::min(a, d)) + 1, kLogZero);
    for (int t = std::max(0, a + d - length); t <= std::min(a, d); ++t) {
      law[static_cast<std::size_t>(t)] = lf.Hypergeometric(length, a, d, t);
    }
    return law;
  };
  std::vector<LogDistribution> at(static_cast<std::size_t>(states));
  at.back() = Certain(0);
  const int distinct = static_cast<int>(degree.size());
  std::vector<int> left(static_cast<std::size_t>(distinct));
  for (std::int64_t s = states - 1; s > 0; --s) {
    LogDistribution& here = at[static_cast<std::size_t>(s)];
    if (here.empty()) continue;
    int remaining = 0;
    for (int v = 0; v < distinct; ++v) {
      left[static_cast<std::size_t>(v)] = static_cast<int>((s / stride[static_cast<std::size_t>(v)]) % (count[static_cast<std::size_t>(v)] + 1));
      remaining += left[static_cast<std::size_t>(v)];
    }
    const int row = n - remaining;
    for (int v = 0; v < distinct; ++v) {
      if (left[static_cast<std::size_t>(v)] == 0) continue;
      const LogDistribution met = row_law(row, degree[static_cast<std::size_t>(v)]);
      if (!budget.Spend(Span(here) * Span(met))) return false;
      const double share = std::log(static_cast<double>(left[static_cast<std::size_t>(v)])) - std::log(static_cast<double>(remaining));
      LogDistribution& next = at[static_cast<std::size_t>(s - stride[static_cast<std::size_t>(v)])];
      for (std::size_t t = 0; t < here.size(); ++t) AddShifted(next, met, static_cast<int>(t), share + here[t]);
    }
    LogDistribution().swap(here);
  }
  out.log_p = std::move(at.front());
  return true;
}

// MD: B's dyad codes (mutual, asymmetric, null) fall uniformly on the dyads, A's dyads being
// null, asymmetric or mutual. A mutual code meets all of A's ties in its dyad; an asymmetric
// code meets A's one tie of an asymmetric dyad by a fair draw, and one tie of a mutual dyad
// surely. Summed over how many mutual (x) and asymmetric (y) codes fall on A's mutual and
// asymmetric dyads; the fair draws are added per number of asymmetric codes on asymmetric
// dyads. The loops, when counted, are a class of their own.
bool DyadsLaw(const ExactPair& pair, const LogFactorials& lf, WorkBudget& budget, OverlapLaw& out) {
  const int n = pair.n;
  std::array<int, 3> first_dyads{0, 0, 0};  // A's null, asymmetric and mutual dyads
  int mutual = 0, asymmetric = 0;           // B's codes
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      ++first_dyads[static_cast<std::size_t>(pair.first[i * n + j] + pair.first[j * n + i])];
      const int b = pair.second[i * n + j] + pair.second[j * n + i];
      mutual += b == 2 ? 1 : 0;
      asymmetric += b == 1 ? 1 : 0;
    }
  }
  const int dyads = DyadCount(n);
  const int n0 = first_dyads[0], n1 = first_dyads[1], n2 = first_dyads[2];
  const double arrangements = lf.Choose(dyads, mutual) + lf.Choose(dyads - mutual, asymmetric);
  const std::int64_t terms = static_cast<std::int64_t>(std::min(n2, mutual) + 1) * (std::min(n2, asymmetric) + 1) *
                             (std::min(n1, mutual) + 1) * (std::min(n1, asymmetric) + 1);
  if (!budget.Spend(terms)) return false;
  // by_draws[y1]: the law of what is met surely, y1 asymmetric codes lying on A's
  // asymmetric dyads.
  std::vector<LogDistribution> by_draws(static_cast<std::size_t>(std::min(n1, asymmetric)) + 1);
  for (int x2 = 0; x2 <= std::min(n2, mutual); ++x2) {
    for (int y2 = 0; y2 <= std::min(n2 - x2, asymmetric); ++y2) {
      const double on_mutual = lf.Choose(n2, x2) + lf.Choose(n2 - x2, y2);
      for (int x1 = 0; x1 <= std::min(n1, mutual - x2); ++x1) {
        for (int y1 = 0; y1 <= std::min(n1 - x1, asymmetric - y2); ++y1) {
          const int x0 = mutual - x2 - x1, y0 = asymmetric - y2 - y1;
          if (x0 + y0 > n0) continue;
          const double term = on_mutual + lf.Choose(n1, x1) + lf.Choose(n1 - x1, y1) + lf.Choose(n0, x0) +
                              lf.Choose(n0 - x0, y0) - arrangements;
          LogDistribution& law = by_draws[static_cast<std::size_t>(y1)];
          const std::size_t met = static_cast<std::size_t>(2 * x2 + y2 + x1);
          if (law.size() <= met) law.resize(met + 1, kLogZero);
          law[met] = LogAdd(law[met], term);
        }
      }
    }
  }
  LogDistribution law;
  for (std::size_t y1 = 0; y1 < by_draws.size(); ++y1) {
    if (by_draws[y1].empty()) continue;
    const LogDistribution draws = FairBinomial(static_cast<int>(y1), lf);
    if (!budget.Spend(static_cast<std::int64_t>(by_draws[y1].size()) * static_cast<std::int64_t>(draws.size()))) return false;
    for (std::size_t t = 0; t < by_draws[y1].size(); ++t) AddShifted(law, draws, static_cast<int>(t), by_draws[y1][t]);
  }
  if (pair.include_diagonal) {
    std::array<int, 3> loops_of_weight{0, 0, 0};
    int loop_ties = 0;
    for (int i = 0; i < n; ++i) {
      ++loops_of_weight[static_cast<std::size_t>(pair.first[i * n + i])];
      loop_ties += pair.second[i * n + i];
    }
    LogDistribution loops;
    if (!ClassLaw(loops_of_weight, loop_ties, lf, budget, loops) || !ConvolveInto(law, loops, budget)) return false;
  }
  out.log_p = std::move(law);
  return true;
}

// The probability of the values of `law` whose table reaches, as exp of a log-sum. The
// rounding of the sums may leave a certainty a few units above 1; a probability is not.
template <class Reaches>
double ProbabilityReaching(const LogDistribution& law, const Reaches& reaches) {
  double total = kLogZero;
  for (std::size_t t = 0; t < law.size(); ++t) {
    if (law[t] != kLogZero && reaches(static_cast<int>(t))) total = LogAdd(total, law[t]);
  }
  return std::min(1.0, std::exp(total));
}

}  // namespace

OverlapLaw ExactOverlapLaw(const NullModel& model, const ExactPair& pair, const FixedMatrixRecord* fixed,
                           std::int64_t work_limit) {
  OverlapLaw out;
  out.counted = CountedCells(pair.n, pair.include_diagonal);
  out.first_ties = CountedTies(pair, pair.first);
  out.second_ties = CountedTies(pair, pair.second);
  if (!DrawsSamples(model, fixed) || model.actors == ActorRelabelling::kRowsAndColumns) return out;
  const LogFactorials lf(pair.n * pair.n);
  WorkBudget budget(work_limit);
  if (model.actors == ActorRelabelling::kRows) {
    out.exact = RowsLaw(model, pair, lf, budget, out);
  } else if (model.dyad_codes) {
    out.exact = DyadsLaw(pair, lf, budget, out);
  } else {
    out.exact = ClassesLaw(model, pair, fixed, lf, budget, out);
  }
  if (!out.exact) LogDistribution().swap(out.log_p);
  return out;
}

ExactPairProportions ExactProportionsOfPair(const StatisticMatrices& stats, int e, int i, int j,
                                            const ExactPair& pair, int control, int directionality,
                                            const FixedMatrixRecord* fixed) {
  ExactPairProportions p{kAbsent, kAbsent, kAbsent, kAbsent};
  const NullModel model = NullModelOf(control, directionality == 1, PermutationStrategy::kPairs);
  if (!DrawsSamples(model, fixed)) return p;

  int discordant = 0;
  for (int r = 0; r < pair.n; ++r) {
    for (int c = 0; c < pair.n; ++c) {
      if (Counted(pair, r, c)) discordant += pair.first[r * pair.n + c] != pair.second[r * pair.n + c] ? 1 : 0;
    }
  }
  const LogFactorials lf(discordant);
  p.mcnemar_z = ProbabilityReaching(FairBinomial(discordant, lf), [&](int t) {
    return SwapTableReaches(stats, e, i, j, SwapTableOf(t, discordant));
  });

  const OverlapLaw law = ExactOverlapLaw(model, pair, fixed);
  if (!law.exact) return p;
  std::vector<SampleReach> reach(law.log_p.size());
  for (std::size_t t = 0; t < reach.size(); ++t) {
    if (law.log_p[t] == kLogZero) continue;
    const FourfoldTable x = SampleTableOf(law.counted, law.first_ties, law.second_ties, static_cast<int>(t));
    reach[t] = SampledTableReaches(stats, e, i, j, x, law.counted);
  }
  const auto at = [&](int t) -> const SampleReach& { return reach[static_cast<std::size_t>(t)]; };
  p.theta = ProbabilityReaching(law.log_p, [&](int t) { return at(t).likelihood_ratio; });
  p.kappa = ProbabilityReaching(law.log_p, [&](int t) { return at(t).kappa; });
  p.standardized_kappa = ProbabilityReaching(law.log_p, [&](int t) { return at(t).standardized_kappa; });
  return p;
}

ExactProportionMatrices ExactCompoundProportions(const MatrixList& relations, int elements, int generators,
                                                 int directionality, const FixedMatrixRecord& fixed_matrix,
                                                 int control, int diagonal, int workers,
                                                 const StatisticMatrices& stats) {
  const int e = elements;
  const int n = relations.Shape().n;
  const std::size_t square = static_cast<std::size_t>(e) * e;
  ExactProportionMatrices exact;
  exact.theta.assign(square, kAbsent);
  exact.mcnemar_z.assign(square, kAbsent);
  exact.kappa.assign(square, kAbsent);
  exact.standardized_kappa.assign(square, kAbsent);
  const FixedMatrixRecord* fixed = fixed_matrix.Groups.empty() ? nullptr : &fixed_matrix;

  const std::size_t cells = static_cast<std::size_t>(n) * n;
  std::vector<std::int8_t> bytes(cells * static_cast<std::size_t>(e));
  for (int k = 0; k < e; ++k) UnpackMatrix(relations.Matrix(k), relations.Shape(), &bytes[cells * k]);

  // Row i of the pairs at a time; every pair writes only its own cells.
  ParallelFor(WorkerCount(workers), e, 1, [&](int, std::int64_t begin, std::int64_t end) {
    for (int i = static_cast<int>(begin); i < end; ++i) {
      for (int j = i + 1; j < e; ++j) {
        const ExactPair pair{&bytes[cells * i], &bytes[cells * j], n, PairIncludesDiagonal(diagonal, i, j, generators)};
        const ExactPairProportions p = ExactProportionsOfPair(stats, e, i, j, pair, control, directionality, fixed);
        const std::size_t low = ExactProportionMatrices::Lower(e, i, j);
        exact.theta[low] = p.theta;
        exact.mcnemar_z[low] = p.mcnemar_z;
        exact.kappa[low] = p.kappa;
        exact.standardized_kappa[low] = p.standardized_kappa;
      }
    }
  });
  return exact;
}

}  // namespace quorel
