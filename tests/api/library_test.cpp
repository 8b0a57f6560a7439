// The library API: networks read and analysed through <quorel/quorel.hpp> give the command
// line's report byte for byte, every accessor reads the value the report shows, nothing is
// written on the way, and every refusal is a quorel::Error of its kind.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "quorel/quorel.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using testing::ScratchDirectory;

// The report `quorel` writes for `data` with `arguments`.
std::string CommandLineReport(const ScratchDirectory& dir, const std::string& data, const std::string& arguments) {
  testing::WriteWholeFile(dir.File("in.dat"), data);
  EXPECT_EQ(testing::RunQuorel(dir, "-q --data in.dat --report out.txt --sample-size 200 --threads 2 " + arguments), 0);
  return testing::ReadWholeFile(dir.File("out.txt"));
}

std::string ReportOf(const std::vector<Result>& results) {
  std::ostringstream out;
  WriteReport(out, results);
  return out.str();
}

struct RunCase {
  const char* name;
  std::vector<const char*> examples;  // networks of one data file, in order
  std::string arguments;  // the command line's for `options`
  Options options;
};

class LibraryRun : public ::testing::TestWithParam<RunCase> {};

// Several networks share one random stream and the factorizations are replayed whole, so
// the report rebuilt from the results is the command line's to the byte.
TEST_P(LibraryRun, ReportFromTheResultsIsTheCommandLines) {
  const RunCase& c = GetParam();
  ScratchDirectory dir;
  std::string data;
  for (const char* example : c.examples) data += testing::ExampleNetwork(example);
  const std::string expected = CommandLineReport(dir, data, c.arguments);

  Options options = c.options;
  options.sample_size = 200;
  options.threads = 2;
  const std::vector<Network> networks = ReadNetworks(dir.File("in.dat"));
  ASSERT_EQ(networks.size(), c.examples.size());
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const std::vector<Result> results = Analyze(networks, options);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "") << "the analysis writes nothing";
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(ReportOf(results), expected);
  // The options as used come back with the results.
  const auto members = [](const Options& o) {
    return std::tie(o.transposes, o.generator_products_only, o.factor_lower_omega, o.permutation_strategy, o.cutoffs,
                    o.seed);
  };
  EXPECT_EQ(members(results.back().options()), members(options));

  std::ostringstream streamed;
  Analyze(networks, options, Views{&streamed, nullptr});
  EXPECT_EQ(streamed.str(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Networks, LibraryRun,
    ::testing::Values(
        RunCase{"FactorizationsInFull", {"knoke_bureaucracies.dat"},
                "--factor-omega --factor-lower-omega --full-factor-output --cutoffs 0.05,0.2",
                {.cutoffs = "0.05,0.2", .factor_omega = true, .factor_lower_omega = true, .full_factor_output = true}},
        RunCase{"TwoNetworksOneStreamPairsUnderDyadCensus",
                {"padgett_florentine.dat", "wolfe_primates.dat"},
                "--permutation-strategy pairs --measure-control MD --seed 7 --transposes",
                {.transposes = true, .permutation_strategy = PermutationStrategy::kPairs,
                 .measure_control = MeasureControl::kMD, .seed = 7}},
        RunCase{"GeneratorPowers", {"kapferer_mine.dat"},
                "--generator-products-only --max-word-length 3 --factor-omega",
                {.generator_products_only = true, .max_word_length = 3, .factor_omega = true}}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

// Every accessor reads the value the JSON document of the same analysis holds (the JSON
// test ties the document to the report): statistics and proportions of every pair, the
// multiplication table, the partial order and every relation of a cutoff level.
TEST(Library, AccessorsReadWhatTheDocumentHolds) {
  ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("in.dat"), testing::ExampleNetwork("wolfe_primates.dat"));
  Options options;
  options.sample_size = 100;
  options.permutation_strategy = PermutationStrategy::kPairs;
  const std::vector<Network> networks = ReadNetworks(dir.File("in.dat"));
  const Result result = Analyze(networks.front(), options);
  std::ostringstream json_text;
  Analyze(networks, options, Views{nullptr, &json_text});
  const nlohmann::json problem = nlohmann::json::parse(json_text.str())["problems"][0];
  const int e = result.element_count();
  ASSERT_GT(e, 3);

  using Read = double (Result::*)(int, int) const;
  const std::pair<const char*, Read> statistics[] = {
      {"likelihood_ratio", &Result::likelihood_ratio}, {"theta", &Result::theta},
      {"fisher_p", &Result::fisher_p}, {"mcnemar_z", &Result::mcnemar_z},
      {"mcnemar_z_proportions", &Result::mcnemar_z_proportion}, {"binomial_p", &Result::binomial_p},
      {"kappa", &Result::kappa}, {"estvar", &Result::estvar}, {"kappa_proportions", &Result::kappa_proportion},
      {"standardized_kappa", &Result::standardized_kappa},
      {"standardized_kappa_proportions", &Result::standardized_kappa_proportion}};
  for (const auto& [name, read] : statistics) {
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j) {
        const nlohmann::json& cell = problem["statistics"][name][i][j];
        const double value = (result.*read)(i, j);
        ASSERT_TRUE(cell.is_null() ? std::isnan(value) : static_cast<float>(cell.get<double>()) == float(value))
            << name << " (" << i << ", " << j << "): " << cell << " " << value;
      }
    }
  }
  const nlohmann::json& level = problem["cutoff_levels"][0];
  const auto bit = [](const nlohmann::json& rows, int i, int j) { return rows[i].get<std::string>()[j] == '1'; };
  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) {
      const nlohmann::json& product = problem["semigroup"]["multiplication_table"][i][j];
      EXPECT_EQ(result.product(i, j), product.is_null() ? -1 : product.get<int>() - 1);
      EXPECT_EQ(result.partial_order(i, j), bit(problem["partial_order"], i, j));
      EXPECT_EQ(result.omega(0, i, j), bit(level["omega"], i, j));
      EXPECT_EQ(result.lower_omega(0, i, j), bit(level["lower_omega"], i, j));
      EXPECT_EQ(result.lower_omega_closure(0, i, j), bit(level["lower_omega_closure"], i, j));
      EXPECT_EQ(result.omega_closure(0, i, j), bit(level["omega_closure"], i, j));
    }
  }
  EXPECT_EQ(result.word(0), "A");
  EXPECT_EQ(result.word(result.generator_count()).size(), 2u);
}

