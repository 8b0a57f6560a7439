#include "core/option_checks.hpp"

#include <gtest/gtest.h>

#include "core/analysis_options.hpp"
#include "core/message_list.hpp"

namespace quorel {
namespace {

// Runs of digits and points are the numbers; the first twenty are used (a later invalid one
// is never reported).
TEST(CutoffList, ParsesRunsOfDigitsAndPoints) {
  struct Case {
    std::string text;
    std::vector<float> values;
    std::vector<std::string> messages;
  };
  std::string many;
  for (int k = 0; k < 25; ++k) many += k == 22 ? "7 " : "0.01 ";
  const std::string invalid = "invalid probability";
  for (const Case& c : {Case{"0.05,0.01 0.001", {0.05f, 0.01f, 0.001f}, {}}, Case{"-0.5", {0.5f}, {}},
                        Case{"1", {1.0f}, {invalid}}, Case{"1.0", {1.0f}, {invalid}}, Case{".", {0.0f}, {}},
                        Case{"0.1.2", {0.1f}, {}}, Case{"1e-3", {1.0f, 3.0f}, {invalid, invalid}},
                        Case{"alpha; beta", {}, {}}, Case{"", {}, {}},
                        Case{many, std::vector<float>(20, 0.01f), {"WARNING: Only the first 20 cutoff probabilities are used."}}}) {
    MessageList messages;
    EXPECT_EQ(ParseCutoffList(c.text, messages), c.values) << c.text;
    EXPECT_EQ(messages.Lines(), c.messages) << c.text;
  }
}

// Texts the cutoff reading takes otherwise than they say get one note per such word; texts
// that read as they say get none.
TEST(CutoffList, NotesWordsReadOtherwiseThanTheySay) {
  const struct {
    const char* text;
    std::vector<std::string> notes;
  } cases[] = {
      {"0.05, 0.01", {}},
      {"0.05,0.01;.1", {}},
      {"1e-3 0.05", {"\"1e-3\" is read as 1 and 3"}},
      {"5%", {"\"5%\" is read as 5"}},
      {"0,05", {"\"0,05\" is read as 0 and 5"}},
      {"-0.1", {"\"-0.1\" is read as 0.1"}},
      {"alpha=0.05", {"\"alpha=0.05\" is read as 0.05"}},
      {"none", {"\"none\" holds no number: no cutoff level is read"}},
  };
  for (const auto& c : cases) EXPECT_EQ(CutoffTextNotes(c.text), c.notes) << c.text;
}

// Controls the relations' directionality does not allow are lowered, with a warning, or kept
// where the strategy copes.
TEST(MeasureControlCheck, LowersOrRestrictsImpossibleControls) {
  struct Case {
    std::int16_t directionality;
    std::int32_t strategy, control, new_control;
    std::vector<std::string> messages;
  };
  const auto warning = [](bool mixed, const char* instead) {
    return mixed ? std::vector<std::string>{"", "WARNING: Cannot perform requested measure control with mixed directionality.",
                                            "", std::string("Control for ") + instead + " will be used instead.", ""}
                 : std::vector<std::string>{"", "WARNING: Cannot perform requested measure control with non-directional",
                                            "relations.", std::string("Control for ") + instead + " will be used instead.", ""};
  };
  for (const Case& c : {Case{0, 0, kMG, kMG, {}}, Case{2, 0, kMA, kMA, warning(true, "DENSITY with directional relations")},
                        Case{2, 1, kMA, kMA, {}}, Case{1, 1, kMC, kMB, warning(false, "DIRECTED GRAPH STRUCTURE")},
                        Case{2, 0, kME, kMB, warning(false, "DIRECTED GRAPH STRUCTURE")},
                        Case{2, 0, kMG, kMG, warning(true, "FIXED MATRIX with directional relations")},
                        Case{1, 0, kMG, kMF, warning(false, "FIXED MATRIX")}, Case{2, 1, kMG, kMF, warning(false, "FIXED MATRIX")},
                        Case{1, 0, kMD, kMD, {}}}) {
    AnalysisOptions options;
    options.m_PermutationStrategy = c.strategy;
    options.m_MeasureControl = c.control;
    MessageList messages;
    CheckMeasureControl(options, c.directionality, messages);
    EXPECT_EQ(options.m_MeasureControl, c.new_control) << c.directionality << " " << c.strategy << " " << c.control;
    EXPECT_EQ(messages.Lines(), c.messages) << c.directionality << " " << c.strategy << " " << c.control;
  }
}

}  // namespace
}  // namespace quorel
