#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/error.hpp"
#include "formats/network_reader.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::RunCapture;
using testing::RunOnText;

const char* const kFormatHelpFirst = "Required data format -";
const char* const kFormatHelpLast = "    Separators between elements, and between matrices are optional.";

// A malformed data file: the message list lines before the format help, the diagnostics
// text, and whether the format help follows.
struct MalformedCase {
  const char* name;
  std::string data;
  std::vector<std::string> messages_before_help;
  std::string errors;
};

class MalformedData : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedData, ShowsItsMessagesThenTheFormatHelpAndAborts) {
  const MalformedCase& c = GetParam();
  const RunCapture run = RunOnText(c.data);
  EXPECT_TRUE(run.fatal);
  EXPECT_EQ(run.code, 1);
  ASSERT_EQ(run.messages.size(), c.messages_before_help.size() + 12) << ::testing::PrintToString(run.messages);
  for (std::size_t k = 0; k < c.messages_before_help.size(); ++k) EXPECT_EQ(run.messages[k], c.messages_before_help[k]);
  EXPECT_EQ(run.messages[c.messages_before_help.size()], kFormatHelpFirst);
  EXPECT_EQ(run.messages.back(), kFormatHelpLast);
  EXPECT_EQ(run.errors, c.errors + "ABORT QUOREL\n");

  // Read as a library, the data is refused with the same reason, and nothing is shown.
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("in.dat"), c.data);
  std::string reason;
  for (const std::string& line : c.messages_before_help) reason += line.empty() ? "" : line + "\n";
  try {
    ReadNetworkFile(dir.File("in.dat"));
    ADD_FAILURE() << "read";
  } catch (const Error& refused) {
    EXPECT_EQ(refused.code(), 1);
    EXPECT_EQ(std::string(refused.what()), reason + c.errors);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Reader, MalformedData,
    ::testing::Values(
        MalformedCase{"EndOfFileRightAfterLabel", "a label without a line end", {"ERROR: Unexpected End_Of_File after label"}, ""},
        MalformedCase{"SingleHeaderToken", "label\n5\n", {"ERROR: Could not read arguments", ""}, ""},
        MalformedCase{"NoHeaderLine", "label\n   \n\t\n", {"ERROR: Could not read arguments", ""}, ""},
        MalformedCase{"LettersInHeader", "label\nfive three\n", {"ERROR: Could not read arguments", ""}, ""},
        MalformedCase{"ZeroActors", "label\n0 2\n",
                      {"ERROR: Incorrect input - range error in matrix dimension", "  and/or number of relations."}, ""},
        MalformedCase{"NegativeRelations", "label\n3 -1\n",
                      {"ERROR: Incorrect input - range error in matrix dimension", "  and/or number of relations."}, ""},
        MalformedCase{"ActorsBeyond16Bits", "label\n40000 1\n",
                      {"ERROR: Incorrect input - range error in matrix dimension", "  and/or number of relations."}, ""},
        MalformedCase{"HeaderBeyondLongRange", "label\n99999999999999999999999 1\n",
                      {"ERROR: Incorrect input - range error in matrix dimension", "  and/or number of relations."}, ""},
        MalformedCase{"TooManyActorsForSixteenBitCounts", "label\n182 1\n",
                      {"ERROR: Matrix dimension 182 is too large - N x N may not exceed 32767 (N at most 181)."}, ""},
        MalformedCase{"VectorEndsEarly", "label\n2 3 1\n1 0",
                      {},
                      "ERROR: EOF found before the 3 values of the Non-Directionality Indicator\n"
                      "\tvector could be read.\n"},
        MalformedCase{"LetterInVector", "label\n2 3 1\n1 x 0 1\n",
                      {},
                      "ERROR: alphabetic character found in the Non-Directionality Indicator vector\n"},
        MalformedCase{"MatrixOneDigitShortBeforeNextLabel", "label\n2 1\n0 1\n1\nnext problem\n2 1\n0 0 0 0\n",
                      {}, "ERROR: input matrix 1 not of dimension 2 x 2\n"},
        MalformedCase{"SecondMatrixTruncated", "label\n2 2\n0 1 1 0\n0 1\n", {},
                      "ERROR: input matrix 2 not of dimension 2 x 2\n"},
        MalformedCase{"LetterInsideMatrix", "label\n2 1\n0 1 x 1 0\n", {},
                      "ERROR: input matrix 1 not of dimension 2 x 2\n"}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

TEST(Reader, EmptyOrBlankDataFileCompletesWithEmptyReport) {
  for (const char* data : {"", "  \n\t\r\n\n"}) {
    const RunCapture run = RunOnText(data);
    EXPECT_FALSE(run.fatal);
    EXPECT_EQ(run.code, 0);
    EXPECT_THAT(run.messages, ElementsAre("EMPTY DATA FILE", "QUOREL complete."));
    EXPECT_EQ(run.report, "");
  }
}

TEST(Reader, ProblemsAreNumberedInFileOrderAndNoEmptyMessageAtTheEnd) {
  const std::string one = "first\n1 1\n0\n";
  const RunCapture run = RunOnText(one + "second\n1 1\n1\nthird\n1 1\n0\n");
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.messages.back(), "QUOREL complete.");
  EXPECT_THAT(run.messages, Not(Contains("EMPTY DATA FILE")));
  EXPECT_THAT(run.progress, HasSubstr("\nPROBLEM SPECIFICATION #1 :\nfirst\n\n"));
  EXPECT_THAT(run.progress, HasSubstr("\nPROBLEM SPECIFICATION #2 :\nsecond\n\n"));
  EXPECT_THAT(run.progress, HasSubstr("\nPROBLEM SPECIFICATION #3 :\nthird\n\n"));
}

// The dimension line shows what the header gave.
std::string DimensionLine(const std::string& report) {
  const auto start = report.find("Dimension = ");
  return report.substr(start, report.find('\n', start) - start);
}

struct HeaderCase {
  const char* header;
  const char* dimension_line;
  const char* directionality;
};

class HeaderLine : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderLine, GivesDimensionsAndVectorFlag) {
  // Three 1 x 1 matrices follow, after the vector "1 1 1" when the flag says one is there.
  const HeaderCase& c = GetParam();
  const bool vector = std::string(c.directionality) != "( All directional )";
  const RunCapture run = RunOnText(std::string("label\n") + c.header + (vector ? "\n1 1 1" : "") + "\n1 0 1\n");
  ASSERT_FALSE(run.fatal) << run.errors;
  EXPECT_EQ(DimensionLine(run.report), c.dimension_line);
  EXPECT_THAT(run.report, HasSubstr(c.directionality));
}

