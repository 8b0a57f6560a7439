// CSV and TSV tables: edge lists and adjacency matrices with any of the three separators,
// read into the network they stand for; malformed ones refused with line and reason.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/input_format.hpp"
#include "formats/csv_reader.hpp"
#include "formats/network_reader.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

// A network from its relations written as rows of digits, "01 10" for a 2 x 2 matrix.
Network Expected(int n, const std::vector<std::string>& relations, std::vector<std::string> actors = {},
                 std::vector<std::string> relation_names = {},
                 std::optional<std::vector<std::uint8_t>> non_directional = std::nullopt) {
  Network network;
  network.actor_count = n;
  for (const std::string& rows : relations) {
    std::vector<std::uint8_t> cells;
    for (const char ch : rows) {
      if (ch != ' ') cells.push_back(ch == '1' ? 1 : 0);
    }
    network.relations.push_back(cells);
  }
  network.actor_names = std::move(actors);
  network.relation_names = std::move(relation_names);
  network.non_directional = std::move(non_directional);
  return network;
}

struct CsvCase {
  const char* name;
  std::string text;
  Network network;
};

class CsvReading : public ::testing::TestWithParam<CsvCase> {};

TEST_P(CsvReading, GivesTheNetwork) {
  const CsvCase& c = GetParam();
  EXPECT_EQ(DetectInputFormat(c.text), InputFormat::kCsv);
  TieRule ties;
  EXPECT_EQ(ReadCsv(c.text, ties), c.network);
}

INSTANTIATE_TEST_SUITE_P(
    Csv, CsvReading,
    ::testing::Values(
        CsvCase{"SemicolonsQuotedSeparatorInName", "ego;alter;layer\nann;\"bo; b\";work\n\"bo; b\";ann;work\n",
                Expected(2, {"01 10"}, {"ann", "bo; b"}, {"work"})},
        CsvCase{"TabsWithBlanksAroundFields", "from\tto\n a \t b \nb\t\"c \"\"jr\"\"\"\n",
                Expected(3, {"010 001 000"}, {"a", "b", "c \"jr\""})},
        CsvCase{"ByteOrderMarkAndCrLf", "\xEF\xBB\xBFsource,target\r\n2,1\r\n", Expected(2, {"00 10"})},
        CsvCase{"TabsLeaveCommasInNames", "source\ttarget\nSmith, J\tDoe, K\n",
                Expected(2, {"01 00"}, {"Smith, J", "Doe, K"})},
        CsvCase{"TypeUndirectedIsATieBothWays", "Source,Target,Type,Weight\na,b,Undirected,1\nb,c,undirected,1\n",
                Expected(3, {"010 101 010"}, {"a", "b", "c"}, {}, std::vector<std::uint8_t>{1})},
        CsvCase{"TypeMixedBesideARelationColumn",
                "source,target,type,relation\na,b,Directed,x\nb,c,UNDIRECTED,y\nc,a,undirected,x\n",
                Expected(3, {"011 000 100", "000 001 010"}, {"a", "b", "c"}, {"x", "y"},
                         std::vector<std::uint8_t>{0, 1})},
        CsvCase{"TypeWithOtherValuesIsTheRelation", "source,target,type\na,b,friend\nb,a,directed\n",
                Expected(2, {"01 00", "00 10"}, {"a", "b"}, {"friend", "directed"})},
        CsvCase{"TypeWithOtherValuesBesideARelationColumn", "source,target,type,relation\na,b,phone,x\n",
                Expected(2, {"01 00"}, {"a", "b"}, {"x"})},
        CsvCase{"ZeroWeightDeclaresIsolatesAndRelations", "from;to;relation;weight\nc;c;r1;0\na;b;r1;1\nd;d;r2;0.0\n",
                Expected(4, {"0000 0010 0000 0000", "0000 0000 0000 0000"}, {"c", "a", "b", "d"}, {"r1", "r2"})},
        CsvCase{"MatrixWithNames", ",a,b,c\na,0,1,0\nb,0,0,1\nc,1,0,0\n",
                Expected(3, {"010 001 100"}, {"a", "b", "c"})},
        CsvCase{"MatrixCornerTextSemicolonsCrLf", "actors;x;\"y;z\"\r\nx;0;1\r\n\"y;z\";1;0\r\n",
                Expected(2, {"01 10"}, {"x", "y;z"})},
        CsvCase{"MatrixActorsNamedLikeColumns", "\"\",ego,to\nego,0,1\nto,0,0\n", Expected(2, {"01 00"}, {"ego", "to"})},
        CsvCase{"MatrixOfNumbersWithTabs", "0\t1\t1\n1\t0\t0\n0\t0\t0\n", Expected(3, {"011 100 000"})},
        CsvCase{"MatrixValuesThroughTheTieRule", "\xEF\xBB\xBF" "0,2.5\n0.0,0.25\n", Expected(2, {"01 01"})}),
    [](const ::testing::TestParamInfo<CsvCase>& info) { return std::string(info.param.name); });

