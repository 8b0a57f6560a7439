// The JSON document read back and held against the report's own tables.

#include "views/json_export.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>

#include "shell/command_line.hpp"
#include "shell/run_command.hpp"
#include "support/report_tables.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using nlohmann::json;
using testing::ReportTables;

struct JsonRun {
  testing::RunCapture run;
  json document;
};

// Runs the analysis with a JSON export attached and parses the document it gives.
JsonRun RunWithJson(const std::string& data, const AnalysisOptions& options,
                    const std::function<void(AnalysisState&)>& prepare = {}) {
  JsonExport exporter(options, "test");
  JsonRun result;
  result.run = testing::RunOnText(data, options, [&](AnalysisState& state) {
    state.Results = &exporter;
    if (prepare) prepare(state);
  });
  RunOutcome outcome;
  outcome.code = result.run.code;
  outcome.fatal = result.run.fatal;
  result.document = json::parse(exporter.Text(outcome));  // throws when the text is not JSON
  return result;
}

// A statistic as the report prints it.
std::string Printed(const json& value, const char* format) {
  if (value.is_null()) return "nan";
  char text[32];
  std::snprintf(text, sizeof text, format, static_cast<double>(value.get<float>()));
  std::string s = text;
  return s.substr(s.find_first_not_of(' '));
}

// A relation as row strings from a report table of "0"/"1" cells.
json Rows(const std::vector<std::vector<std::string>>& cells) {
  json rows = json::array();
  for (const auto& row : cells) {
    std::string text;
    for (const std::string& cell : row) text += cell;
    rows.push_back(text);
  }
  return rows;
}

// The Boolean product of two relation matrices given as row strings: a followed by b.
json Product(const json& a, const json& b) {
  const std::size_t n = a.size();
  json rows = json::array();
  for (std::size_t r = 0; r < n; ++r) {
    std::string row(n, '0');
    for (std::size_t c = 0; c < n; ++c) {
      for (std::size_t k = 0; k < n; ++k) {
        if (a[r].get<std::string>()[k] == '1' && b[k].get<std::string>()[c] == '1') row[c] = '1';
      }
    }
    rows.push_back(row);
  }
  return rows;
}

struct StatisticBlock {
  const char* key;      // in the document
  const char* heading;  // in the report
  const char* format;
};

const StatisticBlock kBlocks[] = {
    {"likelihood_ratio", "LIKELIHOOD RATIO STATISTIC:", "%7.2f"},
    {"theta", "THETA - Proportions", "%7.4f"},
    {"fisher_p", "FISHERP:", "%7.4f"},
    {"mcnemar_z", "McNEMAR Z:", "%7.2f"},
    {"mcnemar_z_proportions", "McNEMAR Z proportions:", "%7.4f"},
    {"binomial_p", "BINP:", "%7.4f"},
    {"kappa", "KAPPA:", "%7.2f"},
    {"estvar", "ESTVAR:", "%7.4f"},
    {"kappa_proportions", "KAPPA proportions:", "%7.4f"},
    {"standardized_kappa", "STANDARDIZED KAPPA:", "%7.2f"},
    {"standardized_kappa_proportions", "STANDARDIZED KAPPA proportions:", "%7.4f"},
};

struct ExampleCase {
  std::string network;
  AnalysisOptions options;
};

std::vector<ExampleCase> ExampleCases() {
  AnalysisOptions factors;
  factors.m_SampleSize = 60;
  factors.m_FactorOmega = 1;
  factors.m_FactorLowerOmega = 1;
  factors.m_CutoffList = "0.05, 0.2";
  AnalysisOptions pairs;
  pairs.m_SampleSize = 20;
  pairs.m_PermutationStrategy = 0;
  pairs.m_MeasureControl = kMB;
  pairs.m_Transposes = 1;
  pairs.m_FactorOmega = 1;
  AnalysisOptions powers;
  powers.m_SampleSize = 30;
  powers.m_GeneratorProductsOnly = 1;
  powers.m_MaxWordLength = 3;
  powers.m_FactorOmega = 1;
  return {{"padgett_florentine.dat", factors}, {"knoke_bureaucracies.dat", pairs}, {"kapferer_mine.dat", powers}};
}

