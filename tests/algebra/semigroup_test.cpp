#include "algebra/semigroup.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "algebra/partial_order.hpp"
#include "algebra/semigroup_reference.hpp"
#include "pipeline/analysis_state.hpp"
#include "core/fatal_error.hpp"
#include "support/generator_loading.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;
using testing::ByteMatrix;

// A state holding the given generators, writing its report to memory.
class AlgebraState {
 public:
  AlgebraState(const std::vector<ByteMatrix>& generators, int n) {
    state.OutFile = open_memstream(&buffer_, &size_);
    testing::LoadGenerators(state, generators, n);
  }
  ~AlgebraState() {
    std::fclose(state.OutFile);
    std::free(buffer_);
  }

  std::string Report() {
    std::fflush(state.OutFile);
    return std::string(buffer_, size_);
  }

  AnalysisState state;

 private:
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
};

std::vector<std::int16_t> WordsOf(const std::vector<WordEntry>& words) {
  std::vector<std::int16_t> flat;
  for (const WordEntry& w : words) {
    flat.push_back(w.Node);
    flat.push_back(w.Generator);
  }
  return flat;
}

TEST(Semigroup, TwoActorsTwoGeneratorsWorkedExample) {
  // A = {(1,2)}, B = {(2,1)}.
  AlgebraState s({{0, 1, 0, 0}, {0, 0, 1, 0}}, 2);
  BuildSemigroup(s.state, 2);
  EXPECT_EQ(s.state.ElementCount, 5);
  EXPECT_EQ(WordsOf(s.state.WordTable), (std::vector<std::int16_t>{-1, 0, -1, 1, 0, 0, 0, 1, 1, 0}));
  const std::string report = s.Report();
  EXPECT_THAT(report, HasSubstr("Order of the semigroup :   5\n(Semigroup is complete)\n"));
  EXPECT_THAT(report, HasSubstr("   1         -         -\n   2         -         -\n"
                                "   3         1         1\n   4         1         2\n   5         2         1\n"));
  EXPECT_THAT(report, HasSubstr("EDGE TABLE:\n   1   2    Matrix #\n--------------------\n"
                                "   3   4       1\n   5   3       2\n   3   3       3\n   1   3       4\n   3   2       5\n"));
}

TEST(Semigroup, WordLengthZeroMultipliesOnlyGenerators) {
  // The identity and the empty relation: all products are generators.
  AlgebraState closed({{1, 0, 0, 1}, {0, 0, 0, 0}}, 2);
  BuildSemigroup(closed.state, 0);
  EXPECT_EQ(closed.state.ElementCount, 2);
  EXPECT_THAT(closed.Report(), HasSubstr("Order of the semigroup :   2\n(Semigroup is complete)\n"));

  AlgebraState open({{0, 1, 0, 0}}, 2);
  BuildSemigroup(open.state, 0);
  EXPECT_EQ(open.state.ElementCount, 1);
  EXPECT_EQ(open.state.MultTable[0], -1);
  EXPECT_THAT(open.Report(), ::testing::Not(HasSubstr("complete")));
}

TEST(Semigroup, ClosedGeneratorSetStopsAfterOneStage) {
  AlgebraState s({{1, 0, 0, 0, 1, 0, 0, 0, 1}}, 3);
  BuildSemigroup(s.state, 5);
  EXPECT_EQ(s.state.ElementCount, 1);
  EXPECT_EQ(s.state.MultTable[0], 0);
  EXPECT_THAT(s.Report(), HasSubstr("(Semigroup is complete)\n"));
}

TEST(GeneratorPowers, CoincidingSquaresShareOneElementNamedByTheFirst) {
  // Two different generators with the same square (the empty relation).
  AlgebraState s({{0, 1, 0, 0}, {0, 0, 1, 0}}, 2);
  BuildGeneratorPowers(s.state, 1);
  EXPECT_EQ(s.state.ElementCount, 3);
  EXPECT_EQ(s.state.MultTable[0 * 3 + 0], 2);
  EXPECT_EQ(s.state.MultTable[1 * 3 + 1], 2);
  EXPECT_EQ(s.state.WordTable[2].Node, 0);
  EXPECT_EQ(s.state.WordTable[2].Generator, 0);
  const std::string report = s.Report();
  EXPECT_THAT(report, HasSubstr("Order of the semigroup (generator products only):  3\n"));
  EXPECT_THAT(report, ::testing::Not(HasSubstr("PARTIAL MULTIPLICATION TABLE")));
}

