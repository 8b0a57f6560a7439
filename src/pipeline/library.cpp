#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "core/message_list.hpp"
#include "core/option_checks.hpp"
#include "core/progress_observer.hpp"
#include "core/text_channel.hpp"
#include "formats/fixed_matrix_reader.hpp"
#include "formats/network_reader.hpp"
#include "pipeline/analysis_state.hpp"
#include "pipeline/problem_analysis.hpp"
#include "pipeline/problem_reading.hpp"
#include "pipeline/result_data.hpp"
#include "pipeline/stream_file.hpp"
#include "quorel/quorel.hpp"
#include "views/json_export.hpp"
#include "views/report_view.hpp"
#include "views/sink_fanout.hpp"

namespace quorel {

namespace {

// The caller's hooks as a progress observer.
class HookProgress final : public ProgressObserver {
 public:
  explicit HookProgress(const Hooks& hooks) : hooks_(hooks) {}
  void StepStarted(Step step) override {
    if (hooks_.progress) hooks_.progress(step, 0, 0);
  }
  void Advance(Step step, std::int64_t done, std::int64_t total) override {
    if (hooks_.progress) hooks_.progress(step, done, total);
  }
  bool Cancelled() const override { return hooks_.cancel != nullptr && hooks_.cancel->load(); }

