// Storage failures of the later phases, each reached through the injectable failure point
// in a whole run: the statistic matrices and the samplers end the run with a completion
// code and its two message lines; Omega, the closures and the factorization end it with a
// fatal error and its message. In every case the report keeps what was written before the
// failure, and nothing obtained before it leaks (the sanitizer build checks that).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

// Two directional relations on four actors; small, but every phase has work to do.
const char* const kNetwork =
    "Two relations\n4 2\n"
    "0 1 0 0  0 0 1 0  0 0 0 1  1 0 0 0\n"
    "0 1 1 0  0 0 0 0  0 0 0 1  0 0 1 0\n";

const char* const kMemoryLine = "ERROR: NOT ENOUGH MEMORY.  Unable to allocate space";

AnalysisOptions Options(int strategy, int control) {
  AnalysisOptions options;
  options.m_SampleSize = 20;
  options.m_PermutationStrategy = strategy;
  options.m_MeasureControl = control;
  options.m_FactorOmega = 1;
  options.m_FactorLowerOmega = 1;
  options.m_CutoffList = "0.5";
  options.Threads = 1;
  return options;
}

struct CodeCase {
  const char* name;
  StorageKind kind;
  std::uint32_t nth;
  int strategy;
  int control;
  std::int16_t code;
  const char* line;  // the code's own line, after the memory line
};

class CompletionCodeAfterStorageFailure : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CompletionCodeAfterStorageFailure, ShowsTwoLinesAndKeepsTheReport) {
  const CodeCase& c = GetParam();
  const testing::RunCapture run = testing::RunOnText(kNetwork, Options(c.strategy, c.control), [&](AnalysisState& state) {
    state.Storage.FailAt(c.kind, c.nth);
  });
  EXPECT_FALSE(run.fatal);
  EXPECT_EQ(run.code, c.code);
  ASSERT_GE(run.messages.size(), 2u);
  EXPECT_THAT(std::vector<std::string>(run.messages.end() - 2, run.messages.end()), ElementsAre(kMemoryLine, c.line));
  EXPECT_EQ(std::count(run.messages.begin(), run.messages.end(), "QUOREL complete."), 0);
  EXPECT_EQ(run.errors, "");
  // Sections 1 and the partial order were written before the measures phase; nothing after.
  EXPECT_THAT(run.report, HasSubstr("PARTIAL ORDER TABLE:"));
  EXPECT_THAT(run.report, Not(HasSubstr("3. Construction of partial algebra.")));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CompletionCodeAfterStorageFailure,
    ::testing::Values(CodeCase{"LikelihoodRatio", StorageKind::kStatistic, 1, 1, 0, 31, "  for L and Theta."},
                      CodeCase{"McNemar", StorageKind::kStatistic, 2, 1, 0, 32, "  for McNemar and McNemar proportions."},
                      CodeCase{"Kappa", StorageKind::kStatistic, 3, 1, 0, 33, "  for Kappa and Kappa proportions."},
                      CodeCase{"StandardizedKappa", StorageKind::kStatistic, 4, 1, 0, 34,
                               "  for Standardized Kappa and St. Kappa proportions."},
                      CodeCase{"FisherAndBinomialP", StorageKind::kStatistic, 5, 1, 0, 35, "  for FisherP and BinP."},
                      CodeCase{"Estvar", StorageKind::kStatistic, 6, 1, 0, 36, "  for Estvar."},
                      CodeCase{"GeneratorSamplerVariables", StorageKind::kSamplerBuffer, 1, 1, 0, 29, "  for variables."},
                      CodeCase{"GeneratorPermutationBuffers", StorageKind::kSamplerBuffer, 2, 1, 3, 29,
                               "  for variables."},
                      CodeCase{"CompoundSamplerVariables", StorageKind::kSamplerBuffer, 1, 0, 0, 29, "  for variables."},
                      CodeCase{"CompoundSamplerBuffers", StorageKind::kSamplerBuffer, 2, 0, 2, 29, "  for variables."}),
    [](const ::testing::TestParamInfo<CodeCase>& info) { return std::string(info.param.name); });

struct FatalCase {
  const char* name;
  StorageKind kind;
  std::uint32_t nth;
  int strategy;
  int control;
  const char* errors;   // the whole diagnostics text
  const char* written;  // the last block the report holds
  const char* missing;  // a block the failure kept from the report
  const char* cutoffs = "0.5";
};

class FatalErrorAfterStorageFailure : public ::testing::TestWithParam<FatalCase> {};

TEST_P(FatalErrorAfterStorageFailure, WritesItsMessageAndKeepsTheReport) {
  const FatalCase& c = GetParam();
  AnalysisOptions options = Options(c.strategy, c.control);
  options.m_CutoffList = c.cutoffs;
  const testing::RunCapture run = testing::RunOnText(kNetwork, options, [&](AnalysisState& state) {
    state.Storage.FailAt(c.kind, c.nth);
  });
  EXPECT_TRUE(run.fatal);
  EXPECT_EQ(run.errors, c.errors);
  EXPECT_EQ(std::count(run.messages.begin(), run.messages.end(), "QUOREL complete."), 0);
  EXPECT_EQ(std::count(run.messages.begin(), run.messages.end(), kMemoryLine), 0);
  EXPECT_THAT(run.report, HasSubstr(c.written));
  EXPECT_THAT(run.report, Not(HasSubstr(c.missing)));
}

