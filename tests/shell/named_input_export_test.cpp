// Names of actors and relations travel from a DL file or a CSV edge list to the JSON document
// and the diagrams.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;
using nlohmann::json;

// The layouts deliver their names alike (input_formats_test.cpp); a DL file stands for them.
TEST(NamedInput, NamesReachTheJsonDocumentAndTheDiagrams) {
  testing::ScratchDirectory dir;
  const std::string input = std::string(QUOREL_SOURCE_DIR) + "/tests/data/padgett_florentine.dl";
  ASSERT_EQ(testing::RunQuorel(dir, "-q --data '" + input + "' --sample-size 20 --json r.json --dot figs"), 0)
      << testing::ReadWholeFile(dir.File("stderr.txt"));
  const json problem = json::parse(testing::ReadWholeFile(dir.File("r.json")))["problems"][0];
  const std::vector<std::string> relations = {"marriage", "business"};
  EXPECT_EQ(problem["relations"], json(relations));
  ASSERT_TRUE(problem["actors"].is_array());
  EXPECT_EQ(problem["actors"].size(), 16u);
  EXPECT_EQ(problem["actors"][0], "ACCIAIUOLI");
  EXPECT_EQ(problem["generators"][0]["name"], relations[0]);
  EXPECT_EQ(problem["generators"][1]["name"], relations[1]);
  const std::string dot = testing::ReadWholeFile(dir.File("figs/p1-partial-order.dot"));
  for (const std::string& name : relations) EXPECT_THAT(dot, HasSubstr(name));
}

}  // namespace
}  // namespace quorel
