// The data file reader: how malformed data ends the run (and is refused to the library), and
// the liberties of the format (flags, separators, line ends, long labels) that must read as
// the plain form. The golden reports pin normal reading byte for byte.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/error.hpp"
#include "core/message_list.hpp"
#include "formats/data_reader.hpp"
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

// A malformed data file: the message list lines before the format help, and the diagnostics
// text before "ABORT QUOREL".
struct MalformedCase {
  const char* name;
  std::string data;
  std::vector<std::string> messages;
  std::string errors = "";
};

void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.name; }

class MalformedData : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedData, ShowsItsMessagesThenTheFormatHelpAndAborts) {
  const MalformedCase& c = GetParam();
  AnalysisOptions as_data;
  as_data.DataFormat = InputFormat::kData;
  const RunCapture run = RunOnText(c.data, as_data);
  EXPECT_TRUE(run.fatal);
  EXPECT_EQ(run.code, 1);
  MessageList expected;
  for (const std::string& line : c.messages) expected.AddStatusMessage(line);
  ShowFormatHelp(expected);
  EXPECT_EQ(run.messages, expected.Lines());
  EXPECT_EQ(run.errors, c.errors + "ABORT QUOREL\n");

  // Read as a library, the data is refused with the same reason, and nothing is shown.
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("in.dat"), c.data);
  std::string reason;
  for (const std::string& line : c.messages) reason += line.empty() ? "" : line + "\n";
  try {
    ReadNetworkFile(dir.File("in.dat"), InputFormat::kData);
    ADD_FAILURE() << "read";
  } catch (const Error& refused) {
    EXPECT_EQ(refused.code(), 1);
    EXPECT_EQ(std::string(refused.what()), reason + c.errors);
  }
}

const std::vector<std::string> kNoArguments = {"ERROR: Could not read arguments", ""};
const std::vector<std::string> kRange = {"ERROR: Incorrect input - range error in matrix dimension",
                                         "  and/or number of relations."};
