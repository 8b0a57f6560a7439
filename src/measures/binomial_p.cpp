// The exact sign test on the discordant cells of the 2 x 2 table: under the hypothesis that
// a discordant cell is as likely to be first-only as second-only, the number of first-only
// cells among the b + c discordant ones is binomial with probability 1/2.

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "measures/fourfold_table.hpp"

namespace quorel {
namespace {

// The binomial coefficient in extended precision: C(1074, 537) is about 2^1070, beyond the
// double range but well inside the extended one, so every coefficient of the test stays
// finite until it is scaled by 0.5^n.
long double ExtendedBinomialCoefficient(int n, int k) {
  if (n < k) return 0.0L;
  const int low = std::min(k, n - k);
  const int high = std::max(k, n - k);
  if (low < 1) return 1.0L;
  long double product = 1.0L;
  for (int j = 1; j <= low; ++j) {
    const long double quotient = static_cast<long double>(high + j) / static_cast<long double>(j);
    product = product * quotient;
  }
  return product;
}

// 0.5^n is 0 in double beyond this many discordant cells.
constexpr int kMaxHalvings = 1074;

}  // namespace

double BinomialCoefficient(std::int16_t n, std::int16_t k) {
  return static_cast<double>(ExtendedBinomialCoefficient(n, k));
}

double BinomialP(const FourfoldTable& table) {
  const int b = static_cast<std::int16_t>(static_cast<int>(table[1]));
  const int c = static_cast<std::int16_t>(static_cast<int>(table[2]));
  if (b == c) return 1.0;
  const int n = static_cast<std::int16_t>(b + c);
  if (n > kMaxHalvings) return 0.0;
  const double half = std::pow(0.5, n);  // exact: a power of two within the double range

  // The smaller tail, each term rounded from extended precision to double, summed in double.
  double sum = 0.0;
  const int smaller = std::min(b, c);
  for (int i = 0; i <= smaller; ++i) {
    const long double term = ExtendedBinomialCoefficient(n, i) * static_cast<long double>(half);
    sum += static_cast<double>(term);
  }
  const double p = 2.0 * sum;
  return p < FLT_MIN ? 0.0 : p;
}

}  // namespace quorel
