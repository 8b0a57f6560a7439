// Pajek network files: the blocks of each relation, edges read both ways and marking a
// relation non-directional, vertex names, weights through the tie rule, and malformed
// files refused on the line at fault.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/pajek_reader.hpp"
#include "formats/reader_cases.hpp"

namespace quorel {
namespace {

using testing::ReadCase;
using testing::Refusal;

class PajekReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(PajekReads, TheNetwork) {
  TieRule ties(GetParam().settings.threshold);
  EXPECT_EQ(ReadPajek(GetParam().text, ties), GetParam().network);
}

INSTANTIATE_TEST_SUITE_P(
    Pajek, PajekReads,
    ::testing::Values(
        ReadCase{"ArcsOneWay", "*Vertices 3\n*Arcs\n1 2\n3 1\n", Net(3, {"010000100"}, {}, {}, {0})},
        ReadCase{"EdgesBothWaysAndNonDirectional", "*Vertices 3\n*Edges\n1 2\n", Net(3, {"010100000"}, {}, {}, {1})},
        ReadCase{"ArcsAndEdgesOfOneRelationAreDirectional", "*Vertices 2\n*Edges\n2 2\n*Arcs\n1 2\n", Net(2, {"0101"}, {}, {}, {0})},
        ReadCase{"NamesQuotedOrBareAnUnnamedVertexByNumber", "*Vertices 3\n1 \"Ann Lee\" 0.1 0.2 0.5 box\n3 bob 0.3\n*Arcs\n",
                 Net(3, {"000000000"}, {"Ann Lee", "2", "bob"}, {}, {0})},
        ReadCase{"NoVertexNamedNamesNoActor", "*Vertices 2\n1\n2\n*Arcs\n1 2\n", Net(2, {"0100"}, {}, {}, {0})},
        ReadCase{"RelationsByNumberInAnyOrderAGapHasNoTies", "*Vertices 2\n*Arcs :3 \"c d\"\n1 2\n*Edges :1 \"a\"\n1 2\n",
                 Net(2, {"0110", "0000", "0100"}, {}, {"a", "2", "c d"}, {1, 0, 0})},
        ReadCase{"UnnumberedBlockIsRelationOneBareLabel", "*Vertices 2\n*Arcs:2 kin\n2 1\n*Arcs\n1 2\n",
                 Net(2, {"0100", "0010"}, {}, {"1", "kin"}, {0, 0})},
        ReadCase{"LineNumberedRelation", "*Vertices 2\n*Edges\n2: 1 2\n1 1\n", Net(2, {"1000", "0110"}, {}, {}, {1, 1})},
        ReadCase{"WeightsAndAZeroAfterATie", "*Vertices 3\n*Arcs\n1 2 0\n1 3 2.5 c Red\n2 1 1\n2 1 0\n",
                 Net(3, {"001100000"}, {}, {}, {0})},
        ReadCase{"MissingWeightIsOneUnderAThreshold", "*Vertices 3\n*Arcs\n1 2 2.5\n1 3\n",
                 Net(3, {"010000000"}, {}, {}, {0}), testing::Threshold(2.0)},
        ReadCase{"ListsWithALoop", "*Vertices 3\n*Arcslist\n1 1 2 3\n*Edgeslist :2\n3 1\n",
                 Net(3, {"111000000", "001000100"}, {}, {}, {0, 1})},
        ReadCase{"Matrix", "*Vertices 2\n*Matrix :1 \"m\"\n0 1\n0.5 0\n", Net(2, {"0110"}, {}, {"m"}, {0})},
        ReadCase{"CommentsCaseCrLfAndNetworkLine",
                 "% by hand\r\n*NETWORK my net\r\n\r\n*VERTICES 2\r\n% names\r\n1 \"x\"\r\n2 \"y\"\r\n*ARCS\r\n2 1\r\n",
                 Net(2, {"0010"}, {"x", "y"}, {}, {0})},
        ReadCase{"VerticesWithoutTies", "*Vertices 2\n", Net(2, {"0000"}, {}, {}, {0})}),
    testing::CaseName<ReadCase>);

class MalformedPajek : public ::testing::TestWithParam<Refusal> {};

TEST_P(MalformedPajek, IsRefusedOnItsLine) {
  TieRule ties;
  testing::ExpectRefused(GetParam(), [&] { ReadPajek(GetParam().text, ties); });
}

INSTANTIATE_TEST_SUITE_P(
    Pajek, MalformedPajek,
    ::testing::Values(
        Refusal{"Empty", "% nothing\n", 0, "no \"*Vertices n\" line"},
        Refusal{"TiesBeforeVertices", "*Arcs\n1 2\n", 1, "\"*Arcs\" comes before \"*Vertices n\""},
        Refusal{"LineBeforeVertices", "% x\n1 2\n", 2, "\"1\" stands before \"*Vertices n\""},
        Refusal{"TwoMode", "*Vertices 5 2\n", 1, "\"*Vertices 5 2\" gives a two-mode network"},
        Refusal{"TooManyActors", "*Vertices 182\n", 1, "*Vertices 182 is too large: at most 181 actors"},
        Refusal{"SecondVertices", "*Vertices 2\n*Vertices 2\n", 2, "a second \"*Vertices\""},
        Refusal{"VertexBeyondN", "*Vertices 3\n*Arcs\n1 4\n", 3, "vertex \"4\" is not a number from 1 to 3"},
        Refusal{"VertexNotANumber", "*Vertices 3\n*Edgeslist\n1 2 b\n", 3, "vertex \"b\""},
        Refusal{"VertexListedTwice", "*Vertices 3\n1 a\n1 b\n", 3, "vertex 1 is listed a second time"},
        Refusal{"NegativeWeight", "*Vertices 3\n*Edges\n1 2 -1\n", 3, "the negative value -1"},
        Refusal{"ArcOfOneVertex", "*Vertices 2\n*Arcs\n\n1\n", 4, "an arc needs two vertex numbers"},
        Refusal{"UnknownKeyword", "*Vertices 2\n*Partition p\n1\n", 2, "unknown keyword \"*Partition\""},
        Refusal{"RelationNotANumber", "*Vertices 2\n*Edges :x\n", 2, "\"*Edges :x\" names no relation number"},
        Refusal{"RelationTooLarge", "*Vertices 2\n*Arcs :32768\n", 2, "relation 32768 is beyond the most"},
        Refusal{"RelationNamedTwoWays", "*Vertices 2\n*Arcs :1 \"a\"\n*Edges :1 \"b\"\n", 3,
                "relation 1 is named \"b\" here and \"a\" before"},
        Refusal{"MatrixEndsEarly", "*Vertices 2\n*Matrix\n0 1\n*Arcs\n", 4,
                "the matrix begun on line 2 ends after 1 of 2 rows"},
        Refusal{"MatrixEndsEarlyAtTheEnd", "*Vertices 2\n*Matrix\n0 1\n\n% end\n", 3, "ends after 1 of 2 rows"},
        Refusal{"MatrixRowTooWide", "*Vertices 2\n*Matrix\n0 1 0\n", 3, "row 1 of the matrix holds 3 values, 2 expected"},
        Refusal{"MatrixTooManyRows", "*Vertices 1\n*Matrix\n0\n1\n", 4, "more than 1 rows"},
        Refusal{"QuoteNotClosed", "*Vertices 2\n1 \"Ann\n", 2, "a quoted name is not closed"},
        Refusal{"LineAfterNetworkKeyword", "*Vertices 2\n*Network n\n1 2\n", 3, "stands after \"*Network\""}),
    testing::CaseName<Refusal>);

}  // namespace
}  // namespace quorel
