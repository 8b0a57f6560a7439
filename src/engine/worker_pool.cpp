#include "engine/worker_pool.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/progress_observer.hpp"

namespace quorel {

int WorkerCount(int requested) {
  if (requested > 0) return requested;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int>(cores) : 1;
}

void ParallelFor(int workers, std::int64_t count, std::int64_t block,
                 const std::function<void(int, std::int64_t, std::int64_t)>& body, ProgressObserver* progress,
                 const char* phase) {
  if (count <= 0) return;
  block = std::max<std::int64_t>(block, 1);
  workers = static_cast<int>(std::clamp<std::int64_t>(workers, 1, (count + block - 1) / block));

  std::atomic<std::int64_t> next{0};
  std::atomic<std::int64_t> done{0};
  std::atomic<bool> stop{false};
  std::exception_ptr failure;
  std::mutex mutex;
  std::condition_variable finished;
  int running = workers;

  auto work = [&](int worker) {
    try {
      for (;;) {
        if (stop.load(std::memory_order_relaxed)) break;
        const std::int64_t begin = next.fetch_add(block, std::memory_order_relaxed);
        if (begin >= count) break;
        const std::int64_t end = std::min(begin + block, count);
        body(worker, begin, end);
        done.fetch_add(end - begin, std::memory_order_relaxed);
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex);
      if (!failure) failure = std::current_exception();
      stop = true;
    }
    std::lock_guard<std::mutex> lock(mutex);
    if (--running == 0) finished.notify_all();
  };

  if (workers == 1 && progress == nullptr) {
    work(0);
  } else {
    std::vector<std::thread> threads;
    threads.reserve(workers);
    for (int w = 0; w < workers; ++w) threads.emplace_back(work, w);
    {
      std::unique_lock<std::mutex> lock(mutex);
      while (running > 0) {
        finished.wait_for(lock, std::chrono::milliseconds(250));
        if (progress != nullptr && running > 0) {
          lock.unlock();
          progress->Advance(phase, done.load(std::memory_order_relaxed), count);
          lock.lock();
        }
      }
    }
    for (std::thread& t : threads) t.join();
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace quorel
