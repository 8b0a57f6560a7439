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
