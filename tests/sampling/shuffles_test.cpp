#include "sampling/shuffles.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "sampling_test_support.hpp"

namespace quorel {
namespace {

using testing_support::DrawsBetween;
using testing_support::Relation;

TEST(IndexRule, ShiftFormAgreesWithTruncationAndPicksTheEndsAtTheExtremeDraws) {
  for (int m : {1, 2, 7, 181, 32761, 32767}) {
    EXPECT_EQ(PickIndex(5, m, 0), 5);
    EXPECT_EQ(PickIndex(5, m, 32767), 5 + m - 1);
    for (int r = 0; r < 32768; r += 97) {
      // The floating form: k - trunc(r * m * (-1/32768)), truncating toward zero.
      ASSERT_EQ(PickIndex(3, m, r), 3 - static_cast<int>(std::trunc(r * m * -3.0517578125e-05)));
    }
  }
}

TEST(Shuffle, ConsumesOneDrawPerElementAndPermutes) {
  for (int count : {-2, 0, 1, 2, 300}) {
    std::vector<std::int16_t> source(300), shorts(300, -1);
    std::iota(source.begin(), source.end(), 0);
    std::vector<std::int8_t> bytes(300, 1);
    RandomSource random(17);
    const RandomSource start = random;
    ShuffleShorts(random, source.data(), count, shorts.data());
    ShuffleBytes(random, bytes.data(), count, bytes.data());
    const int used = std::max(count, 0);
    EXPECT_EQ(DrawsBetween(start, random), 2u * used) << count;
    std::sort(shorts.begin(), shorts.begin() + used);
    EXPECT_TRUE(std::equal(shorts.begin(), shorts.begin() + used, source.begin()));
    EXPECT_EQ(std::count(shorts.begin() + used, shorts.end(), -1), 300 - used);  // rest untouched
  }
}

TEST(Shuffle, EveryOrderOfThreeIsEquallyLikely) {
  std::map<std::vector<std::int16_t>, int> seen;
  RandomSource random(5);
  const std::int16_t source[3] = {0, 1, 2};
  for (int s = 0; s < 6000; ++s) {
    std::vector<std::int16_t> out(3);
    ShuffleShorts(random, source, 3, out.data());
    ++seen[out];
  }
  ASSERT_EQ(seen.size(), 6u);
  for (const auto& [order, times] : seen) EXPECT_NEAR(times, 1000, 150);
}

TEST(ExtractCells, RowMajorWithOrWithoutTheDiagonal) {
  Relation m(9);
  std::iota(m.begin(), m.end(), 0);  // each cell holds its own number r*3 + c
  Relation out(9, -1);
  EXPECT_EQ(ExtractCells(m.data(), 3, out.data(), true), 9);
  EXPECT_EQ(out, m);
  EXPECT_EQ(ExtractCells(m.data(), 3, out.data(), false), 6);
  EXPECT_EQ(Relation(out.begin(), out.begin() + 6), (Relation{1, 2, 3, 5, 6, 7}));
  ExtractUpperTriangle(m.data(), 3, out.data());
  ExtractDiagonal(m.data(), 3, out.data() + 3);
  EXPECT_EQ(Relation(out.begin(), out.begin() + 6), (Relation{1, 2, 5, 0, 4, 8}));
}

// A stream whose next draw is exactly `value`.
RandomSource SourceWithDraw(int value) {
  for (std::uint64_t position = 0;; ++position) {
    RandomSource probe = RandomSource::At(1, position);
    if (probe.Draw() == value) return RandomSource::At(1, position);
  }
}

TEST(CountCellWithRandomSwap, DrawsFrom16384OnExchangeTheTwoValues) {
  struct Case { int a, b, kept, exchanged; };
  for (const Case c : {Case{1, 0, 2, 1}, Case{0, 1, 1, 2}, Case{1, 1, 3, 0}, Case{0, 0, 0, 3}}) {
    for (int draw : {0, 16383, 16384, 32767}) {
      RandomSource random = SourceWithDraw(draw);
      const RandomSource start = random;
      FourfoldTable table;
      CountCellWithRandomSwap(random, table, c.a, c.b);
      EXPECT_EQ(DrawsBetween(start, random), 1u);
      EXPECT_EQ(table[draw >= 16384 ? c.exchanged : c.kept], 1.0f) << c.a << c.b << " " << draw;
    }
  }
}

TEST(ShuffleDyads, AsymmetricDyadPointsEitherWay) {
  const Relation one_tie = {0, 1, 0, 0};  // actor 0 chooses actor 1
  int forward = 0;
  for (int seed = 0; seed < 400; ++seed) {
    std::int16_t code = 0;
    RandomSource random(seed);
    ShuffleDyads(random, one_tie.data(), 2, &code, nullptr, false);
    ASSERT_TRUE(code == 1 || code == 2);
    forward += code == 1;
  }
  EXPECT_NEAR(forward, 200, 40);
}

}  // namespace
}  // namespace quorel
