#include "core/worker_pool.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <vector>

namespace quorel {
namespace {

// Every index of every loop is visited exactly once by a worker of the pool, whatever the
// number of workers and the block size; an exception from a body ends the loop and reaches
// the caller, and the pool stays usable.
TEST(WorkerPool, VisitsEveryIndexOnceAndRethrowsAFailure) {
  struct Case {
    int workers;
    std::int64_t count;
    std::int64_t block;
  };
  for (const Case c : {Case{1, 10, 1}, Case{2, 1, 1}, Case{2, 1000, 7}, Case{3, 5, 64}, Case{4, 999, 16}, Case{2, 0, 1}}) {
    WorkerPool pool(c.workers);
    std::vector<int> visits(static_cast<std::size_t>(c.count), 0);
    for (int loop = 0; loop < 50; ++loop) {
      if (loop == 25) {
        EXPECT_THROW(pool.Run(c.count + 1, c.block,
                              [&](int, std::int64_t begin, std::int64_t end) {
                                if (begin <= c.count / 2 && c.count / 2 < end) throw std::runtime_error("sample failed");
                              }),
                     std::runtime_error);
      }
      std::atomic<int> wrong_worker{0};
      pool.Run(c.count, c.block, [&](int worker, std::int64_t begin, std::int64_t end) {
        wrong_worker += worker < 0 || worker >= c.workers;
        for (std::int64_t k = begin; k < end; ++k) ++visits[static_cast<std::size_t>(k)];
      });
      ASSERT_EQ(wrong_worker.load(), 0);
      ASSERT_EQ(std::count(visits.begin(), visits.end(), loop + 1), c.count) << c.workers << " " << c.block;
    }
  }
}

}  // namespace
}  // namespace quorel