TEST(JsonExport, AgreesWithTheReport) {
  for (const ExampleCase& c : ExampleCases()) {
    SCOPED_TRACE(c.network);
    const JsonRun r = RunWithJson(testing::ExampleNetwork(c.network), c.options);
    ASSERT_FALSE(r.run.fatal);
    const json& d = r.document;
    EXPECT_EQ(d["status"], "complete");
    EXPECT_EQ(d["format_version"], kJsonFormatVersion);
    ASSERT_EQ(d["problems"].size(), 1u);
    const json& p = d["problems"][0];
    EXPECT_TRUE(p["complete"].get<bool>());
    const ReportTables report(r.run.report);
    const bool powers = c.options.m_GeneratorProductsOnly != 0;

    // Elements and words.
    const std::string order_line = powers ? "Order of the semigroup (generator products only):" : "Order of the semigroup :";
    const std::size_t order_at = r.run.report.find(order_line);
    ASSERT_NE(order_at, std::string::npos);
    const int e = std::stoi(r.run.report.substr(order_at + order_line.size()));
    const json& semigroup = p["semigroup"];
    ASSERT_EQ(semigroup["order"], e);
    ASSERT_EQ(semigroup["elements"].size(), static_cast<std::size_t>(e));
    const auto words = report.WordTable(report.After("WORD TABLE:"), e);
    const int g = static_cast<int>(p["generators"].size());
    for (int k = 0; k < e; ++k) {
      const json& element = semigroup["elements"][k];
      const json& entry = semigroup["word_table"][k];
      EXPECT_EQ(element["number"], k + 1);
      if (words[k].first == 0) {
        EXPECT_TRUE(entry.is_null()) << k;
        EXPECT_EQ(element["word"], json::array({k + 1})) << k;
        continue;
      }
      EXPECT_EQ(entry, json::array({words[k].first, words[k].second})) << k;
      // The word extends the word of the element it was formed from, and the matrix is
      // the product of that element's matrix and the generator's.
      json expected = semigroup["elements"][words[k].first - 1]["word"];
      expected.push_back(words[k].second);
      EXPECT_EQ(element["word"], expected) << k;
      EXPECT_EQ(element["matrix"], Product(semigroup["elements"][words[k].first - 1]["matrix"],
                                           semigroup["elements"][words[k].second - 1]["matrix"]))
          << k;
      if (g <= 26) {
        EXPECT_EQ(element["letters"].get<std::string>().size(), element["word"].size());
      }
    }

    // Multiplication table and partial order.
    if (!powers) {
      const auto mult = report.ElementTable(report.After("PARTIAL MULTIPLICATION TABLE:"), e);
      for (int a = 0; a < e; ++a) {
        for (int b = 0; b < e; ++b) {
          const json& cell = semigroup["multiplication_table"][a][b];
          EXPECT_EQ(cell.is_null() ? std::string("*") : std::to_string(cell.get<int>()), mult[a][b]) << a << "," << b;
        }
      }
    }
    EXPECT_EQ(p["partial_order"], Rows(report.ElementTable(report.After("PARTIAL ORDER TABLE:"), e)));

    // Every statistic block the report shows, cell by cell; a block it leaves out is null.
    for (const StatisticBlock& block : kBlocks) {
      SCOPED_TRACE(block.key);
      const json& values = p["statistics"][block.key];
      const std::size_t at = report.After(block.heading);
      if (at == std::string::npos) {
        EXPECT_TRUE(values.is_null());
        continue;
      }
      const auto cells = report.StatisticTable(at, e);
      for (int i = 0; i < e; ++i) {
        for (int j = 0; j < e; ++j) {
          if (j <= i) {
            EXPECT_TRUE(values[i][j].is_null());
          } else {
            EXPECT_EQ(Printed(values[i][j], block.format), cells[i][j]) << i << "," << j;
          }
        }
      }
    }

    // Each cutoff level's relations and atoms.
    const json& levels = p["cutoff_levels"];
    ASSERT_EQ(levels.size(), p["options"]["cutoffs"].size());
    std::size_t level_at = 0;
    for (std::size_t k = 0; k < levels.size(); ++k) {
      const json& level = levels[k];
      level_at = report.After("(" + std::to_string(k + 1) + ")\tAlpha", level_at);
      ASSERT_NE(level_at, std::string::npos);
      EXPECT_EQ(level["omega"], Rows(report.ElementTable(report.After("OMEGA :", level_at), e)));
      if (powers) {
        EXPECT_TRUE(level["omega_closure"].is_null());
        EXPECT_TRUE(level["lower_omega"].is_null());
      } else {
        EXPECT_EQ(level["lower_omega"], Rows(report.ElementTable(report.After("LOWER OMEGA RELATION:", level_at), e)));
        EXPECT_EQ(level["lower_omega_closure"],
                  Rows(report.ElementTable(report.After("CLOSURE OF LOWER OMEGA RELATION:", level_at), e)));
        EXPECT_EQ(level["omega_closure"],
                  Rows(report.ElementTable(report.After("PARTIAL ALGEBRAIC CLOSURE OF OMEGA:", level_at), e)));
      }
      const json& atoms = level["omega_factorization"]["atoms"];
      const std::size_t factor_at = report.After("FACTORIZATION OF OMEGA AT LEVEL ALPHA:", level_at);
      for (std::size_t a = 0; a < atoms.size(); ++a) {
        const std::size_t atom_at = report.After("ATOM #" + std::to_string(a + 1), factor_at);
        std::istringstream line(r.run.report.substr(atom_at + std::string("Generating Inclusion:").size()));
        int first = 0, second = 0;
        char comma = 0;
        line >> first >> comma >> second;
        EXPECT_EQ(atoms[a]["generating"], json::array({first, second})) << a;
        // The induced inclusions hold the generating one.
        EXPECT_THAT(atoms[a]["induced"].get<std::vector<std::vector<int>>>(),
                    ::testing::Contains(std::vector<int>{first, second}));
      }
      const std::size_t count_at = r.run.report.find("THERE ", factor_at);
      const std::string count_line = r.run.report.substr(count_at, r.run.report.find('\n', count_at) - count_at);
      EXPECT_EQ(count_line, atoms.size() == 1 ? std::string("THERE IS 1 ATOM.")
                                              : "THERE ARE " + std::to_string(atoms.size()) + " ATOMS.");
      EXPECT_EQ(level["lower_omega_factorization"].is_null(), c.options.m_FactorLowerOmega == 0 || powers);
    }
  }
}

