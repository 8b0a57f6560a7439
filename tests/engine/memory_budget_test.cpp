// The memory budget in whole runs. For each step that allocates by the number of elements,
// a budget between what the steps before it need and what it needs itself, read off the
// estimate of the run's storage requests: the run must be refused at that step, before
// allocating, and end exactly as a failure of that storage ends it (the same completion
// code or fatal error, messages, diagnostics and report), with the refusal naming the bytes
// the estimate names. The command adds one line on standard error and keeps its exit status.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pipeline/memory_estimate.hpp"
#include "sampling/generator_sampling.hpp"
#include "shell/memory_limit.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

// A 6-cycle and a transposition: all 720 permutations of six actors, each including only
// itself, so every step's storage is dominated by its E^2 or E^2 / 8 part.
const char* const kSymmetricGroup6 =
    "S6\n6 2\n"
    "0 1 0 0 0 0  0 0 1 0 0 0  0 0 0 1 0 0  0 0 0 0 1 0  0 0 0 0 0 1  1 0 0 0 0 0\n"
    "0 1 0 0 0 0  1 0 0 0 0 0  0 0 1 0 0 0  0 0 0 1 0 0  0 0 0 0 1 0  0 0 0 0 0 1\n";
constexpr int kActors = 6;
constexpr int kRelations = 2;

struct BudgetCase {
  const char* name;
  StorageKind step;        // the estimated step the budget falls within
  int occurrence = 0;      // which request of that kind among the estimated steps
  int sample_size = 0;
  int strategy = kPermuteGenerators;
  bool factor_omega = false;
  // Kinds the refusal may come from: the step's own kind unless given (the semigroup's
  // records and matrices grow side by side).
  std::vector<StorageKind> refused = {};
  bool exact_p = false;
};

void PrintTo(const BudgetCase& c, std::ostream* os) { *os << c.name; }

AnalysisOptions OptionsOf(const BudgetCase& c) {
  AnalysisOptions options;
  options.m_MaxWordLength = 20;
  options.m_SampleSize = c.sample_size;
  options.m_PermutationStrategy = c.strategy;
  options.m_FactorOmega = c.factor_omega ? 1 : 0;
  options.ExactP = c.exact_p;
  options.m_CutoffList = "0.5";
  options.Threads = 2;
  return options;
}

// The estimated request of `kind` (its `occurrence`-th) and the largest total of any
// request before it.
struct ChosenStep {
  StorageStep step;
  std::uint64_t before = 0;
};

ChosenStep Choose(const std::vector<StorageStep>& steps, StorageKind kind, int occurrence) {
  ChosenStep chosen;
  int seen = 0;
  for (const StorageStep& step : steps) {
    if (step.kind == kind && seen++ == occurrence) {
      chosen.step = step;
      return chosen;
    }
    chosen.before = std::max(chosen.before, step.After());
  }
  ADD_FAILURE() << "no such step in the estimate";
  return chosen;
}

class MemoryBudgetRun : public ::testing::TestWithParam<BudgetCase> {};

TEST_P(MemoryBudgetRun, RefusesTheStepBeforeAllocatingAndEndsAsItsStorageFailure) {
  const BudgetCase& c = GetParam();
  AnalysisOptions options = OptionsOf(c);
  // The semigroup as the run builds it, without the costly phases.
  AnalysisOptions quick = options;
  quick.m_SampleSize = 0;
  quick.m_FactorOmega = 0;
  const testing::RunCapture whole = testing::RunOnText(kSymmetricGroup6, quick);
  ASSERT_EQ(whole.elements, 720);
  ASSERT_FALSE(whole.refusal.has_value());

  const ProblemSize size{kActors, kRelations, kRelations, whole.elements};
  const ChosenStep chosen = Choose(EstimateStorageSteps(size, options), c.step, c.occurrence);
  // Half of the step's own bytes past what is in use: every step before it fits.
  const std::uint64_t budget = chosen.step.in_use + chosen.step.needed / 2;
  ASSERT_LE(chosen.before, budget) << "the network does not separate this step from the ones before it";
  options.MemoryBudget = budget;
  const testing::RunCapture refused = testing::RunOnText(kSymmetricGroup6, options);

  ASSERT_TRUE(refused.refusal.has_value());
  const MemoryRefusal& refusal = *refused.refusal;
  const std::vector<StorageKind> kinds = c.refused.empty() ? std::vector<StorageKind>{c.step} : c.refused;
  EXPECT_THAT(kinds, ::testing::Contains(refusal.kind));
  if (c.refused.empty()) {
    // The estimate names the bytes the step asks for and, but for the few hundred bytes of
    // the samplers' small buffers, the bytes in use before it.
    EXPECT_EQ(refusal.needed, chosen.step.needed);
    EXPECT_NEAR(static_cast<double>(refusal.in_use), static_cast<double>(chosen.step.in_use), 1024.0);
  }

  // The same request made to fail without a budget ends the run the same way.
  options.MemoryBudget = 0;
  const testing::RunCapture failed = testing::RunOnText(
      kSymmetricGroup6, options, [&](AnalysisState& state) { state.Storage.FailAt(refusal.kind, refusal.request); });
  EXPECT_EQ(refused.code, failed.code);
  EXPECT_EQ(refused.fatal, failed.fatal);
  EXPECT_EQ(refused.messages, failed.messages);
  EXPECT_EQ(refused.errors, failed.errors);
  EXPECT_EQ(refused.report, failed.report);
  EXPECT_TRUE(refused.fatal || refused.code != 0) << "the run ended early";
}

