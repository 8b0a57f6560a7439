#include "views/scratch_file.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorel {
namespace {

std::string Copied(ScratchFile& file) {
  std::string text;
  EXPECT_TRUE(file.CopyTo([&text](std::string_view piece) {
    text += piece;
    return true;
  }));
  return text;
}

// Reading back leaves the file taking more at its end, as often as it is read.
TEST(ScratchFile, KeepsWhatIsAppendedAcrossReadingsAndClearing) {
  ScratchFile file("");
  EXPECT_TRUE(file.Empty());
  EXPECT_EQ(Copied(file), "");
  file.Append("first\nsec");
  file.Append("ond\n");
  EXPECT_EQ(Copied(file), "first\nsecond\n");
  file.Append(std::string(100000, 'x') + "\n");  // longer than one piece of the copy
  std::vector<std::size_t> lengths;
  EXPECT_TRUE(file.ForEachLine([&lengths](std::string_view line) {
    lengths.push_back(line.size());
    return true;
  }));
  EXPECT_EQ(lengths, (std::vector<std::size_t>{5, 6, 100000}));
  file.Append("last");
  EXPECT_EQ(Copied(file).substr(13 + 100001), "last");
  file.Clear();
  EXPECT_TRUE(file.Empty());
  file.Append("again");
  EXPECT_EQ(Copied(file), "again");
  EXPECT_TRUE(file.Failure().empty());
}

TEST(ScratchFile, ReceiverThatRefusesStopsTheCopy) {
  ScratchFile file("");
  file.Append("a\nb\nc\n");
  int lines = 0;
  EXPECT_FALSE(file.ForEachLine([&lines](std::string_view) { return ++lines < 2; }));
  EXPECT_EQ(lines, 2);
  EXPECT_FALSE(file.CopyTo([](std::string_view) { return false; }));
}

TEST(ScratchFile, DirectoryThatCannotHoldItLeavesTheSystemsOwn) {
  ScratchFile file("/nonexistent-directory");
  file.Append("kept");
  EXPECT_EQ(Copied(file), "kept");
  EXPECT_TRUE(file.Failure().empty());
}

}  // namespace
}  // namespace quorel
