#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "quorel/quorel.hpp"

namespace quorel {

// Runs `work(hooks)`, an analysis given these hooks, on a thread of its own while the
// calling thread calls `poll()` every tenth of a second, for callers whose own thread must
// stay responsive: an interpreter's interrupt handling, a progress display. When poll
// returns false (or throws) the run is cancelled through the hooks' cancel flag; it stops
// at its next batch of pairs or sample, and once it has, RunPolled returns no value (or
// rethrows what poll threw). Otherwise it returns the work's value, or rethrows what the
// work threw. `hooks.progress` is called on the analysis's thread.
template <typename Work>
auto RunPolled(Work work, const std::function<bool()>& poll, Hooks hooks = {})
    -> std::optional<decltype(work(hooks))> {
  using Value = decltype(work(hooks));
  std::atomic<bool> cancel{false};
  hooks.cancel = &cancel;
  std::optional<Value> value;
  std::exception_ptr failure, poll_failure;
  std::mutex mutex;
  std::condition_variable finished_signal;
  bool finished = false;
  std::thread worker([&] {
    try {
      value.emplace(work(hooks));
    } catch (...) {
      failure = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(mutex);
    finished = true;
    finished_signal.notify_one();
  });
  bool stopped = false;
  {
    std::unique_lock<std::mutex> lock(mutex);
    while (!finished_signal.wait_for(lock, std::chrono::milliseconds(100), [&] { return finished; })) {
      if (stopped) continue;
      lock.unlock();
      try {
        stopped = !poll();
      } catch (...) {
        poll_failure = std::current_exception();
        stopped = true;
      }
      if (stopped) cancel.store(true);
      lock.lock();
    }
  }
  worker.join();
  if (poll_failure) std::rethrow_exception(poll_failure);
  if (stopped) return std::nullopt;
  if (failure) std::rethrow_exception(failure);
  return value;
}

}  // namespace quorel
