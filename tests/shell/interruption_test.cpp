// A run stopped by a signal ends cleanly: the exit status says which signal, one line says
// where it stopped, the report ends with a whole line, and the JSON document says the run
// was interrupted. A second signal ends the process at once.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <nlohmann/json.hpp>

#include "core/run_outcome.hpp"
#include "shell/interruption.hpp"
#include "views/json_export.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

// Starts the command in `dir` on a network whose sampling takes seconds, sends the signals
// once it is under way, a tenth of a second apart, and returns how the process ended
// (waitpid's status).
int RunAndSignal(const testing::ScratchDirectory& dir, const std::vector<int>& signals) {
  testing::WriteWholeFile(dir.File("Quorel.dat"), testing::ExampleNetwork("sampson_monastery.dat"));
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(dir.Path().c_str()) != 0 || freopen("stdout.txt", "w", stdout) == nullptr ||
        freopen("stderr.txt", "w", stderr) == nullptr) {
      _exit(127);
    }
    execl(QUOREL_BINARY, "quorel", "-q", "--json", "r.json", "--sample-size", "5000", nullptr);
    _exit(127);
  }
  usleep(700 * 1000);
  for (const int signal : signals) {
    kill(child, signal);
    usleep(100 * 1000);  // one signal at a time: two pending ones of a kind would merge
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST(Interruption, SignalStopsTheRunWithWholeOutputs) {
  for (const int signal : {SIGINT, SIGTERM}) {
    testing::ScratchDirectory dir;
    const int status = RunAndSignal(dir, {signal});
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal instead of stopping cleanly";
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
    EXPECT_THAT(testing::ReadWholeFile(dir.File("stderr.txt")),
                ::testing::MatchesRegex("quorel: stopped by SIG(INT|TERM) during the [a-z ]+ of problem 1; .*\n"));
    const std::string report = testing::ReadWholeFile(dir.File("Quorel.out"));
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report.back(), '\n');
    const nlohmann::json document = nlohmann::json::parse(testing::ReadWholeFile(dir.File("r.json")));
    EXPECT_EQ(document["status"], "interrupted");
    EXPECT_EQ(document["problems"][0]["complete"], false);
  }
}

// Asks the run to stop once a given step has started.
class StopAtStep final : public ProgressObserver {
 public:
  explicit StopAtStep(Step step) : step_(step) {}
  void StepStarted(Step step) override { stop_ = stop_ || step == step_; }
  bool Cancelled() const override { return stop_; }

 private:
  Step step_;
  bool stop_ = false;
};

// Stopped at any step, the run leaves a report of whole lines and a valid JSON document
// that says it was interrupted.
TEST(Interruption, EveryStepStopsWithWholeOutputs) {
  AnalysisOptions options;
  options.m_SampleSize = 20;
  options.m_FactorOmega = 1;
  for (const Step step : {Step::kSemigroup, Step::kPartialOrder, Step::kStatistics, Step::kSampling,
                          Step::kStatisticsReport, Step::kOmega, Step::kFactorization}) {
    StopAtStep stopper(step);
    JsonExport document(options, "test");
    const testing::RunCapture run =
        testing::RunOnText(testing::ExampleNetwork("knoke_bureaucracies.dat"), options, [&](AnalysisState& state) {
          state.Progress = &stopper;
          state.Results = &document;
        });
    EXPECT_TRUE(run.interrupted) << StepName(step);
    EXPECT_FALSE(run.fatal) << StepName(step);
    if (!run.report.empty()) {
      EXPECT_EQ(run.report.back(), '\n') << StepName(step);
    }
    RunOutcome outcome;
    outcome.interrupted = true;
    const std::string text = document.Text(outcome);
    const nlohmann::ordered_json parsed = nlohmann::ordered_json::parse(text);
    EXPECT_EQ(parsed["status"], "interrupted") << StepName(step);
    // What was open when the run stopped is closed as the complete document would be.
    EXPECT_EQ(text, parsed.dump() + "\n") << StepName(step);
  }
}

// Steps of millions of pairs or closures stop within them, not at their end: the observed
// statistics ask whether to stop once for every row of pairs at least, a factorization
// before every closure and every atom.
class CountStopQuestions final : public ProgressObserver {
 public:
  void StepStarted(Step step) override { current_ = step; }
  bool Cancelled() const override {
    ++asked_[static_cast<int>(current_.load())];
    return false;
  }
  int Asked(Step step) const { return asked_[static_cast<int>(step)]; }

 private:
  std::atomic<Step> current_{Step::kReading};
  mutable std::atomic<int> asked_[8] = {};
};

TEST(Interruption, LongStepsAskAsTheyGo) {
  CountStopQuestions questions;
  AnalysisOptions options;
  options.m_SampleSize = 20;
  options.m_FactorOmega = 1;
  const testing::RunCapture run = testing::RunOnText(testing::ExampleNetwork("knoke_bureaucracies.dat"), options,
                                                     [&](AnalysisState& state) { state.Progress = &questions; });
  ASSERT_FALSE(run.fatal);
  EXPECT_GE(questions.Asked(Step::kStatistics), run.elements);
  EXPECT_GE(questions.Asked(Step::kFactorization), 2);
}

// The first signal only asks the run to stop; a second ends the process as the signal would
// have without us.
TEST(Interruption, FirstSignalAsksSecondEndsAtOnce) {
  const pid_t child = fork();
  if (child == 0) {
    Interruption interruption(nullptr);
    std::raise(SIGTERM);
    if (!interruption.Cancelled() || interruption.Signal() != SIGTERM ||
        interruption.Where() != "SIGTERM during the reading") {
      _exit(1);
    }
    std::raise(SIGINT);
    _exit(2);  // not reached
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGINT);
}

}  // namespace
}  // namespace quorel
