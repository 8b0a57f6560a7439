#pragma once

#include <array>
#include <span>

namespace quorel {

// One row of the table of one-sided upper quantiles of the standard normal distribution:
// the probability alpha and the z with P(Z > z) = alpha.
struct ZRow {
  double alpha;
  double z;
};

// The quantiles used for the lower confidence bound of kappa, alpha keys decreasing.
inline constexpr std::array<ZRow, 24> ZTable{{
    {0.1, 1.28155},    {0.09, 1.34076},   {0.08, 1.40507},    {0.07, 1.47579},
    {0.06, 1.55477},   {0.05, 1.64485},   {0.04, 1.75069},    {0.03, 1.88079},
    {0.025, 1.96},     {0.02, 2.05375},   {0.01, 2.32635},    {0.009, 2.36562},
    {0.008, 2.40891},  {0.007, 2.45726},  {0.006, 2.51214},   {0.005, 2.57583},
    {0.004, 2.65207},  {0.003, 2.74778},  {0.002, 2.87816},   {0.001, 3.09023},
    {0.0005, 3.29053}, {0.0001, 3.71902}, {0.00005, 3.8906},  {0.00001, 4.26489},
}};

// The z of the first row whose alpha key does not exceed `alpha`, or of the last row when
// every key exceeds it; found by binary search over the decreasing keys. Each key is
// rounded to single precision before the comparison, so a cutoff entered as a key of the
// table (0.05, 0.01, ...) selects that key's own row.
double ZOfAlpha(std::span<const ZRow> table, float alpha);

inline double ZOfAlpha(float alpha) { return ZOfAlpha(ZTable, alpha); }

}  // namespace quorel