struct MalformedCsvCase {
  const char* name;
  std::string text;
  int line;
  const char* reason;  // a distinctive part
};

class MalformedCsv : public ::testing::TestWithParam<MalformedCsvCase> {};

TEST_P(MalformedCsv, IsRefusedWithLineAndReason) {
  const MalformedCsvCase& c = GetParam();
  TieRule ties;
  try {
    ReadCsv(c.text, ties);
    ADD_FAILURE() << "read";
  } catch (const InputError& error) {
    EXPECT_EQ(error.Line(), c.line) << error.what();
    EXPECT_THAT(error.what(), HasSubstr(c.reason));
  }
}

std::string WideMatrixHeader(int actors) {
  std::string text;
  for (int k = 1; k <= actors; ++k) text += ",a" + std::to_string(k);
  return text + "\n";
}

INSTANTIATE_TEST_SUITE_P(
    Csv, MalformedCsv,
    ::testing::Values(
        MalformedCsvCase{"NoSeparator", "source target\n1 2\n", 1, "separated by commas, semicolons or tabs"},
        MalformedCsvCase{"OnlyASourceColumn", "source,relation\na,x\n", 1, "names no source column"},
        MalformedCsvCase{"FieldCountNamesBoth", "source;target;relation\na;b;x\na;b\n", 3,
                         "3 fields expected as in the header row, 2 found"},
        MalformedCsvCase{"QuoteNotClosed", "source,target\n\"a,b\nc,d\n", 2, "not closed on its line"},
        MalformedCsvCase{"TextAfterClosingQuote", "source,target\n\"a\"x,b\n", 2, "text follows the closing quote"},
        MalformedCsvCase{"EmptyActorInTabs", "from\tto\n\tb\n", 2, "an actor field is empty"},
        MalformedCsvCase{"WeightNotANumber", "from,to,weight\na,b,1\nb,a,heavy\n", 3, "the weight \"heavy\""},
        MalformedCsvCase{"EmptyTypeMakesItTheRelation", "source,target,type\na,b,directed\nb,a,\n", 3,
                         "the relation field is empty"},
        MalformedCsvCase{"RowNameNotItsColumns", ",a,b\na,0,1\nc,0,0\n", 3, "row 2 is named \"c\", its column \"b\""},
        MalformedCsvCase{"MatrixRowTooShort", ",a,b\na,0\nb,0,0\n", 2, "3 fields expected as in the header row, 2 found"},
        MalformedCsvCase{"MatrixMoreRowsThanColumns", ",a,b\na,0,1\nb,0,0\nc,1,1\n", 4,
                         "not square: 2 columns and 3 rows"},
        MalformedCsvCase{"NumbersFewerRowsThanColumns", "0,1,0\n1,0,0\n", 2, "not square: 3 columns and 2 rows"},
        MalformedCsvCase{"MatrixValueNotANumber", ",a,b\na,0,x\nb,0,0\n", 2, "the value \"x\" is not a number"},
        MalformedCsvCase{"MatrixNegativeValue", "0;-1\n0;0\n", 1, "the negative value -1"},
        MalformedCsvCase{"EmptyActorName", ",a,\na,0,0\n,0,0\n", 1, "the name of actor 2 is empty"},
        MalformedCsvCase{"RepeatedActorName", ",a,a\na,0,0\na,0,0\n", 1, "the actor name \"a\" appears twice"},
        MalformedCsvCase{"TooManyActors", WideMatrixHeader(182), 1, "182 actors are more than the most actors, 181"},
        MalformedCsvCase{"OnlyBlankLines", "\xEF\xBB\xBF \r\n\n", 0, "empty"}),
    [](const ::testing::TestParamInfo<MalformedCsvCase>& info) { return std::string(info.param.name); });

