#include "shell/terminal_progress.hpp"


namespace quorel {

void TerminalProgress::Advance(Step, std::int64_t done, std::int64_t total) {
  const auto now = std::chrono::steady_clock::now();
  if (!started_) {
    started_ = true;
    start_ = now;
  }
  if (total <= 0) return;
  constexpr int kWidth = 30;
  const double share = static_cast<double>(done) / static_cast<double>(total);
  const int filled = static_cast<int>(share * kWidth);
  char bar[kWidth + 1];
  for (int k = 0; k < kWidth; ++k) bar[k] = k < filled ? '#' : '.';
  bar[kWidth] = '\0';
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  char left[32] = "--:--";
  if (done > 0) {
    const long seconds = static_cast<long>(elapsed * (1.0 - share) / share + 0.5);
    std::snprintf(left, sizeof left, "%ld:%02ld", seconds / 60, seconds % 60);
  }
  std::fprintf(terminal_, "\r  sampling %s [%s] %3d%%  %lld/%lld  %s left ", unit_, bar,
               static_cast<int>(share * 100.0), static_cast<long long>(done), static_cast<long long>(total), left);
  std::fflush(terminal_);
  drawn_ = true;
}

void TerminalProgress::Finish() {
  if (drawn_) {
    std::fprintf(terminal_, "\r%*s\r", 79, "");
    std::fflush(terminal_);
  }
  drawn_ = false;
  started_ = false;
}

}  // namespace quorel