TEST(JsonExport, ReportIsTheSameWithTheExportAttached) {
  AnalysisOptions options;
  options.m_SampleSize = 40;
  options.m_FactorOmega = 1;
  options.m_FactorLowerOmega = 1;
  options.m_FullFactorOutput = 1;
  const std::string data = testing::ExampleNetwork("padgett_florentine.dat");
  EXPECT_EQ(RunWithJson(data, options).run.report, testing::RunOnText(data, options).report);
}

TEST(JsonExport, SeveralProblemsAndOptionsAsUsed) {
  AnalysisOptions options;
  options.m_SampleSize = 10;
  options.m_MeasureControl = kMC;  // lowered to MB for the non-directional first network, and kept
  options.m_CutoffList = "0.1; 0.01 0.5";
  const JsonRun r = RunWithJson(
      testing::ExampleNetwork("padgett_florentine.dat") + testing::ExampleNetwork("knoke_bureaucracies.dat"), options);
  const json& d = r.document;
  EXPECT_EQ(d["status"], "complete");
  EXPECT_EQ(d["completion_code"], 0);
  ASSERT_EQ(d["problems"].size(), 2u);
  EXPECT_EQ(d["problems"][0]["number"], 1);
  EXPECT_EQ(d["problems"][1]["number"], 2);
  EXPECT_EQ(d["problems"][0]["label"], "Padgett Florentine families: marriage, business");
  EXPECT_EQ(d["problems"][0]["directionality"], "non-directional");
  EXPECT_EQ(d["problems"][1]["directionality"], "directional");
  for (const json& p : d["problems"]) {
    EXPECT_TRUE(p["complete"].get<bool>());
    EXPECT_EQ(p["options"]["cutoffs"], json::parse("[0.1, 0.01, 0.5]"));
    EXPECT_EQ(p["cutoff_levels"].size(), 3u);
    EXPECT_TRUE(p["actors"].is_null());
    EXPECT_TRUE(p["relations"].is_null());
  }
  // The first problem's check lowered the measure control, as the report says.
  EXPECT_EQ(d["problems"][0]["options"]["measure_control"], "MB");
  EXPECT_EQ(d["problems"][1]["options"]["measure_control"], "MB");
  EXPECT_THAT(r.run.report, ::testing::Not(::testing::HasSubstr("Measure control        :   2")));
  EXPECT_EQ(d["options"], d["problems"][0]["options"]);
}

