#include "omega/omega.hpp"

#include <cmath>


namespace quorel {

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
      if (statistics.L[lower] < alpha && statistics.StdKappa[lower] < alpha) {
        const float direction_p = permutation_strategy == 0 ? statistics.McNemarZ[lower] : statistics.PValue[lower];
        if (direction_p < alpha) {
          if (statistics.McNemarZ[upper] < 0.0f) {
            omega.Set(i, j);
          } else {
            omega.Set(j, i);
          }
        } else {
          // The lower confidence bound of kappa, in double precision; a negative variance
          // gives a bound that is not a number, which never exceeds MinKappa.
          const double bound = static_cast<double>(statistics.Kappa[upper]) -
                               z * std::sqrt(static_cast<double>(statistics.Estvar[upper]));
          if (bound > static_cast<double>(min_kappa)) {
            omega.Set(i, j);
            omega.Set(j, i);
          }
        }
      }
      if (partial_order.Get(i, j)) omega.Set(i, j);
      if (partial_order.Get(j, i)) omega.Set(j, i);
    }
  }
}

}  // namespace quorel
