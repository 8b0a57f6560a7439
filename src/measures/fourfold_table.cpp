#include "measures/fourfold_table.hpp"

#include <bit>
#include <cerrno>
#include <cmath>

#include "core/error.hpp"

namespace quorel {

void CountFourfold(FourfoldTable& table, const BitWord* first, const BitWord* second,
                   const MatrixShape& shape, bool includeDiagonal) {
  table = FourfoldTable{};
  if (shape.n < 1) return;

  // Whole words at a time: the columns beyond N - 1 are 0 in both matrices, so they fall
  // into none of the three counted classes, and the cells where neither relation holds are
  // the rest of the N x N cells.
  std::int64_t count[4] = {0, 0, 0, 0};
  for (int w = 0; w < shape.words; ++w) {
    const BitWord a = first[w];
    const BitWord b = second[w];
    count[3] += std::popcount(a & b);
    count[2] += std::popcount(a & ~b);
    count[1] += std::popcount(~a & b);
  }
  const std::int64_t cells = static_cast<std::int64_t>(shape.n) * shape.n;
  count[0] = cells - count[1] - count[2] - count[3];

  // An actor's tie to itself is not a tie between actors unless the analysis says so.
  if (!includeDiagonal) {
    for (int r = 0; r < shape.n; ++r) {
      --count[2 * GetCell(first, shape, r, r) + GetCell(second, shape, r, r)];
    }
  }
  for (int k = 0; k < 4; ++k) table[k] = static_cast<float>(count[k]);
}

void AddToFourfold(FourfoldTable& table, float value) {
  for (int k = 0; k < 4; ++k) table[k] = table[k] + value;
}

void FourfoldMargins(const FourfoldTable& t, float& R0, float& R1, float& C0, float& C1,
                     float& n) {
  R0 = t[0] + t[1];
  R1 = t[3] + t[2];
  C0 = t[0] + t[2];
  C1 = t[3] + t[1];
  n = R0 + R1;
}

void ExpectedFourfold(FourfoldTable& expected, const FourfoldTable& t, std::int16_t cellCount) {
  const double total = static_cast<double>(cellCount) + 2.0;
  for (int x = 0; x < 2; ++x) {
    const double rowTotal = static_cast<double>(t[2 * x]) + static_cast<double>(t[2 * x + 1]);
    for (int y = 0; y < 2; ++y) {
      const double columnTotal = static_cast<double>(t[y]) + static_cast<double>(t[2 + y]);
      expected[2 * x + y] = static_cast<float>(rowTotal * columnTotal / total);
    }
  }
}

double LikelihoodRatioStatistic(const FourfoldTable& observed, const FourfoldTable& expected) {
  float sum = 0.0f;
  for (int k = 0; k < 4; ++k) {
    const double o = observed[k];
    const double e = expected[k];
    if (!(o > 0.0) || !(e > 0.0)) continue;
    // Only the logarithm's own report counts: errno may still hold an earlier, harmless
    // underflow (the power 0.5^n of the binomial test, for one).
    errno = 0;
    const double term = o * std::log(o / e);
    const int logError = errno;
    sum = static_cast<float>(static_cast<double>(sum) + term);
    if (logError == EDOM || logError == ERANGE) FatalMathError(logError);
  }
  return 2.0 * static_cast<double>(sum);
}

KappaMargins KappaMarginsOf(float R0, float R1, float C0, float C1, float n) {
  KappaMargins m;
  m.total = n;
  m.chance = static_cast<double>(R0) * static_cast<double>(C0) + static_cast<double>(R1) * static_cast<double>(C1);
  m.room = m.total * m.total - m.chance;
  return m;
}

double KappaOf(const FourfoldTable& t, const KappaMargins& m) {
  if (m.room == 0.0 || std::isnan(m.room)) return 0.0;
  const double agreement = static_cast<double>(t[0]) + static_cast<double>(t[3]);
  return (m.total * agreement - m.chance) / m.room;
}

double KappaStatistic(const FourfoldTable& t, float R0, float R1, float C0, float C1, float n) {
  return KappaOf(t, KappaMarginsOf(R0, R1, C0, C1, n));
}

double McNemarZStatistic(const FourfoldTable& t) {
  const double discordant = static_cast<double>(t[1]) + static_cast<double>(t[2]);
  if (discordant == 0.0) return 0.0;
  return (static_cast<double>(t[1]) - static_cast<double>(t[2])) / std::sqrt(discordant);
}

double KappaVariance(const FourfoldTable& t, float R0f, float R1f, float C0f, float C1f,
                     float nf) {
  const double R0 = R0f, R1 = R1f, C0 = C0f, C1 = C1f, n = nf;
  const double T0 = t[0], T1 = t[1], T2 = t[2], T3 = t[3];
  const double n2 = n * n;
  const double po = (T0 + T3) / n;
  const double pe = (R0 * C0 + R1 * C1) / n2;
  const double A = 1.0 - po;
  const double B = 1.0 - pe;
  if (A == 0.0 || B == 0.0 || std::isnan(A) || std::isnan(B)) return 0.0;

  // theta3: the agreeing cells weighted by their own row plus column total; theta4: every
  // cell (x, y) weighted by the square of (column total of x + row total of y).
  const double theta3 = (T0 * (R0 + C0) + T3 * (R1 + C1)) / n2;
  const double w0 = R0 + C0, w1 = C0 + R1, w2 = C1 + R0, w3 = R1 + C1;
  const double theta4 = (T0 * (w0 * w0) + T1 * (w1 * w1) + T2 * (w2 * w2) + T3 * (w3 * w3)) /
                        (n2 * n);
  const double BB = B * B;
  const double bracket = po * A + (2.0 * A * (2.0 * po * pe - theta3)) / B +
                         (A * A * (theta4 - 4.0 * pe * pe)) / BB;
  return bracket / (n * BB);
}

double NullStandardDeviation(float R0f, float R1f, float C0f, float C1f, float nf) {
  const double R0 = R0f, R1 = R1f, C0 = C0f, C1 = C1f, n = nf;
  const double pe = (R0 * C0 + R1 * C1) / (n * n);
  if (pe == 1.0 || std::isnan(pe)) return 0.0;
  const double x = R0 * C0 * (R0 + C0) + R1 * C1 * (R1 + C1);
  const double q = 1.0 - pe;
  const double nullVariance = ((pe * pe + pe) - x / (n * n * n)) / (n * (q * q));
  if (!(nullVariance > 0.0)) return 0.0;
  return std::sqrt(nullVariance);
}

double StandardizedKappa(float kappa, float R0, float R1, float C0, float C1, float n) {
  const double deviation = NullStandardDeviation(R0, R1, C0, C1, n);
  return deviation == 0.0 ? 0.0 : static_cast<double>(kappa) / deviation;
}

}  // namespace quorel
