// "quorel convert": any accepted input written as a data file that gives the same report,
// and "quorel --data" on a DL file or edge list with the exit status of malformed data.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "shell/command_line.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kTestData = std::string(QUOREL_SOURCE_DIR) + "/tests/data/";
const std::string kExamples = std::string(QUOREL_SOURCE_DIR) + "/examples/";

std::string Report(const std::string& data, AnalysisOptions options = {}) {
  options.m_SampleSize = 30;
  options.m_FactorOmega = 1;
  return testing::RunOnFile(data, options).report;
}

TEST(Convert, OtherLayoutsGiveADataFileWithTheSameReport) {
  // Each layout's network against the data file's is tested with the readers; two stand for them.
  for (const char* file : {"wolfe_primates.embedded.dl", "thurman_office.graphml"}) {
    SCOPED_TRACE(file);
    testing::ScratchDirectory dir;
    ASSERT_EQ(testing::RunQuorel(dir, "convert '" + kTestData + file + "' out.dat"), kExitSuccess);
    EXPECT_EQ(testing::ReadWholeFile(dir.File("stderr.txt")), "");
    const std::string converted = testing::ReadWholeFile(dir.File("out.dat"));
    EXPECT_THAT(converted, StartsWith(std::string(file) + "\n"));
    EXPECT_EQ(Report(dir.File("out.dat")), Report(kTestData + file));
  }
}

// A data file is copied normalised: the same problems, repeats and vector included, so
// the report is the same; and normalising again changes nothing.
TEST(Convert, DataFileIsCopiedNormalised) {
  struct Case {
    const char* name;
    std::string data;
    std::string options;
    std::string normalised;  // its start
  };
  const Case cases[] = {
      {"shared network", testing::ExampleNetwork("padgett_florentine.dat"), "",
       "Padgett Florentine families: marriage, business\n16 2 1\n1 1\n\n0 0 0 0 0 0 0 0 1 0"},
      {"two problems, a repeated matrix, free format", "first\n3 3 1\n0 1 1\n011100010 001 000 000 011100010\nsecond\n  2 1 0\n0110\n",
       "", "first\n3 3 1\n0 1 1\n\n0 1 1\n1 0 0\n0 1 0\n\n0 0 1\n0 0 0\n0 0 0\n\n0 1 1\n1 0 0\n0 1 0\n\nsecond\n2 1\n\n0 1\n1 0\n"},
      {"fixed matrix", "net\n2 1\n0 1 1 0\n1.5 2\n0.1 -3e2\n", "--fixed-matrix", "net\n2 1\n\n0 1\n1 0\n\n1.5 2\n0.1 -300\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::ScratchDirectory dir;
    testing::WriteWholeFile(dir.File("in.dat"), c.data);
    ASSERT_EQ(testing::RunQuorel(dir, "convert " + c.options + " in.dat once.dat"), kExitSuccess)
        << testing::ReadWholeFile(dir.File("stderr.txt"));
    ASSERT_EQ(testing::RunQuorel(dir, "convert " + c.options + " once.dat twice.dat"), kExitSuccess);
    const std::string once = testing::ReadWholeFile(dir.File("once.dat"));
    EXPECT_THAT(once, StartsWith(c.normalised));
    EXPECT_EQ(testing::ReadWholeFile(dir.File("twice.dat")), once);
    AnalysisOptions options;
    options.m_FixedSupplied = c.options.empty() ? 0 : 1;
    EXPECT_EQ(Report(dir.File("once.dat"), options), Report(dir.File("in.dat"), options));
  }
}

TEST(Convert, FailuresHaveTheirExitStatusAndWriteNothing) {
  struct Case {
    const char* name;
    const char* input;  // text of in.txt
    std::string arguments;
    int status;
    std::string errors;  // part of standard error
  };
  const Case cases[] = {
      {"malformed DL", "dl n=2\ndata:\n0 1\n", "convert in.txt out.dat", kExitFatal,
       "ERROR: in.txt:3: the data ends in matrix 1, row 2, column 1"},
      {"malformed data file", "label\n2 1\n0 1 1\n", "convert in.txt out.dat", kExitFatal,
       "ERROR: input matrix 1 not of dimension 2 x 2"},
      {"forced CSV without columns", "label\n2 1\n0 1 1 0\n", "convert --input-format csv in.txt out.dat", kExitFatal,
       "ERROR: in.txt:1: the header row names no source column"},
      {"missing input", "", "convert no-such-file out.dat", kExitIncomplete,
       "quorel: the input 'no-such-file' could not be opened for reading"},
      {"output in no directory", "dl n=1 data: 1", "convert in.txt no/such/out.dat", kExitIncomplete,
       "quorel: the output 'no/such/out.dat' could not be opened for writing"},
      {"unknown layout", "", "convert --input-format xml in.txt out.dat", kExitUsage, "--input-format"},
      {"output missing", "", "convert in.txt", kExitUsage, "OUTPUT is required"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::ScratchDirectory dir;
    testing::WriteWholeFile(dir.File("in.txt"), c.input);
    EXPECT_EQ(testing::RunQuorel(dir, c.arguments), c.status);
    EXPECT_THAT(testing::ReadWholeFile(dir.File("stderr.txt")), HasSubstr(c.errors));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.dat")));
  }
}

}  // namespace
}  // namespace quorel
