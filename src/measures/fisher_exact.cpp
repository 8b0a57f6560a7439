// Fisher's exact test on the 2 x 2 table of two relations.
//
// The probability of a table under fixed margins is a long product of quotients of counts.
// For a network of up to 181 actors (32761 cells) the partial products reach about 2^32000,
// far beyond even the extended (long double) range, and the two-sided P sums up to one
// such probability per table along the walk through all tables with the same margins.
// Two devices keep this exact to double precision and linear in the number of cells:
//
// * ScaledValue carries the binary exponent beside an extended-precision mantissa. Scaling
//   by a power of two is exact and rounding is relative, so as long as a plain long double
//   computation of the same steps stays in the normal range, the scaled one rounds every
//   step identically and yields the same bits; where the plain one would overflow, the
//   scaled one goes on.
// * Along the walk, each table's probability follows from its neighbour's by one quotient
//   (a recurrence), instead of a fresh product of O(n) factors per table.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "measures/fourfold_table.hpp"

namespace quorel {
namespace {

// A positive number mantissa * 2^exponent. The mantissa is renormalised only when it
// leaves [2^-8192, 2^8192], far inside the long double normal range, so no step of a walk
// (each multiplies or divides by at most 2^34) can leave that range between checks.
class ScaledValue {
 public:
  void Multiply(long double factor) {
    mantissa_ = mantissa_ * factor;
    Renormalise();
  }
  void Divide(long double divisor) {
    mantissa_ = mantissa_ / divisor;
    Renormalise();
  }
  // The value in extended precision; 0 when below its range. Scaling by 2^0 is the value
  // itself, and most walks never leave the mantissa's range.
  long double Extended() const { return exponent_ == 0 ? mantissa_ : std::ldexp(mantissa_, exponent_); }
  // The value rounded to double, as a plain computation rounds its extended result.
  double Rounded() const { return static_cast<double>(Extended()); }

 private:
  void Renormalise() {
    if (mantissa_ > 0x1p+8192L || (mantissa_ < 0x1p-8192L && mantissa_ != 0.0L)) {
      int shift = 0;
      mantissa_ = std::frexp(mantissa_, &shift);
      exponent_ += shift;
    }
  }

