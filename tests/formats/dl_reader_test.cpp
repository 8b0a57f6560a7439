// The DL reader on small texts of every layout: the network each gives, cell by cell, and
// the line and reason of each malformed one.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/dl_reader.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

// Each relation as its rows of digits, the rows separated by blanks: "010 100 000".
std::vector<std::string> Cells(const Network& network) {
  std::vector<std::string> relations;
  for (int k = 0; k < network.relation_count(); ++k) {
    std::string rows;
    for (int r = 0; r < network.actor_count; ++r) {
      if (r > 0) rows += ' ';
      for (int c = 0; c < network.actor_count; ++c) rows += network.tie(k, r, c) ? '1' : '0';
    }
    relations.push_back(rows);
  }
  return relations;
}

struct ReadCase {
  const char* name;
  std::string text;
  std::vector<std::string> cells;
  std::vector<std::string> actors = {};
  std::vector<std::string> relations = {};
  bool half = false;  // every relation marked non-directional
};

class DlRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(DlRead, GivesTheNetwork) {
  const ReadCase& c = GetParam();
  TieRule ties;
  const Network network = ReadDl(c.text, ties);
  EXPECT_EQ(Cells(network), c.cells);
  EXPECT_EQ(network.actor_names, c.actors);
  EXPECT_EQ(network.relation_names, c.relations);
  if (c.half) {
    EXPECT_EQ(network.non_directional, std::vector<std::uint8_t>(c.cells.size(), 1));
  } else {
    EXPECT_FALSE(network.non_directional.has_value());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DlRead,
    ::testing::Values(
        ReadCase{"FullMatrixLabelsAndDiagonalAfterFormat",
                 "dl n = 3\nformat = fullmatrix diagonal present\nlabels:\na,b,c\ndata:\n0 1 0\n1 0 0\n0 0 0\n",
                 {"010 100 000"}, {"a", "b", "c"}},
        ReadCase{"HeaderWithoutEquals", "DL N 3 NM 1 FORMAT FM DIAGONAL ABSENT\nDATA\n1 0\n0 1\n1 1\n",
                 {"010 001 110"}},
        ReadCase{"WrappedRowsAreReadAsTheyCome", "dl n=3\ndata:\n0 1 0 1\n0 0 1 1 0\n", {"010 100 110"}},
        ReadCase{"DecimalsExponentsAndCrLf", "dl n=2\r\ndata:\r\n0 1e0\r\n-0.0 .5\r\n", {"01 01"}},
        ReadCase{"QuotedRowAndColumnLabelsAgree", "dl n=2\nrow labels: 'carl d' ann\ncolumn labels: \"carl d\", ann\ndata: 0 1 1 0",
                 {"01 10"}, {"carl d", "ann"}},
        ReadCase{"RowLabelsEmbeddedOnlyAndSeparator", "dl n=2 nm=2\nrow labels embedded:\ndata:\np 0 1\nq 1 0\n!\np 1 1\nq 0 0\n",
                 {"01 10", "11 00"}, {"p", "q"}},
        ReadCase{"ColumnLabelsEmbeddedOnly", "dl n=2\ncolumn labels embedded\ndata:\np q\n0 1\n0 0\n", {"01 00"}, {"p", "q"}},
        ReadCase{"GivenLabelsRepeatedEmbedded", "dl n=2\nlabels: a b\nlabels embedded\ndata:\na b\na 0 1\nb 0 0\n",
                 {"01 00"}, {"a", "b"}},
        ReadCase{"LowerHalf", "dl n=3 format=lowerhalf\ndata:\n0\n1 0\n0 1 1\n", {"010 101 011"}, {}, {}, true},
        ReadCase{"UpperHalfDiagonalAbsentLastRowEmpty", "dl n=3 format uh diagonal absent\ndata:\n1 0\n1\n",
                 {"010 101 010"}, {}, {}, true},
        ReadCase{"LowerHalvesLevelLabelsSeparator",
                 "dl n=3 nm=2 format=lh diagonal=absent\nlevel labels: x y\ndata:\n1\n0 1\n!\n0\n1 0\n",
                 {"010 101 010", "001 000 100"}, {}, {"x", "y"}, true},
        ReadCase{"LowerHalfEmbedded", "dl n=3 format=lowerhalf\nlabels embedded\ndata:\na b c\na 0\nb 1 0\nc 0 1 0\n",
                 {"010 101 010"}, {"a", "b", "c"}, {}, true},
        ReadCase{"EdgeListNumberedValued", "dl n=3 format=edgelist1\ndata:\n1 2\n2 3 0\n3 1 2.5\n", {"010 000 100"}},
        ReadCase{"EdgeListEmbeddedInOrderOfAppearance",
                 "DL n=4, nm=2, format=edgelist1\nlabels embedded:\nmatrix labels:\nadvice friendship\ndata:\n"
                 "ann bob 1\nbob carl 2\n!\ncarl ann\n",
                 {"0100 0010 0000 0000", "0000 0000 1000 0000"}, {"ann", "bob", "carl", "4"}, {"advice", "friendship"}},
        ReadCase{"EdgeListLabelsAndNumbers",
                 "DL n=3, nm=2, format=edgelist1\nlabels:\n\"carl d\",ann,bob\nmatrix labels:\nx,y\ndata:\n"
                 "1 2 1\n\"carl d\" bob 1\n!\n3 ann 1\n",
                 {"011 000 000", "000 000 010"}, {"carl d", "ann", "bob"}, {"x", "y"}},
        ReadCase{"EdgeListRepeatedPairKeepsTheTie", "dl n=2 format=el1\ndata:\n1 2 1\n1 2 0\n", {"01 00"}},
        ReadCase{"EdgeListLastMatrixEmpty", "dl n=2 nm=2 format=el1\ndata:\n1 2\n!\n", {"01 00", "00 00"}},
        ReadCase{"NodeListEmbedded", "dl n=4 format=nodelist1\nlabels embedded\ndata:\nann bob carl\nbob ann\ndan\n",
                 {"0110 1000 0000 0000"}, {"ann", "bob", "carl", "dan"}},
        ReadCase{"NodeListNumberedTwoMatrices", "dl n=3 nm=2 format=nl1\ndata:\n1 2 3\n!\n3 1\n",
                 {"011 000 000", "000 000 100"}}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

struct MalformedCase {
  const char* name;
  std::string text;
  int line;
  std::string reason;  // a distinctive part of it
};

class DlMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(DlMalformed, IsRefusedAtItsLine) {
  const MalformedCase& c = GetParam();
  TieRule ties;
  try {
    ReadDl(c.text, ties);
    ADD_FAILURE() << "read";
  } catch (const InputError& error) {
    EXPECT_EQ(error.Line(), c.line) << error.what();
    EXPECT_THAT(error.what(), HasSubstr(c.reason));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DlMalformed,
    ::testing::Values(
        MalformedCase{"TwoModeCounts", "dl nr=2, nc=3\ndata:\n", 1, "two-mode data, which cannot be analysed"},
        MalformedCase{"TwoModeFormat", "dl n=2\nformat nodelist2\n", 2, "format = nodelist2 gives two-mode data"},
        MalformedCase{"UnknownFormat", "dl n=2\nformat blockmatrix\ndata:\n", 2, "format \"blockmatrix\" is not read"},
        MalformedCase{"DiagonalNeitherPresentNorAbsent", "dl n=2 diagonal = maybe\ndata:\n", 1, "not \"maybe\""},
        MalformedCase{"CountGivenTwice", "dl n=2\nn=3\ndata:\n", 2, "n is given twice"},
        MalformedCase{"KeywordWithoutValue", "dl n=", 1, "a value expected after \"n =\""},
        MalformedCase{"MarkWhereKeywordExpected", "dl n=2 = 3\n", 1, "\"=\" where a keyword is expected"},
        MalformedCase{"TooFewMatrixLabels", "dl n=2 nm=3\nmatrix labels: a b\ndata:\n", 3,
                      "matrix labels: 3 labels expected, 2 found"},
        MalformedCase{"LabelsListStopsAtKeyword", "dl n=3\nlabels: a b\nformat = fm\ndata:\n", 3,
                      "labels: 3 labels expected, 2 found"},
        MalformedCase{"RowAndColumnLabelsDiffer", "dl n=3\nrow labels: a b c\ncolumn labels:\na x c\ndata:\n", 4,
                      "column label 2 is \"x\", row label 2 \"b\""},
        MalformedCase{"LabelNamesTwoActors", "dl n=3\nlabels: a b a\ndata:\n", 2, "the label \"a\" names actors 1 and 3"},
        MalformedCase{"RowLineTooShort", "dl n=3 nm=2\ndata:\n0 1 0\n1 0 0\n0 0 0\n0 1 0\n1 0\n0 0 0\n", 7,
                      "matrix 2, row 2: 3 values expected, 2 found"},
        MalformedCase{"HalfRowLineTooLong", "dl n=3 format=lh\ndata:\n0\n1 0 1\n0 1 1\n", 4,
                      "matrix 1, row 2: 2 values expected, 3 found"},
        MalformedCase{"HalfDataEnds", "dl n=3 format=lh diagonal=absent\ndata:\n1\n", 3,
                      "the data ends in matrix 1, row 3, column 1: nm = 1 lower halves of 3 x 3 matrices expected "
                      "(the diagonal absent)"},
        MalformedCase{"HalfTooMuchData", "dl n=2 format=uh\ndata:\n0 1\n0\n1\n", 5,
                      "more data than nm = 1 upper halves of 2 x 2 matrices"},
        MalformedCase{"SeparatorInsideMatrix", "dl n=2 nm=2\ndata:\n0 1\n!\n1 0\n", 4, "\"!\" inside matrix 1, at row 2"},
        MalformedCase{"SeparatorAfterLastMatrix", "dl n=1\ndata:\n1\n!\n", 4, "after the last of nm = 1 matrices"},
        MalformedCase{"EmbeddedColumnDiffersInSecondMatrix", "dl n=2 nm=2\nlabels embedded\ndata:\na b\na 0 1\nb 0 0\na c\n",
                      7, "matrix 2: column 2 is labelled \"c\", but actor 2 is \"b\""},
        MalformedCase{"EmbeddedRowDiffersInSecondMatrix", "dl n=2 nm=2\nrow labels embedded\ndata:\na 0 1\nb 0 0\na 0 0\nc 1 0\n",
                      7, "matrix 2: row 2 is labelled \"c\", but actor 2 is \"b\""},
        MalformedCase{"NotADecimalNumber", "dl n=2\ndata:\n0 1\n0x1 nan\n", 4, "\"0x1\" is not a number"},
        MalformedCase{"NegativeValueGoesThroughTheTieRule", "dl n=2 format=el1\ndata:\n1 2 -1\n", 3, "the negative value -1"},
        MalformedCase{"EdgeListActorNotAmongLabels", "dl n=2 format=edgelist1\nlabels: ann bob\ndata:\nann bob\nbob zed\n", 5,
                      "actor \"zed\" is neither among the labels nor a number from 1 to n = 2"},
        MalformedCase{"EdgeListEmbeddedNumberNotALabel", "dl n=2 format=el1\nlabels: ann bob\nlabels embedded:\ndata:\nann 2\n",
                      5, "actor \"2\" is not among the labels"},
        MalformedCase{"EdgeListNumberBeyondN", "dl n=3 format=el1\ndata:\n1 4\n", 3, "actor \"4\" is not a number from 1 to n = 3"},
        MalformedCase{"EdgeListNumberAndLabelDisagree", "dl n=2 format=el1\nlabels: 2 1\ndata:\n1 2\n", 4,
                      "actor \"1\" is ambiguous: the label of actor 2 and the number of actor 1"},
        MalformedCase{"EdgeListMoreEmbeddedLabelsThanN", "dl n=2 format=el1 labels embedded data:\na b\nb c\n", 3,
                      "actor \"c\" would be actor 3, but n = 2"},
        MalformedCase{"EdgeListFieldCount", "dl n=2 format=el1\ndata:\n1 2 1 1\n", 3, "4 fields found"},
        MalformedCase{"EdgeListBadValue", "dl n=2 format=el1\ndata:\n1 2 strong\n", 3, "\"strong\" is not a number"},
        MalformedCase{"EdgeListMatricesNotSeparated", "dl n=2 nm=2 format=el1\ndata:\n1 2\n2 1\n", 4,
                      "the data holds 1 of nm = 2 matrices"},
        MalformedCase{"EdgeListMoreMatricesThanNm", "dl n=2 format=el1\ndata:\n1 2\n!\n2 1\n", 4,
                      "a \"!\" starts matrix 2, but nm = 1"},
        MalformedCase{"EdgeListSeparatorInALine", "dl n=2 format=el1\ndata:\n1 2 !\n", 3, "a line of its own"},
        MalformedCase{"NodeListSelfTieDiagonalAbsent", "dl n=2 format=nl1 diagonal absent\ndata:\n1 2 1\n", 3,
                      "a tie of actor 1 to itself, but the diagonal is absent"}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

struct RecognitionCase {
  const char* name;
  std::string text;
  bool dl;
};

class DlRecognition : public ::testing::TestWithParam<RecognitionCase> {};

TEST_P(DlRecognition, TellsAHeaderFromALabelLine) { EXPECT_EQ(LooksLikeDl(GetParam().text), GetParam().dl); }

INSTANTIATE_TEST_SUITE_P(
    Formats, DlRecognition,
    ::testing::Values(RecognitionCase{"CountWithoutEquals", "dl n 5, nm 2, format edgelist1\ndata:\n", true},
                      RecognitionCase{"FormatWithoutEquals", "DL FORMAT NL1 N 3\n", true},
                      RecognitionCase{"CountOnTheNextLine", "Dl\nNM = 2 n = 3\n", true},
                      RecognitionCase{"TwoModeIsRecognisedToBeRefused", "dl nr 3 nc 4\n", true},
                      RecognitionCase{"CountThenWords", "DL n 16 families\n16 2\n", false},
                      RecognitionCase{"KeywordThenWords", "dl n of the schools\n5 1\n", false},
                      RecognitionCase{"FormatThenWords", "dl format of the data\n5 1\n", false},
                      RecognitionCase{"ValueOnTheNextLine", "dl n\n5 1\n", false},
                      RecognitionCase{"NoKeyword", "dl\n5 1\n", false}),
    [](const ::testing::TestParamInfo<RecognitionCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorel
