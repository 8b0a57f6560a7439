// Every storage request with a failure path of its own, made to fail through the injectable
// failure point in a whole run. While the data is read, the matrix list, the input matrices
// and `ident` end the problem with their messages and the run completes, the vector ends it
// with the format help; the semigroup's tables and spare matrices, the partial order, Omega,
// the closures and the factorization end it with a fatal error and its message; the statistic
// matrices and the samplers end it with a completion code and its two message lines; the
// fixed matrix's reader ends it as the end of the data, its printer leaves out only its
// block. In every case the report keeps what was written before the failure, the same on 1,
// 2 and 4 workers, and nothing obtained before it leaks (the sanitizer build checks that).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "core/message_list.hpp"
#include "formats/data_reader.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

// Two directional relations on four actors; small, but every phase has work to do.
const char* const kNetwork =
    "Two relations\n4 2\n"
    "0 1 0 0  0 0 1 0  0 0 0 1  1 0 0 0\n"
    "0 1 1 0  0 0 0 0  0 0 0 1  0 0 1 0\n";
const char* const kFixed = "Fixed\n3 1\n0 1 0 0 0 1 1 0 0\n1 1 2 2 1 1 2 2 1\n";
// Two relations on two actors after a vector that says the second is non-directional.
const char* const kWithVector = "label\n2 2 1\n0 1\n0 1 0 0\n0 0 1 0\n";
// A transposition and a 5-cycle: all 120 permutations of five actors.
const char* const kSymmetricGroup =
    "label\n5 2\n0 1 0 0 0 1 0 0 0 0 0 0 1 0 0 0 0 0 1 0 0 0 0 0 1\n"
    "0 1 0 0 0 0 0 1 0 0 0 0 0 1 0 0 0 0 0 1 1 0 0 0 0\n";

const char* const kMemory = "ERROR: NOT ENOUGH MEMORY.  Unable to allocate space";
const char* const kVariables = "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for variables\n";
const char* const kInclusions = "ERROR: NOT ENOUGH MEMORY - Unable to store all unchecked inclusions\n";
const char* const kOmega = "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Omega\n";
const char* const kSection3 = "3. Construction of partial algebra.";

