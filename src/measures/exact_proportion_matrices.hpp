#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorel {

// The exact probabilities, under the null model of the measure control, that a random
// sample of a pair reaches each observed statistic: what the sampled proportions estimate.
// Four E x E matrices of doubles, row-major, the pair i < j in the lower cell [j][i] as the
// sampled proportions are; NaN where no exact value exists (see docs/guide.md). Empty when
// exact probabilities were not asked for.
struct ExactProportionMatrices {
  std::vector<double> theta;               // L reached
  std::vector<double> mcnemar_z;           // |McNemar Z| of the swap table reached
  std::vector<double> kappa;
  std::vector<double> standardized_kappa;

  bool Empty() const { return theta.empty(); }
  static std::size_t Lower(int e, int i, int j) { return static_cast<std::size_t>(j) * e + i; }
};

// The bytes of the four matrices for `elements` elements: 32 E^2.
inline std::uint64_t ExactProportionBytes(int elements) {
  const std::uint64_t e = elements > 0 ? static_cast<std::uint64_t>(elements) : 0;
  return 4 * e * e * sizeof(double);
}

}  // namespace quorel
