#include "shell/gui/line_tee.hpp"

#include <sys/types.h>

namespace quorel {

struct LineTeeAccess {
  static ssize_t Write(void* cookie, const char* text, std::size_t size) {
    static_cast<LineTee*>(cookie)->Take(text, size);
    return static_cast<ssize_t>(size);
  }
  static int Close(void*) { return 0; }
};

LineTee::LineTee(std::FILE* target, LineHandler on_line) : target_(target), on_line_(std::move(on_line)) {
#if defined(__GLIBC__)
  cookie_io_functions_t io{};
  io.write = &LineTeeAccess::Write;
  io.close = &LineTeeAccess::Close;
  file_ = fopencookie(this, "w", io);
  // Line by line, so that the lines reach the terminal and the handler as they are written.
  if (file_ != nullptr) std::setvbuf(file_, nullptr, _IOLBF, BUFSIZ);
#endif
}

LineTee::~LineTee() { Close(); }

void LineTee::Close() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  file_ = nullptr;
  FlushPartial();
  std::fflush(target_);
}

void LineTee::Take(const char* text, std::size_t size) {
  std::fwrite(text, 1, size, target_);
  const std::string_view chunk(text, size);
  std::size_t start = 0;
  for (std::size_t feed; (feed = chunk.find('\n', start)) != std::string_view::npos; start = feed + 1) {
    partial_.append(chunk.substr(start, feed - start));
    if (on_line_) on_line_(partial_);
    partial_.clear();
  }
  partial_.append(chunk.substr(start));
}

void LineTee::FlushPartial() {
  if (!partial_.empty() && on_line_) on_line_(partial_);
  partial_.clear();
}

}  // namespace quorel
