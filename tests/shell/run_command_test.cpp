#include "shell/run_command.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/message_list.hpp"
#include "shell/completion_messages.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::RunCapture;
using testing::RunOnText;
using testing::ScratchDirectory;

TEST(Completion, CodesBecomeTheirMessageLines) {
  struct Case {
    std::int16_t code;
    std::vector<std::string> lines;
  };
  const std::string memory = "ERROR: NOT ENOUGH MEMORY.  Unable to allocate space";
  for (const Case& c : {Case{0, {"QUOREL complete."}}, Case{1, {"??? Fixed matrix required."}},
                        Case{3, {"??? Input file open failure."}}, Case{5, {"??? Output file open failure."}},
                        Case{29, {memory, "  for variables."}}, Case{31, {memory, "  for L and Theta."}},
                        Case{32, {memory, "  for McNemar and McNemar proportions."}},
                        Case{33, {memory, "  for Kappa and Kappa proportions."}},
                        Case{34, {memory, "  for Standardized Kappa and St. Kappa proportions."}},
                        Case{35, {memory, "  for FisherP and BinP."}}, Case{36, {memory, "  for Estvar."}},
                        Case{7, {}}, Case{25, {memory}}}) {
    MessageList messages;
    ShowCompletion(messages, c.code);
    EXPECT_EQ(messages.Lines(), c.lines) << c.code;
  }
}

TEST(Run, FixedMatrixControlWithoutFixedMatrixOpensNothing) {
  for (std::int32_t control : {kMF, kMG}) {
    ScratchDirectory dir;
    testing::WriteWholeFile(dir.File("Quorel.out"), "an earlier report");
    AnalysisOptions options;
    options.m_MeasureControl = control;
    options.DataPath = dir.File("missing.dat");
    options.ReportPath = dir.File("Quorel.out");
    AnalysisState state;
    MessageList messages;
    const RunOutcome outcome = OnRun(state, options, messages);
    EXPECT_EQ(outcome.code, 1);
    EXPECT_THAT(messages.Lines(), ElementsAre("??? Fixed matrix required."));
    EXPECT_EQ(testing::ReadWholeFile(dir.File("Quorel.out")), "an earlier report");
  }
}

TEST(Run, MissingDataFileAndUnwritableReport) {
  ScratchDirectory dir;
  AnalysisOptions options;
  options.DataPath = dir.File("missing.dat");
  options.ReportPath = dir.File("Quorel.out");
  AnalysisState state;
  MessageList messages;
  EXPECT_EQ(OnRun(state, options, messages).code, 3);
  EXPECT_THAT(messages.Lines(), ElementsAre("??? Input file open failure."));

  testing::WriteWholeFile(dir.File("Quorel.dat"), "label\n1 1\n0\n");
  options.DataPath = dir.File("Quorel.dat");
  options.ReportPath = dir.File("no-such-directory/Quorel.out");
  AnalysisState again;
  EXPECT_EQ(OnRun(again, options, messages).code, 5);
  EXPECT_THAT(messages.Lines(), ElementsAre("??? Output file open failure."));
}

TEST(Run, TwoProblemsAreSeparatedByThreeEmptyLines) {
  const RunCapture first = RunOnText("first\n1 1\n0\n");
  const RunCapture both = RunOnText("first\n1 1\n0\nsecond\n1 1\n1\n");
  ASSERT_EQ(both.report.compare(0, first.report.size(), first.report), 0);
  EXPECT_EQ(both.report.substr(first.report.size(), 3 + 38), "\n\n\nPARTIAL ALGEBRAS FOR COMPLETE NETWORKS");
}

TEST(Run, ReapplyKeepsTheFirstCheckForLaterProblems) {
  // Both problems are non-directional; MC is lowered to MB once, with one warning pair.
  const std::string data = "first\n2 1 1\n1\n0 1 1 0\nsecond\n2 1 1\n1\n0 1 1 0\n";
  AnalysisOptions options;
  options.m_MeasureControl = kMC;
  options.m_CutoffList = "7";
  const RunCapture checked_each_time = RunOnText(data, options);
  options.m_Reapply = 1;
  const RunCapture reapplied = RunOnText(data, options);
  auto count = [](const std::vector<std::string>& lines, const std::string& line) {
    return std::count(lines.begin(), lines.end(), line);
  };
  EXPECT_EQ(count(checked_each_time.messages, "invalid probability"), 2);
  EXPECT_EQ(count(reapplied.messages, "invalid probability"), 1);
  EXPECT_EQ(count(reapplied.messages, "Control for DIRECTED GRAPH STRUCTURE will be used instead."), 1);
  EXPECT_EQ(checked_each_time.report, reapplied.report);
}

TEST(Run, MixedDirectionalityLineListsEachInputMatrixsEntry) {
  const RunCapture run = RunOnText("label\n1 3 1\n0 1 1\n1 0 1\n");
  EXPECT_THAT(run.report, HasSubstr("Input Matrices: ( Mixed directionality )\n\t\t   0 1 1 \n1)\n"));
}

TEST(Run, DuplicateInputMatricesAreListed) {
  const RunCapture run = RunOnText("label\n2 3\n0 1 0 0\n1 0 0 0\n0 1 0 0\n");
  EXPECT_THAT(run.report, HasSubstr("\n3)\n 0 1\n 0 0\n\nThe following duplicate(s) will be omitted from the list -\n"
                                    "Matrix  3: identical to matrix  1\n\nUpdated List:\n1)\n"));
  EXPECT_THAT(run.report, HasSubstr("Number of distinct generators:   2\n"));
}

TEST(Run, OptionsBlock) {
  AnalysisOptions options;
  options.m_MeasureControl = kMD;
  options.m_PermutationStrategy = 0;
  options.m_CutoffList = "0.05, 0.01";
  options.m_Diagonal = 2;
  const RunCapture run = RunOnText("label\n1 1\n1\n", options);
  EXPECT_THAT(run.report, HasSubstr("\nNumber of distinct generators:   1\n\n"
                                    "Maximum word length    :   2\n"
                                    "Measure control        :   3 (MD - controlling for mutual ties, assymmetric\n"
                                    "\t\t\t\tties and null ties)\n"
                                    "Permutation Strategy 0 :   permute Compounds\n"
                                    "Size of random sample  :   1000\n"
                                    "Alpha value(s)         :   0.0500  0.0100  \n"
                                    "Minkappa               :   0.0100\n"
                                    "INCLUDE diagonal for ALL relations\n\n"));
}

TEST(Run, FatalErrorKeepsTheReportWrittenSoFar) {
  // The partial order table cannot be stored: the semigroup tables are in the report.
  const RunCapture run = RunOnText("label\n2 1\n0 1 0 0\n", {}, [](AnalysisState& state) {
    state.Storage.FailAt(StorageKind::kPartialOrder, 1);
  });
  EXPECT_TRUE(run.fatal);
  EXPECT_EQ(run.errors, "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Partial Order Table\n");
  EXPECT_THAT(run.report, HasSubstr("PARTIAL MULTIPLICATION TABLE:"));
  EXPECT_THAT(run.report, ::testing::Not(HasSubstr("PARTIAL ORDER TABLE:")));
}

}  // namespace
}  // namespace quorel
