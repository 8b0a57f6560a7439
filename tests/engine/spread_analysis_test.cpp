// One analysis spread over K processes, played by K threads of this test that sum their
// counters through shared memory as MPI's processes do through messages: every process
// must write the report that the analysis alone writes, byte for byte.

#include <gtest/gtest.h>

#include <barrier>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/process_group.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

// The meeting point of the K threads that play processes.
struct Meeting {
  explicit Meeting(int processes) : count(processes), arrive(processes) {}
  int count;
  std::barrier<> arrive;
  std::mutex mutex;
  std::vector<float> sum;
  int sums = 0;  // how many sums the processes went through
};

class ThreadProcess final : public ProcessGroup {
 public:
  ThreadProcess(Meeting& meeting, int rank) : meeting_(meeting), rank_(rank) {}

  ProcessShare Share() const override { return {rank_, meeting_.count}; }

  // Everyone is in (and has read the last sum), the sum is cleared, everyone adds, everyone
  // reads.
  void SumAcrossProcesses(std::vector<float>& values) override {
    meeting_.arrive.arrive_and_wait();
    if (rank_ == 0) {
      meeting_.sum.assign(values.size(), 0.0f);
      ++meeting_.sums;
    }
    meeting_.arrive.arrive_and_wait();
    {
      const std::lock_guard<std::mutex> lock(meeting_.mutex);
      for (std::size_t x = 0; x < values.size(); ++x) meeting_.sum[x] += values[x];
    }
    meeting_.arrive.arrive_and_wait();
    values = meeting_.sum;
  }

 private:
  Meeting& meeting_;
  int rank_;
};

struct SpreadCase {
  const char* name;
  std::string data;
  int strategy;
  int control;
  bool fixed;
  int problems = 1;
};

std::vector<SpreadCase> Cases() {
  const std::string wolfe = testing::ExampleNetwork("wolfe_primates.dat");
  const std::string padgett = testing::ExampleNetwork("padgett_florentine.dat");
  return {
      {"pairs", wolfe, kPermutePairs, kMA, false},
      {"generators", wolfe, kPermuteGenerators, kMA, false},
      {"pairs, fixed matrix", testing::WithFixedMatrix(padgett), kPermutePairs, kMF, true},
      {"generators, fixed matrix", testing::WithFixedMatrix(wolfe), kPermuteGenerators, kMF, true},
      // The second problem's samples go on from where the first problem's stream ended.
      {"generators, two problems", padgett + wolfe, kPermuteGenerators, kMB, false, 2},
      {"pairs, two problems", wolfe + padgett, kPermutePairs, kMA, false, 2},
  };
}

TEST(SpreadAnalysis, EveryProcessWritesTheReportOfTheAnalysisAlone) {
  for (const SpreadCase& c : Cases()) {
    AnalysisOptions options;
    options.m_PermutationStrategy = c.strategy;
    options.m_MeasureControl = c.control;
    options.m_FixedSupplied = c.fixed ? 1 : 0;
    options.m_SampleSize = 120;
    options.Seed = 17;
    options.Threads = 1;
    const testing::RunCapture alone = testing::RunOnText(c.data, options, [&](AnalysisState& state) {
      state.Random = RandomSource(options.Seed);
    });
    ASSERT_EQ(alone.code, 0) << c.name;
    ASSERT_FALSE(alone.fatal) << c.name << alone.errors;
    for (const int k : {2, 3}) {
      Meeting meeting(k);
      std::vector<testing::RunCapture> runs(k);
      std::vector<std::thread> processes;
      for (int rank = 0; rank < k; ++rank) {
        processes.emplace_back([&, rank] {
          ThreadProcess process(meeting, rank);
          runs[rank] = testing::RunOnText(c.data, options, [&](AnalysisState& state) {
            state.Random = RandomSource(options.Seed);
            state.Processes = &process;
          });
        });
      }
      for (std::thread& process : processes) process.join();
      EXPECT_EQ(meeting.sums, c.problems) << c.name << ": one sum per problem";
      for (int rank = 0; rank < k; ++rank) {
        EXPECT_EQ(runs[rank].code, 0) << c.name;
        EXPECT_TRUE(runs[rank].report == alone.report) << c.name << ": process " << rank << " of " << k;
      }
    }
  }
}

}  // namespace
}  // namespace quorel
