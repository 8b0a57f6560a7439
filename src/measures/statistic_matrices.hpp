#pragma once

#include <vector>

namespace quorel {

// The measures of association of every pair of elements: six E x E matrices of 32-bit
// floats, row-major. For a pair i < j the upper cell [i][j] holds the observed statistic
// (element i the first relation, j the second) and the lower cell [j][i] the proportion of
// random samples reaching it (for PValue: the binomial P of the pair).
struct StatisticMatrices {
  std::vector<float> L;         // likelihood ratio statistic / Theta
  std::vector<float> McNemarZ;  // McNemar Z / its proportion
  std::vector<float> Kappa;     // kappa / its proportion
  std::vector<float> StdKappa;  // standardized kappa / its proportion
  std::vector<float> PValue;    // Fisher exact P (measure control MA only) / binomial P
  std::vector<float> Estvar;    // estimated variance of kappa / unused

  void Release() {
    std::vector<float>().swap(L);
    std::vector<float>().swap(McNemarZ);
    std::vector<float>().swap(Kappa);
    std::vector<float>().swap(StdKappa);
    std::vector<float>().swap(PValue);
    std::vector<float>().swap(Estvar);
  }
};

}  // namespace quorel