struct Case {
  const char* name;
  StorageKind kind;
  std::uint32_t nth;
  int strategy = 1;
  int control = 0;
  bool fatal = false;
  std::int16_t code = 0;     // the completion code, or the fatal error's number
  const char* line = "";     // a completion code's own line, after the memory line
  const char* errors = "";   // the whole diagnostics text; a regular expression when it starts with ^
  const char* written = "";  // the last block the report holds ("" for no report at all)
  const char* missing = "";  // a block the failure kept from the report
  const char* cutoffs = "0.5";
  const char* data = kNetwork;
  int transposes = 0;
  int max_word_length = 2;
  std::optional<std::vector<std::string>> messages = {};  // the whole message list, when given
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class RunStorageFailure : public ::testing::TestWithParam<Case> {};

TEST_P(RunStorageFailure, EndsTheRunAsItsPathPromisesAndKeepsTheReport) {
  const Case& c = GetParam();
  AnalysisOptions options;
  options.m_SampleSize = 20;
  options.m_PermutationStrategy = c.strategy;
  options.m_MeasureControl = c.control;
  options.m_FixedSupplied = c.control >= 5 ? 1 : 0;
  options.m_FactorOmega = 1;
  options.m_FactorLowerOmega = 1;
  options.m_CutoffList = c.cutoffs;
  options.m_Transposes = c.transposes;
  options.m_MaxWordLength = c.max_word_length;
  const auto run_on = [&](int threads) {
    options.Threads = threads;
    return testing::RunOnText(c.data, options, [&](AnalysisState& state) { state.Storage.FailAt(c.kind, c.nth); });
  };
  const testing::RunCapture run = run_on(1);
  // The failure ends the run alike on any number of workers.
  for (const int threads : {2, 4}) {
    const testing::RunCapture other = run_on(threads);
    EXPECT_EQ(other.report, run.report) << threads << " threads";
    EXPECT_EQ(other.messages, run.messages) << threads << " threads";
    EXPECT_EQ(other.errors, run.errors) << threads << " threads";
  }
  EXPECT_EQ(run.fatal, c.fatal);
  EXPECT_EQ(run.code, c.code);
  if (c.errors[0] == '^') {
    EXPECT_THAT(run.errors, ::testing::MatchesRegex(c.errors));
  } else {
    EXPECT_EQ(run.errors, c.errors);
  }
  const bool completes = !c.fatal && c.code == 0;
  EXPECT_EQ(std::count(run.messages.begin(), run.messages.end(), "QUOREL complete."), completes ? 1 : 0);
  if (!c.fatal && c.code != 0) {
    ASSERT_GE(run.messages.size(), 2u);
    EXPECT_EQ(run.messages.end()[-2], kMemory);
    EXPECT_EQ(run.messages.back(), c.line);
  } else {
    EXPECT_EQ(std::count(run.messages.begin(), run.messages.end(), kMemory), 0);
  }
  if (c.messages) { EXPECT_EQ(run.messages, *c.messages); }
  if (c.written[0] == '\0') {
    EXPECT_EQ(run.report, "");
  } else {
    EXPECT_THAT(run.report, HasSubstr(c.written));
  }
  if (c.missing[0] != '\0') { EXPECT_THAT(run.report, ::testing::Not(HasSubstr(c.missing))); }
}

const char* const kOrder = "PARTIAL ORDER TABLE:";
const char* const kStatistics = "LIKELIHOOD RATIO STATISTIC:";
const char* const kFactors = "FACTORIZATION";

// A completion code with its line after the memory line: sections 1 and the partial order
// were written, nothing after.
Case Completion(const char* name, StorageKind kind, std::uint32_t nth, int strategy, int control, std::int16_t code,
                const char* line) {
  return Case{name, kind, nth, strategy, control, false, code, line, "", kOrder, kSection3};
}
// A fatal error with its number and diagnostics; the report holds `written`, not `missing`.
Case Fatal(const char* name, StorageKind kind, std::uint32_t nth, int strategy, int control, std::int16_t code,
           const char* errors, const char* written, const char* missing, const char* cutoffs = "0.5") {
  return Case{name, kind, nth, strategy, control, true, code, "", errors, written, missing, cutoffs};
}
// The fixed matrix's reader: the run ends as at the end of the data, nothing of the problem
// printed.
Case FixedReader(const char* name, StorageKind kind, const char* errors) {
  return Case{name, kind, 1, 1, 5, false, 0, "", errors, "", "", "0.5", kFixed};
}

// A failure while the data is read or the semigroup built, with the whole message list.
Case Early(const char* name, StorageKind kind, std::uint32_t nth, bool fatal, std::int16_t code, const char* errors,
           std::vector<std::string> messages, const char* written, const char* data = kWithVector,
           int transposes = 0, int max_word_length = 2) {
  return Case{name, kind, nth, 1, 0, fatal, code, "", errors, written, "", "0.5", data, transposes, max_word_length,
              std::move(messages)};
}
std::vector<std::string> FormatHelp() {
  MessageList help;
  ShowFormatHelp(help);
  return help.Lines();
}
const char* const kComplete = "QUOREL complete.";
// The end of the report's outline, written before the semigroup is built.
const char* const kBuilding = "EXCLUDE diagonal for GENERATORS only\n\n";

INSTANTIATE_TEST_SUITE_P(
    Paths, RunStorageFailure,
    ::testing::Values(
        // While reading: the problem is left, the run completes; the vector's failure is fatal.
        Early("MatrixList", StorageKind::kMatrixList, 1, false, 0, "",
              {"ERROR: Unable to allocate space for matrix list", "", kComplete}, ""),
        Early("FirstInputMatrix", StorageKind::kMatrixSlot, 1, false, 0, "",
              {"ERROR: Unable to allocate space for input matrix ", "#1", "", kComplete}, ""),
        Early("Ident", StorageKind::kIdent, 1, false, 0, "",
              {"ERROR: Unable to allocate space for program ", "variable 'ident'", "", kComplete}, ""),
        Early("SpareWhileReading", StorageKind::kMatrixSlot, 2, false, 0,
              "ERROR: Unable to allocate space for matrix #1\n", {kComplete}, ""),
        Early("NonDirectionalityVector", StorageKind::kNdi, 1, true, 1,
              "ERROR: Unable to allocate memory for Non-Directionality Indicator vector - NDI\nABORT QUOREL\n",
              FormatHelp(), ""),
        // Building the semigroup (with transposes: adding them): fatal, the report keeps what it had.
        Early("EdgeTable", StorageKind::kWorkingRecords, 1, true, 2,
              "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for edge table\n", {}, kBuilding),
        Early("MultiplicationTable", StorageKind::kMultTable, 1, true, 5,
              "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Multiplication Table\n", {}, kBuilding),
        Early("WordTable", StorageKind::kWordTable, 1, true, 6,
              "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Word Table\n", {}, kBuilding),
        Early("SpareWhileBuildingTheSemigroup", StorageKind::kMatrixSlot, 4, true, 1,
              "ERROR: Unable to allocate space for matrix #3\nABORT QUOREL\n", {}, kBuilding),
        Early("GrowingTheListWhileBuilding", StorageKind::kMatrixList, 2, true, 1,
              "ERROR: Unable to allocate space for matrix list\nABORT QUOREL\n", {}, kBuilding, kSymmetricGroup, 0, 20),
        Early("TransposeSpare", StorageKind::kMatrixSlot, 3, true, 1,
              "ERROR: Unable to allocate space for matrix #2\nABORT QUOREL\n", {},
              "Input Matrices: ( All directional )\n\n1)\n 0 1\n 0 0\n", "label\n2 1\n0 1 0 0\n", 1, 2),
        // Codes 31 to 36 from the six statistic matrices, 29 from the samplers of both strategies.
        Completion("LikelihoodRatio", StorageKind::kStatistic, 1, 1, 0, 31, "  for L and Theta."),
        Completion("McNemar", StorageKind::kStatistic, 2, 1, 0, 32, "  for McNemar and McNemar proportions."),
        Completion("Kappa", StorageKind::kStatistic, 3, 1, 0, 33, "  for Kappa and Kappa proportions."),
        Completion("StandardizedKappa", StorageKind::kStatistic, 4, 1, 0, 34,
                   "  for Standardized Kappa and St. Kappa proportions."),
        Completion("FisherAndBinomialP", StorageKind::kStatistic, 5, 1, 0, 35, "  for FisherP and BinP."),
        Completion("Estvar", StorageKind::kStatistic, 6, 1, 0, 36, "  for Estvar."),
        Completion("GeneratorSamplerVariables", StorageKind::kSamplerBuffer, 1, 1, 0, 29, "  for variables."),
        Completion("GeneratorPermutationBuffers", StorageKind::kSamplerBuffer, 2, 1, 3, 29, "  for variables."),
        Completion("CompoundSamplerVariables", StorageKind::kSamplerBuffer, 1, 0, 0, 29, "  for variables."),
        Completion("CompoundSamplerBuffers", StorageKind::kSamplerBuffer, 2, 0, 2, 29, "  for variables."),
        // Fatal error 9 from the row shuffle of the outdegree-distribution control, in both strategies.
        Fatal("RowShuffleOfGeneratorPermutation", StorageKind::kShuffleWork, 1, 1, 4, 9, kVariables, kOrder, kStatistics),
        Fatal("RowShuffleOfCompoundSampler", StorageKind::kShuffleWork, 1, 0, 4, 9, kVariables, kOrder, kStatistics),
        // Fatal error 3 from the partial order: the semigroup's tables are in the report.
        Fatal("PartialOrder", StorageKind::kPartialOrder, 1, 1, 0, 3,
              "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Partial Order Table\n",
              "PARTIAL MULTIPLICATION TABLE:", kOrder),
        // Fatal error 10: Omega or lower Omega, right after section 3's heading.
        Fatal("Omega", StorageKind::kOmega, 1, 1, 0, 10, kOmega, kSection3, "(1)"),
        Fatal("LowerOmega", StorageKind::kOmega, 2, 1, 0, 10, kOmega, kSection3, "(1)"),
        // Fatal errors 9 and 8 from the closures of Omega and from the factorization.
        Fatal("ClosureScratch", StorageKind::kScratchRelation, 1, 1, 0, 9, kVariables, kSection3, kFactors),
        Fatal("PendingInclusions", StorageKind::kQueueNode, 1, 1, 0, 8, kInclusions, kSection3, kFactors),
        Fatal("FactorTable", StorageKind::kFactorTable, 1, 1, 0, 9, kVariables, "OMEGA", "ATOMS"),
        // The factor table's own message names the pair whose extension was being stored (the
        // extensions are built in a depth-first visit, so not the first pair in row order);
        // Omega close to the identity has many single inclusions.
        Fatal("Extension", StorageKind::kExtension, 1, 1, 0, 0,
              "^ERROR: Out of free memory\\.  Could not satisfy request for element \\([0-9]+,[0-9]+\\)\\.\n",
              "FACTORIZATION OF OMEGA AT LEVEL ALPHA:\n", "ATOM", "0.0001"),
        FixedReader("FixedWork", StorageKind::kFixedWork, "ERROR: Unable to allocate memory in ReadFixed()\n"),
        FixedReader("FixedGroups", StorageKind::kFixedGroups, "ERROR: Unable to allocate memory in make_groups\n"),
        FixedReader("FixedNode", StorageKind::kFixedNode, "ERROR: Unable to allocate memory in InsertElement()\n"),
        FixedReader("FixedScratch", StorageKind::kFixedScratch, "ERROR: Unable to allocate memory in MakeGroups\n"),
        // The fixed matrix's printer: its work matrix leaves out only the fixed matrix.
        Case{"FixedPrint", StorageKind::kFixedPrint, 1, 1, 5, false, 0, "", "", kSection3, "Fixed matrix:", "0.5", kFixed}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorel
