// CSV and TSV tables: edge lists and adjacency matrices with any of the three separators,
// read into the network they stand for; malformed ones refused with line and reason.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/input_format.hpp"
#include "formats/csv_reader.hpp"
#include "formats/network_reader.hpp"
#include "formats/reader_cases.hpp"

namespace quorel {
namespace {

using testing::ReadCase;
using testing::Refusal;

// The Type column's word for each relation: "undirected" for all, or only for the second.
const std::vector<std::uint8_t> kUndirected = {1}, kDirections = {0, 1};

class CsvReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(CsvReading, IsRecognisedAndGivesTheNetwork) {
  EXPECT_EQ(DetectInputFormat(GetParam().text), InputFormat::kCsv);
  TieRule ties;
  EXPECT_EQ(ReadCsv(GetParam().text, ties), GetParam().network);
}

INSTANTIATE_TEST_SUITE_P(
    Csv, CsvReading,
    ::testing::Values(
        ReadCase{"SemicolonsQuotedSeparatorInName", "ego;alter;layer\nann;\"bo; b\";work\n\"bo; b\";ann;work\n",
                 Net(2, {"01 10"}, {"ann", "bo; b"}, {"work"})},
        ReadCase{"TabsWithBlanksAroundFields", "from\tto\n a \t b \nb\t\"c \"\"jr\"\"\"\n",
                 Net(3, {"010 001 000"}, {"a", "b", "c \"jr\""})},
        ReadCase{"ByteOrderMarkAndCrLf", "\xEF\xBB\xBFsource,target\r\n2,1\r\n", Net(2, {"00 10"})},
        ReadCase{"TabsLeaveCommasInNames", "source\ttarget\nSmith, J\tDoe, K\n", Net(2, {"01 00"}, {"Smith, J", "Doe, K"})},
        ReadCase{"TypeUndirectedIsATieBothWays", "Source,Target,Type,Weight\na,b,Undirected,1\nb,c,undirected,1\n",
                 Net(3, {"010 101 010"}, {"a", "b", "c"}, {}, kUndirected)},
        ReadCase{"TypeMixedBesideARelationColumn",
                 "source,target,type,relation\na,b,Directed,x\nb,c,UNDIRECTED,y\nc,a,undirected,x\n",
                 Net(3, {"011 000 100", "000 001 010"}, {"a", "b", "c"}, {"x", "y"}, kDirections)},
        ReadCase{"TypeWithOtherValuesIsTheRelation", "source,target,type\na,b,friend\nb,a,directed\n",
                 Net(2, {"01 00", "00 10"}, {"a", "b"}, {"friend", "directed"})},
        ReadCase{"TypeWithOtherValuesBesideARelationColumn", "source,target,type,relation\na,b,phone,x\n",
                 Net(2, {"01 00"}, {"a", "b"}, {"x"})},
        ReadCase{"RelationColumnFirstBeforeAType", "relation,source,target,type\nx,a,b,phone\n",
                 Net(2, {"01 00"}, {"a", "b"}, {"x"})},
        ReadCase{"ZeroWeightDeclaresIsolatesAndRelations", "from;to;relation;weight\nc;c;r1;0\na;b;r1;1\nd;d;r2;0.0\n",
                 Net(4, {"0000 0010 0000 0000", "0000 0000 0000 0000"}, {"c", "a", "b", "d"}, {"r1", "r2"})},
        ReadCase{"MatrixWithNames", ",a,b,c\na,0,1,0\nb,0,0,1\nc,1,0,0\n", Net(3, {"010 001 100"}, {"a", "b", "c"})},
        ReadCase{"MatrixCornerTextSemicolonsCrLf", "actors;x;\"y;z\"\r\nx;0;1\r\n\"y;z\";1;0\r\n",
                 Net(2, {"01 10"}, {"x", "y;z"})},
        ReadCase{"MatrixActorsNamedLikeColumns", "\"\",ego,to\nego,0,1\nto,0,0\n", Net(2, {"01 00"}, {"ego", "to"})},
        ReadCase{"MatrixOfNumbersWithTabs", "0\t1\t1\n1\t0\t0\n0\t0\t0\n", Net(3, {"011 100 000"})},
        ReadCase{"MatrixValuesThroughTheTieRule", "\xEF\xBB\xBF" "0,2.5\n0.0,0.25\n", Net(2, {"01 01"})}),
    testing::CaseName<ReadCase>);

class MalformedCsv : public ::testing::TestWithParam<Refusal> {};

TEST_P(MalformedCsv, IsRefusedWithLineAndReason) {
  TieRule ties;
  testing::ExpectRefused(GetParam(), [&] { ReadCsv(GetParam().text, ties); });
}

// 182 actors, one more than the most: each a line, numbered from 1, between its start and end.
std::string ManyActors(const std::string& start, const std::string& end) {
  std::string text;
  for (int k = 1; k <= 182; ++k) text += start + std::to_string(k) + end;
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Csv, MalformedCsv,
    ::testing::Values(
        Refusal{"NoSeparator", "source target\n1 2\n", 1, "separated by commas, semicolons or tabs"},
        Refusal{"OnlyASourceColumn", "source,relation\na,x\n", 1, "names no source column"},
        Refusal{"FieldCountNamesBoth", "source;target;relation\na;b;x\na;b\n", 3,
                "3 fields expected as in the header row, 2 found"},
        Refusal{"QuoteNotClosed", "source,target\n\"a,b\nc,d\n", 2, "not closed on its line"},
        Refusal{"TextAfterClosingQuote", "source,target\n\"a\"x,b\n", 2, "text follows the closing quote"},
        Refusal{"EmptyActorInTabs", "from\tto\n\tb\n", 2, "an actor field is empty"},
        Refusal{"WeightNotANumber", "from,to,weight\na,b,1\nb,a,heavy\n", 3, "the weight \"heavy\""},
        Refusal{"EmptyTypeMakesItTheRelation", "source,target,type\na,b,directed\nb,a,\n", 3, "the relation field is empty"},
        Refusal{"RowNameNotItsColumns", ",a,b\na,0,1\nc,0,0\n", 3, "row 2 is named \"c\", its column \"b\""},
        Refusal{"MatrixRowTooShort", ",a,b\na,0\nb,0,0\n", 2, "3 fields expected as in the header row, 2 found"},
        Refusal{"MatrixMoreRowsThanColumns", ",a,b\na,0,1\nb,0,0\nc,1,1\n", 4, "not square: 2 columns and 3 rows"},
        Refusal{"NumbersFewerRowsThanColumns", "0,1,0\n1,0,0\n", 2, "not square: 3 columns and 2 rows"},
        Refusal{"MatrixValueNotANumber", ",a,b\na,0,x\nb,0,0\n", 2, "the value \"x\" is not a number"},
        Refusal{"EmptyActorName", ",a,\na,0,0\n,0,0\n", 1, "the name of actor 2 is empty"},
        Refusal{"RepeatedActorName", ",a,a\na,0,0\na,0,0\n", 1, "the actor name \"a\" appears twice"},
        Refusal{"TooManyActors", ManyActors(",a", "") + "\n", 1, "182 actors are more than the most actors, 181"},
        Refusal{"NoRows", "source,target\n\n", 1, "no rows follow the header row"},
        Refusal{"TooManyNamedActors", "source,target\n" + ManyActors("a", ",1\n"), 182,
                "more than 181 actors (N x N may not exceed 32767)"},
        Refusal{"ActorNumberTooLarge", "source,target\n" + ManyActors("", ",1\n"), 183,
                "actor 182 is beyond the most actors, 181 (N x N may not exceed 32767)"},
        Refusal{"OnlyBlankLines", "\xEF\xBB\xBF \r\n\n", 0, "empty"}),
    testing::CaseName<Refusal>);

}  // namespace
}  // namespace quorel
