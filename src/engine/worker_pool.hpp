#pragma once

#include <cstdint>
#include <functional>

namespace quorel {

class ProgressObserver;

// The number of workers for `requested` threads: all cores when 0.
int WorkerCount(int requested);

// Runs `body(worker, begin, end)` over [0, count) in blocks of `block` indexes, handed out
// in increasing order to `workers` threads (worker numbers 0..workers-1; with one worker
// everything runs on the calling thread). A body must touch only what belongs to its
// indexes. When a body throws, the other workers stop taking blocks and the exception is
// rethrown here after all have stopped. While the workers run, the calling thread tells
// `progress` (when given) how many indexes are done.
void ParallelFor(int workers, std::int64_t count, std::int64_t block,
                 const std::function<void(int worker, std::int64_t begin, std::int64_t end)>& body,
                 ProgressObserver* progress = nullptr, const char* phase = "");

}  // namespace quorel
