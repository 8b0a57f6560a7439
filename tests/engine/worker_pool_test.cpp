#include "core/worker_pool.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace quorel {
namespace {

// Every index of every loop is visited exactly once, whatever the number of workers and the
// block size, and what one loop wrote is seen by the next.
TEST(WorkerPool, VisitsEveryIndexOnceInEveryLoop) {
  struct Case {
    int workers;
    std::int64_t count;
    std::int64_t block;
  };
  for (const Case c : {Case{1, 10, 1}, Case{2, 1, 1}, Case{2, 1000, 1}, Case{2, 1000, 7}, Case{3, 5, 64},
                       Case{4, 999, 16}, Case{2, 0, 1}}) {
    WorkerPool pool(c.workers);
    std::vector<int> visits(static_cast<std::size_t>(c.count), 0);
    for (int loop = 0; loop < 50; ++loop) {
      std::atomic<int> wrong_worker{0};
      pool.Run(c.count, c.block, [&](int worker, std::int64_t begin, std::int64_t end) {
        if (worker < 0 || worker >= c.workers) ++wrong_worker;
        for (std::int64_t k = begin; k < end; ++k) ++visits[static_cast<std::size_t>(k)];
      });
      ASSERT_EQ(wrong_worker.load(), 0);
      for (std::int64_t k = 0; k < c.count; ++k) {
        ASSERT_EQ(visits[static_cast<std::size_t>(k)], loop + 1)
            << "workers " << c.workers << " count " << c.count << " block " << c.block << " index " << k;
      }
    }
  }
}

// An exception from a body ends the loop and reaches the caller; the pool stays usable.
TEST(WorkerPool, RethrowsAFailureAndRunsTheNextLoop) {
  for (int workers : {1, 2, 4}) {
    WorkerPool pool(workers);
    EXPECT_THROW(pool.Run(10000, 1,
                          [](int, std::int64_t begin, std::int64_t) {
                            if (begin == 1234) throw std::runtime_error("sample failed");
                          }),
                 std::runtime_error);
    std::atomic<std::int64_t> sum{0};
    pool.Run(100, 3, [&](int, std::int64_t begin, std::int64_t end) {
      for (std::int64_t k = begin; k < end; ++k) sum += k;
    });
    EXPECT_EQ(sum.load(), 4950) << workers << " workers";
  }
}

TEST(ParallelFor, RethrowsAFailure) {
  EXPECT_THROW(ParallelFor(2, 100, 1,
                           [](int, std::int64_t begin, std::int64_t) {
                             if (begin == 50) throw std::runtime_error("pair failed");
                           }),
               std::runtime_error);
}

}  // namespace
}  // namespace quorel