 private:
  const Hooks& hooks_;
};

bool NeedsFixedMatrix(const Options& options) {
  return options.measure_control == MeasureControl::kMF || options.measure_control == MeasureControl::kMG;
}

void CheckNetwork(const Network& network, std::size_t index, const Options& options) {
  const std::string which = "network " + std::to_string(index + 1) + " ('" + network.label + "')";
  const auto refuse = [&](const std::string& why) { throw Error(ErrorKind::kInvalidArgument, 0, which + ": " + why); };
  const int n = network.actor_count;
  if (n < 1 || n > kMaxActors) refuse("N = " + std::to_string(n) + " is outside 1.." + std::to_string(kMaxActors));
  if (network.relations.empty()) refuse("no relations");
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  for (std::size_t k = 0; k < network.relations.size(); ++k) {
    if (network.relations[k].size() != cells) {
      refuse("relation " + std::to_string(k + 1) + " has " + std::to_string(network.relations[k].size()) +
             " cells, not " + std::to_string(n) + " x " + std::to_string(n));
    }
  }
  if (network.non_directional && network.non_directional->size() != network.relations.size()) {
    refuse("the non-directionality vector has " + std::to_string(network.non_directional->size()) +
           " entries for " + std::to_string(network.relations.size()) + " relations");
  }
  if (network.fixed_matrix && network.fixed_matrix->size() != cells) {
    refuse("the fixed matrix has " + std::to_string(network.fixed_matrix->size()) + " cells, not " +
           std::to_string(n) + " x " + std::to_string(n));
  }
  if (NeedsFixedMatrix(options) && !network.fixed_matrix) {
    throw Error(ErrorKind::kCompletion, 1, which + ": measure controls MF and MG need a fixed matrix");
  }
}

// Analyses `networks` in turn with one random stream, as the command line analyses the
// problems of a data file, handing every result to `sink`; `warnings` receives, per
// network, the lines of its option check.
void AnalyseNetworks(const std::vector<Network>& networks, const Options& options, ResultSink& sink,
                     const Hooks& hooks, std::vector<std::vector<std::string>>& warnings) {
  if (options.omega_from_exact && (!options.exact_p || options.permutation_strategy != PermutationStrategy::kPairs)) {
    throw Error(ErrorKind::kInvalidArgument, 0, "omega_from_exact needs exact_p and the pairs permutation strategy");
  }
  for (std::size_t k = 0; k < networks.size(); ++k) CheckNetwork(networks[k], k, options);
  AnalysisOptions run = ToAnalysisOptions(options);
  AnalysisState state;
  state.Random = RandomSource(options.seed);
  state.ProgressFile = nullptr;
  TextChannel diagnostics;  // the library shows none of them; an error carries its own text
  state.ErrFile = diagnostics.File();
  HookProgress progress(hooks);
  state.Progress = &progress;
  MessageList status;
  std::vector<float> cutoffs;
  for (std::size_t k = 0; k < networks.size(); ++k) {
    const Network& network = networks[k];
    state.ProblemCount = static_cast<std::int16_t>(k + 1);
    std::vector<std::int16_t> ident;
    MarkStep(state.Progress, Step::kReading);
    if (LoadNetwork(state, status, network, ident) != 1) {
      throw Error(ErrorKind::kFatal, 0, diagnostics.Text());
    }
    state.Directionality = ClassifyDirectionality(state.NDI, state.ND, state.NR);
    MessageList check;
    if (k == 0 || !options.reapply) cutoffs = CheckOptions(run, state.Directionality, check);
    warnings.push_back(check.Lines());
    run.m_FixedSupplied = network.fixed_matrix ? 1 : 0;
    if (network.fixed_matrix) {
      std::vector<float> distinct(network.fixed_matrix->size());
      if (GroupValues(*network.fixed_matrix, distinct, state.ErrFile, state.Storage, state.FixedMatrix,
                      network.actor_count) != 1) {
        throw Error(ErrorKind::kFatal, 0, diagnostics.Text());
      }
    }
    if (k > 0) sink.ProblemFollows();
    progress.ProblemStarted(state.ProblemCount, network.label);
    AnalyseProblem(state, run, status, sink, network.label, ident, cutoffs);
  }
}

std::vector<Result> ResultsOf(ResultRecorder& recorder, std::vector<std::vector<std::string>>& warnings) {
  std::vector<Result> results;
  std::vector<ProblemRecord>& problems = recorder.Problems();
  for (std::size_t k = 0; k < problems.size(); ++k) {
    auto data = std::make_shared<detail::ResultData>();
    data->options = ToOptions(problems[k].facts.options);
    data->warnings = std::move(warnings[k]);
    data->record = std::move(problems[k]);
    results.emplace_back(std::move(data));
  }
  return results;
}

}  // namespace

std::vector<Network> ReadNetworks(const std::filesystem::path& path, InputFormat format, bool fixed_matrix) {
  return ReadNetworkFile(path, format, nullptr, fixed_matrix);
}

std::vector<Network> ReadNetworks(const std::filesystem::path& path, const ReadOptions& options,
                                  std::vector<std::string>* warnings) {
  const ReadSettings settings{options.threshold, options.relation_attribute, options.non_directional,
                              options.relation_names, options.actor_names};
  return ReadNetworkFile(path, options.input_format, warnings, options.fixed_matrix, settings);
}

std::vector<Result> Analyze(const std::vector<Network>& networks, const Options& options, const Hooks& hooks) {
  ResultRecorder recorder;
  std::vector<std::vector<std::string>> warnings;
  AnalyseNetworks(networks, options, recorder, hooks, warnings);
  return ResultsOf(recorder, warnings);
}

Result Analyze(const Network& network, const Options& options, const Hooks& hooks) {
  return Analyze(std::vector<Network>{network}, options, hooks).front();
}

void Analyze(const std::vector<Network>& networks, const Options& options, const Views& views, const Hooks& hooks) {
  SinkFanout sink;
  StorageGate gate;
  std::FILE* report_file = views.report != nullptr ? OpenStreamFile(*views.report) : nullptr;
  std::unique_ptr<ReportView> report;
  if (report_file != nullptr) {
    report = std::make_unique<ReportView>(report_file, gate);
    sink.Add(report.get());
  }
  std::unique_ptr<JsonExport> json;
  if (views.json != nullptr) {
    json = std::make_unique<JsonExport>(ToAnalysisOptions(options), Version());
    sink.Add(json.get());
  }
  RunOutcome outcome;
  std::vector<std::vector<std::string>> warnings;
  try {
    AnalyseNetworks(networks, options, sink, hooks, warnings);
  } catch (const Error& error) {
    outcome.code = static_cast<std::int16_t>(error.code());
    outcome.fatal = error.kind() != ErrorKind::kCompletion;
    if (report_file != nullptr) std::fclose(report_file);
    std::string ignored;  // the error in hand says more than a failed document would
    if (json != nullptr) json->WriteTo(*views.json, outcome, ignored);
    throw;
  }
  if (report_file != nullptr) std::fclose(report_file);
  std::string json_error;
  if (json != nullptr && !json->WriteTo(*views.json, outcome, json_error)) {
    throw Error(ErrorKind::kFile, 0, "the JSON document could not be written: " + json_error);
  }
}

void WriteReport(std::ostream& out, const std::vector<Result>& results) {
  std::FILE* file = OpenStreamFile(out);
  if (file == nullptr) throw Error(ErrorKind::kFile, 0, "the report stream could not be opened");
  StorageGate gate;
  ReportView report(file, gate);
  for (std::size_t k = 0; k < results.size(); ++k) {
    if (k > 0) report.ProblemFollows();
    Replay(results[k].data().record, report);
  }
  std::fclose(file);
}

const char* Version() { return QUOREL_VERSION; }

}  // namespace quorel
