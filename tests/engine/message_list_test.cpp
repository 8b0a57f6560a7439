#include "core/message_list.hpp"

#include <gtest/gtest.h>

namespace quorel {
namespace {

struct SplitCase {
  const char* text;
  std::vector<std::string> lines;
};

class MessageListSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(MessageListSplit, OneLinePerLineFeedSeparatedPiece) {
  MessageList list;
  list.AddStatusMessage(GetParam().text);
  EXPECT_EQ(list.Lines(), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MessageListSplit,
    ::testing::Values(SplitCase{"QUOREL complete.", {"QUOREL complete."}},
                      SplitCase{"", {""}},
                      SplitCase{"ERROR: Could not read arguments\n", {"ERROR: Could not read arguments", ""}},
                      SplitCase{"\nWARNING: x\nrelations.", {"", "WARNING: x", "relations."}},
                      SplitCase{"\n", {"", ""}}));

TEST(MessageList, ListenerSeesEveryLineInOrder) {
  std::vector<std::string> seen;
  MessageList list([&](const std::string& line) { seen.push_back(line); });
  list.AddStatusMessage("a\nb");
  list.AddStatusMessage("c");
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "c"}));
  list.ClearStatusMessages();
  EXPECT_TRUE(list.Lines().empty());
}

}  // namespace
}  // namespace quorel
