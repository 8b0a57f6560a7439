// The library API: networks read and analysed through <quorel/quorel.hpp> give the command
// line's report byte for byte, nothing is written on the way, and every refusal is a
// quorel::Error of its kind. (The accessors are held against the command line's JSON
// document, value for value, by the Python module's and the R package's tests, which read
// every result through them.)

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "quorel/polled_run.hpp"
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

// What the library refuses, each as an Error of its kind with a message that names it.
// The reading options reach every network read: names given, relations marked, valued
// cells counted in a warning.
TEST(Library, ReadOptionsShapeTheNetworksRead) {
  std::vector<std::string> warnings;
  const std::vector<Network> named = ReadNetworks(
      std::string(QUOREL_SOURCE_DIR) + "/examples/padgett_florentine.dat",
      {.non_directional = "business", .relation_names = {"marriage", "business"}}, &warnings);
  ASSERT_EQ(named.size(), 1u);
  EXPECT_THAT(named[0].relation_names, ::testing::ElementsAre("marriage", "business"));
  EXPECT_EQ(named[0].non_directional, (std::vector<std::uint8_t>{1, 1}));
  EXPECT_TRUE(warnings.empty());
  // The names reach the words: AB is marriage then business; unnamed relations give none.
  const Result result = Analyze(named[0], Options{.sample_size = 0});
  const std::vector<std::string> names = result.word_names();
  ASSERT_EQ(names.size(), static_cast<std::size_t>(result.element_count()));
  EXPECT_EQ(result.word(3) + " " + names[3], "AB marriage.business");
  const std::vector<Network> unnamed = ReadNetworks(std::string(QUOREL_SOURCE_DIR) + "/examples/padgett_florentine.dat");
  EXPECT_TRUE(Analyze(unnamed[0], Options{.sample_size = 0}).word_names().empty());

  ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("w.csv"), "from,to,value\n1,2,3\n2,1,0.5\n");
  const std::vector<Network> valued =
      ReadNetworks(dir.File("w.csv"), {.input_format = InputFormat::kCsv, .threshold = 1.0}, &warnings);
  EXPECT_EQ(valued[0].relations[0], (std::vector<std::uint8_t>{0, 1, 0, 0}));
  EXPECT_THAT(warnings, ::testing::ElementsAre(::testing::HasSubstr("2 cells hold values other than 0 and 1")));
}

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
            "Could not read arguments"},
           {"UnknownRelationMarked",
            [&] { ReadNetworks(std::string(QUOREL_SOURCE_DIR) + "/examples/padgett_florentine.dat", {.non_directional = "kin"}); },
            ErrorKind::kMalformedInput, "\"kin\" is no relation of this network"}}) {
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

namespace quorel {
namespace {

// An analysis beside the calling thread: its value when the poll lets it run, nothing soon
// after the poll says stop, and what the work or the poll threw.
TEST(PolledRun, ReturnsTheValueStopsWhenAskedAndPassesFailuresOn) {
  const Network network = ReadNetworks(std::string(QUOREL_SOURCE_DIR) + "/examples/sampson_monastery.dat")[0];
  const auto analyse = [&](const Options& options) {
    return [&network, options](const Hooks& hooks) { return Analyze(network, options, hooks); };
  };
  int polls = 0;
  const std::optional<Result> done = RunPolled(analyse(Options{.sample_size = 0}), [&] { return ++polls > 0; });
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(done->element_count(), 584);

  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(RunPolled(analyse(Options{.sample_size = 32767}), [] { return false; }).has_value());
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));

  Network broken = network;
  broken.relations[0].pop_back();
  EXPECT_THROW(RunPolled([&](const Hooks& hooks) { return Analyze(broken, Options{}, hooks); }, [] { return true; }),
               Error);
  EXPECT_THROW(RunPolled(analyse(Options{.sample_size = 32767}), []() -> bool { throw std::runtime_error("poll"); }),
               std::runtime_error);
}

}  // namespace
}  // namespace quorel
