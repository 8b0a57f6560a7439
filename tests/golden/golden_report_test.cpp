// Whole reports of the shared real networks under several option sets. Small reports are
// kept whole in tests/golden/<case>.out; every report's 64-bit FNV-1a digest is kept in
// tests/golden/digests.txt. After a deliberate change of the report, regenerate them with
//   QUOREL_UPDATE_GOLDENS=1 build/tests/quorel_tests --gtest_filter='Golden*'
// and read the diff of the kept reports before committing.

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <map>
#include <sstream>

#include "shell/command_line.hpp"
#include "support/run_harness.hpp"
#include "views/dot_export.hpp"
#include "views/json_export.hpp"
#include "views/sink_fanout.hpp"
#include "views/table_export.hpp"

namespace quorel {
namespace {

constexpr std::size_t kKeptWholeBelow = 64 * 1024;

const std::string kGoldenDir = std::string(QUOREL_SOURCE_DIR) + "/tests/golden/";

std::uint64_t Fnv1a(const std::string& text) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char ch : text) {
    h ^= ch;
    h *= 0x100000001b3ull;
  }
  return h;
}

std::map<std::string, std::string> ReadDigests() {
  std::map<std::string, std::string> digests;
  std::ifstream in(kGoldenDir + "digests.txt");
  std::string id, digest;
  while (in >> id >> digest) digests[id] = digest;
  return digests;
}

void WriteDigest(const std::string& id, const std::string& digest) {
  std::map<std::string, std::string> digests = ReadDigests();
  digests[id] = digest;
  std::ofstream out(kGoldenDir + "digests.txt");
  for (const auto& [key, value] : digests) out << key << ' ' << value << '\n';
}

struct GoldenCase {
  std::string network;  // file in examples/, without .dat
  std::string variant;  // name of the option set
  std::vector<std::string> arguments;
  bool fixed_matrix = false;  // append a fixed matrix to the network's data

  std::string Id() const { return network + "." + variant; }
};

const std::vector<std::string> kNetworks = {
    "aarhus_cs",          "bank_wiring",           "bott_preschool", "ckm_physicians_bloomington",
    "ckm_physicians_galesburg", "ckm_physicians_peoria", "ckm_physicians_quincy", "coleman_highschool",
    "french_financial_elite",   "kapferer_mine",     "knoke_bureaucracies", "krackhardt_hightech",
    "padgett_florentine",       "sampson_monastery", "thurman_office",      "wolfe_primates",
    "zachary_karate"};

std::vector<GoldenCase> AllCases() {
  // Sample sizes are kept small so that the whole set runs in seconds.
  const std::vector<std::pair<std::string, std::vector<std::string>>> variants = {
      {"generators", {"--sample-size", "40", "--cutoffs", "0.05, 0.01", "--factor-omega", "--factor-lower-omega"}},
      {"transposes", {"--transposes", "--sample-size", "20", "--seed", "7", "--factor-omega"}},
      {"powers", {"--generator-products-only", "--max-word-length", "3", "--sample-size", "40", "--factor-omega"}},
      {"powers-transposes", {"--generator-products-only", "--transposes", "--sample-size", "40"}},
      {"pairs", {"--permutation-strategy", "pairs", "--sample-size", "10", "--diagonal", "include-all", "--cutoffs",
                 "0.1 0.001"}},
  };
  std::vector<GoldenCase> cases;
  for (const std::string& network : kNetworks) {
    for (const auto& [variant, arguments] : variants) {
      // The monastery's semigroup has 584 elements (4368 with its transposes): too large
      // for sampling every pair or printing every atom in a test.
      if (network == "sampson_monastery" && variant != "powers" && variant != "powers-transposes") {
        if (variant == "generators") {
          cases.push_back(GoldenCase{network, "generators-unfactored", {"--sample-size", "20"}});
        }
        continue;
      }
      cases.push_back(GoldenCase{network, variant, arguments});
    }
  }
  // Every measure control under both strategies on small networks of each directionality
  // (all directional, all non-directional, mixed), MF and MG with a fixed matrix added; under
  // the generators strategy also with loops included.
  const char* const kControls[] = {"MA", "MB", "MC", "MD", "ME", "MF", "MG"};
  for (const std::string network : {"knoke_bureaucracies", "kapferer_mine", "wolfe_primates"}) {
    for (const char* control : kControls) {
      const bool fixed = control[1] == 'F' || control[1] == 'G';
      for (const std::string strategy : {"pairs", "generators"}) {
        std::vector<std::string> arguments = {"--permutation-strategy", strategy, "--measure-control", control,
                                              "--sample-size", "15", "--factor-omega", "--factor-lower-omega",
                                              "--full-factor-output"};
        if (fixed) arguments.push_back("--fixed-matrix");
        cases.push_back(GoldenCase{network, strategy + "-" + control, arguments, fixed});
      }
      // The generators permuted with their loops taking part.
      std::vector<std::string> arguments = {"--measure-control", control, "--sample-size", "15", "--diagonal",
                                            "include-all"};
      if (fixed) arguments.push_back("--fixed-matrix");
      cases.push_back(GoldenCase{network, std::string("generators-loops-") + control, arguments, fixed});
    }
  }
  return cases;
}