// What the library refuses, each as an Error of its kind with a message that names it.
TEST(Library, RefusalsAreErrorsOfTheirKind) {
  ScratchDirectory dir;
  Network square{"square", 2, {{0, 1, 1, 0}}, {}, {}, {}, {}};
  Network short_matrix = square;
  short_matrix.relations[0].pop_back();
  const Network one_actor{"one", 1, {{1}}, {}, {}, {}, {}};
  EXPECT_EQ(Analyze(one_actor, Options{}).element_count(), 1);
  const Network too_many{"big", 182, {std::vector<std::uint8_t>(182 * 182)}, {}, {}, {}, {}};
  std::atomic<bool> cancel{true};
  Hooks cancelling;
  cancelling.cancel = &cancel;
  testing::WriteWholeFile(dir.File("bad.dat"), "label\nthree relations\n");
  struct Case {
    const char* name;
    std::function<void()> call;
    ErrorKind kind;
    const char* says;
  };
  for (const Case& c : std::vector<Case>{
           {"MatrixOfTheWrongSize", [&] { Analyze(short_matrix, Options{}); }, ErrorKind::kInvalidArgument,
            "relation 1 has 3 cells, not 2 x 2"},
           {"TooManyActors", [&] { Analyze(too_many, Options{}); }, ErrorKind::kInvalidArgument,
            "N = 182 is outside 1..181"},
           {"FixedMatrixControlWithoutOne", [&] { Analyze(square, {.measure_control = MeasureControl::kMF}); },
            ErrorKind::kCompletion, "need a fixed matrix"},
           {"Cancelled", [&] { Analyze(square, Options{}, cancelling); }, ErrorKind::kCancelled, "cancelled"},
           {"PairOutOfOrder", [&] { Analyze(square, Options{}).kappa(1, 0); }, ErrorKind::kInvalidArgument, "i < j"},
           {"MissingFile", [&] { ReadNetworks(dir.File("none.dat")); }, ErrorKind::kFile, "Input file open failure"},
           {"MalformedData", [&] { ReadNetworks(dir.File("bad.dat")); }, ErrorKind::kMalformedInput,
            "Could not read arguments"}}) {
    try {
      c.call();
      ADD_FAILURE() << c.name << ": no error";
    } catch (const Error& error) {
      EXPECT_EQ(error.kind(), c.kind) << c.name;
      EXPECT_THAT(error.what(), ::testing::HasSubstr(c.says)) << c.name;
    }
  }
}

}  // namespace
}  // namespace quorel