const char* const kVariables = "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for variables\n";
const char* const kInclusions = "ERROR: NOT ENOUGH MEMORY - Unable to store all unchecked inclusions\n";
const char* const kOmega = "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Omega\n";

INSTANTIATE_TEST_SUITE_P(
    Codes, FatalErrorAfterStorageFailure,
    ::testing::Values(
        // Code 9 from the row shuffle of the outdegree-distribution control, in both strategies.
        FatalCase{"RowShuffleOfGeneratorPermutation", StorageKind::kShuffleWork, 1, 1, 4, kVariables,
                  "PARTIAL ORDER TABLE:", "LIKELIHOOD RATIO STATISTIC:"},
        FatalCase{"RowShuffleOfCompoundSampler", StorageKind::kShuffleWork, 1, 0, 4, kVariables,
                  "PARTIAL ORDER TABLE:", "LIKELIHOOD RATIO STATISTIC:"},
        // Code 10: Omega or lower Omega, right after section 3's heading.
        FatalCase{"Omega", StorageKind::kOmega, 1, 1, 0, kOmega, "3. Construction of partial algebra.", "(1)"},
        FatalCase{"LowerOmega", StorageKind::kOmega, 2, 1, 0, kOmega, "3. Construction of partial algebra.", "(1)"},
        // Codes 9 and 8 from the closures of Omega and from the factorization.
        FatalCase{"ClosureScratch", StorageKind::kScratchRelation, 1, 1, 0, kVariables,
                  "3. Construction of partial algebra.", "FACTORIZATION"},
        FatalCase{"PendingInclusions", StorageKind::kQueueNode, 1, 1, 0, kInclusions,
                  "3. Construction of partial algebra.", "FACTORIZATION"},
        FatalCase{"FactorTable", StorageKind::kFactorTable, 1, 1, 0, kVariables, "OMEGA", "ATOMS"}),
    [](const ::testing::TestParamInfo<FatalCase>& info) { return std::string(info.param.name); });

// The factor table's own message for a single-inclusion extension that cannot be stored:
// it names the pair whose extension was being stored (the extensions are built in a
// depth-first visit, so that is not the first pair in row order) and nothing is added to
// the report after Omega.
TEST(FactorTableStorage, ExtensionThatCannotBeStoredNamesItsPair) {
  AnalysisOptions options = Options(1, 0);
  options.m_CutoffList = "0.0001";  // Omega close to the identity: many single inclusions
  const testing::RunCapture run = testing::RunOnText(
      kNetwork, options, [](AnalysisState& state) { state.Storage.FailAt(StorageKind::kExtension, 1); });
  EXPECT_TRUE(run.fatal);
  EXPECT_THAT(run.errors, ::testing::MatchesRegex("ERROR: Out of free memory\\.  Could not satisfy request for "
                                                  "element \\([0-9]+,[0-9]+\\)\\.\n"));
  EXPECT_THAT(run.report, EndsWith("FACTORIZATION OF OMEGA AT LEVEL ALPHA:\n"));
  EXPECT_EQ(std::count(run.messages.begin(), run.messages.end(), "QUOREL complete."), 0);
}

// The fixed matrix's storage: the reader's failures end the run as the end of the data
// (nothing of the problem is printed); the printer's work matrix leaves out only the
// fixed matrix block.
TEST(FixedMatrixStorage, ReaderFailuresEndTheRunAsTheEndOfTheData) {
  struct Case {
    StorageKind kind;
    const char* errors;
  };
  const char* const data = "Fixed\n3 1\n0 1 0 0 0 1 1 0 0\n1 1 2 2 1 1 2 2 1\n";
  AnalysisOptions options = Options(1, 5);
  options.m_FixedSupplied = 1;
  for (const Case& c : {Case{StorageKind::kFixedWork, "ERROR: Unable to allocate memory in ReadFixed()\n"},
                        Case{StorageKind::kFixedGroups, "ERROR: Unable to allocate memory in make_groups\n"},
                        Case{StorageKind::kFixedNode, "ERROR: Unable to allocate memory in InsertElement()\n"},
                        Case{StorageKind::kFixedScratch, "ERROR: Unable to allocate memory in MakeGroups\n"}}) {
    const testing::RunCapture run =
        testing::RunOnText(data, options, [&](AnalysisState& state) { state.Storage.FailAt(c.kind, 1); });
    EXPECT_FALSE(run.fatal) << c.errors;
    EXPECT_EQ(run.code, 0) << c.errors;
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(run.report, "") << c.errors;
    EXPECT_EQ(run.messages.back(), "QUOREL complete.") << c.errors;
  }
}

TEST(FixedMatrixStorage, PrinterWorkMatrixLeavesOutOnlyTheFixedMatrix) {
  AnalysisOptions options = Options(1, 5);
  options.m_FixedSupplied = 1;
  const testing::RunCapture run =
      testing::RunOnText("Fixed\n3 1\n0 1 0 0 0 1 1 0 0\n1 1 2 2 1 1 2 2 1\n", options,
                         [](AnalysisState& state) { state.Storage.FailAt(StorageKind::kFixedPrint, 1); });
  EXPECT_FALSE(run.fatal);
  EXPECT_THAT(run.report, Not(HasSubstr("Fixed matrix:")));
  EXPECT_THAT(run.report, HasSubstr("3. Construction of partial algebra."));
}

}  // namespace
}  // namespace quorel
