#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "quorel/progress.hpp"

namespace quorel {

class ProgressObserver;


// The number of workers for `requested` threads: all cores when 0.
int WorkerCount(int requested);

// Runs `body(worker, begin, end)` over [0, count) in blocks of `block` indexes, handed out
// in increasing order to `workers` threads (worker numbers 0..workers-1; with one worker
// everything runs on the calling thread). A body must touch only what belongs to its
// indexes. When a body throws, the other workers stop taking blocks and the exception is
// rethrown here after all have stopped. While the workers run, the calling thread tells
// `progress` (when given) how many indexes of `step` are done; each block first asks it
// whether the analysis is to stop (an Error of kind kCancelled).
void ParallelFor(int workers, std::int64_t count, std::int64_t block,
                 const std::function<void(int worker, std::int64_t begin, std::int64_t end)>& body,
                 ProgressObserver* progress = nullptr, Step step = Step::kSampling);

// Workers that stay for many parallel loops, for a caller that runs one short loop after
// another (one per random sample): the threads are started once, not per loop. The calling
// thread is worker 0 and takes part in every loop.
class WorkerPool {
 public:
  explicit WorkerPool(int workers);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int Workers() const { return workers_; }

  // As ParallelFor: `body(worker, begin, end)` over [0, count) in blocks of `block` indexes,
  // handed out in increasing order; returns when all are done. What one loop's bodies wrote
  // is visible to the caller and to the next loop. An exception from a body stops the loop
  // and is rethrown here.
  void Run(std::int64_t count, std::int64_t block,
           const std::function<void(int worker, std::int64_t begin, std::int64_t end)>& body);

 private:
  struct Shared;
  void Work(int worker);

  int workers_;
  std::unique_ptr<Shared> shared_;
  std::vector<std::thread> threads_;
};

}  // namespace quorel