  long double mantissa_ = 1.0L;
  int exponent_ = 0;
};

// The defining product of the table probability, step for step: each step multiplies by
// one count and then divides by another, in extended precision.
ScaledValue TableProbability(int p, int q, int r, int s) {
  ScaledValue v;
  for (int i = 1; i <= p; ++i) {
    v.Multiply(r + i);
    v.Divide(i);
  }
  for (int j = 1; j <= r; ++j) {
    v.Multiply(s + j);
    v.Divide(p + q + j);
  }
  for (int l = 1; l <= s; ++l) {
    v.Multiply(q + l);
    v.Divide(p + q + r + l);
  }
  return v;
}

// Moving one unit of mass around the cycle, from cells (p, q, r, s) to (p-1, q+1, r+1, s-1),
// multiplies the table probability by p s / ((q + 1)(r + 1)). Both products are exact in
// the 64-bit mantissa (each below 2^34), so a step costs two roundings.
void StepAwayFromFirstCell(ScaledValue& v, int p, int q, int r, int s) {
  v.Multiply(static_cast<long double>(static_cast<std::int64_t>(p) * s));
  v.Divide(static_cast<long double>(static_cast<std::int64_t>(q + 1) * (r + 1)));
}

// A count taken from the table: truncated toward zero into the 16-bit count type.
int TruncatedCount(float cell) {
  return static_cast<std::int16_t>(static_cast<int>(cell));
}

}  // namespace

double HypergeometricProbability(std::int16_t p, std::int16_t q, std::int16_t r,
                                 std::int16_t s) {
  return TableProbability(p, q, r, s).Rounded();
}

double FisherExactP(const FourfoldTable& table) {
  const int a = TruncatedCount(table[0]);
  const int b = TruncatedCount(table[1]);
  const int c = TruncatedCount(table[2]);
  const int d = TruncatedCount(table[3]);
  const std::int64_t det = static_cast<std::int64_t>(a) * d - static_cast<std::int64_t>(b) * c;
  if (det == 0) return 1.0;

  // The cells in cyclic order (0,0), (0,1), (1,1), (1,0): neighbours share a line, so moving
  // one unit around the cycle (-1, +1, -1, +1) keeps every margin. x0 is the cell that runs
  // out first when the table moves further in the observed direction; x2, opposite it, is
  // never smaller.
  const int cycle[4] = {a, b, d, c};
  int k;
  if (det > 0) {
    k = b >= c ? 3 : 1;
  } else {
    k = a >= d ? 2 : 0;
  }
  const int x0 = cycle[k];
  const int x1 = cycle[(k + 1) % 4];
  const int x2 = cycle[(k + 2) % 4];
  const int x3 = cycle[(k + 3) % 4];
  const int m = x1 < x3 ? x1 : x3;  // steps available in the opposite direction

  const ScaledValue observed = TableProbability(x0, x1, x3, x2);
  const double p0 = observed.Rounded();

  // The observed table lies at or beyond the mode of the distribution (a d > b c puts T0
  // above its mean), so every table counted is at most as probable as the observed one and
  // at most x0 + m + 1 tables are counted. When even that many cannot reach the smallest
  // normal float, the result is 0 without walking.
  if (observed.Extended() * static_cast<long double>(x0 + m + 1) < 0.5L * FLT_MIN) return 0.0;

  // Same-direction tail: the observed table and every table beyond it, towards the extreme.
  double tail = p0;
  ScaledValue term = observed;
  for (int t = 1; t <= x0; ++t) {
    StepAwayFromFirstCell(term, x0 - t + 1, x1 + t - 1, x3 + t - 1, x2 - t + 1);
    tail += term.Rounded();
  }

  // Opposite tail: from the far extreme back towards the observed table, until a table is
  // more probable than the observed one. The probabilities rise monotonically along this
  // walk up to the mode, so only the tables next to the crossing can come near P0. A table
  // decides by the recurrence value when that is clearly apart from P0; otherwise its
  // probability is formed again by the defining product, so that the comparison (exact
  // ties included) falls exactly as it does for the step-for-step definition.
  //
  // Why the band is safe: the defining product has at most 2n extended roundings (relative
  // error below 2.7e5 * 2^-64 < 1.5e-14 for n <= 131068, four 16-bit cells) plus one
  // rounding to double; the recurrence starts from such a product and adds two roundings
  // per step over at most 65535 steps (< 7.2e-15). Outside a relative band of 1e-11, some
  // 250 times the combined error, both values lie on the same side of P0. Consecutive
  // tables differ by an integer quotient p s / ((q+1)(r+1)) that is exactly 1 or at least
  // 2^-32 away from 1, so at most a few tables fall inside the band.
  double other = 0.0;
  if (m > 0) {
    ScaledValue far = TableProbability(x0 + m, x1 - m, x3 - m, x2 + m);
    for (int u = 0; u < m; ++u) {
      const int p = x0 + m - u, q = x1 - m + u, r = x3 - m + u, s = x2 + m - u;
      if (u > 0) StepAwayFromFirstCell(far, p + 1, q - 1, r - 1, s + 1);
      double candidate = far.Rounded();
      const long double gap = std::fabs(far.Extended() - static_cast<long double>(p0));
      if (gap <= 1e-11L * static_cast<long double>(p0)) {
        candidate = TableProbability(p, q, r, s).Rounded();
      }
      if (candidate > p0) break;
      other += candidate;
    }
  }

  const double result = other + tail;
  return result < FLT_MIN ? 0.0 : result;
}

}  // namespace quorel
