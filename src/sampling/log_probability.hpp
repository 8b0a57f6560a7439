#pragma once

#include <cmath>
#include <limits>
#include <vector>

namespace quorel {

// Probabilities of the exact null distributions are carried as natural logarithms: the
// counts of arrangements behind them (C(N^2, ties) for a network of a few hundred actors)
// are far beyond a double, and the probabilities of extreme overlaps far below one.

inline constexpr double kLogZero = -std::numeric_limits<double>::infinity();

// log(exp(x) + exp(y)), exact where either is log 0.
inline double LogAdd(double x, double y) {
  if (x == kLogZero) return y;
  if (y == kLogZero) return x;
  return x > y ? x + std::log1p(std::exp(y - x)) : y + std::log1p(std::exp(x - y));
}

// log k! for k = 0..n, each the running sum of log 1 .. log k, and what follows from them.
class LogFactorials {
 public:
  explicit LogFactorials(int n);

  int Size() const { return static_cast<int>(table_.size()) - 1; }
  double Of(int k) const { return table_[static_cast<std::size_t>(k)]; }
  // log C(n, k); log 0 when k lies outside 0..n.
  double Choose(int n, int k) const { return k < 0 || k > n ? kLogZero : Of(n) - Of(k) - Of(n - k); }
  // log of the hypergeometric probability of `hits` marked items among `draws` taken from
  // `population` items of which `marked` are marked.
  double Hypergeometric(int population, int marked, int draws, int hits) const {
    return Choose(marked, hits) + Choose(population - marked, draws - hits) - Choose(population, draws);
  }

 private:
  std::vector<double> table_;
};

// A distribution over 0, 1, 2, ... as log probabilities.
using LogDistribution = std::vector<double>;

// The first value of `p` with a probability above 0 (p.size() when there is none).
std::size_t FirstPossible(const LogDistribution& p);

// The distribution of the sum of two independent counts. Cost: O(|p| |q|), values of
// probability 0 at either end skipped.
LogDistribution Convolve(const LogDistribution& p, const LogDistribution& q);

// Adds `log_weight` + q[k] to out[shift + k] for every k, growing `out` as needed.
void AddShifted(LogDistribution& out, const LogDistribution& q, int shift, double log_weight);

// The Binomial(trials, 1/2) distribution.
LogDistribution FairBinomial(int trials, const LogFactorials& log_factorials);

}  // namespace quorel
