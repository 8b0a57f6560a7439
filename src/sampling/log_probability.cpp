#include "sampling/log_probability.hpp"

#include <cstddef>

namespace quorel {

LogFactorials::LogFactorials(int n) : table_(static_cast<std::size_t>(n > 0 ? n : 0) + 1, 0.0) {
  // A compensated running sum: the rounding of tens of thousands of additions would
  // otherwise shift log n! by far more than the last digits of the logarithms.
  double sum = 0.0, carried = 0.0;
  for (std::size_t k = 2; k < table_.size(); ++k) {
    const double term = std::log(static_cast<double>(k)) - carried;
    const double next = sum + term;
    carried = (next - sum) - term;
    sum = next;
    table_[k] = sum;
  }
}

std::size_t FirstPossible(const LogDistribution& p) {
  std::size_t k = 0;
  while (k < p.size() && p[k] == kLogZero) ++k;
  return k;
}

void AddShifted(LogDistribution& out, const LogDistribution& q, int shift, double log_weight) {
  if (log_weight == kLogZero) return;
  std::size_t end = q.size();
  while (end > 0 && q[end - 1] == kLogZero) --end;
  if (out.size() < static_cast<std::size_t>(shift) + end) out.resize(static_cast<std::size_t>(shift) + end, kLogZero);
  for (std::size_t k = FirstPossible(q); k < end; ++k) {
    if (q[k] == kLogZero) continue;
    double& cell = out[static_cast<std::size_t>(shift) + k];
    cell = LogAdd(cell, log_weight + q[k]);
  }
}

LogDistribution Convolve(const LogDistribution& p, const LogDistribution& q) {
  LogDistribution out;
  for (std::size_t k = 0; k < p.size(); ++k) AddShifted(out, q, static_cast<int>(k), p[k]);
  return out;
}

LogDistribution FairBinomial(int trials, const LogFactorials& log_factorials) {
  LogDistribution out(static_cast<std::size_t>(trials) + 1);
  const double log_half = -std::log(2.0) * trials;
  for (int k = 0; k <= trials; ++k) out[static_cast<std::size_t>(k)] = log_factorials.Choose(trials, k) + log_half;
  return out;
}

}  // namespace quorel
