// The JSON document of runs that end early, and the record of the run it carries. Complete
// documents are pinned byte for byte with the golden reports.

#include "views/json_export.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "shell/command_line.hpp"
#include "shell/run_command.hpp"
#include "support/run_harness.hpp"
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
