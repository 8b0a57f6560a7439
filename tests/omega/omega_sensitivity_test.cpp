// How settled Omega is: a pair counts when a proportion Omega reads could cross the cutoff
// within its interval, and only then.

#include "omega/omega_sensitivity.hpp"

#include <gtest/gtest.h>


namespace quorel {
namespace {

// Two elements, the first included in the second by every observed measure; the three
// proportions Omega reads as given (Theta, standardized kappa's, McNemar's).
StatisticMatrices TwoElements(float theta, float std_kappa, float mcnemar) {
  StatisticMatrices s;
  s.L = {0.0f, 12.0f, theta, 0.0f};
  s.StdKappa = {0.0f, 5.0f, std_kappa, 0.0f};
  s.McNemarZ = {0.0f, -3.0f, mcnemar, 0.0f};
  s.Kappa = {0.0f, 0.5f, 0.0f, 0.0f};
  s.Estvar = {0.0f, 0.01f, 0.0f, 0.0f};
  s.PValue = {0.0f, 0.01f, 0.001f, 0.0f};  // the binomial P in the lower cell
  return s;
}

TEST(OmegaSensitivity, CountsPairsWhoseProportionsCouldCrossTheCutoff) {
  const struct {
    const char* name;
    int samples;
    float theta, std_kappa, mcnemar;
    int strategy;
    int unsettled;
  } cases[] = {
      {"ThetaNearTheCutoffFewSamples", 100, 0.04f, 0.0f, 0.0f, 0, 1},
      {"AllFarBelowTheCutoff", 1000, 0.001f, 0.001f, 0.001f, 0, 0},
      {"McNemarsNearTheCutoffDecidesTheDirection", 1000, 0.001f, 0.001f, 0.045f, 0, 1},
      {"McNemarsUnreadPermutingGenerators", 1000, 0.001f, 0.001f, 0.045f, 1, 0},
      {"ThetaFarAboveTheCutoff", 1000, 0.5f, 0.0f, 0.0f, 0, 0},
      {"NoSamples", 0, 0.04f, 0.0f, 0.0f, 0, 0},
  };
  ElementRelation order;
  order.Reset(2);
  order.Set(0, 0);
  order.Set(1, 1);
  for (const auto& c : cases) {
    const StatisticMatrices s = TwoElements(c.theta, c.std_kappa, c.mcnemar);
    EXPECT_EQ(CountUnsettledPairs(s, c.samples, 0.05f, 0.01f, 1.64485, order, c.strategy), c.unsettled)
        << c.name;
  }
}

}  // namespace
}  // namespace quorel