// The options of a command line's arguments.
AnalysisOptions OptionsOf(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv = {"quorel"};
  for (const std::string& a : arguments) argv.push_back(a.c_str());
  const CommandLine command = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
  EXPECT_FALSE(command.exit_now);
  return command.options;
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, ReportIsUnchanged) {
  const GoldenCase& c = GetParam();
  std::string data = testing::ExampleNetwork(c.network + ".dat");
  if (c.fixed_matrix) data = testing::WithFixedMatrix(data);
  const testing::RunCapture run = testing::RunOnText(data, OptionsOf(c.arguments));
  ASSERT_FALSE(run.fatal) << run.errors;

  char digest[17];
  std::snprintf(digest, sizeof digest, "%016" PRIx64, Fnv1a(run.report));
  const std::string whole_path = kGoldenDir + c.Id() + ".out";
  if (std::getenv("QUOREL_UPDATE_GOLDENS") != nullptr) {
    WriteDigest(c.Id(), digest);
    if (run.report.size() < kKeptWholeBelow) {
      testing::WriteWholeFile(whole_path, run.report);
    } else {
      std::filesystem::remove(whole_path);
    }
    return;
  }
  if (std::filesystem::exists(whole_path)) {
    EXPECT_EQ(run.report, testing::ReadWholeFile(whole_path));
  }
  const auto digests = ReadDigests();
  const auto found = digests.find(c.Id());
  ASSERT_NE(found, digests.end()) << "no digest for " << c.Id();
  EXPECT_EQ(found->second, digest) << "the report of " << c.Id() << " changed";
}

INSTANTIATE_TEST_SUITE_P(SharedNetworks, Golden, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                           std::string id = info.param.Id();
                           for (char& ch : id) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                           return id;
                         });

}  // namespace
}  // namespace quorel

namespace quorel {
namespace {

// The same report on one worker, two and four, under both strategies and several controls.
TEST(ThreadCount, DoesNotChangeTheReport) {
  struct Case {
    const char* network;
    std::vector<std::string> arguments;
  };
  const std::vector<Case> cases = {
      {"krackhardt_hightech.dat", {"--permutation-strategy", "pairs", "--sample-size", "30"}},
      {"wolfe_primates.dat", {"--permutation-strategy", "pairs", "--measure-control", "MD", "--sample-size", "30"}},
      {"bott_preschool.dat", {"--permutation-strategy", "pairs", "--measure-control", "ME", "--sample-size", "10"}},
      {"krackhardt_hightech.dat", {"--measure-control", "MC", "--sample-size", "50", "--transposes"}},
  };
  for (const Case& c : cases) {
    std::string first_report;
    for (const char* threads : {"1", "2", "4"}) {
      std::vector<std::string> arguments = c.arguments;
      arguments.insert(arguments.end(), {"--threads", threads});
      const testing::RunCapture run = testing::RunOnText(testing::ExampleNetwork(c.network), OptionsOf(arguments));
      ASSERT_FALSE(run.fatal) << run.errors;
      if (first_report.empty()) {
        first_report = run.report;
      } else {
        EXPECT_EQ(run.report, first_report) << c.network << " on " << threads << " threads";
      }
    }
  }
}

}  // namespace
}  // namespace quorel

