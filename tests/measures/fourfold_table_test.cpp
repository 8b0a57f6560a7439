// The 2 x 2 table of two relations and the edges of its statistics that the reference
// values (statistics_reference_test.cpp) do not reach.

#include "measures/fourfold_table.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/error.hpp"

namespace quorel {
namespace {

TEST(CountFourfold, AgreesWithCellByCellCountAcrossWordBoundaries) {
  std::mt19937 rng(20240611);
  for (int n : {1, 2, 63, 64, 65, 127, 128, 181}) {
    const MatrixShape shape = MatrixShape::ForActors(n);
    const auto relation = [&](double density) {
      std::vector<BitWord> m(shape.words, 0);
      std::bernoulli_distribution tie(density);
      for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) SetCell(m.data(), shape, r, c, tie(rng));
      return m;
    };
    for (double density : {0.0, 0.03, 0.5, 0.97, 1.0}) {
      const std::vector<BitWord> a = relation(density), b = relation(0.5);
      // Two unrelated relations, both ways round, and a relation with itself.
      for (const auto& [first, second] : {std::pair{&a, &b}, std::pair{&b, &a}, std::pair{&a, &a}}) {
        for (bool diagonal : {false, true}) {
          FourfoldTable fast, plain;
          CountFourfold(fast, first->data(), second->data(), shape, diagonal);
          for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
              if (r != c || diagonal) plain[2 * GetCell(first->data(), shape, r, c) + GetCell(second->data(), shape, r, c)] += 1.0f;
          for (int k = 0; k < 4; ++k) EXPECT_EQ(fast[k], plain[k]) << "N=" << n << " diagonal=" << diagonal << " cell " << k;
        }
      }
    }
  }
}

// The sign test on b second-only and c first-only cells, around its limits: 1 in balance
// however large, 0 below the smallest normal float and beyond 1074 discordant cells.
TEST(BinomialP, EdgesOfTheRange) {
  struct Case {
    float b, c;
    double p;
  };
  for (const Case& t : {Case{16000, 16000, 1.0}, Case{2, 3, 1.0}, Case{0, 3, 0.25}, Case{1, 9, 22.0 / 1024.0},
                        Case{0, 126, std::ldexp(1.0, -125)}, Case{0, 127, FLT_MIN}, Case{0, 128, 0.0},
                        Case{536, 538, -1.0}, Case{537, 538, 0.0}, Case{537, 539, 0.0}, Case{600, 1000, 0.0}}) {
    const double p = BinomialP(FourfoldTable{{0.0f, t.b, t.c, 0.0f}});
    if (t.p < 0) {
      EXPECT_GT(p, 0.0) << t.b << " " << t.c;
    } else {
      EXPECT_EQ(p, t.p) << t.b << " " << t.c;
    }
  }
}

// An empty cell adds nothing (0 ln 0 = 0); a logarithm out of range ends the run with fatal
// error 7; a range error left by earlier arithmetic is not taken for one.
TEST(LikelihoodRatioStatistic, EmptyCellsAndRangeErrors) {
  const FourfoldTable one_empty{{0.0f, 2.0f, 2.0f, 2.0f}};
  EXPECT_NEAR(LikelihoodRatioStatistic(one_empty, FourfoldTable{{1.0f, 2.0f, 2.0f, 1.0f}}), 2 * 2 * std::log(2.0), 1e-6);
  const FourfoldTable observed{{1.0f, 1.0f, 1.0f, 1.0f}};
  const FourfoldTable infinite{{1.0f, std::numeric_limits<float>::infinity(), 1.0f, 1.0f}};
  try {
    LikelihoodRatioStatistic(observed, infinite);
    ADD_FAILURE() << "log(0) should have been fatal";
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), 7);
    EXPECT_EQ(std::string(error.what()).rfind("QUOREL error -", 0), 0u) << error.what();
  }
  FourfoldTable t{{10.5f, 2.5f, 3.5f, 5.5f}};
  FourfoldTable e;
  ExpectedFourfold(e, t, 20);
  errno = ERANGE;
  EXPECT_NO_THROW(LikelihoodRatioStatistic(t, e));
}

}  // namespace
}  // namespace quorel
