#pragma once

#include <cstdint>

#include "core/relation_matrix.hpp"

namespace quorel {

// The 2 x 2 cross-classification of the counted cells of two relations: cell 2a + b counts
// the cells where the first relation has value a and the second value b (0 neither, 1
// second only, 2 first only, 3 both). Cells are 32-bit floats because 0.5 is added to each
// before the likelihood ratio statistic is formed.
struct FourfoldTable {
  float cell[4] = {0.0f, 0.0f, 0.0f, 0.0f};

  float& operator[](int k) { return cell[k]; }
  float operator[](int k) const { return cell[k]; }
};

// Every statistic below is formed in double precision from the float cells and margins
// (each converted to double before it takes part in a product or a sum) and returned as a
// double; the callers round it into the 32-bit statistic matrices. The row variable is the
// first relation, the column variable the second. Margins: R0 = T0 + T1 (first absent),
// R1 = T3 + T2 (first present), C0 = T0 + T2 (second absent), C1 = T3 + T1 (second
// present), n = R0 + R1 (cells counted).
//
// Whole-number counts taken from the table for Fisher's test and the binomial test are
// truncated to 16-bit integers, so a table is expected to count at most 32767 cells
// (N <= 181 actors).

// Counts the cells of two relations of the same shape into `table`; the diagonal cells
// (an actor's tie to itself) count only when `includeDiagonal` is set, so the total is N*N
// or N*(N-1). Cost: O(N^2 / 64) word operations plus O(N) for the diagonal.
void CountFourfold(FourfoldTable& table, const BitWord* first, const BitWord* second,
                   const MatrixShape& shape, bool includeDiagonal);

// Adds `value` to each of the four cells (the likelihood ratio statistic is always formed
// on the table with 0.5 added to every cell, so that no cell is empty).
void AddToFourfold(FourfoldTable& table, float value);

// The row and column totals and the grand total of the table, each a float sum of two cells.
void FourfoldMargins(const FourfoldTable& table, float& R0, float& R1, float& C0, float& C1,
                     float& n);

// The counts expected under independence with the table's own margins: row total times
// column total over cellCount + 2, where cellCount is the number of cells counted before
// 0.5 was added to each of the four cells (so cellCount + 2 is the adjusted total).
void ExpectedFourfold(FourfoldTable& expected, const FourfoldTable& table,
                      std::int16_t cellCount);

// The likelihood ratio statistic L = 2 * sum O ln(O / E) over the cells where both the
// observed and the expected count are positive; the running sum is kept as a float. A
// domain or range error of the logarithm ends the run (FatalError 7).
double LikelihoodRatioStatistic(const FourfoldTable& observed, const FourfoldTable& expected);

// Cohen's kappa, the agreement of the two relations beyond chance: (po - pe) / (1 - pe)
// with po = (T0 + T3) / n and pe = (R0 C0 + R1 C1) / n^2. 0 when the table leaves no room
// for agreement beyond chance (n^2 = R0 C0 + R1 C1) or when n = 0.
double KappaStatistic(const FourfoldTable& table, float R0, float R1, float C0, float C1,
                      float n);
// The same in two steps, for callers that meet the same margins often: what depends on the
// margins alone (n, R0 C0 + R1 C1 and n^2 less that), then kappa of a table with them.
struct KappaMargins {
  double total = 0.0;
  double chance = 0.0;
  double room = 0.0;
};
KappaMargins KappaMarginsOf(float R0, float R1, float C0, float C1, float n);
double KappaOf(const FourfoldTable& table, const KappaMargins& margins);

// McNemar's Z on the discordant cells, (T1 - T2) / sqrt(T1 + T2), no continuity correction;
// positive when second-only cells outnumber first-only cells (the first relation tends to be
// included in the second). 0 when there are no discordant cells.
double McNemarZStatistic(const FourfoldTable& table);

// The large-sample variance of kappa (Fleiss, Cohen and Everitt), printed as ESTVAR.
// 0 when agreement is perfect (po = 1) or chance agreement is certain (pe = 1).
double KappaVariance(const FourfoldTable& table, float R0, float R1, float C0, float C1,
                     float n);

// Kappa divided by the square root of its variance under independence of the two
// relations. `kappa` is the value as rounded into the 32-bit kappa matrix. 0 when pe = 1
// or the null variance is not positive.
double StandardizedKappa(float kappa, float R0, float R1, float C0, float C1, float n);
// The square root of that null variance, which depends on the margins alone; 0 where the
// standardized kappa is 0.
double NullStandardDeviation(float R0, float R1, float C0, float C1, float n);

// The probability, under fixed margins, of the 2 x 2 table with cells p, q, r, s, where p
// and q share one line (row or column), p and r the other line through p, and s is the cell
// opposite p: (p+q)! (r+s)! (p+r)! (q+s)! / (n! p! q! r! s!). Formed by the product of
// quotients multiply-then-divide, in extended precision with the binary exponent carried
// aside, so that large margins neither overflow nor change the rounding of smaller ones.
// Cost: O(p + r + s).
double HypergeometricProbability(std::int16_t p, std::int16_t q, std::int16_t r,
                                 std::int16_t s);

// Two-sided Fisher exact P of the table (printed as FISHERP): the probability of the
// observed table and of every table beyond it in the observed direction, plus the tables
// on the opposite side, from the far extreme inwards, until one is more probable than the
// observed table. 1 when T0 T3 = T1 T2; 0 below the smallest normal float.
// Cost: O(n) for a table of n cells.
double FisherExactP(const FourfoldTable& table);

// The binomial coefficient n over k as a product of quotients (M + j) / j, j = 1..min(k,
// n-k), M = max(k, n-k); 0 when n < k. Large values exceed the double range (infinity).
// Cost: O(min(k, n - k)).
double BinomialCoefficient(std::int16_t n, std::int16_t k);

// The exact two-sided sign test on the discordant cells b = T1 and c = T2 (printed as
// BINP): 2 * sum_{i <= min(b, c)} C(b + c, i) / 2^(b + c). 1 when b = c; 0 when b + c
// exceeds 1074 (0.5^(b + c) is below the double range) or the result is below the
// smallest normal float. Cost: O(min(b, c)^2), at most about 1.5e5 steps.
double BinomialP(const FourfoldTable& table);

}  // namespace quorel
