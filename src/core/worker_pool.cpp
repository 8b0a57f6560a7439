#include "core/worker_pool.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "core/progress_observer.hpp"

namespace quorel {

int WorkerCount(int requested) {
  if (requested > 0) return requested;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 0 ? static_cast<int>(cores) : 1;
}

void ParallelFor(int workers, std::int64_t count, std::int64_t block,
                 const std::function<void(int, std::int64_t, std::int64_t)>& body, ProgressObserver* progress,
                 Step step) {
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
        StopIfCancelled(progress);
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
          progress->Advance(step, done.load(std::memory_order_relaxed), count);
          lock.lock();
        }
      }
    }
    for (std::thread& t : threads) t.join();
  }
  if (failure) std::rethrow_exception(failure);
}

struct WorkerPool::Shared {
  std::mutex mutex;
  std::condition_variable start;     // a loop is ready, or the pool closes
  std::condition_variable finished;  // the last helper left the loop
  std::uint64_t generation = 0;      // loops started so far
  bool closing = false;
  int busy = 0;                      // helpers still in the current loop

  // The current loop.
  const std::function<void(int, std::int64_t, std::int64_t)>* body = nullptr;
  std::int64_t count = 0;
  std::int64_t block = 1;
  std::atomic<std::int64_t> next{0};
  std::atomic<bool> stop{false};
  std::exception_ptr failure;

  void Take(int worker) {
    try {
      for (;;) {
        if (stop.load(std::memory_order_relaxed)) break;
        const std::int64_t begin = next.fetch_add(block, std::memory_order_relaxed);
        if (begin >= count) break;
        (*body)(worker, begin, std::min(begin + block, count));
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex);
      if (!failure) failure = std::current_exception();
      stop = true;
    }
  }
};

WorkerPool::WorkerPool(int workers) : workers_(std::max(workers, 1)), shared_(std::make_unique<Shared>()) {
  threads_.reserve(static_cast<std::size_t>(workers_ - 1));
  for (int w = 1; w < workers_; ++w) threads_.emplace_back(&WorkerPool::Work, this, w);
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->closing = true;
  }
  shared_->start.notify_all();
  for (std::thread& t : threads_) t.join();
}

void WorkerPool::Work(int worker) {
  Shared& s = *shared_;
  std::uint64_t seen = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(s.mutex);
      s.start.wait(lock, [&] { return s.closing || s.generation != seen; });
      if (s.closing) return;
      seen = s.generation;
    }
    s.Take(worker);
    std::lock_guard<std::mutex> lock(s.mutex);
    if (--s.busy == 0) s.finished.notify_one();
  }
}

void WorkerPool::Run(std::int64_t count, std::int64_t block,
                     const std::function<void(int, std::int64_t, std::int64_t)>& body) {
  if (count <= 0) return;
  Shared& s = *shared_;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.body = &body;
    s.count = count;
    s.block = std::max<std::int64_t>(block, 1);
    s.next = 0;
    s.stop = false;
    s.failure = nullptr;
    s.busy = workers_ - 1;
    ++s.generation;
  }
  s.start.notify_all();
  s.Take(0);
  std::exception_ptr failure;
  {
    std::unique_lock<std::mutex> lock(s.mutex);
    s.finished.wait(lock, [&] { return s.busy == 0; });
    failure = s.failure;
    s.body = nullptr;
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace quorel
