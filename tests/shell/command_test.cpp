// The quorel command: its options, how each way a run can end reaches the user (standard
// output, standard error, the exit status), the 16-bit limits where values enter, and the
// report blocks that no shared network of the golden reports reaches.

#include "shell/command_line.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

CommandLine Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "quorel");
  return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

// The options no golden report passes (those it does are pinned by the reports): names and
// numbers of the choices, either case.
TEST(CommandLine, OptionsReachTheirMembers) {
  const CommandLine command = Parse({"--reapply", "--min-kappa", "0.2", "--measure-control", "md", "--data", "in.dat",
                                     "--report", "out.txt", "--threads", "3", "-q", "--permutation-strategy", "0",
                                     "--diagonal", "0"});
  ASSERT_FALSE(command.exit_now);
  const AnalysisOptions& o = command.options;
  EXPECT_EQ(std::tie(o.m_Reapply, o.m_MinKappa, o.m_MeasureControl, o.DataPath, o.ReportPath, o.Threads,
                     o.m_PermutationStrategy, o.m_Diagonal, command.quiet),
            std::make_tuple(1, 0.2f, kMD, "in.dat", "out.txt", 3, 0, 0, true));
  EXPECT_EQ(Parse({"--measure-control", "6"}).options.m_MeasureControl, kMG);
}

// Values beyond what the options hold (16-bit sizes among them) are refused with status 64,
// never wrapped around.
TEST(CommandLine, UnusableCommandLinesAreRefusedWithStatus64) {
  struct Case {
    std::vector<const char*> args;
    bool refused;
  };
  for (const Case& c : {Case{{"--no-such-option"}, true}, Case{{"--sample-size", "many"}, true},
                        Case{{"--sample-size", "32767"}, false}, Case{{"--sample-size", "32768"}, true},
                        Case{{"--sample-size", "-1"}, true},
                        Case{{"--max-word-length", "32767"}, false}, Case{{"--max-word-length", "32768"}, true},
                        Case{{"--max-word-length", "4294967297"}, true}, Case{{"--max-word-length", "-1"}, true},
                        Case{{"--measure-control", "MZ"}, true}, Case{{"--diagonal", "3"}, true},
                        Case{{"--threads", "0"}, true}, Case{{"--min-kappa", "x"}, true}, Case{{"--memory-limit", "12X"}, true},
                        Case{{"--permutation-strategy", "pairs", "--omega-from", "exact"}, true},
                        Case{{"--permutation-strategy", "generators", "--exact-p", "--omega-from", "exact"}, true},
                        Case{{"--permutation-strategy", "pairs", "--exact-p", "--omega-from", "guessed"}, true},
                        Case{{"--permutation-strategy", "pairs", "--exact-p", "--omega-from", "exact"}, false},
                        Case{{"stray"}, true}}) {
    const CommandLine command = Parse(c.args);
    EXPECT_EQ(command.exit_now, c.refused) << c.args.back();
    if (c.refused) { EXPECT_EQ(command.exit_status, kExitUsage) << c.args.back(); }
  }
}

// Each way a run can end, as the user sees it. The data file holds a network, a malformed
// one or nothing; an earlier report stands in the directory before every run.
TEST(Command, ExitStatusesAndMessagesTellHowTheRunEnded) {
  struct Case {
    const char* data;  // nullptr: no Quorel.dat
    const char* arguments;
    int status;
    const char* output;  // standard output, whole ("=" first) or in part
    const char* errors;  // in part
    bool report_kept = true;
  };
  const char* const kGood = "label\n2 1\n0 1 1 0\n";
  const char* const kMalformed = "label\n2 1\n0 1 1\n";
  const char* const kInputFailure = "=??? Input file open failure.\n";
  const char* const kOutputFailure = "=??? Output file open failure.\n";
  const char* const kFull = "the report '/dev/full' could not be written completely: No space left on device";
  const bool full = access("/dev/full", W_OK) == 0;
  const Case cases[] = {
      {nullptr, "-q", kExitIncomplete, kInputFailure, "'Quorel.dat' could not be opened"},
      {kGood, "-q --data a-directory", kExitIncomplete, kInputFailure, "could not be opened for reading"},
      {kGood, "-q", kExitSuccess, "=", "", false},
      {kGood, "", kExitSuccess, "QUOREL complete.\n", "", false},
      {kGood, "--measure-control MF", kExitIncomplete, "=??? Fixed matrix required.\n", ""},
      {kGood, "-q --report a-directory", kExitIncomplete, kOutputFailure, "could not be opened for writing"},
      {kGood, "-q --report no-such-directory/Quorel.out", kExitIncomplete, kOutputFailure, "could not be opened"},
      {kMalformed, "", kExitFatal, "", "ERROR: input matrix 1 not of dimension 2 x 2\nABORT QUOREL\n", false},
      {kGood, "--sample-size lots", kExitUsage, "", "Try 'quorel --help'"},
      {kGood, "--strict --cutoffs 5%", kExitUsage, "", "quorel: --cutoffs: \"5%\" is read as 5\n"},
      {kGood, "-q --cutoffs 0,05 --sample-size 2", kExitSuccess, "=invalid probability\n",
       "quorel: warning: --cutoffs: \"0,05\" is read as 0 and 5", false},
      {kGood, "--help", kExitSuccess, "--measure-control", ""},
      {kGood, "--help", kExitSuccess, "Exit status: 0 complete; 1 a fatal error", ""},
      {kGood, "-q --json no/such/dir/r.json", kExitReportWrite, "", "the JSON file 'no/such/dir/r.json' could not be written", false},
      {kGood, full ? "-q --report /dev/full --sample-size 10" : "--help", full ? kExitReportWrite : 0, "", full ? kFull : ""},
      {kMalformed, full ? "-q --report /dev/full" : "--help", full ? kExitFatal : 0, "", ""},
  };
  testing::ScratchDirectory dir;
  ASSERT_EQ(mkdir(dir.File("a-directory").c_str(), 0755), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("arguments: ") + c.arguments);
    std::remove(dir.File("Quorel.dat").c_str());
    if (c.data != nullptr) testing::WriteWholeFile(dir.File("Quorel.dat"), c.data);
    testing::WriteWholeFile(dir.File("Quorel.out"), "an earlier report");
    EXPECT_EQ(testing::RunQuorel(dir, c.arguments), c.status);
    const std::string output = testing::ReadWholeFile(dir.File("stdout.txt"));
    if (c.output[0] == '=') {
      EXPECT_EQ(output, c.output + 1);
    } else {
      EXPECT_THAT(output, HasSubstr(c.output));
    }
    EXPECT_THAT(testing::ReadWholeFile(dir.File("stderr.txt")), HasSubstr(c.errors));
    if (c.report_kept) { EXPECT_EQ(testing::ReadWholeFile(dir.File("Quorel.out")), "an earlier report"); }
  }
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

// `count` distinct 5 x 5 relations, each with a tie from actor 1 to 2 and none back: none
// is the transpose of another or of itself.
std::string RelationsWithNewTransposes(int count) {
  std::string data = "Many relations\n5 " + std::to_string(count) + "\n";
  for (int bits = 0; bits < count; ++bits) {
    for (int cell = 0, bit = 0; cell < 25; ++cell) {
      data += cell == 1 ? '1' : cell == 5 ? '0' : '0' + ((bits >> bit++) & 1);
    }
    data += '\n';
  }
  return data;
}

TEST(Limits, TransposesBeyondSixteenBitElementNumbersAreRefused) {
  AnalysisOptions options;
  options.m_Transposes = 1;
  options.m_MaxWordLength = 0;
  options.m_SampleSize = 0;
  testing::RunCapture run = testing::RunOnText(RelationsWithNewTransposes(300), options);
  EXPECT_FALSE(run.fatal) << run.errors;
  EXPECT_THAT(run.report, HasSubstr("Number of distinct generators:   600\n"));
  run = testing::RunOnText(RelationsWithNewTransposes(16400), options);
  EXPECT_TRUE(run.fatal);
  EXPECT_EQ(run.errors,
            "ERROR: The relations and their transposes number more than 32767, the most that 16-bit element "
            "numbers allow.\n       Analyse the network without transposes.\n");
  EXPECT_THAT(run.report, HasSubstr("16400)"));  // the input matrices were printed before
}

// Two problems, the first with a relation repeated: the repeat is listed and left out, and
// three empty lines separate the problems' reports.
TEST(Report, DuplicatesAndFurtherProblems) {
  const testing::RunCapture first = testing::RunOnText("label\n2 3\n0 1 0 0\n1 0 0 0\n0 1 0 0\n");
  EXPECT_THAT(first.report, HasSubstr("\n3)\n 0 1\n 0 0\n\nThe following duplicate(s) will be omitted from the list -\n"
                                      "Matrix  3: identical to matrix  1\n\nUpdated List:\n1)\n"));
  EXPECT_THAT(first.report, HasSubstr("Number of distinct generators:   2\n"));
  const testing::RunCapture both = testing::RunOnText("label\n2 3\n0 1 0 0\n1 0 0 0\n0 1 0 0\nsecond\n1 1\n1\n");
  ASSERT_EQ(both.report.compare(0, first.report.size(), first.report), 0);
  EXPECT_EQ(both.report.substr(first.report.size(), 3 + 38), "\n\n\nPARTIAL ALGEBRAS FOR COMPLETE NETWORKS");
}

TEST(Report, ReapplyKeepsTheFirstCheckForLaterProblems) {
  // Both problems are non-directional; MC is lowered to MB once, with one warning pair.
  const std::string data = "first\n2 1 1\n1\n0 1 1 0\nsecond\n2 1 1\n1\n0 1 1 0\n";
  AnalysisOptions options;
  options.m_MeasureControl = kMC;
  options.m_CutoffList = "7";
  const testing::RunCapture checked_each_time = testing::RunOnText(data, options);
  options.m_Reapply = 1;
  const testing::RunCapture reapplied = testing::RunOnText(data, options);
  const auto count = [](const std::vector<std::string>& lines, const std::string& line) {
    return std::count(lines.begin(), lines.end(), line);
  };
  EXPECT_EQ(count(checked_each_time.messages, "invalid probability"), 2);
  EXPECT_EQ(count(reapplied.messages, "invalid probability"), 1);
  EXPECT_EQ(count(reapplied.messages, "Control for DIRECTED GRAPH STRUCTURE will be used instead."), 1);
  EXPECT_EQ(checked_each_time.report, reapplied.report);
}

}  // namespace
}  // namespace quorel