// What is taken for a table, and what stays a data file: a data file's label line is free
// text that may hold commas, but its "N NR" line never has the label's field count.
struct RecognitionCase {
  const char* name;
  std::string text;
  bool csv;
};

class CsvRecognition : public ::testing::TestWithParam<RecognitionCase> {};

TEST_P(CsvRecognition, TellsTablesFromDataFiles) {
  const RecognitionCase& c = GetParam();
  EXPECT_EQ(LooksLikeCsv(c.text), c.csv);
  EXPECT_EQ(DetectInputFormat(c.text), c.csv ? InputFormat::kCsv : InputFormat::kData);
}

INSTANTIATE_TEST_SUITE_P(
    Csv, CsvRecognition,
    ::testing::Values(
        RecognitionCase{"EdgeListSemicolons", "Source;Target;Weight\n", true},
        RecognitionCase{"EdgeListTabs", "\n from\tto\n", true},
        RecognitionCase{"EdgeListAfterByteOrderMark", "\xEF\xBB\xBF\"ego\",\"alter\"\r\n", true},
        RecognitionCase{"NamedMatrix", ",a,b\na,0,1\nb,1,0\n", true},
        RecognitionCase{"NamedMatrixWithARowNameWrong", ";a;b\na;0;1\nc;1;0\n", true},  // refused when read, clearly
        RecognitionCase{"MatrixOfNumbers", "0\t1\n1\t0\n", true},
        RecognitionCase{"DataFileLabelWithComma", "Families: marriage, business\n2 2\n0 1\n1 0\n\n0 1\n1 0\n", false},
        RecognitionCase{"DataFileLabelOfTwoNumbers", "1,2\n2 1\n0 1\n1 0\n", false},
        RecognitionCase{"DataFileWithTabsInItsMatrix", "a\tb\n2 1\n0\t1\n1\t0\n", false},
        RecognitionCase{"DataFileOfOneActor", "x, y\n1 1\n0\n", false},
        RecognitionCase{"NumbersNotSquare", "0,1,0\n1,0,0\n", false},
        RecognitionCase{"QuoteNeverClosed", "\"a,b\nc,d\n", false}),
    [](const ::testing::TestParamInfo<RecognitionCase>& info) { return std::string(info.param.name); });

// One relation a file: the two files of a network read separately give its two relations.
TEST(AdjacencyMatrixFiles, GiveTheRelationsOfTheNetworkOneEach) {
  const std::string data = std::string(QUOREL_SOURCE_DIR) + "/tests/data/";
  const std::vector<Network> whole = ReadNetworkFile(std::string(QUOREL_SOURCE_DIR) + "/examples/padgett_florentine.dat");
  const std::vector<Network> marriage = ReadNetworkFile(data + "padgett_florentine.marriage.csv");
  const std::vector<Network> business = ReadNetworkFile(data + "padgett_florentine.business.tsv");
  ASSERT_EQ(whole.size(), 1u);
  ASSERT_EQ(marriage.size(), 1u);
  ASSERT_EQ(business.size(), 1u);
  ASSERT_EQ(whole[0].relation_count(), 2);
  EXPECT_EQ(marriage[0].actor_count, whole[0].actor_count);
  EXPECT_EQ(business[0].actor_count, whole[0].actor_count);
  ASSERT_EQ(marriage[0].relation_count(), 1);
  ASSERT_EQ(business[0].relation_count(), 1);
  EXPECT_EQ(marriage[0].relations[0], whole[0].relations[0]);
  EXPECT_EQ(business[0].relations[0], whole[0].relations[1]);
  ASSERT_EQ(marriage[0].actor_names.size(), 16u);
  EXPECT_EQ(marriage[0].actor_names.front(), "ACCIAIUOLI");
  EXPECT_EQ(marriage[0].actor_names.back(), "TORNABUONI");
  EXPECT_TRUE(business[0].actor_names.empty());
  EXPECT_TRUE(marriage[0].relation_names.empty());
}

}  // namespace
}  // namespace quorel
