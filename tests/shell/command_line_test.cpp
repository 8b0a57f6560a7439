#include "shell/command_line.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>


#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

CommandLine Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "quorel");
  return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, DefaultsAreTheDialogDefaults) {
  const CommandLine command = Parse({});
  ASSERT_FALSE(command.exit_now);
  const AnalysisOptions& o = command.options;
  EXPECT_EQ(o.m_Transposes, 0);
  EXPECT_EQ(o.m_GeneratorProductsOnly, 0);
  EXPECT_EQ(o.m_MaxWordLength, 2);
  EXPECT_EQ(o.m_SampleSize, 1000);
  EXPECT_EQ(o.m_FixedSupplied, 0);
  EXPECT_EQ(o.m_MinKappa, 0.01f);
  EXPECT_EQ(o.m_PermutationStrategy, 1);
  EXPECT_EQ(o.m_MeasureControl, 0);
  EXPECT_EQ(o.m_Diagonal, 1);
  EXPECT_EQ(o.m_FactorOmega + o.m_FactorLowerOmega + o.m_FullFactorOutput + o.m_Reapply, 0);
  EXPECT_EQ(o.m_CutoffList, "0.05");
  EXPECT_EQ(o.DataPath, "Quorel.dat");
  EXPECT_EQ(o.ReportPath, "Quorel.out");
  EXPECT_EQ(o.Seed, 0u);
  EXPECT_FALSE(command.quiet);
}

TEST(CommandLine, EveryOptionReachesItsMember) {
  const CommandLine command =
      Parse({"--transposes", "--generator-products-only", "--fixed-matrix", "--factor-omega", "--factor-lower-omega",
             "--full-factor-output", "--reapply", "--max-word-length", "4", "--sample-size", "0", "--min-kappa",
             "0.2", "--cutoffs", "0.05, 0.01", "--permutation-strategy", "pairs", "--measure-control", "md",
             "--diagonal", "include-all", "--data", "in.dat", "--report", "out.txt", "--seed", "42", "--threads",
             "3", "-q"});
  ASSERT_FALSE(command.exit_now);
  const AnalysisOptions& o = command.options;
  EXPECT_EQ(o.m_Transposes + o.m_GeneratorProductsOnly + o.m_FixedSupplied + o.m_FactorOmega +
                o.m_FactorLowerOmega + o.m_FullFactorOutput + o.m_Reapply,
            7);
  EXPECT_EQ(o.m_MaxWordLength, 4);
  EXPECT_EQ(o.m_SampleSize, 0);
  EXPECT_EQ(o.m_MinKappa, 0.2f);
  EXPECT_EQ(o.m_CutoffList, "0.05, 0.01");
  EXPECT_EQ(o.m_PermutationStrategy, 0);
  EXPECT_EQ(o.m_MeasureControl, kMD);
  EXPECT_EQ(o.m_Diagonal, 2);
  EXPECT_EQ(o.DataPath, "in.dat");
  EXPECT_EQ(o.ReportPath, "out.txt");
  EXPECT_EQ(o.Seed, 42u);
  EXPECT_EQ(o.Threads, 3);
  EXPECT_TRUE(command.quiet);
}

TEST(CommandLine, RadioIndexesAreAcceptedToo) {
  const CommandLine command = Parse({"--permutation-strategy", "1", "--measure-control", "6", "--diagonal", "0"});
  ASSERT_FALSE(command.exit_now);
  EXPECT_EQ(command.options.m_PermutationStrategy, 1);
  EXPECT_EQ(command.options.m_MeasureControl, 6);
  EXPECT_EQ(command.options.m_Diagonal, 0);
}

TEST(CommandLine, UnusableCommandLinesAreRefusedWithStatus64) {
  for (const std::vector<const char*>& args :
       {std::vector<const char*>{"--no-such-option"}, {"--sample-size", "many"}, {"--sample-size", "40000"},
        {"--max-word-length", "-1"}, {"--measure-control", "MZ"}, {"--diagonal", "3"}, {"--threads", "0"},
        {"--min-kappa", "x"}, {"stray"}}) {
    const CommandLine command = Parse(args);
    EXPECT_TRUE(command.exit_now) << args[0];
    EXPECT_EQ(command.exit_status, kExitUsage) << args[0];
  }
}

