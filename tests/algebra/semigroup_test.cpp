#include "algebra/semigroup.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "algebra/partial_order.hpp"
#include "algebra/semigroup_reference.hpp"
#include "pipeline/analysis_state.hpp"
#include "support/generator_loading.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;
using testing::ByteMatrix;

// Generators loaded as the reader leaves them, and the semigroup they generate.
struct Built {
  Built(const std::vector<ByteMatrix>& generators, int n, int word_length, bool products_only = false) {
    testing::LoadGenerators(state, generators, n);
    const int g = state.GeneratorCount;
    semigroup = products_only ? BuildGeneratorPowers(state.MatrixList, g, word_length, state.Storage)
                              : BuildSemigroup(state.MatrixList, g, word_length, state.Storage);
  }
  AnalysisState state;
  Semigroup semigroup;
};

std::vector<std::int16_t> WordsOf(const std::vector<WordEntry>& words) {
  std::vector<std::int16_t> flat;
  for (const WordEntry& w : words) {
    flat.push_back(w.Node);
    flat.push_back(w.Generator);
  }
  return flat;
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

    const Built b(generators, c.n, c.word_length, c.products_only);
    const int e = b.semigroup.element_count;
    ASSERT_EQ(e, static_cast<int>(reference.elements.size()));
    for (int k = 0; k < e; ++k) {
      ByteMatrix unpacked(static_cast<std::size_t>(c.n) * c.n);
      UnpackMatrix(b.state.MatrixList.Matrix(k), b.state.MatrixList.Shape(), unpacked.data());
      ASSERT_EQ(unpacked, reference.elements[k]) << "element " << k + 1;
    }
    EXPECT_EQ(b.semigroup.mult_table, reference.mult);
    EXPECT_EQ(WordsOf(b.semigroup.word_table), WordsOf(reference.words));
    if (!c.products_only) { EXPECT_EQ(b.semigroup.complete, reference.complete); }
    AnalysisState scratch;
    const ElementRelation order = BuildPartialOrder(b.state.MatrixList, e, scratch.Storage);
    for (int i = 0; i < e; ++i) {
      for (int j = 0; j < e; ++j) ASSERT_EQ(order.Get(i, j), reference.order[i * e + j] != 0) << i << "," << j;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Networks, FastAgainstReference,
    ::testing::Values(RandomCase{1, 1, 0.5, 2, false}, RandomCase{2, 2, 0.5, 0, false}, RandomCase{3, 2, 0.4, 0, false},
                      RandomCase{2, 2, 0.4, 3, false}, RandomCase{3, 3, 0.3, 3, false}, RandomCase{2, 2, 0.4, 2, true},
                      RandomCase{5, 2, 0.25, 4, false}, RandomCase{8, 3, 0.15, 3, false},
                      RandomCase{17, 3, 0.08, 3, false}, RandomCase{64, 2, 0.02, 3, false},
                      RandomCase{65, 3, 0.02, 2, false}, RandomCase{130, 2, 0.01, 2, false},
                      RandomCase{181, 2, 0.006, 2, false}, RandomCase{6, 3, 0.3, 4, true},
                      RandomCase{70, 3, 0.03, 3, true}, RandomCase{4, 2, 0.4, 0, true}));

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