TEST(JsonExport, FatalErrorsLeaveAValidDocumentWithWhatWasReached) {
  struct Case {
    const char* name;
    std::string data;
    std::function<void(AnalysisState&)> prepare;
    std::size_t problems;
    bool last_complete;
    const char* last_phase;  // the last key the unfinished problem holds
  };
  const std::string good = "first\n2 1\n0 1 1 0\n";
  const std::vector<Case> cases = {
      {"malformed second problem", good + "second\n2 1\n0 1 x\n", {}, 1, true, "cutoff_levels"},
      {"Omega storage refused", good,
       [](AnalysisState& state) { state.Storage.FailAt(StorageKind::kOmega, 1); }, 1, false, "statistics"},
      {"malformed first problem", "first\n2 x\n", {}, 0, false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AnalysisOptions options;
    options.m_SampleSize = 5;
    const JsonRun r = RunWithJson(c.data, options, c.prepare);
    EXPECT_TRUE(r.run.fatal);
    EXPECT_EQ(r.document["status"], "fatal-error");
    ASSERT_EQ(r.document["problems"].size(), c.problems);
    if (c.problems == 0) continue;
    const json& last = r.document["problems"].back();
    EXPECT_EQ(last["complete"].get<bool>(), c.last_complete);
    EXPECT_TRUE(last.contains(c.last_phase));
  }
}

TEST(JsonExport, ProportionsWithoutSamplesAreNull) {
  AnalysisOptions options;
  options.m_SampleSize = 0;  // every proportion is 0 / 0
  const JsonRun r = RunWithJson(testing::ExampleNetwork("knoke_bureaucracies.dat"), options);
  const json& s = r.document["problems"][0]["statistics"];
  EXPECT_THAT(r.run.report, ::testing::HasSubstr("nan"));
  for (const char* key : {"theta", "kappa_proportions", "standardized_kappa_proportions"}) {
    EXPECT_TRUE(s[key][0][1].is_null()) << key;
  }
  EXPECT_TRUE(s["kappa"][0][1].is_number());
  // The document holds no NaN token, which would not be JSON.
  EXPECT_EQ(r.document.dump().find("NaN"), std::string::npos);
}

TEST(JsonCommand, DocumentOnEveryEndingAndStatus74WhenItCannotBeWritten) {
  testing::ScratchDirectory dir;
  // No data file: the document says how the run ended, with no problems.
  EXPECT_EQ(testing::RunQuorel(dir, "-q --json r.json"), kExitIncomplete);
  json d = json::parse(testing::ReadWholeFile(dir.File("r.json")));
  EXPECT_EQ(d["status"], "ended-early");
  EXPECT_EQ(d["completion_code"], 3);
  EXPECT_TRUE(d["problems"].empty());
  EXPECT_EQ(d["program_version"], QUOREL_VERSION_TEXT);

  testing::WriteWholeFile(dir.File("Quorel.dat"), "label\n2 1\n0 1 1 0\n");
  EXPECT_EQ(testing::RunQuorel(dir, "-q --json r.json --sample-size 3 --cutoffs '0.3,0.02' --seed 9"), kExitSuccess);
  d = json::parse(testing::ReadWholeFile(dir.File("r.json")));
  EXPECT_EQ(d["status"], "complete");
  EXPECT_EQ(d["options"]["seed"], 9);
  EXPECT_EQ(d["options"]["cutoffs"], json::parse("[0.3, 0.02]"));

  EXPECT_EQ(testing::RunQuorel(dir, "-q --json no/such/dir/r.json"), kExitReportWrite);
  EXPECT_THAT(testing::ReadWholeFile(dir.File("stderr.txt")),
              ::testing::HasSubstr("the JSON file 'no/such/dir/r.json' could not be written"));
}

}  // namespace
}  // namespace quorel