TEST(Command, ExitStatusesTellHowTheRunEnded) {
  testing::ScratchDirectory dir;
  EXPECT_EQ(testing::RunQuorel(dir, ""), kExitIncomplete);  // no Quorel.dat
  EXPECT_THAT(testing::ReadWholeFile(dir.File("stdout.txt")), HasSubstr("??? Input file open failure.\n"));
  EXPECT_THAT(testing::ReadWholeFile(dir.File("stderr.txt")), HasSubstr("'Quorel.dat' could not be opened"));

  testing::WriteWholeFile(dir.File("Quorel.dat"), "label\n2 1\n0 1 1 0\n");
  EXPECT_EQ(testing::RunQuorel(dir, "-q"), kExitSuccess);
  EXPECT_EQ(testing::ReadWholeFile(dir.File("stdout.txt")),
            "Calculating statistical upper triangle matrices...\nQUOREL complete.\n");
  EXPECT_THAT(testing::ReadWholeFile(dir.File("Quorel.out")), HasSubstr("PARTIAL ORDER TABLE:"));

  EXPECT_EQ(testing::RunQuorel(dir, "--measure-control MF"), kExitIncomplete);
  EXPECT_EQ(testing::ReadWholeFile(dir.File("stdout.txt")), "??? Fixed matrix required.\n");

  testing::WriteWholeFile(dir.File("Quorel.dat"), "label\n2 1\n0 1 1\n");
  EXPECT_EQ(testing::RunQuorel(dir, ""), kExitFatal);
  EXPECT_EQ(testing::ReadWholeFile(dir.File("stderr.txt")),
            "ERROR: input matrix 1 not of dimension 2 x 2\nABORT QUOREL\n");

  EXPECT_EQ(testing::RunQuorel(dir, "--sample-size lots"), kExitUsage);
  EXPECT_THAT(testing::ReadWholeFile(dir.File("stderr.txt")), HasSubstr("Try 'quorel --help'"));
  EXPECT_EQ(testing::RunQuorel(dir, "--help"), kExitSuccess);
  EXPECT_THAT(testing::ReadWholeFile(dir.File("stdout.txt")), HasSubstr("--measure-control"));
}

// Each problem gets its own steps, the reading of the next problem included; the report is the
// same with and without the timings.
TEST(Command, TimingsListTheStepsOfEveryProblem) {
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("Quorel.dat"), "first\n2 1\n0 1 1 0\nsecond\n2 1\n0 1 0 0\n");
  ASSERT_EQ(testing::RunQuorel(dir, "-q --sample-size 20 --factor-omega"), kExitSuccess);
  const std::string plain = testing::ReadWholeFile(dir.File("Quorel.out"));
  EXPECT_EQ(testing::ReadWholeFile(dir.File("stderr.txt")), "");
  ASSERT_EQ(testing::RunQuorel(dir, "-q --sample-size 20 --factor-omega --timings"), kExitSuccess);
  EXPECT_EQ(testing::ReadWholeFile(dir.File("Quorel.out")), plain);
  const std::string table = testing::ReadWholeFile(dir.File("stderr.txt"));
  EXPECT_THAT(table, ::testing::StartsWith("Time by step (wall clock, seconds):\n  problem 1\n    reading "));
  for (const char* step : {"semigroup", "partial order", "statistics", "sampling", "statistics report", "omega",
                           "factorization", "total"}) {
    EXPECT_THAT(table, HasSubstr("    " + std::string(step) + " ")) << step;
  }
  EXPECT_THAT(table, HasSubstr("\n  problem 2\n    reading "));
  EXPECT_THAT(table, HasSubstr("\n  end of data "));
  EXPECT_EQ(table.find("problem 3"), std::string::npos);
}

TEST(Command, ReportThatCannotBeWrittenIsNotSuccess) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("Quorel.dat"), testing::ExampleNetwork("padgett_florentine.dat"));
  EXPECT_EQ(testing::RunQuorel(dir, "-q --report /dev/full"), kExitReportWrite);
  EXPECT_THAT(testing::ReadWholeFile(dir.File("stderr.txt")), HasSubstr("could not be written completely"));
}

}  // namespace
}  // namespace quorel
