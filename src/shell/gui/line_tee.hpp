#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace quorel {

// A text stream that passes everything written to it on to `target` and hands every
// complete line (without its line feed) to `on_line`; a last line without a line feed is
// handed over when the stream closes. The engine writes its progress and diagnostics to
// plain streams; the dialog follows them through this without changing what the terminal
// receives. Where the C library cannot make such a stream, File() is `target` itself and
// no lines are handed over.
class LineTee {
 public:
  using LineHandler = std::function<void(std::string_view line)>;

  LineTee(std::FILE* target, LineHandler on_line);
  ~LineTee();
  LineTee(const LineTee&) = delete;
  LineTee& operator=(const LineTee&) = delete;

  std::FILE* File() const { return file_ != nullptr ? file_ : target_; }

  // Flushes and closes the stream (File() is `target` afterwards). Called by the destructor.
  void Close();

 private:
  friend struct LineTeeAccess;
  void Take(const char* text, std::size_t size);
  void FlushPartial();

  std::FILE* target_;
  LineHandler on_line_;
  std::FILE* file_ = nullptr;
  std::string partial_;
};

}  // namespace quorel