const char* const kFirstShort = "ERROR: input matrix 1 not of dimension 2 x 2\n";
INSTANTIATE_TEST_SUITE_P(
    Reader, MalformedData,
    ::testing::Values(
        MalformedCase{"EndOfFileRightAfterLabel", "no line end", {"ERROR: Unexpected End_Of_File after label"}},
        MalformedCase{"SingleHeaderToken", "label\n5\n", kNoArguments},
        MalformedCase{"NoHeaderLine", "label\n   \n\t\n", kNoArguments},
        MalformedCase{"LettersInHeader", "label\nfive three\n", kNoArguments},
        MalformedCase{"ZeroActors", "label\n0 2\n", kRange},
        MalformedCase{"NegativeRelations", "label\n3 -1\n", kRange},
        MalformedCase{"ActorsBeyond16Bits", "label\n40000 1\n", kRange},
        MalformedCase{"HeaderBeyondLongRange", "label\n99999999999999999999999 1\n", kRange},
        MalformedCase{"TooManyActorsForSixteenBitCounts", "label\n182 1\n",
                      {"ERROR: Matrix dimension 182 is too large - N x N may not exceed 32767 (N at most 181)."}},
        MalformedCase{"VectorEndsEarly", "label\n2 3 1\n1 0", {},
                      "ERROR: EOF found before the 3 values of the Non-Directionality Indicator\n"
                      "\tvector could be read.\n"},
        MalformedCase{"LetterInVector", "label\n2 3 1\n1 x 0 1\n", {},
                      "ERROR: alphabetic character found in the Non-Directionality Indicator vector\n"},
        MalformedCase{"MatrixOneDigitShortBeforeNextLabel", "label\n2 1\n0 1\n1\nnext\n2 1\n0 0 0 0\n", {},
                      kFirstShort},
        MalformedCase{"SecondMatrixTruncated", "label\n2 2\n0 1 1 0\n0 1\n", {},
                      "ERROR: input matrix 2 not of dimension 2 x 2\n"},
        MalformedCase{"LetterInsideMatrix", "label\n2 1\n0 1 x 1 0\n", {}, kFirstShort}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

// Recognised by content, a file none of the other layouts fits and whose outline is not a
// data file's says why each layout was ruled out, between the reader's words and "ABORT
// QUOREL"; its message list is the data reader's.
TEST(MalformedData, RecognisedByContentSaysWhyNoOtherLayoutFits) {
  const struct {
    const char* data;
    const char* dl_reason;
  } cases[] = {{"*Vertex 3\n*Arcs\n", "the first word is not \"dl\""},
               {"DL is what we call it\nsecond line\n", "\"dl\" is not followed by a header such as \"n = 5\""}};
  for (const auto& c : cases) {
    const RunCapture run = RunOnText(c.data);
    EXPECT_TRUE(run.fatal);
    EXPECT_THAT(run.messages, Contains("ERROR: Could not read arguments"));
    EXPECT_THAT(run.errors, HasSubstr(".dat was read as a data file: it is not DL (" + std::string(c.dl_reason) +
                                      "), Pajek (no \"*Vertices\" line first), GraphML (no <graphml> root element) "
                                      "or CSV ("));
    EXPECT_THAT(run.errors, ::testing::StartsWith("NOTE: "));
    EXPECT_THAT(run.errors, ::testing::EndsWith("\nABORT QUOREL\n"));
  }
}

TEST(Reader, EmptyOrBlankDataFileCompletesWithEmptyReport) {
  for (const char* data : {"", "  \n\t\r\n\n"}) {
    const RunCapture run = RunOnText(data);
    EXPECT_FALSE(run.fatal);
    EXPECT_THAT(run.messages, ElementsAre("EMPTY DATA FILE", "QUOREL complete."));
    EXPECT_EQ(run.report, "");
  }
}

// Problems are numbered in file order; a malformed later one keeps the earlier reports and
// aborts with the reader's message.
TEST(Reader, LaterProblemsAreNumberedOrAbortAfterTheEarlierReports) {
  const RunCapture run = RunOnText("first\n1 1\n0\nsecond\n1 1\n1\nthird\n1 1\n0\n");
  EXPECT_EQ(run.messages.back(), "QUOREL complete.");
  EXPECT_THAT(run.messages, Not(Contains("EMPTY DATA FILE")));
  for (const char* header : {"#1 :\nfirst\n\n", "#2 :\nsecond\n\n", "#3 :\nthird\n\n"}) {
    EXPECT_THAT(run.progress, HasSubstr(std::string("\nPROBLEM SPECIFICATION ") + header));
  }
  const RunCapture malformed = RunOnText("first\n1 1\n0\nsecond\n0 1\n");
  EXPECT_TRUE(malformed.fatal);
  EXPECT_EQ(malformed.report, RunOnText("first\n1 1\n0\n").report);
  EXPECT_THAT(malformed.messages, Contains("ERROR: Incorrect input - range error in matrix dimension"));
  EXPECT_EQ(malformed.errors, "ABORT QUOREL\n");
}

std::string WithCarriageReturns(const std::string& data) {
  std::string crlf;
  for (char ch : data) crlf += ch == '\n' ? "\r\n" : std::string(1, ch);
  return crlf;
}

// Data written another way that must read as the plain form: the same report and progress,
// and exactly `errors` on the diagnostics channel.
struct SameAsCase {
  const char* name;
  std::string data;
  std::string plain;
  std::string errors = "";
};

void PrintTo(const SameAsCase& c, std::ostream* os) { *os << c.name; }

class ReadsAsThePlainForm : public ::testing::TestWithParam<SameAsCase> {};

TEST_P(ReadsAsThePlainForm, GivesItsReport) {
  const SameAsCase& c = GetParam();
  const RunCapture run = RunOnText(c.data);
  const RunCapture plain = RunOnText(c.plain);
  ASSERT_FALSE(plain.fatal) << plain.errors;
  EXPECT_FALSE(run.fatal);
  EXPECT_EQ(run.report, plain.report);
  EXPECT_EQ(run.progress, plain.progress);
  EXPECT_EQ(run.errors, c.errors);
}

// The header's flag: absent, 0 or starting with 0 means no vector, anything else a vector; the
// counts are taken to 16 bits.
const std::string kThree = "\n1 0 1\n";
const std::string kLabel80(80, 'a');
INSTANTIATE_TEST_SUITE_P(
    Reader, ReadsAsThePlainForm,
    ::testing::Values(SameAsCase{"FlagZero", "label\n1 3 0" + kThree, "label\n1 3" + kThree},
                      SameAsCase{"FlagStartingWithZero", "label\n1 3 0x" + kThree, "label\n1 3" + kThree},
                      SameAsCase{"FlagLetter", "label\n1 3 x\n1 1 1" + kThree, "label\n1 3 1\n1 1 1" + kThree},
                      SameAsCase{"FlagTen", "label\n1 3 10\n1 1 1" + kThree, "label\n1 3 1\n1 1 1" + kThree},
                      SameAsCase{"ActorsTakenTo16Bits", "label\n65537 3" + kThree, "label\n1 3" + kThree},
                      SameAsCase{"BlanksAndTabsInHeader", "label\n   1\t3  " + kThree, "label\n1 3" + kThree},
                      SameAsCase{"SeparatorsAndOtherDigitsSkipped", "label\n3 1\n0,1;0/ 0 2 0 9 1\n1, 0, 0\n",
                                 "label\n3 1\n010 001 100\n"},
                      SameAsCase{"NulBytesSkipped", std::string("label\n2 1\n0\0 1\n1 0\n", 19),
                                 "label\n2 1\n0 1\n1 0\n"},
                      SameAsCase{"TextAfterLastDigitIsNextLabel", "first\n1 1\n0 second label\n1 1\n1\n",
                                 "first\n1 1\n0\nsecond label\n1 1\n1\n"},
                      SameAsCase{"CarriageReturns", WithCarriageReturns(testing::ExampleNetwork("bank_wiring.dat")),
                                 testing::ExampleNetwork("bank_wiring.dat")},
                      SameAsCase{"LabelOf80Kept", kLabel80 + "\r\n1 1\n0\n", kLabel80 + "\n1 1\n0\n"},
                      SameAsCase{"LabelOf81Cut", kLabel80 + "b\r\n1 1\n0\n", kLabel80 + "\n1 1\n0\n",
                                 "WARNING: Label line truncated after 80 characters\n"}),
    [](const ::testing::TestParamInfo<SameAsCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorel
