// Pajek network files: the blocks of each relation, edges read both ways and marking a
// relation non-directional, vertex names, weights through the tie rule, and malformed
// files refused on the line at fault.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "formats/pajek_reader.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

// A relation's cells as a digit string, rows run together ("0110" for 2 x 2).
std::vector<std::uint8_t> Cells(const std::string& digits) {
  std::vector<std::uint8_t> cells;
  for (char ch : digits) cells.push_back(ch == '1' ? 1 : 0);
  return cells;
}

struct PajekCase {
  const char* name;
  std::string text;
  int n;
  std::vector<std::string> relations;  // digit strings
  std::vector<std::uint8_t> non_directional;
  std::vector<std::string> actors = {};
  std::vector<std::string> relation_names = {};
  std::optional<double> threshold = std::nullopt;
};

class PajekReads : public ::testing::TestWithParam<PajekCase> {};

TEST_P(PajekReads, TheNetwork) {
  const PajekCase& c = GetParam();
  Network expected;
  expected.actor_count = c.n;
  for (const std::string& digits : c.relations) expected.relations.push_back(Cells(digits));
  expected.actor_names = c.actors;
  expected.relation_names = c.relation_names;
  expected.non_directional = c.non_directional;
  TieRule ties(c.threshold);
  EXPECT_EQ(ReadPajek(c.text, ties), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pajek, PajekReads,
    ::testing::Values(
        PajekCase{"ArcsOneWay", "*Vertices 3\n*Arcs\n1 2\n3 1\n", 3, {"010000100"}, {0}},
        PajekCase{"EdgesBothWaysAndNonDirectional", "*Vertices 3\n*Edges\n1 2\n", 3, {"010100000"}, {1}},
        PajekCase{"ArcsAndEdgesOfOneRelationAreDirectional", "*Vertices 2\n*Edges\n2 2\n*Arcs\n1 2\n", 2, {"0101"}, {0}},
        PajekCase{"NamesQuotedOrBareAnUnnamedVertexByNumber",
                  "*Vertices 3\n1 \"Ann Lee\" 0.1 0.2 0.5 box\n3 bob 0.3\n*Arcs\n", 3, {"000000000"}, {0},
                  {"Ann Lee", "2", "bob"}},
        PajekCase{"NoVertexNamedNamesNoActor", "*Vertices 2\n1\n2\n*Arcs\n1 2\n", 2, {"0100"}, {0}},
        PajekCase{"RelationsByNumberInAnyOrderAGapHasNoTies",
                  "*Vertices 2\n*Arcs :3 \"c d\"\n1 2\n*Edges :1 \"a\"\n1 2\n", 2, {"0110", "0000", "0100"}, {1, 0, 0},
                  {}, {"a", "2", "c d"}},
        PajekCase{"UnnumberedBlockIsRelationOneBareLabel", "*Vertices 2\n*Arcs:2 kin\n2 1\n*Arcs\n1 2\n", 2,
                  {"0100", "0010"}, {0, 0}, {}, {"1", "kin"}},
        PajekCase{"LineNumberedRelation", "*Vertices 2\n*Edges\n2: 1 2\n1 1\n", 2, {"1000", "0110"}, {1, 1}},
        PajekCase{"WeightsAndAZeroAfterATie", "*Vertices 3\n*Arcs\n1 2 0\n1 3 2.5 c Red\n2 1 1\n2 1 0\n", 3,
                  {"001100000"}, {0}},
        PajekCase{"MissingWeightIsOneUnderAThreshold", "*Vertices 3\n*Arcs\n1 2 2.5\n1 3\n", 3, {"010000000"}, {0},
                  {}, {}, 2.0},
        PajekCase{"ListsWithALoop", "*Vertices 3\n*Arcslist\n1 1 2 3\n*Edgeslist :2\n3 1\n", 3,
                  {"111000000", "001000100"}, {0, 1}},
        PajekCase{"Matrix", "*Vertices 2\n*Matrix :1 \"m\"\n0 1\n0.5 0\n", 2, {"0110"}, {0}, {}, {"m"}},
        PajekCase{"CommentsCaseCrLfAndNetworkLine",
                  "% by hand\r\n*NETWORK my net\r\n\r\n*VERTICES 2\r\n% names\r\n1 \"x\"\r\n2 \"y\"\r\n*ARCS\r\n2 1\r\n", 2,
                  {"0010"}, {0}, {"x", "y"}},
        PajekCase{"VerticesWithoutTies", "*Vertices 2\n", 2, {"0000"}, {0}}),
    [](const ::testing::TestParamInfo<PajekCase>& info) { return std::string(info.param.name); });

struct MalformedPajekCase {
  const char* name;
  std::string text;
  int line;
  std::string reason;  // what sets it apart
};

class MalformedPajek : public ::testing::TestWithParam<MalformedPajekCase> {};

TEST_P(MalformedPajek, IsRefusedOnItsLine) {
  const MalformedPajekCase& c = GetParam();
  TieRule ties;
  try {
    ReadPajek(c.text, ties);
    ADD_FAILURE() << "read";
  } catch (const InputError& error) {
    EXPECT_EQ(error.Line(), c.line) << error.what();
    EXPECT_THAT(error.what(), HasSubstr(c.reason));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pajek, MalformedPajek,
    ::testing::Values(
        MalformedPajekCase{"Empty", "% nothing\n", 0, "no \"*Vertices n\" line"},
        MalformedPajekCase{"TiesBeforeVertices", "*Arcs\n1 2\n", 1, "\"*Arcs\" comes before \"*Vertices n\""},
        MalformedPajekCase{"LineBeforeVertices", "% x\n1 2\n", 2, "\"1\" stands before \"*Vertices n\""},
        MalformedPajekCase{"TwoMode", "*Vertices 5 2\n", 1, "\"*Vertices 5 2\" gives a two-mode network"},
        MalformedPajekCase{"TooManyActors", "*Vertices 182\n", 1, "*Vertices 182 is too large: at most 181 actors"},
        MalformedPajekCase{"SecondVertices", "*Vertices 2\n*Vertices 2\n", 2, "a second \"*Vertices\""},
        MalformedPajekCase{"VertexBeyondN", "*Vertices 3\n*Arcs\n1 4\n", 3, "vertex \"4\" is not a number from 1 to 3"},
        MalformedPajekCase{"VertexNotANumber", "*Vertices 3\n*Edgeslist\n1 2 b\n", 3, "vertex \"b\""},
        MalformedPajekCase{"VertexListedTwice", "*Vertices 3\n1 a\n1 b\n", 3, "vertex 1 is listed a second time"},
        MalformedPajekCase{"WeightNotANumber", "*Vertices 3\n*Arcs\n1 2 heavy\n", 3, "the value \"heavy\" is not a number"},
        MalformedPajekCase{"NegativeWeight", "*Vertices 3\n*Edges\n1 2 -1\n", 3, "the negative value -1"},
        MalformedPajekCase{"ArcOfOneVertex", "*Vertices 2\n*Arcs\n\n1\n", 4, "an arc needs two vertex numbers"},
        MalformedPajekCase{"UnknownKeyword", "*Vertices 2\n*Partition p\n1\n", 2, "unknown keyword \"*Partition\""},
        MalformedPajekCase{"RelationNotANumber", "*Vertices 2\n*Edges :x\n", 2, "\"*Edges :x\" names no relation number"},
        MalformedPajekCase{"RelationTooLarge", "*Vertices 2\n*Arcs :32768\n", 2, "relation 32768 is beyond the most"},
        MalformedPajekCase{"RelationNamedTwoWays", "*Vertices 2\n*Arcs :1 \"a\"\n*Edges :1 \"b\"\n", 3,
                           "relation 1 is named \"b\" here and \"a\" before"},
        MalformedPajekCase{"MatrixEndsEarly", "*Vertices 2\n*Matrix\n0 1\n*Arcs\n", 4,
                           "the matrix begun on line 2 ends after 1 of 2 rows"},
        MalformedPajekCase{"MatrixEndsEarlyAtTheEnd", "*Vertices 2\n*Matrix\n0 1\n\n% end\n", 3, "ends after 1 of 2 rows"},
        MalformedPajekCase{"MatrixRowTooWide", "*Vertices 2\n*Matrix\n0 1 0\n", 3, "row 1 of the matrix holds 3 values, 2 expected"},
        MalformedPajekCase{"MatrixTooManyRows", "*Vertices 1\n*Matrix\n0\n1\n", 4, "more than 1 rows"},
        MalformedPajekCase{"QuoteNotClosed", "*Vertices 2\n1 \"Ann\n", 2, "a quoted name is not closed"},
        MalformedPajekCase{"LineAfterNetworkKeyword", "*Vertices 2\n*Network n\n1 2\n", 3, "stands after \"*Network\""}),
    [](const ::testing::TestParamInfo<MalformedPajekCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorel
