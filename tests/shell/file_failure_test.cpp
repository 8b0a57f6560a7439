// Files the command cannot use: the data file missing, a directory or unreadable, and a
// report that cannot be opened or written. The user is told on standard output (the
// message list) and standard error, and the exit status is never 0.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "shell/command_line.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

const char* const kNetwork = "label\n2 1\n0 1 1 0\n";

TEST(FileFailure, DataFileThatCannotBeReadIsCodeThree) {
  struct Case {
    const char* name;
    const char* arguments;
  };
  testing::ScratchDirectory dir;
  ASSERT_EQ(mkdir(dir.File("a-directory").c_str(), 0755), 0);
  for (const Case& c : {Case{"missing", "--data no-such-file.dat"}, Case{"a directory", "--data a-directory"}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(testing::RunQuorel(dir, std::string("-q ") + c.arguments), kExitIncomplete);
    EXPECT_EQ(testing::ReadWholeFile(dir.File("stdout.txt")), "??? Input file open failure.\n");
    EXPECT_THAT(testing::ReadWholeFile(dir.File("stderr.txt")), HasSubstr("could not be opened for reading"));
  }
}

TEST(FileFailure, DataFileWithoutReadPermissionIsCodeThree) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("Quorel.dat"), kNetwork);
  ASSERT_EQ(chmod(dir.File("Quorel.dat").c_str(), 0), 0);
  EXPECT_EQ(testing::RunQuorel(dir, "-q"), kExitIncomplete);
  EXPECT_EQ(testing::ReadWholeFile(dir.File("stdout.txt")), "??? Input file open failure.\n");
}

TEST(FileFailure, ReportThatCannotBeOpenedIsCodeFive) {
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("Quorel.dat"), kNetwork);
  ASSERT_EQ(mkdir(dir.File("a-directory").c_str(), 0755), 0);
  for (const char* report : {"a-directory", "no-such-directory/Quorel.out"}) {
    SCOPED_TRACE(report);
    EXPECT_EQ(testing::RunQuorel(dir, std::string("-q --report ") + report), kExitIncomplete);
    EXPECT_EQ(testing::ReadWholeFile(dir.File("stdout.txt")), "??? Output file open failure.\n");
    EXPECT_THAT(testing::ReadWholeFile(dir.File("stderr.txt")), HasSubstr("could not be opened for writing"));
  }
}

// A full disk is noticed when the report is flushed and closed, also after a fatal error
// and after a storage failure ended the run; the exit status is never success.
TEST(FileFailure, FullDiskIsNeverSuccess) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("Quorel.dat"), kNetwork);
  EXPECT_EQ(testing::RunQuorel(dir, "-q --report /dev/full --sample-size 10"), kExitReportWrite);
  EXPECT_THAT(testing::ReadWholeFile(dir.File("stderr.txt")),
              HasSubstr("the report '/dev/full' could not be written completely: No space left on device"));

  testing::WriteWholeFile(dir.File("Quorel.dat"), "label\n2 1\n0 1 1\n");  // malformed: ABORT
  EXPECT_EQ(testing::RunQuorel(dir, "-q --report /dev/full"), kExitFatal);
}

}  // namespace
}  // namespace quorel
