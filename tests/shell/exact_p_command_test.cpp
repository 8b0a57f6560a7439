// --exact-p and --omega-from on the command line: the exact probabilities are null where the
// null model has no exact law, and --omega-from exact decides Omega from them whatever the
// sample size. (What they add to the JSON document and the tables, leaving the report as it
// is, is pinned with the golden documents.)

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "shell/command_line.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using nlohmann::json;

const char* const kExactKeys[] = {"theta_exact", "mcnemar_z_proportions_exact", "kappa_proportions_exact",
                                  "standardized_kappa_proportions_exact"};

// Knoke's bureaucracies, analysed in `dir` with `arguments`; the JSON document.
json Analyse(const testing::ScratchDirectory& dir, const std::string& arguments) {
  testing::WriteWholeFile(dir.File("Quorel.dat"),
                          testing::ReadWholeFile(std::string(QUOREL_SOURCE_DIR) + "/examples/knoke_bureaucracies.dat"));
  EXPECT_EQ(testing::RunQuorel(dir, "-q --threads 2 --json r.json " + arguments), kExitSuccess) << arguments;
  return json::parse(testing::ReadWholeFile(dir.File("r.json")));
}

// How many cells of a triangle hold a number.
int Numbers(const json& triangle) {
  int count = 0;
  for (const json& row : triangle) {
    for (const json& cell : row) count += cell.is_number() ? 1 : 0;
  }
  return count;
}

// Permuting generators has no exact law of its own (the null models without one are tested
// with the law): every exact value is null.
TEST(ExactPCommand, AbsentWhenGeneratorsArePermuted) {
  testing::ScratchDirectory dir;
  const json document = Analyse(dir, "--permutation-strategy generators --sample-size 20 --exact-p");
  for (const char* key : kExactKeys) EXPECT_EQ(Numbers(document["problems"][0]["statistics"][key]), 0) << key;
}

TEST(ExactPCommand, OmegaFromExactValuesDoesNotDependOnTheSamples) {
  const std::string options = "--permutation-strategy pairs --measure-control MA --exact-p --omega-from exact";
  testing::ScratchDirectory none, some, sampled;
  const json from_none = Analyse(none, options + " --sample-size 0");
  const json from_some = Analyse(some, options + " --sample-size 300 --seed 5");
  const json from_samples = Analyse(sampled, "--permutation-strategy pairs --measure-control MA --sample-size 0");
  const json& level = from_none["problems"][0]["cutoff_levels"][0];
  EXPECT_EQ(level["omega"], from_some["problems"][0]["cutoff_levels"][0]["omega"]);
  EXPECT_EQ(level["unsettled_pairs"], 0);
  // Without samples the sampled proportions decide nothing: Omega is the partial order alone.
  EXPECT_EQ(from_samples["problems"][0]["cutoff_levels"][0]["omega"], from_samples["problems"][0]["partial_order"]);
  EXPECT_NE(level["omega"], from_samples["problems"][0]["cutoff_levels"][0]["omega"]);
  EXPECT_EQ(from_none["run"]["omega_from"], "exact");
  EXPECT_EQ(from_samples["run"]["omega_from"], "sampled");
  // The report still prints the sampled proportions.
  EXPECT_NE(testing::ReadWholeFile(none.File("Quorel.out")).find("nan"), std::string::npos);
}

}  // namespace
}  // namespace quorel
