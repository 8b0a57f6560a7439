// The DL reader on small texts of every layout: the network each gives, cell by cell, and
// the line and reason of each malformed one. Which texts are DL at all is tested with the
// other layouts' recognition.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/dl_reader.hpp"
#include "formats/reader_cases.hpp"

namespace quorel {
namespace {

using testing::ReadCase;
using testing::Refusal;

const std::vector<std::uint8_t> kHalf = {1}, kHalves = {1, 1};  // every relation non-directional

class DlRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(DlRead, GivesTheNetwork) {
  TieRule ties;
  EXPECT_EQ(ReadDl(GetParam().text, ties), GetParam().network);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DlRead,
    ::testing::Values(
        ReadCase{"FullMatrixLabelsAndDiagonalAfterFormat",
                 "dl n = 3\nformat = fullmatrix diagonal present\nlabels:\na,b,c\ndata:\n0 1 0\n1 0 0\n0 0 0\n",
                 Net(3, {"010 100 000"}, {"a", "b", "c"})},
        ReadCase{"HeaderWithoutEquals", "DL N 3 NM 1 FORMAT FM DIAGONAL ABSENT\nDATA\n1 0\n0 1\n1 1\n", Net(3, {"010 001 110"})},
        ReadCase{"WrappedRowsAreReadAsTheyCome", "dl n=3\ndata:\n0 1 0 1\n0 0 1 1 0\n", Net(3, {"010 100 110"})},
        ReadCase{"TwoMatricesWithoutSeparator", "dl n = 2, nm = 2\nformat = fullmatrix\ndata:\n1 0\n0 0\n0 0\n0 1\n",
                 Net(2, {"10 00", "00 01"})},
        ReadCase{"DecimalsExponentsAndCrLf", "dl n=2\r\ndata:\r\n0 1e0\r\n-0.0 .5\r\n", Net(2, {"01 01"})},
        ReadCase{"QuotedRowAndColumnLabelsAgree", "dl n=2\nrow labels: 'carl d' ann\ncolumn labels: \"carl d\", ann\ndata: 0 1 1 0",
                 Net(2, {"01 10"}, {"carl d", "ann"})},
        ReadCase{"ColumnLabelsOnly", "dl n=2 column labels: p q data: 1 0 0 0", Net(2, {"10 00"}, {"p", "q"})},
        ReadCase{"RowLabelsEmbeddedOnlyAndSeparator", "dl n=2 nm=2\nrow labels embedded:\ndata:\np 0 1\nq 1 0\n!\np 1 1\nq 0 0\n",
                 Net(2, {"01 10", "11 00"}, {"p", "q"})},
        ReadCase{"ColumnLabelsEmbeddedOnly", "dl n=2\ncolumn labels embedded\ndata:\np q\n0 1\n0 0\n", Net(2, {"01 00"}, {"p", "q"})},
        ReadCase{"GivenLabelsRepeatedEmbedded", "dl n=2\nlabels: a b\nlabels embedded\ndata:\na b\na 0 1\nb 0 0\n",
                 Net(2, {"01 00"}, {"a", "b"})},
        ReadCase{"LowerHalf", "dl n=3 format=lowerhalf\ndata:\n0\n1 0\n0 1 1\n", Net(3, {"010 101 011"}, {}, {}, kHalf)},
        ReadCase{"UpperHalfDiagonalAbsentLastRowEmpty", "dl n=3 format uh diagonal absent\ndata:\n1 0\n1\n",
                 Net(3, {"010 101 010"}, {}, {}, kHalf)},
        ReadCase{"LowerHalvesLevelLabelsSeparator",
                 "dl n=3 nm=2 format=lh diagonal=absent\nlevel labels: x y\ndata:\n1\n0 1\n!\n0\n1 0\n",
                 Net(3, {"010 101 010", "001 000 100"}, {}, {"x", "y"}, kHalves)},
        ReadCase{"LowerHalfEmbedded", "dl n=3 format=lowerhalf\nlabels embedded\ndata:\na b c\na 0\nb 1 0\nc 0 1 0\n",
                 Net(3, {"010 101 010"}, {"a", "b", "c"}, {}, kHalf)},
        ReadCase{"EdgeListNumberedValued", "dl n=3 format=edgelist1\ndata:\n1 2\n2 3 0\n3 1 2.5\n", Net(3, {"010 000 100"})},
        ReadCase{"EdgeListEmbeddedInOrderOfAppearance",
                 "DL n=4, nm=2, format=edgelist1\nlabels embedded:\nmatrix labels:\nadvice friendship\ndata:\n"
                 "ann bob 1\nbob carl 2\n!\ncarl ann\n",
                 Net(4, {"0100 0010 0000 0000", "0000 0000 1000 0000"}, {"ann", "bob", "carl", "4"}, {"advice", "friendship"})},
        ReadCase{"EdgeListLabelsAndNumbers",
                 "DL n=3, nm=2, format=edgelist1\nlabels:\n\"carl d\",ann,bob\nmatrix labels:\nx,y\ndata:\n"
                 "1 2 1\n\"carl d\" bob 1\n!\n3 ann 1\n",
                 Net(3, {"011 000 000", "000 000 010"}, {"carl d", "ann", "bob"}, {"x", "y"})},
        ReadCase{"EdgeListRepeatedPairKeepsTheTie", "dl n=2 format=el1\ndata:\n1 2 1\n1 2 0\n", Net(2, {"01 00"})},
        ReadCase{"EdgeListLastMatrixEmpty", "dl n=2 nm=2 format=el1\ndata:\n1 2\n!\n", Net(2, {"01 00", "00 00"})},
        ReadCase{"NodeListEmbedded", "dl n=4 format=nodelist1\nlabels embedded\ndata:\nann bob carl\nbob ann\ndan\n",
                 Net(4, {"0110 1000 0000 0000"}, {"ann", "bob", "carl", "dan"})},
        ReadCase{"NodeListNumberedTwoMatrices", "dl n=3 nm=2 format=nl1\ndata:\n1 2 3\n!\n3 1\n",
                 Net(3, {"011 000 000", "000 000 100"})}),
    testing::CaseName<ReadCase>);

class DlMalformed : public ::testing::TestWithParam<Refusal> {};

TEST_P(DlMalformed, IsRefusedAtItsLine) {
  TieRule ties;
  testing::ExpectRefused(GetParam(), [&] { ReadDl(GetParam().text, ties); });
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DlMalformed,
    ::testing::Values(
        Refusal{"NoKeyword", "label\n2 1\n0 1 1 0\n", 1, "no \"dl\" keyword"},
        Refusal{"TooManyActors", "dl n=182\ndata:\n", 1, "n = 182 is too large: at most 181 actors (N x N may not exceed 32767)"},
        Refusal{"NoActors", "dl n=0\ndata:\n", 1, "n must be a whole number above 0, not \"0\""},
        Refusal{"TwoModeCounts", "dl nr=2, nc=3\ndata:\n", 1, "two-mode data, which cannot be analysed"},
        Refusal{"TwoModeFormat", "dl n=2\nformat nodelist2\n", 2, "format = nodelist2 gives two-mode data"},
        Refusal{"UnknownFormat", "dl n=2\nformat blockmatrix\ndata:\n", 2, "format \"blockmatrix\" is not read"},
        Refusal{"UnknownKeyword", "dl n=2\nlevel = 3\ndata:\n", 2, "unknown keyword \"level\""},
        Refusal{"NoDataSection", "dl n=2\nlabels:\na b\n", 3, "no \"data:\" section"},
        Refusal{"DiagonalNeitherPresentNorAbsent", "dl n=2 diagonal = maybe\ndata:\n", 1, "not \"maybe\""},
        Refusal{"CountGivenTwice", "dl n=2\nn=3\ndata:\n", 2, "n is given twice"},
        Refusal{"KeywordWithoutValue", "dl n=", 1, "a value expected after \"n =\""},
        Refusal{"MarkWhereKeywordExpected", "dl n=2 = 3\n", 1, "\"=\" where a keyword is expected"},
        Refusal{"QuoteNotClosed", "dl n=2\nlabels: \"a b\ndata:\n", 2, "a quoted label is not closed"},
        Refusal{"LabelsListStopsAtKeyword", "dl n=3\nlabels: a b\nformat = fm\ndata:\n", 3, "labels: 3 labels expected, 2 found"},
        Refusal{"RowAndColumnLabelsDiffer", "dl n=3\nrow labels: a b c\ncolumn labels:\na x c\ndata:\n", 4,
                "column label 2 is \"x\", row label 2 \"b\""},
        Refusal{"LabelNamesTwoActors", "dl n=3\nlabels: a b a\ndata:\n", 2, "the label \"a\" names actors 1 and 3"},
        Refusal{"RowLineTooShort", "dl n=3 nm=2\ndata:\n0 1 0\n1 0 0\n0 0 0\n0 1 0\n1 0\n0 0 0\n", 7,
                "matrix 2, row 2: 3 values expected, 2 found"},
        Refusal{"HalfRowLineTooLong", "dl n=3 format=lh\ndata:\n0\n1 0 1\n0 1 1\n", 4, "matrix 1, row 2: 2 values expected, 3 found"},
        Refusal{"HalfDataEnds", "dl n=3 format=lh diagonal=absent\ndata:\n1\n", 3,
                "the data ends in matrix 1, row 3, column 1: nm = 1 lower halves of 3 x 3 matrices expected (the diagonal absent)"},
        Refusal{"TooMuchData", "dl n=2\ndata:\n0 1\n1 0\n1\n", 5, "more data than nm = 1 matrices of n x n = 2 x 2 values"},
        Refusal{"HalfTooMuchData", "dl n=2 format=uh\ndata:\n0 1\n0\n1\n", 5, "more data than nm = 1 upper halves of 2 x 2 matrices"},
        Refusal{"SeparatorInsideMatrix", "dl n=2 nm=2\ndata:\n0 1\n!\n1 0\n", 4, "\"!\" inside matrix 1, at row 2"},
        Refusal{"SeparatorAfterLastMatrix", "dl n=1\ndata:\n1\n!\n", 4, "after the last of nm = 1 matrices"},
        Refusal{"EmbeddedRowDiffersFromItsColumn", "dl n=2\nlabels embedded\ndata:\na b\na 0 1\nc 0 0\n", 6,
                "matrix 1: row 2 is labelled \"c\", its column \"b\""},
        Refusal{"EmbeddedColumnDiffersInSecondMatrix", "dl n=2 nm=2\nlabels embedded\ndata:\na b\na 0 1\nb 0 0\na c\n", 7,
                "matrix 2: column 2 is labelled \"c\", but actor 2 is \"b\""},
        Refusal{"EmbeddedRowDiffersInSecondMatrix", "dl n=2 nm=2\nrow labels embedded\ndata:\na 0 1\nb 0 0\na 0 0\nc 1 0\n", 7,
                "matrix 2: row 2 is labelled \"c\", but actor 2 is \"b\""},
        Refusal{"NotADecimalNumber", "dl n=2\ndata:\n0 1\n0x1 nan\n", 4, "\"0x1\" is not a number"},
        Refusal{"NegativeValueGoesThroughTheTieRule", "dl n=2 format=el1\ndata:\n1 2 -1\n", 3, "the negative value -1"},
        Refusal{"EdgeListActorNotAmongLabels", "dl n=2 format=edgelist1\nlabels: ann bob\ndata:\nann bob\nbob zed\n", 5,
                "actor \"zed\" is neither among the labels nor a number from 1 to n = 2"},
        Refusal{"EdgeListEmbeddedNumberNotALabel", "dl n=2 format=el1\nlabels: ann bob\nlabels embedded:\ndata:\nann 2\n", 5,
                "actor \"2\" is not among the labels"},
        Refusal{"EdgeListNumberBeyondN", "dl n=3 format=el1\ndata:\n1 4\n", 3, "actor \"4\" is not a number from 1 to n = 3"},
        Refusal{"EdgeListNumberAndLabelDisagree", "dl n=2 format=el1\nlabels: 2 1\ndata:\n1 2\n", 4,
                "actor \"1\" is ambiguous: the label of actor 2 and the number of actor 1"},
        Refusal{"EdgeListMoreEmbeddedLabelsThanN", "dl n=2 format=el1 labels embedded data:\na b\nb c\n", 3,
                "actor \"c\" would be actor 3, but n = 2"},
        Refusal{"EdgeListFieldCount", "dl n=2 format=el1\ndata:\n1 2 1 1\n", 3, "4 fields found"},
        Refusal{"EdgeListMatricesNotSeparated", "dl n=2 nm=2 format=el1\ndata:\n1 2\n2 1\n", 4, "the data holds 1 of nm = 2 matrices"},
        Refusal{"EdgeListMoreMatricesThanNm", "dl n=2 format=el1\ndata:\n1 2\n!\n2 1\n", 4, "a \"!\" starts matrix 2, but nm = 1"},
        Refusal{"EdgeListSeparatorInALine", "dl n=2 format=el1\ndata:\n1 2 !\n", 3, "a line of its own"},
        Refusal{"NodeListSelfTieDiagonalAbsent", "dl n=2 format=nl1 diagonal absent\ndata:\n1 2 1\n", 3,
                "a tie of actor 1 to itself, but the diagonal is absent"}),
    testing::CaseName<Refusal>);

}  // namespace
}  // namespace quorel
