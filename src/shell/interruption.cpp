#include "shell/interruption.hpp"

#include <atomic>
#include <csignal>

namespace quorel {

namespace {

// The one thing a signal handler may touch: which signal asked the run to stop. A process
// runs one command at a time, so one flag serves it.
std::atomic<int> g_stop_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler needs a lock-free flag");

extern "C" void AskToStop(int signal) {
  // A second signal, of either kind, does what it would have done without us.
  if (g_stop_signal.exchange(signal) != 0) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
}

struct sigaction Install(int signal) {
  struct sigaction action {};
  action.sa_handler = AskToStop;
  sigemptyset(&action.sa_mask);
  struct sigaction before {};
  sigaction(signal, &action, &before);
  return before;
}

struct sigaction g_before_int {};
struct sigaction g_before_term {};

}  // namespace

Interruption::Interruption(ProgressObserver* inner) : inner_(inner) {
  g_stop_signal = 0;
  g_before_int = Install(SIGINT);
  g_before_term = Install(SIGTERM);
}

Interruption::~Interruption() {
  sigaction(SIGINT, &g_before_int, nullptr);
  sigaction(SIGTERM, &g_before_term, nullptr);
}

void Interruption::ProblemStarted(int number, const std::string& label) {
  problem_ = number;
  if (inner_ != nullptr) inner_->ProblemStarted(number, label);
}

void Interruption::StepStarted(Step step) {
  step_ = StepName(step);
  if (inner_ != nullptr) inner_->StepStarted(step);
}

void Interruption::Advance(Step step, std::int64_t done, std::int64_t total) {
  if (inner_ != nullptr) inner_->Advance(step, done, total);
}

void Interruption::Finish() {
  if (inner_ != nullptr) inner_->Finish();
}

void Interruption::CutoffLevelStarted(int index, float alpha) {
  if (inner_ != nullptr) inner_->CutoffLevelStarted(index, alpha);
}

bool Interruption::Cancelled() const { return Signal() != 0 || (inner_ != nullptr && inner_->Cancelled()); }

int Interruption::Signal() const { return g_stop_signal.load(); }

std::string Interruption::Where() const {
  const int signal = Signal();
  std::string where = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal";
  where += std::string(" during the ") + step_;
  if (problem_ > 0) where += " of problem " + std::to_string(problem_);
  return where;
}

}  // namespace quorel