namespace quorel {
namespace {

// The JSON document, the tables and the diagrams of a run are pinned as the reports are: each file's
// digest in digests.txt (as "document/<case>/<file>"), the small ones kept whole under
// tests/golden/documents/. The cases fill every block and column the two views can write:
// two problems with both factorizations at two levels, transposes under permuted pairs,
// generator products without samples, every diagonal rule, a fixed matrix, exact P-values
// and a cutoff given twice.
struct DocumentCase {
  std::string name;
  std::vector<std::string> networks;  // files in examples/, one problem each
  std::vector<std::string> arguments;
};

const std::vector<DocumentCase> kDocumentCases = {
    {"two-problems-MC",
     {"padgett_florentine", "knoke_bureaucracies"},
     {"--measure-control", "MC", "--sample-size", "60", "--factor-omega", "--factor-lower-omega", "--cutoffs",
      "0.05; 0.2", "--seed", "9"}},
    {"pairs-MB-transposes",
     {"knoke_bureaucracies"},
     {"--transposes", "--permutation-strategy", "pairs", "--measure-control", "MB", "--sample-size", "20",
      "--factor-omega"}},
    {"powers-unsampled",
     {"kapferer_mine"},
     {"--generator-products-only", "--max-word-length", "3", "--sample-size", "0", "--factor-omega"}},
    {"powers-sampled",
     {"kapferer_mine"},
     {"--generator-products-only", "--max-word-length", "3", "--sample-size", "20", "--cutoffs", "0.5"}},
    {"pairs-include-all",
     {"knoke_bureaucracies"},
     {"--permutation-strategy", "pairs", "--diagonal", "include-all", "--sample-size", "20", "--cutoffs", "0.05 0.1",
      "--factor-omega", "--factor-lower-omega"}},
    {"cutoff-twice",
     {"kapferer_mine"},
     {"--cutoffs", "0.05, 0.01, 0.05", "--sample-size", "20", "--factor-lower-omega"}},
    {"fixed-MF-exclude-all",
     {"knoke_bureaucracies"},
     {"--fixed-matrix", "--measure-control", "MF", "--diagonal", "exclude-all", "--sample-size", "20", "--cutoffs",
      "0.2", "--factor-omega"}},
    {"exact-MC",
     {"wolfe_primates"},
     {"--permutation-strategy", "pairs", "--measure-control", "MC", "--exact-p", "--sample-size", "30"}},
};

// The file's text against its digest, and against the kept file where there is one; with
// QUOREL_UPDATE_GOLDENS set, both are written instead.
void ExpectPinned(const std::string& id, const std::string& text) {
  char digest[17];
  std::snprintf(digest, sizeof digest, "%016" PRIx64, Fnv1a(text));
  const std::filesystem::path whole_path = kGoldenDir + "documents/" + id.substr(id.find('/') + 1);
  if (std::getenv("QUOREL_UPDATE_GOLDENS") != nullptr) {
    WriteDigest(id, digest);
    std::filesystem::remove(whole_path);
    if (text.size() < kKeptWholeBelow) {
      std::filesystem::create_directories(whole_path.parent_path());
      testing::WriteWholeFile(whole_path.string(), text);
    }
    return;
  }
  if (std::filesystem::exists(whole_path)) {
    EXPECT_EQ(text, testing::ReadWholeFile(whole_path.string())) << id;
  }
  const auto digests = ReadDigests();
  const auto found = digests.find(id);
  ASSERT_NE(found, digests.end()) << "no digest for " << id;
  EXPECT_EQ(found->second, digest) << id << " changed";
}

TEST(GoldenDocuments, JsonAndTablesAreUnchanged) {
  for (const DocumentCase& c : kDocumentCases) {
    SCOPED_TRACE(c.name);
    const AnalysisOptions options = OptionsOf(c.arguments);
    std::string data;
    for (const std::string& network : c.networks) {
      const std::string text = testing::ExampleNetwork(network + ".dat");
      data += options.m_FixedSupplied ? testing::WithFixedMatrix(text) : text;
    }
    testing::ScratchDirectory dir;
    JsonExport document(options, "test");
    TableExport tables(dir.File("tables"), stderr);
    DotExport diagrams(dir.File("diagrams"), "", stderr);
    SinkFanout views;
    views.Add(&document);
    views.Add(&tables);
    views.Add(&diagrams);
    const testing::RunCapture run = testing::RunOnText(data, options, [&](AnalysisState& s) { s.Results = &views; });
    ASSERT_FALSE(run.fatal) << run.errors;
    tables.Finish();
    const std::string json = document.Text(RunOutcome{});
    ExpectPinned("document/" + c.name + "/document.json", json);
    // The report of the same run: the views, and --exact-p, which adds only to them, leave it alone.
    ExpectPinned("document/" + c.name + "/report.out", run.report);
    for (std::size_t problem = 1; problem <= c.networks.size(); ++problem) {
      for (const char* file : {"elements.csv", "pairs.csv", "partial_order.csv", "omega.csv", "atoms.csv"}) {
        const std::string path = std::to_string(problem) + "/" + file;
        ExpectPinned("document/" + c.name + "/" + path, testing::ReadWholeFile(dir.File("tables/" + path)));
      }
    }
    std::vector<std::filesystem::path> drawn;
    for (const auto& entry : std::filesystem::directory_iterator(dir.File("diagrams"))) drawn.push_back(entry.path());
    std::sort(drawn.begin(), drawn.end());
    EXPECT_GE(drawn.size(), c.networks.size());  // each partial order at least
    for (const std::filesystem::path& file : drawn) {
      ExpectPinned("document/" + c.name + "/diagrams/" + file.filename().string(), testing::ReadWholeFile(file));
    }
  }
}

}  // namespace
}  // namespace quorel
