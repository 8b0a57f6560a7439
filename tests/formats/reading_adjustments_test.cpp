// What the reading options do to a network once read: valued cells become ties above the
// threshold, relations are marked non-directional by name or number, and the relations of
// several files join into one network on the same actors.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "formats/input_error.hpp"
#include "formats/network_join.hpp"
#include "formats/relation_marking.hpp"
#include "formats/tie_rule.hpp"

namespace quorel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Two relations on three actors: "friend" symmetric, "advice" not (1 -> 2 only).
Network Sample() {
  Network network;
  network.actor_count = 3;
  network.actor_names = {"ann", "bob", "cy"};
  network.relation_names = {"friend", "advice"};
  network.relations = {{0, 1, 0, 1, 0, 0, 0, 0, 0}, {0, 1, 0, 0, 0, 0, 0, 0, 0}};
  return network;
}

TEST(TieRule, ValuesAboveTheThresholdAreTiesAndValuedCellsAreCountedOnce) {
  TieRule plain;
  EXPECT_FALSE(plain.IsTie(0.0, 1));
  EXPECT_TRUE(plain.IsTie(1.0, 1));
  EXPECT_TRUE(plain.IsTie("0.25", 2));
  EXPECT_FALSE(plain.Warning().has_value() && plain.ValuedCells() != 1);
  EXPECT_THAT(*plain.Warning(), HasSubstr("1 cell holds values other than 0 and 1; a cell is a tie when its value is above 0"));
  EXPECT_THROW(plain.IsTie(-1.0, 3), InputError);
  EXPECT_THROW(plain.IsTie("1,5", 4), InputError);

  TieRule strict(2.0);
  EXPECT_FALSE(strict.IsTie(2.0, 1));
  EXPECT_TRUE(strict.IsTie(2.5, 1));
  EXPECT_FALSE(strict.IsTie(-3.0, 1));  // a threshold admits signed values
  EXPECT_THAT(*strict.Warning(), HasSubstr("3 cells hold values"));
}

struct MarkCase {
  const char* name;
  const char* list;
  std::vector<std::uint8_t> vector;
  int warnings;
};

class Marking : public ::testing::TestWithParam<MarkCase> {};

TEST_P(Marking, NamesAndNumbersMarkRelationsAndAsymmetryIsWarned) {
  Network network = Sample();
  std::vector<std::string> warnings;
  MarkNonDirectional(network, GetParam().list, warnings);
  ASSERT_TRUE(network.non_directional.has_value());
  EXPECT_EQ(*network.non_directional, GetParam().vector);
  EXPECT_EQ(static_cast<int>(warnings.size()), GetParam().warnings);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, Marking,
    ::testing::Values(MarkCase{"ByName", "friend", {1, 0}, 0}, MarkCase{"ByNumber", " 2 ", {0, 1}, 1},
                      MarkCase{"BothOnceEach", "advice,1,2", {1, 1}, 1}),
    [](const ::testing::TestParamInfo<MarkCase>& info) { return std::string(info.param.name); });

TEST(Marking, WarningNamesTheRelationAndOneAsymmetricPair) {
  Network network = Sample();
  std::vector<std::string> warnings;
  MarkNonDirectional(network, "advice", warnings);
  EXPECT_THAT(warnings, ElementsAre("WARNING: relation 2 (advice) is marked non-directional but is not symmetric: "
                                    "1 (ann) -> 2 (bob) is a tie, 2 (bob) -> 1 (ann) is not"));
}

TEST(Marking, UnknownEntriesAreRefusedWithTheRelationsThereAre) {
  for (const char* list : {"foe", "0", "3", "1x"}) {
    Network network = Sample();
    std::vector<std::string> warnings;
    try {
      MarkNonDirectional(network, list, warnings);
      ADD_FAILURE() << list << " was accepted";
    } catch (const InputError& error) {
      EXPECT_THAT(error.what(), HasSubstr("its relations are 1 (friend), 2 (advice)")) << list;
    }
  }
}

TEST(Join, RelationsOfSeveralFilesFollowInOrderNamedAfterTheirFiles) {
  Network joined = Sample();
  Network part;
  part.actor_count = 3;
  part.relations = {{0, 0, 1, 0, 0, 0, 1, 0, 0}};
  part.non_directional = std::vector<std::uint8_t>{1};
  JoinRelations(joined, "a.csv", part, "dir/kinship.csv");
  EXPECT_THAT(joined.relation_names, ElementsAre("friend", "advice", "kinship"));
  EXPECT_EQ(joined.non_directional, (std::vector<std::uint8_t>{0, 0, 1}));
  EXPECT_EQ(joined.relations[2], part.relations[0]);

  Network first;
  first.actor_count = 3;
  first.relations = {part.relations[0], part.relations[0]};
  Network unnamed = first;
  JoinRelations(first, "x/base.csv", unnamed, "y.csv");
  EXPECT_THAT(first.relation_names, ElementsAre("base:1", "base:2", "y:1", "y:2"));
}

TEST(Join, OtherActorsAreRefused) {
  Network joined = Sample();
  Network fewer;
  fewer.actor_count = 2;
  fewer.relations = {{0, 1, 0, 0}};
  EXPECT_THROW(JoinRelations(joined, "a.csv", fewer, "b.csv"), InputError);
  Network renamed = Sample();
  renamed.actor_names[1] = "bo";
  try {
    JoinRelations(joined, "a.csv", renamed, "b.csv");
    ADD_FAILURE() << "other names were accepted";
  } catch (const InputError& error) {
    EXPECT_THAT(error.what(), HasSubstr("names actor 2 \"bo\", a.csv names it \"bob\""));
  }
}

}  // namespace
}  // namespace quorel