INSTANTIATE_TEST_SUITE_P(
    Reader, HeaderLine,
    ::testing::Values(HeaderCase{"1 3", "Dimension = 1, Transpose = 0, No. of Matrices = 3", "( All directional )"},
                      HeaderCase{"1 3 0", "Dimension = 1, Transpose = 0, No. of Matrices = 3", "( All directional )"},
                      HeaderCase{"1 3 0x", "Dimension = 1, Transpose = 0, No. of Matrices = 3", "( All directional )"},
                      HeaderCase{"1 3 1", "Dimension = 1, Transpose = 0, No. of Matrices = 3", "( All non-directional )"},
                      HeaderCase{"1 3 x", "Dimension = 1, Transpose = 0, No. of Matrices = 3", "( All non-directional )"},
                      HeaderCase{"1 3 10", "Dimension = 1, Transpose = 0, No. of Matrices = 3", "( All non-directional )"},
                      HeaderCase{"65537 3", "Dimension = 1, Transpose = 0, No. of Matrices = 3", "( All directional )"},
                      HeaderCase{"   1\t3  ", "Dimension = 1, Transpose = 0, No. of Matrices = 3", "( All directional )"}));

TEST(Reader, MatrixSeparatorsAndOtherDigitsAreSkipped) {
  const RunCapture bare = RunOnText("label\n3 1\n010 001 100\n");
  const RunCapture separated = RunOnText("label\n3 1\n0,1;0/ 0 2 0 9 1\n1, 0, 0\n");
  ASSERT_FALSE(bare.fatal);
  EXPECT_EQ(bare.report, separated.report);
}

TEST(Reader, CarriageReturnLineEndsReadLikeLineFeeds) {
  const std::string data = testing::ExampleNetwork("bank_wiring.dat");
  std::string crlf;
  for (char ch : data) {
    if (ch == '\n') crlf += '\r';
    crlf += ch;
  }
  const RunCapture unix_run = RunOnText(data);
  const RunCapture dos_run = RunOnText(crlf);
  ASSERT_FALSE(unix_run.fatal);
  EXPECT_EQ(unix_run.report, dos_run.report);
  EXPECT_EQ(unix_run.progress, dos_run.progress);
}

TEST(Reader, LabelOfEightyCharactersIsKeptWhole) {
  const std::string label(80, 'a');
  const RunCapture run = RunOnText(label + "\n1 1\n0\n");
  EXPECT_EQ(run.errors, "");
  EXPECT_THAT(run.report, HasSubstr("\n" + label + "\n"));
}

TEST(Reader, LabelOfEightyOneCharactersIsCutWithWarning) {
  const std::string label = std::string(80, 'a') + "b";
  const RunCapture run = RunOnText(label + "\r\n1 1\n0\n");
  EXPECT_EQ(run.errors, "WARNING: Label line truncated after 80 characters\n");
  EXPECT_THAT(run.report, HasSubstr("\n" + std::string(80, 'a') + "\n"));
  EXPECT_THAT(run.report, Not(HasSubstr("ab")));
}

TEST(Reader, CutLabelRunningToEndOfFileIsUnexpectedEnd) {
  const RunCapture run = RunOnText(std::string(90, 'a'));
  EXPECT_TRUE(run.fatal);
  EXPECT_EQ(run.messages.front(), "ERROR: Unexpected End_Of_File after label");
}

TEST(Reader, TextAfterLastDigitBecomesNextLabel) {
  const RunCapture run = RunOnText("first\n1 1\n0 second label\n1 1\n1\n");
  EXPECT_THAT(run.progress, HasSubstr("\nPROBLEM SPECIFICATION #2 :\nsecond label\n\n"));
}

TEST(Reader, NulBytesInsideMatricesAreSkipped) {
  const RunCapture run = RunOnText(std::string("label\n2 1\n0\0 1\n1 0\n", 19));
  EXPECT_FALSE(run.fatal) << run.errors;
}

TEST(Reader, SecondProblemMalformedKeepsFirstReportAndAborts) {
  const RunCapture first_only = RunOnText("first\n1 1\n0\n");
  const RunCapture run = RunOnText("first\n1 1\n0\nsecond\n0 1\n");
  EXPECT_TRUE(run.fatal);
  EXPECT_EQ(run.report, first_only.report);
  EXPECT_THAT(run.messages, Contains("ERROR: Incorrect input - range error in matrix dimension"));
  EXPECT_EQ(run.errors, "ABORT QUOREL\n");
}

}  // namespace
}  // namespace quorel
