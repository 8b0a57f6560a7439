// Every storage request with a failure path of its own, made to fail, shows that path's
// messages and ends the run the way that path ends it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

struct StorageCase {
  const char* name;
  StorageKind kind;
  std::uint32_t nth;
  bool fatal;
  std::vector<std::string> messages;  // the whole message list
  std::string errors;
  std::string data = "label\n2 2 1\n0 1\n0 1 0 0\n0 0 1 0\n";
  AnalysisOptions options = {};
};

AnalysisOptions With(int transposes, int max_word_length) {
  AnalysisOptions options;
  options.m_Transposes = transposes;
  options.m_MaxWordLength = max_word_length;
  return options;
}

// A transposition and a 5-cycle: all 120 permutations of five actors.
const char* const kSymmetricGroup =
    "label\n5 2\n0 1 0 0 0 1 0 0 0 0 0 0 1 0 0 0 0 0 1 0 0 0 0 0 1\n"
    "0 1 0 0 0 0 0 1 0 0 0 0 0 1 0 0 0 0 0 1 1 0 0 0 0\n";

class StorageFailure : public ::testing::TestWithParam<StorageCase> {};

TEST_P(StorageFailure, TakesItsOwnPath) {
  const StorageCase& c = GetParam();
  const testing::RunCapture run =
      testing::RunOnText(c.data, c.options, [&](AnalysisState& state) { state.Storage.FailAt(c.kind, c.nth); });
  EXPECT_EQ(run.fatal, c.fatal);
  EXPECT_THAT(run.messages, ElementsAreArray(c.messages));
  EXPECT_EQ(run.errors, c.errors);
}

const std::vector<std::string> kHelp = {
    "Required data format -",
    "  <label line>  - one complete line",
    "  <N> <NR> {ND} - N=matrix dimension NR=number of relations",
    "    ND=non-directionality flag. All on one line.",
    "    N and NR must be integers > 0. ND is optional.",
    "    ND - 0 or blank = no non-directionality vector.",
    "    ND - 1 or anything else = non-directionality vector present.",
    "  {non-directionality vector} - free format, optional. NR - 0 / 1 values",
    "    corresponding to the NR relations.",
    "    0=directional 1=non-directional",
    "  <binary relations> - free format.  NR - N x N binary matrices.",
    "    Separators between elements, and between matrices are optional."};

std::vector<std::string> WithHelp(std::vector<std::string> lines) {
  lines.insert(lines.end(), kHelp.begin(), kHelp.end());
  return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, StorageFailure,
    ::testing::Values(
        StorageCase{"MatrixList", StorageKind::kMatrixList, 1, false,
                    {"ERROR: Unable to allocate space for matrix list", "", "QUOREL complete."}, ""},
        StorageCase{"FirstInputMatrix", StorageKind::kMatrixSlot, 1, false,
                    {"ERROR: Unable to allocate space for input matrix ", "#1", "", "QUOREL complete."}, ""},
        StorageCase{"Ident", StorageKind::kIdent, 1, false,
                    {"ERROR: Unable to allocate space for program ", "variable 'ident'", "", "QUOREL complete."}, ""},
        StorageCase{"SpareWhileReading", StorageKind::kMatrixSlot, 2, false, {"QUOREL complete."},
                    "ERROR: Unable to allocate space for matrix #1\n"},
        StorageCase{"NonDirectionalityVector", StorageKind::kNdi, 1, true, WithHelp({}),
                    "ERROR: Unable to allocate memory for Non-Directionality Indicator vector - NDI\nABORT QUOREL\n"},
        StorageCase{"EdgeTable", StorageKind::kWorkingRecords, 1, true, {},
                    "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for edge table\n"},
        StorageCase{"MultiplicationTable", StorageKind::kMultTable, 1, true, {},
                    "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Multiplication Table\n"},
        StorageCase{"WordTable", StorageKind::kWordTable, 1, true, {},
                    "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Word Table\n"},
        StorageCase{"PartialOrder", StorageKind::kPartialOrder, 1, true, {},
                    "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Partial Order Table\n"},
        StorageCase{"SpareWhileBuildingTheSemigroup", StorageKind::kMatrixSlot, 4, true, {},
                    "ERROR: Unable to allocate space for matrix #3\nABORT QUOREL\n"},
        StorageCase{"GrowingTheListWhileBuilding", StorageKind::kMatrixList, 2, true, {},
                    "ERROR: Unable to allocate space for matrix list\nABORT QUOREL\n", kSymmetricGroup,
                    With(0, 20)},
        StorageCase{"TransposeSpare", StorageKind::kMatrixSlot, 3, true, {},
                    "ERROR: Unable to allocate space for matrix #2\nABORT QUOREL\n",
                    "label\n2 1\n0 1 0 0\n", With(1, 2)}),
    [](const ::testing::TestParamInfo<StorageCase>& info) { return std::string(info.param.name); });

TEST(StorageFailure, FatalErrorKeepsWhatTheReportHolds) {
  const testing::RunCapture run = testing::RunOnText("label\n2 1\n0 1 0 0\n", {}, [](AnalysisState& state) {
    state.Storage.FailAt(StorageKind::kMultTable, 1);
  });
  EXPECT_TRUE(run.fatal);
  EXPECT_THAT(run.report, HasSubstr("EXCLUDE diagonal for GENERATORS only\n\n"));
}

}  // namespace
}  // namespace quorel
