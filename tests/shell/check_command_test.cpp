// "quorel check": what a file holds, and every thing in it that reads without error but was
// probably not meant, at its line; exit 1 exactly when there is something to warn about.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/text_channel.hpp"
#include "shell/check_command.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct CheckCase {
  const char* name;
  const char* text;
  int status;
  std::vector<std::string> said;  // parts of the output, each on its own finding line
  const char* not_said = "warning";
  std::string non_directional = "";
  bool fixed_matrix = false;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class Check : public ::testing::TestWithParam<CheckCase> {};

TEST_P(Check, SaysWhatTheFileHoldsAndWhatLooksUnintended) {
  const CheckCase& c = GetParam();
  testing::ScratchDirectory dir;
  const std::string path = dir.File("net.dat");
  testing::WriteWholeFile(path, c.text);
  TextChannel out;
  CheckRequest request;
  request.paths = {path};
  request.settings.non_directional = c.non_directional;
  request.fixed_matrix = c.fixed_matrix;
  EXPECT_EQ(RunCheck(request, out.File()), c.status);
  const std::string said = out.Text();
  for (const std::string& part : c.said) EXPECT_THAT(said, HasSubstr(part)) << said;
  if (c.status == 0) {
    EXPECT_THAT(said, Not(HasSubstr(c.not_said))) << said;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, Check,
    ::testing::Values(
        CheckCase{"CleanFileDescribesItsProblem", "Two\n2 2 1\n0 1\n0 1\n1 0\n0 1\n1 0\n", 0,
                  {"net.dat: problem 1 \"Two\": 2 actors, 2 relations: 1 directional, 2 non-directional\n"}},
        CheckCase{"IsolatesAreANoteNotAWarning", "Iso\n3 1\n0 1 0\n0 0 0\n0 0 0\n", 0,
                  {"net.dat: note: problem 1: actor 3 has no tie in any relation\n"}},
        CheckCase{"WeightedCellsAreFlaggedAtTheirLine", "Weighted\n3 1\n0 1 0\n3 0 1\n1 1 0.5\n", 1,
                  {"net.dat:4: warning: \"3\" is not a 0/1 digit, and a data file skips it\n",
                   "net.dat:5: warning: \"0.5\" is not a single 0/1 digit: a data file reads it digit by digit, "
                   "as 1 cell (0)\n"}},
        CheckCase{"DigitsRunTogetherAmongSeparatedCells",
                  "Runs\n4 1\n0 1 0 0\n0 0 1 0\n1 0 0 0\n0 10 1\n", 1,
                  {"net.dat:6: warning: \"10\" is not a single 0/1 digit"}},
        CheckCase{"PackedRowsAreTheFormatsOwn", "Packed\n3 1\n010\n001\n100\n", 0, {"3 actors, 1 relation"}},
        CheckCase{"RowOfAnotherLengthShiftsTheRest",
                  "Rows\n4 2\n0 1 0 0\n0 0 1\n0 0 0 1 1\n1 0 0 0\n0 1 0 0\n1 0 0 0\n0 0 1 0\n0 0 0 1\n", 1,
                  {"net.dat:4: warning: this row holds 3 cells where N is 4"}},
        CheckCase{"NumericLabelLineIsAForgottenFixedMatrix", "Fixed\n2 1\n0 1\n1 0\n0.5 1 2 1\n", 1,
                  {"net.dat:5: warning: problem 2 starts with a label line of numbers only", "--fixed-matrix"}},
        CheckCase{"FixedMatrixGivenIsSkipped", "Fixed\n2 1\n0 1\n1 0\n0.5 1 2 1\n", 0, {"2 actors"}, "warning", "",
                  true},
        CheckCase{"VectorMarksAnAsymmetricRelation", "Asym\n2 1 1\n1\n0 1\n0 0\n", 1,
                  {"warning: problem 1: relation 1 is marked non-directional but is not symmetric: 1 -> 2 is a tie, "
                   "2 -> 1 is not"}},
        CheckCase{"MarkedByTheOptionToo", "Asym\n2 1\n0 1\n0 0\n", 1, {"is marked non-directional"}, "", "1"},
        CheckCase{"MalformedFileIsAnError", "Short\n2 1\n0 1 1\n", 1,
                  {"net.dat: error: input matrix 1 not of dimension 2 x 2\n"}},
        CheckCase{"ValuedCellsOfOtherLayoutsAreCounted", "source,target,weight\na,b,2\nb,a,1\n", 1,
                  {"net.dat: warning: 1 cell holds values other than 0 and 1; a cell is a tie when its value is "
                   "above 0\n"}}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

// Findings of one kind are shown five at a time per problem, the rest counted: 32 rows of a
// 4 x 4 x 8 file, eight of them one cell short or long (the first line is not judged).
TEST(Check, ManyFindingsOfOneKindAreCounted) {
  std::string data = "Rows\n4 8\n";
  for (int row = 0; row < 32; ++row) data += row < 8 ? (row % 2 == 0 ? "0 1 0\n" : "0 1 0 0 1\n") : "0 1 0 0\n";
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("net.dat"), data);
  TextChannel out;
  CheckRequest request;
  request.paths = {dir.File("net.dat")};
  EXPECT_EQ(RunCheck(request, out.File()), 1);
  EXPECT_THAT(out.Text(), HasSubstr("net.dat: warning: ... and 2 more rows of other lengths\n"));
}

// Every bundled network is clean: the check has nothing to warn about in real data.
TEST(Check, PassesEveryBundledNetwork) {
  CheckRequest request;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(QUOREL_SOURCE_DIR) + "/examples")) {
    if (entry.path().extension() == ".dat") request.paths.push_back(entry.path().string());
  }
  ASSERT_GE(request.paths.size(), 10u);
  TextChannel out;
  EXPECT_EQ(RunCheck(request, out.File()), 0) << out.Text();
}

}  // namespace
}  // namespace quorel