struct RandomCase {
  int n;
  int generators;
  double density;
  int word_length;
  bool products_only;
};

class FastAgainstReference : public ::testing::TestWithParam<RandomCase> {};

TEST_P(FastAgainstReference, SameElementsTablesAndOrder) {
  const RandomCase& c = GetParam();
  std::mt19937_64 rng(1234 + c.n * 7 + c.generators);
  for (int round = 0; round < (c.n > 60 ? 1 : 4); ++round) {
    std::vector<ByteMatrix> generators;
    for (int k = 0; k < c.generators; ++k) generators.push_back(testing::RandomByteMatrix(c.n, c.density, rng));
    // Distinct generators, as the reader delivers them.
    std::sort(generators.begin(), generators.end());
    generators.erase(std::unique(generators.begin(), generators.end()), generators.end());
    const testing::ReferenceSemigroup reference =
        testing::BuildReferenceSemigroup(generators, c.n, c.word_length, c.products_only);

    AlgebraState s(generators, c.n);
    if (c.products_only) {
      BuildGeneratorPowers(s.state, c.word_length);
    } else {
      BuildSemigroup(s.state, c.word_length);
    }
    const int e = s.state.ElementCount;
    ASSERT_EQ(e, static_cast<int>(reference.elements.size()));
    for (int k = 0; k < e; ++k) {
      ByteMatrix unpacked(static_cast<std::size_t>(c.n) * c.n);
      UnpackMatrix(s.state.MatrixList.Matrix(k), s.state.MatrixList.Shape(), unpacked.data());
      ASSERT_EQ(unpacked, reference.elements[k]) << "element " << k + 1;
    }
    EXPECT_EQ(s.state.MultTable, reference.mult);
    EXPECT_EQ(WordsOf(s.state.WordTable), WordsOf(reference.words));
    if (!c.products_only) {
      EXPECT_EQ(s.Report().find("(Semigroup is complete)") != std::string::npos, reference.complete);
    }
    ElementRelation order;
    BuildPartialOrder(s.state, order);
    for (int i = 0; i < e; ++i) {
      for (int j = 0; j < e; ++j) ASSERT_EQ(order.Get(i, j), reference.order[i * e + j] != 0) << i << "," << j;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Networks, FastAgainstReference,
    ::testing::Values(RandomCase{1, 1, 0.5, 2, false}, RandomCase{2, 2, 0.4, 3, false}, RandomCase{3, 3, 0.3, 3, false},
                      RandomCase{5, 2, 0.25, 4, false}, RandomCase{8, 3, 0.15, 3, false},
                      RandomCase{17, 3, 0.08, 3, false}, RandomCase{64, 2, 0.02, 3, false},
                      RandomCase{65, 3, 0.02, 2, false}, RandomCase{130, 2, 0.01, 2, false},
                      RandomCase{181, 2, 0.006, 2, false}, RandomCase{6, 3, 0.3, 4, true},
                      RandomCase{70, 3, 0.03, 3, true}));

}  // namespace
}  // namespace quorel

namespace quorel {
namespace {

TEST(Semigroup, MoreElementsThanSixteenBitNumbersAllowEndTheRunClearly) {
  // A transposition and an 8-cycle generate all 40320 permutations of 8 actors.
  std::string data = "symmetric group\n8 2\n";
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) data += (c == (r < 2 ? 1 - r : r)) ? "1 " : "0 ";
  }
  for (int r = 0; r < 8; ++r) {
    for (int c = 0; c < 8; ++c) data += (c == (r + 1) % 8) ? "1 " : "0 ";
  }
  AnalysisOptions options;
  options.m_MaxWordLength = 200;
  const testing::RunCapture run = testing::RunOnText(data, options);
  EXPECT_TRUE(run.fatal);
  EXPECT_THAT(run.errors, HasSubstr("more than 32767 elements"));
  EXPECT_THAT(run.report, HasSubstr("Maximum word length    :   200\n"));
}

}  // namespace
}  // namespace quorel
