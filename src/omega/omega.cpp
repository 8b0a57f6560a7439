#include "omega/omega.hpp"

#include <cmath>

#include "views/report_printers.hpp"
#include "omega/closure.hpp"
#include "omega/lower_omega.hpp"
#include "omega/product_table.hpp"
#include "omega/z_table.hpp"

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

void BuildOmega(std::FILE* out, ElementRelation& omega, ElementRelation& lower_omega,
                const StatisticMatrices& statistics, float alpha, float min_kappa,
                const ElementRelation& partial_order, int permutation_strategy, bool generator_products_only,
                const std::vector<std::int16_t>& mult, StorageGate& gate, OmegaLevel* level) {
  const double z = ZOfAlpha(alpha);
  FillOmega(omega, statistics, alpha, min_kappa, z, partial_order, permutation_strategy);
  if (level != nullptr) {
    level->Alpha = alpha;
    level->Z = z;
    level->MinKappa = min_kappa;
    level->HasLowerOmega = !generator_products_only;
    level->Omega = omega;
  }
  std::fprintf(out, "\tAlpha = %6.4f\n", static_cast<double>(alpha));
  std::fprintf(out, "\tZ(Alpha) = %7.5f\n", z);
  std::fprintf(out, "\tMinkappa = %6.4f\n", static_cast<double>(min_kappa));
  std::fputs("\nOMEGA :\n", out);
  PrintElementTable(out, omega);
  if (!generator_products_only) {
    const ProductTable products(mult, partial_order.Size(), gate);
    BuildLowerOmega(out, omega, lower_omega, partial_order, products, gate,
                    level != nullptr ? &level->LowerOmega : nullptr);
    CloseRelation(omega, products, gate);
    if (level != nullptr) {
      level->LowerOmegaClosure = lower_omega;
      level->OmegaClosure = omega;
    }
    std::fputs("\nPARTIAL ALGEBRAIC CLOSURE OF OMEGA:\n", out);
    PrintElementTable(out, omega);
  }
  std::fputs("\n4. Factorisation of the closure of OMEGA and OMEGA_L.\n", out);
}

}  // namespace quorel
