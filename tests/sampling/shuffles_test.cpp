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
