// The 16-bit limits of the system where values enter: element numbers, and the sizes the
// command line accepts. Each is refused with a message that names the limit, never by
// silent wrap-around.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/command_line.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

// `count` distinct 4 x 4 relations none of which is the transpose of another: each cell
// pattern whose upper triangle, read as a number, is larger than its lower triangle.
std::string RelationsWithNewTransposes(int count) {
  std::string data = "Many relations\n4 " + std::to_string(count) + "\n";
  int found = 0;
  for (int bits = 0; bits < (1 << 16) && found < count; ++bits) {
    int upper = 0;
    int lower = 0;
    for (int r = 0; r < 4; ++r) {
      for (int c = r + 1; c < 4; ++c) {
        upper = upper * 2 + ((bits >> (r * 4 + c)) & 1);
        lower = lower * 2 + ((bits >> (c * 4 + r)) & 1);
      }
    }
    if (upper <= lower) continue;
    for (int cell = 0; cell < 16; ++cell) data += ((bits >> cell) & 1) ? '1' : '0';
    data += '\n';
    ++found;
  }
  return data;
}

TEST(Limits, TransposesBeyondSixteenBitElementNumbersAreRefused) {
  AnalysisOptions options;
  options.m_Transposes = 1;
  options.m_SampleSize = 0;
  const testing::RunCapture run = testing::RunOnText(RelationsWithNewTransposes(16400), options);
  EXPECT_TRUE(run.fatal);
  EXPECT_EQ(run.errors,
            "ERROR: The relations and their transposes number more than 32767, the most that 16-bit element "
            "numbers allow.\n       Analyse the network without transposes.\n");
  EXPECT_THAT(run.report, HasSubstr("16400)"));  // the input matrices were printed before
}

TEST(Limits, TransposesUpToTheLimitAreKept) {
  AnalysisOptions options;
  options.m_Transposes = 1;
  options.m_MaxWordLength = 0;
  options.m_SampleSize = 0;
  const testing::RunCapture run = testing::RunOnText(RelationsWithNewTransposes(300), options);
  EXPECT_FALSE(run.fatal) << run.errors;
  EXPECT_THAT(run.report, HasSubstr("Number of distinct generators:   600\n"));
}

TEST(Limits, SixteenBitOptionsAreCheckedOnTheCommandLine) {
  struct Case {
    std::vector<const char*> args;
    bool refused;
  };
  for (const Case& c : {Case{{"quorel", "--sample-size", "32767"}, false}, Case{{"quorel", "--sample-size", "32768"}, true},
                        Case{{"quorel", "--sample-size", "65536"}, true}, Case{{"quorel", "--sample-size", "-1"}, true},
                        Case{{"quorel", "--max-word-length", "32767"}, false},
                        Case{{"quorel", "--max-word-length", "32768"}, true},
                        Case{{"quorel", "--max-word-length", "4294967297"}, true}}) {
    const CommandLine command = ParseCommandLine(static_cast<int>(c.args.size()), c.args.data());
    EXPECT_EQ(command.exit_now, c.refused) << c.args[1] << " " << c.args[2];
    if (c.refused) {
      EXPECT_EQ(command.exit_status, kExitUsage);
    }
  }
}

}  // namespace
}  // namespace quorel