INSTANTIATE_TEST_SUITE_P(
    Steps, MemoryBudgetRun,
    ::testing::Values(
        BudgetCase{"SemigroupWhileElementsAreFound", StorageKind::kWorkingRecords, 0, 0, kPermuteGenerators, false,
                   {StorageKind::kWorkingRecords, StorageKind::kMatrixList}},
        BudgetCase{"MultiplicationTable", StorageKind::kMultTable},
        BudgetCase{"WordTable", StorageKind::kWordTable},
        BudgetCase{"PartialOrder", StorageKind::kPartialOrder},
        BudgetCase{"LikelihoodRatioMatrix", StorageKind::kStatistic, 0},
        BudgetCase{"EstvarMatrix", StorageKind::kStatistic, 5},
        BudgetCase{"GeneratorSamplerPairTable", StorageKind::kSamplerBuffer, 1, 20},
        BudgetCase{"CompoundSamplerRelations", StorageKind::kSamplerBuffer, 0, 20, kPermutePairs},
        BudgetCase{"ExactProportions", StorageKind::kStatistic, 6, 20, kPermutePairs, false, {}, true},
        BudgetCase{"LowerOmega", StorageKind::kOmega, 1},
        BudgetCase{"ClosureProductTable", StorageKind::kScratchRelation, 0},
        BudgetCase{"ClosurePendingInclusions", StorageKind::kQueueNode, 0},
        BudgetCase{"FactorTable", StorageKind::kFactorTable, 0, 0, kPermuteGenerators, true}),
    [](const ::testing::TestParamInfo<BudgetCase>& info) { return std::string(info.param.name); });

TEST(MemoryEstimate, MostElementsFollowsTheWordLengthTheActorsAndTheElementNumbers) {
  AnalysisOptions options;
  EXPECT_EQ(MostElements(16, 2, options), 2 + 4 + 8);
  options.m_GeneratorProductsOnly = 1;
  EXPECT_EQ(MostElements(16, 3, options), 3 * 3);
  options.m_GeneratorProductsOnly = 0;
  options.m_MaxWordLength = 30;
  EXPECT_EQ(MostElements(2, 2, options), 16) << "2^(2^2) relations on two actors";
  EXPECT_EQ(MostElements(50, 3, options), 32767);
}

// The command: the refusal's line after the run's own messages, the exit status of the
// failure it took, the report ending with a whole line.
TEST(MemoryBudgetCommand, AddsOneLineAndKeepsTheExitStatus) {
  const struct {
    const char* limit;
    int status;
    const char* diagnostics;  // what standard error holds before the refusal's line
    const char* storage;      // the storage the line names
    const char* bytes;        // 720 elements: the multiplication table 2 E^2 bytes, a statistic matrix 4 E^2
  } cases[] = {{"512K", 1, "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Multiplication Table\n",
                "the multiplication table", "(1036800 bytes)"},
               {"2M", 2, "", "a statistic matrix", "(2073600 bytes)"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    testing::ScratchDirectory dir;
    testing::WriteWholeFile(dir.File("s6.dat"), kSymmetricGroup6);
    EXPECT_EQ(testing::RunQuorel(dir, std::string("--data s6.dat --report s6.out --max-word-length 20 --sample-size 0 "
                                                  "-q --memory-limit ") + c.limit),
              c.status);
    const std::string errors = testing::ReadWholeFile(dir.File("stderr.txt"));
    const std::string report = testing::ReadWholeFile(dir.File("s6.out"));
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report.back(), '\n');
    ASSERT_THAT(errors, ::testing::StartsWith(c.diagnostics));
    const std::string line = errors.substr(std::string(c.diagnostics).size());
    EXPECT_THAT(line, ::testing::StartsWith(std::string("quorel: the storage for ") + c.storage + " needs "));
    EXPECT_THAT(line, ::testing::EndsWith(".\n"));
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    EXPECT_THAT(line, HasSubstr(c.bytes));
    EXPECT_THAT(line, HasSubstr("the memory budget is " + DescribeBytes(*ParseMemorySize(c.limit))));
  }
}

TEST(MemoryBudgetCommand, NoneRunsToTheEndAndTheRunRecordHasTheEstimate) {
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("s6.dat"), kSymmetricGroup6);
  EXPECT_EQ(testing::RunQuorel(dir, "--data s6.dat --report s6.out --max-word-length 20 --sample-size 0 -q "
                                    "--memory-limit none --json s6.json"),
            0);
  EXPECT_EQ(testing::ReadWholeFile(dir.File("stderr.txt")), "");
  const std::string json = testing::ReadWholeFile(dir.File("s6.json"));
  AnalysisOptions options;
  options.m_MaxWordLength = 20;
  options.m_SampleSize = 0;
  const std::uint64_t peak = EstimatePeakBytes(ProblemSize{kActors, kRelations, 2, 720}, options);
  EXPECT_THAT(json, HasSubstr("\"memory\":{\"budget\":null,\"estimated_peak\":" + std::to_string(peak)));
}

}  // namespace
}  // namespace quorel
