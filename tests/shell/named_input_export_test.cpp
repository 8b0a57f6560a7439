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

TEST(NamedInput, NamesReachTheJsonDocumentAndTheDiagrams) {
  struct Case {
    const char* file;
    const char* first_actor;
    int actors;
    std::vector<std::string> relations;
  };
  const Case cases[] = {
      {"padgett_florentine.dl", "ACCIAIUOLI", 16, {"marriage", "business"}},
      {"padgett_florentine.csv", "ACCIAIUOLI", 16, {"marriage", "business"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    testing::ScratchDirectory dir;
    const std::string input = std::string(QUOREL_SOURCE_DIR) + "/tests/data/" + c.file;
    ASSERT_EQ(testing::RunQuorel(dir, "-q --data '" + input + "' --sample-size 20 --json r.json --dot figs"), 0)
        << testing::ReadWholeFile(dir.File("stderr.txt"));
    const json problem = json::parse(testing::ReadWholeFile(dir.File("r.json")))["problems"][0];
    EXPECT_EQ(problem["relations"], json(c.relations));
    ASSERT_TRUE(problem["actors"].is_array());
    EXPECT_EQ(problem["actors"].size(), static_cast<std::size_t>(c.actors));
    EXPECT_EQ(problem["actors"][0], c.first_actor);
    EXPECT_EQ(problem["generators"][0]["name"], c.relations[0]);
    EXPECT_EQ(problem["generators"][1]["name"], c.relations[1]);
    const std::string dot = testing::ReadWholeFile(dir.File("figs/p1-partial-order.dot"));
    for (const std::string& name : c.relations) EXPECT_THAT(dot, HasSubstr(name));
  }
}

}  // namespace
}  // namespace quorel
