// The JSON document held against the report. Beside the document, the run is recorded by
// the recorder that stands behind the library's results; replayed into a report, the record
// must give the run's report byte for byte, so the document is held against what the report
// shows by holding it against the record value for value. The library's accessors, on a
// result holding that record, must read the same values.

#include "views/json_export.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "pipeline/result_data.hpp"
#include "pipeline/result_record.hpp"
#include "quorel/quorel.hpp"
#include "shell/command_line.hpp"
#include "shell/run_command.hpp"
#include "support/run_harness.hpp"
#include "views/report_view.hpp"
#include "views/sink_fanout.hpp"

namespace quorel {
namespace {

using nlohmann::json;

// Runs the analysis with a JSON export (and `more` views) attached; the document, parsed.
json RunWithJson(const std::string& data, const AnalysisOptions& options, testing::RunCapture& run,
                 const std::function<void(AnalysisState&)>& prepare = {}, ResultSink* more = nullptr) {
  JsonExport exporter(options, "test");
  SinkFanout views;
  views.Add(&exporter);
  views.Add(more);
  run = testing::RunOnText(data, options, [&](AnalysisState& state) {
    state.Results = &views;
    if (prepare) prepare(state);
  });
  RunOutcome outcome;
  outcome.code = run.code;
  outcome.fatal = run.fatal;
  const std::string text = exporter.Text(outcome);
  // Written piece by piece as the results came, the document is still, byte for byte, the
  // compact form of what it holds, keys in their order.
  EXPECT_EQ(text, nlohmann::ordered_json::parse(text).dump() + "\n");
  return json::parse(text);
}

// The recorded problems replayed into a report.
std::string Replayed(const std::vector<ProblemRecord>& problems) {
  std::FILE* out = std::tmpfile();
  StorageGate gate;
  ReportView report(out, gate);
  for (std::size_t k = 0; k < problems.size(); ++k) {
    if (k > 0) report.ProblemFollows();
    Replay(problems[k], report);
  }
  return testing::DrainAndClose(out);
}

// A relation as the document writes it: a string of 0 and 1 per row; `at(r, c)` is a cell.
json Rows(int n, const std::function<bool(int, int)>& at) {
  json rows = json::array();
  for (int r = 0; r < n; ++r) {
    std::string row;
    for (int c = 0; c < n; ++c) row += at(r, c) ? '1' : '0';
    rows.push_back(row);
  }
  return rows;
}
json Rows(const ElementRelation& m) { return Rows(m.Size(), [&m](int r, int c) { return m.Get(r, c); }); }
json Pair(const ElementPair& p) { return json::array({p.First + 1, p.Second + 1}); }

// The generators, elements, words and tables of a problem.
void ExpectSemigroupAgrees(const json& p, const ProblemRecord& r, const Result& result) {
  const int e = r.semigroup.element_count, g = r.generator_count, n = r.elements.Shape().n;
  const json& elements = p["semigroup"]["elements"];
  ASSERT_EQ(p["semigroup"]["order"], e);
  ASSERT_EQ(p["generators"].size(), static_cast<std::size_t>(g));
  for (int k = 0; k < e; ++k) {
    EXPECT_EQ(elements[k]["matrix"], Rows(n, [&](int row, int col) { return r.elements.Cell(k, row, col); })) << k;
    const WordEntry& w = r.semigroup.word_table[k];
    EXPECT_EQ(p["semigroup"]["word_table"][k], w.Node < 0 ? json(nullptr) : json::array({w.Node + 1, w.Generator + 1}));
    // The word extends the word of the element it was formed from by the generator.
    json word = w.Node < 0 ? json::array() : elements[w.Node]["word"];
    word.push_back(w.Node < 0 ? k + 1 : w.Generator + 1);
    EXPECT_EQ(elements[k]["word"], word) << k;
    if (g <= 26) {
      EXPECT_EQ(elements[k]["letters"].get<std::string>().size(), word.size());
      EXPECT_EQ(elements[k]["letters"], result.word(k));
    }
    for (int b = 0; b < e && !r.semigroup.generator_products_only; ++b) {
      const std::int16_t product = r.semigroup.mult_table[k * e + b];
      EXPECT_EQ(p["semigroup"]["multiplication_table"][k][b], product < 0 ? json(nullptr) : json(product + 1));
      EXPECT_EQ(result.product(k, b), product);
    }
  }
  for (int k = 0; k < g; ++k) {
    // A generator is an input relation or the transpose of one, and its matrix says so.
    const json& transpose_of = p["generators"][k]["transpose_of"];
    EXPECT_EQ(p["generators"][k]["input_relation"], transpose_of.is_null() ? json(k + 1) : json(nullptr)) << k;
    if (transpose_of.is_null()) continue;
    EXPECT_EQ(elements[k]["matrix"], Rows(n, [&](int row, int col) {
                return r.elements.Cell(transpose_of.get<int>() - 1, col, row);
              })) << k;
  }
  EXPECT_EQ(p["partial_order"], Rows(r.partial_order));
  EXPECT_EQ(p["partial_order"], Rows(e, [&](int i, int j) { return result.partial_order(i, j); }));
}

// Every statistic block the report shows (by its heading) holds the recorded values, a
// proportion of no samples as null; a block the report leaves out is null. The accessor
// reads the value shown, else not a number.
void ExpectStatisticsAgree(const json& p, const ProblemRecord& r, const std::string& report, const Result& result) {
  const StatisticMatrices& s = r.statistics;
  using Read = double (Result::*)(int, int) const;
  const struct {
    const char* key;
    const char* heading;
    const std::vector<float>& values;
    bool upper;
    Read read;
  } blocks[] = {
      {"likelihood_ratio", "LIKELIHOOD RATIO STATISTIC:", s.L, true, &Result::likelihood_ratio},
      {"theta", "THETA - Proportions", s.L, false, &Result::theta},
      {"fisher_p", "FISHERP:", s.PValue, true, &Result::fisher_p},
      {"mcnemar_z", "McNEMAR Z:", s.McNemarZ, true, &Result::mcnemar_z},
      {"mcnemar_z_proportions", "McNEMAR Z proportions:", s.McNemarZ, false, &Result::mcnemar_z_proportion},
      {"binomial_p", "BINP:", s.PValue, false, &Result::binomial_p},
      {"kappa", "KAPPA:", s.Kappa, true, &Result::kappa},
      {"estvar", "ESTVAR:", s.Estvar, true, &Result::estvar},
      {"kappa_proportions", "KAPPA proportions:", s.Kappa, false, &Result::kappa_proportion},
      {"standardized_kappa", "STANDARDIZED KAPPA:", s.StdKappa, true, &Result::standardized_kappa},
      {"standardized_kappa_proportions", "STANDARDIZED KAPPA proportions:", s.StdKappa, false,
       &Result::standardized_kappa_proportion}};
  const int e = r.semigroup.element_count;
  for (const auto& b : blocks) {
    const json& values = p["statistics"][b.key];
    ASSERT_EQ(values.is_null(), report.find(std::string("\n") + b.heading) == std::string::npos) << b.key;
    for (int i = 0; i < e; ++i)
      for (int j = 0; j < e; ++j) {
        const float v = b.values[b.upper ? i * e + j : j * e + i];
        const bool shown = !values.is_null() && j > i && std::isfinite(v);
        const std::string where = std::string(b.key) + " " + std::to_string(i) + "," + std::to_string(j);
        if (!values.is_null()) {
          const json& x = values[i][j];
          EXPECT_TRUE(shown ? x.is_number() && x.get<float>() == v : x.is_null()) << where << ": " << x << " " << v;
        }
        if (j <= i) continue;
        const double read = (result.*b.read)(i, j);
        EXPECT_TRUE(shown ? static_cast<float>(read) == v : std::isnan(read)) << where << ": " << read << " " << v;
      }
  }
}

// Each cutoff level's relations and atoms.
void ExpectLevelsAgree(const json& p, const ProblemRecord& r, const Result& result) {
  const json& levels = p["cutoff_levels"];
  ASSERT_EQ(levels.size(), r.levels.size());
  for (std::size_t k = 0; k < levels.size(); ++k) {
    const OmegaLevel& l = r.levels[k].relations;
    EXPECT_EQ(levels[k]["omega"], Rows(l.Omega));
    EXPECT_EQ(levels[k]["lower_omega"], l.HasLowerOmega ? Rows(l.LowerOmega) : json(nullptr));
    EXPECT_EQ(levels[k]["lower_omega_closure"], l.HasLowerOmega ? Rows(l.LowerOmegaClosure) : json(nullptr));
    EXPECT_EQ(levels[k]["omega_closure"], l.HasLowerOmega ? Rows(l.OmegaClosure) : json(nullptr));
    const int e = l.Omega.Size(), level = static_cast<int>(k);
    EXPECT_EQ(levels[k]["omega"], Rows(e, [&](int i, int j) { return result.omega(level, i, j); }));
    if (l.HasLowerOmega) {
      EXPECT_EQ(levels[k]["lower_omega"], Rows(e, [&](int i, int j) { return result.lower_omega(level, i, j); }));
      EXPECT_EQ(levels[k]["lower_omega_closure"],
                Rows(e, [&](int i, int j) { return result.lower_omega_closure(level, i, j); }));
      EXPECT_EQ(levels[k]["omega_closure"], Rows(e, [&](int i, int j) { return result.omega_closure(level, i, j); }));
    }
    int factorizations = 0;
    for (const ProblemRecord::Factorization& f : r.levels[k].factorizations) {
      ++factorizations;
      const json& atoms = levels[k][f.is_omega ? "omega_factorization" : "lower_omega_factorization"]["atoms"];
      ASSERT_EQ(atoms.size(), f.atoms.size());
      for (std::size_t a = 0; a < atoms.size(); ++a) {
        EXPECT_EQ(atoms[a]["generating"], Pair(f.atoms[a].Generating));
        json induced = json::array();
        for (const ElementPair& pair : f.atoms[a].Induced) induced.push_back(Pair(pair));
        EXPECT_EQ(atoms[a]["induced"], induced);
        EXPECT_EQ(atoms[a]["unique_meet_complement"], f.atoms[a].UniqueMeetComplement);
        EXPECT_EQ(atoms[a]["meet_complements"], Rows(f.atoms[a].MeetComplements));
      }
    }
    EXPECT_EQ(!levels[k]["omega_factorization"].is_null() + !levels[k]["lower_omega_factorization"].is_null(),
              factorizations);
  }
}

// Three option sets: both factorizations at two cutoff levels on two problems (MC lowered to
// MB for the first, non-directional one); permuted pairs under MB with transposes; generator
// products only, without samples (every proportion is 0 / 0: null, never a NaN token).
TEST(JsonExport, AgreesWithTheReport) {
  AnalysisOptions factors{.m_MeasureControl = kMC, .m_SampleSize = 60, .m_FactorOmega = 1, .m_FactorLowerOmega = 1,
                          .m_CutoffList = "0.05; 0.2", .Seed = 9};
  AnalysisOptions pairs{.m_Transposes = 1, .m_PermutationStrategy = 0, .m_MeasureControl = kMB, .m_SampleSize = 20,
                        .m_FactorOmega = 1};
  AnalysisOptions powers{.m_GeneratorProductsOnly = 1, .m_MaxWordLength = 3, .m_SampleSize = 0, .m_FactorOmega = 1};
  const auto network = testing::ExampleNetwork;
  for (const auto& [data, options] :
       {std::pair{network("padgett_florentine.dat") + network("knoke_bureaucracies.dat"), factors},
        {network("knoke_bureaucracies.dat"), pairs}, {network("kapferer_mine.dat"), powers}}) {
    SCOPED_TRACE(data.substr(0, data.find('\n')));
    testing::RunCapture run;
    ResultRecorder recorder;
    const json d = RunWithJson(data, options, run, {}, &recorder);
    ASSERT_FALSE(run.fatal);
    ASSERT_EQ(Replayed(recorder.Problems()), run.report);
    EXPECT_EQ(d["status"], "complete");
    EXPECT_EQ(d["format_version"], kJsonFormatVersion);
    EXPECT_EQ(d["options"], d["problems"][0]["options"]);
    ASSERT_EQ(d["problems"].size(), recorder.Problems().size());
    std::vector<std::string> reports;  // the report of each problem on its own
    for (std::size_t at = 0, next; at < run.report.size(); at = next) {
      next = std::min(run.report.find("\n\n\nPARTIAL ALGEBRAS FOR", at + 1), run.report.size());
      reports.push_back(run.report.substr(at, next - at));
    }
    ASSERT_EQ(reports.size(), recorder.Problems().size());
    for (std::size_t k = 0; k < recorder.Problems().size(); ++k) {
      const json& p = d["problems"][k];
      const ProblemRecord& r = recorder.Problems()[k];
      EXPECT_TRUE(p["complete"].get<bool>());
      const json& o = p["options"];
      const char* const controls[] = {"MA", "MB", "MC", "MD", "ME", "MF", "MG"};
      EXPECT_EQ(o["measure_control"], controls[r.facts.options.m_MeasureControl]);
      EXPECT_EQ(o["permutation_strategy"], options.m_PermutationStrategy == 0 ? "pairs" : "generators");
      EXPECT_EQ(o["seed"], options.Seed);
      EXPECT_EQ(o["transposes"], options.m_Transposes != 0);
      EXPECT_EQ(o["generator_products_only"], options.m_GeneratorProductsOnly != 0);
      const Result result(std::make_shared<const detail::ResultData>(detail::ResultData{r, ToOptions(r.facts.options), {}}));
      ExpectSemigroupAgrees(p, r, result);
      ExpectStatisticsAgree(p, r, reports[k], result);
      ExpectLevelsAgree(p, r, result);
    }
  }
}

TEST(JsonExport, FatalErrorsLeaveAValidDocumentWithWhatWasReached) {
  struct Case {
    std::string data;
    std::function<void(AnalysisState&)> prepare;
    std::size_t problems;
    bool last_complete;
    const char* last_phase;  // the last key the unfinished problem holds
  };
  const std::string good = "first\n2 1\n0 1 1 0\n";
  const auto refuse_omega = [](AnalysisState& state) { state.Storage.FailAt(StorageKind::kOmega, 1); };
  for (const Case& c : {Case{good + "second\n2 1\n0 1 x\n", {}, 1, true, "cutoff_levels"},
                        Case{good, refuse_omega, 1, false, "statistics"}, Case{"first\n2 x\n", {}, 0, false, ""}}) {
    SCOPED_TRACE(c.data);
    testing::RunCapture run;
    const json d = RunWithJson(c.data, AnalysisOptions{.m_SampleSize = 5}, run, c.prepare);
    EXPECT_TRUE(run.fatal);
    EXPECT_EQ(d["status"], "fatal-error");
    ASSERT_EQ(d["problems"].size(), c.problems);
    if (c.problems == 0) continue;
    EXPECT_EQ(d["problems"].back()["complete"].get<bool>(), c.last_complete);
    EXPECT_TRUE(d["problems"].back().contains(c.last_phase));
  }
}

TEST(JsonCommand, DocumentSaysTheRunEndedEarly) {
  testing::ScratchDirectory dir;
  EXPECT_EQ(testing::RunQuorel(dir, "-q --json r.json"), kExitIncomplete);  // no data file
  const json d = json::parse(testing::ReadWholeFile(dir.File("r.json")));
  EXPECT_EQ(d["status"], "ended-early");
  EXPECT_EQ(d["completion_code"], 3);
  EXPECT_TRUE(d["problems"].empty());
  EXPECT_EQ(d["program_version"], QUOREL_VERSION_TEXT);
  EXPECT_TRUE(d["run"]["inputs"][0]["sha256"].is_null());  // Quorel.dat is not there to digest
}

// The record of a run names its inputs by content and keeps what reproduces it.
TEST(JsonCommand, RecordOfTheRunReproducesIt) {
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("Quorel.dat"), "abc\n2 1\n0 1 1 0\n");
  EXPECT_EQ(testing::RunQuorel(dir, "-q --json r.json --seed 42 --threads 2 --sample-size 5"), kExitSuccess);
  const json run = json::parse(testing::ReadWholeFile(dir.File("r.json")))["run"];
  // sha256sum of the data file's 16 bytes.
  EXPECT_EQ(run["inputs"][0]["sha256"], "2efb1f7d6feb0eb30fc78ad8fbd6100144001548fa0ba9dd9e717e1b1aebae90");
  EXPECT_EQ(run["inputs"][0]["bytes"], 16);
  EXPECT_EQ(run["seed"], 42);
  EXPECT_EQ(run["threads"], 2);
  EXPECT_EQ(run["processes"], 1);  // started alone, not by an MPI launcher
  EXPECT_EQ(run["command_line"].back(), "5");
  ASSERT_EQ(run["steps"].size(), 1u);
  EXPECT_EQ(run["steps"][0][0]["step"], "reading");
  EXPECT_GE(run["seconds"].get<double>(), 0.0);
  // The parts the document was formed from are gone with the run.
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) left.push_back(entry.path().filename());
  EXPECT_THAT(left, ::testing::UnorderedElementsAre("Quorel.dat", "Quorel.out", "r.json", "stdout.txt", "stderr.txt"));
}

}  // namespace
}  // namespace quorel
