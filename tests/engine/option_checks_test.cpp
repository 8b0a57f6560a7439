#include "core/option_checks.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/analysis_options.hpp"
#include "core/message_list.hpp"

namespace quorel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct CutoffCase {
  const char* text;
  std::vector<float> values;
  std::vector<std::string> messages;
};

class CutoffList : public ::testing::TestWithParam<CutoffCase> {};

TEST_P(CutoffList, ParsesRunsOfDigitsAndPoints) {
  MessageList messages;
  EXPECT_EQ(ParseCutoffList(GetParam().text, messages), GetParam().values);
  EXPECT_EQ(messages.Lines(), GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CutoffList,
    ::testing::Values(CutoffCase{"0.05", {0.05f}, {}},
                      CutoffCase{"0.05,0.01 0.001", {0.05f, 0.01f, 0.001f}, {}},
                      CutoffCase{"-0.5", {0.5f}, {}},
                      CutoffCase{"1", {1.0f}, {"invalid probability"}},
                      CutoffCase{"1.0", {1.0f}, {"invalid probability"}},
                      CutoffCase{".", {0.0f}, {}},
                      CutoffCase{"0.1.2", {0.1f}, {}},
                      CutoffCase{"1e-3", {1.0f, 3.0f}, {"invalid probability", "invalid probability"}},
                      CutoffCase{"alpha; beta", {}, {}},
                      CutoffCase{"", {}, {}}));

TEST(CutoffList, OnlyTheFirstTwentyNumbersAreUsedWithOneWarning) {
  std::string text;
  for (int k = 0; k < 25; ++k) text += (k == 22 ? "7 " : "0.01 ");
  MessageList messages;
  const std::vector<float> values = ParseCutoffList(text, messages);
  EXPECT_EQ(values, std::vector<float>(20, 0.01f));
  // The invalid 23rd number is not reported: it is never used.
  EXPECT_THAT(messages.Lines(), ElementsAre("WARNING: Only the first 20 cutoff probabilities are used."));
}

TEST(Directionality, ComesFromTheVectorOnlyWhenPresent) {
  EXPECT_EQ(ClassifyDirectionality({1, 1}, 0, 2), 0);
  EXPECT_EQ(ClassifyDirectionality({0, 0, 0}, 1, 3), 0);
  EXPECT_EQ(ClassifyDirectionality({1, 1, 1}, 1, 3), 1);
  EXPECT_EQ(ClassifyDirectionality({1, 0, 1}, 1, 3), 2);
  EXPECT_EQ(ClassifyDirectionality({0, 1}, 1, 1), 0);  // only the first NR entries count
}

struct ControlCase {
  const char* name;
  std::int16_t directionality;
  std::int32_t strategy;
  std::int32_t control;
  std::int32_t new_control;
  std::vector<std::string> messages;
};

class MeasureControlCheck : public ::testing::TestWithParam<ControlCase> {};

TEST_P(MeasureControlCheck, LowersOrRestrictsImpossibleControls) {
  const ControlCase& c = GetParam();
  AnalysisOptions options;
  options.m_PermutationStrategy = c.strategy;
  options.m_MeasureControl = c.control;
  MessageList messages;
  CheckMeasureControl(options, c.directionality, messages);
  EXPECT_EQ(options.m_MeasureControl, c.new_control);
  EXPECT_EQ(messages.Lines(), c.messages);
}

const std::vector<std::string> kMixedDensity = {
    "", "WARNING: Cannot perform requested measure control with mixed directionality.", "",
    "Control for DENSITY with directional relations will be used instead.", ""};
const std::vector<std::string> kToDirectedGraph = {
    "", "WARNING: Cannot perform requested measure control with non-directional", "relations.",
    "Control for DIRECTED GRAPH STRUCTURE will be used instead.", ""};
const std::vector<std::string> kMixedFixed = {
    "", "WARNING: Cannot perform requested measure control with mixed directionality.", "",
    "Control for FIXED MATRIX with directional relations will be used instead.", ""};
const std::vector<std::string> kToFixed = {"", "WARNING: Cannot perform requested measure control with non-directional",
                                           "relations.", "Control for FIXED MATRIX will be used instead.", ""};

INSTANTIATE_TEST_SUITE_P(
    Rows, MeasureControlCheck,
    ::testing::Values(ControlCase{"DirectionalNeverChanges", 0, 0, kMG, kMG, {}},
                      ControlCase{"MixedDensityPairs", 2, 0, kMA, kMA, kMixedDensity},
                      ControlCase{"MixedDensityGenerators", 2, 1, kMA, kMA, {}},
                      ControlCase{"NonDirectionalOutdegrees", 1, 1, kMC, kMB, kToDirectedGraph},
                      ControlCase{"MixedOutdegreeDistribution", 2, 0, kME, kMB, kToDirectedGraph},
                      ControlCase{"MixedFixedPairs", 2, 0, kMG, kMG, kMixedFixed},
                      ControlCase{"NonDirectionalFixedAndOutdegrees", 1, 0, kMG, kMF, kToFixed},
                      ControlCase{"MixedFixedAndOutdegreesGenerators", 2, 1, kMG, kMF, kToFixed},
                      ControlCase{"NonDirectionalDyadCensus", 1, 0, kMD, kMD, {}}),
    [](const ::testing::TestParamInfo<ControlCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorel
