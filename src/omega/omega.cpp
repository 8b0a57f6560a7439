#include "omega/omega.hpp"

#include <cmath>


namespace quorel {

std::uint8_t DecideOmegaPair(const OmegaProportions& proportions, float mcnemar_z, float kappa, float estvar,
                             float alpha, float min_kappa, double z) {
  if (!(proportions.theta < alpha && proportions.standardized_kappa < alpha)) return 0;
  if (proportions.direction < alpha) return mcnemar_z < 0.0f ? 1 : 2;
  // The lower confidence bound of kappa, in double precision; a negative variance gives a
  // bound that is not a number, which never exceeds MinKappa.
  const double bound = static_cast<double>(kappa) - z * std::sqrt(static_cast<double>(estvar));
  return bound > static_cast<double>(min_kappa) ? 3 : 0;
}

void FillOmega(ElementRelation& omega, const StatisticMatrices& statistics, float alpha, float min_kappa,
               double z, const ElementRelation& partial_order, int permutation_strategy) {
  const int e = partial_order.Size();
  omega.Reset(e);
  const auto at = [e](int r, int c) { return static_cast<std::size_t>(r) * e + c; };
  for (int i = 0; i < e; ++i) {
    omega.Set(i, i);
    for (int j = i + 1; j < e; ++j) {
      const std::size_t upper = at(i, j);
      const std::size_t lower = at(j, i);
      const OmegaProportions proportions{
          statistics.L[lower], statistics.StdKappa[lower],
          permutation_strategy == 0 ? statistics.McNemarZ[lower] : statistics.PValue[lower]};
      const std::uint8_t decided = DecideOmegaPair(proportions, statistics.McNemarZ[upper], statistics.Kappa[upper],
                                                   statistics.Estvar[upper], alpha, min_kappa, z);
      if ((decided & 1) != 0 || partial_order.Get(i, j)) omega.Set(i, j);
      if ((decided & 2) != 0 || partial_order.Get(j, i)) omega.Set(j, i);
    }
  }
}

}  // namespace quorel
