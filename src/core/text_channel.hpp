#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace quorel {

// Text written to a FILE*, held in memory: for the diagnostics of readers and phases that
// a caller collects instead of showing.
class TextChannel {
 public:
  TextChannel() : file_(open_memstream(&data_, &size_)) {}
  ~TextChannel() {
    if (file_ != nullptr) std::fclose(file_);
    std::free(data_);
  }
  TextChannel(const TextChannel&) = delete;
  TextChannel& operator=(const TextChannel&) = delete;

  std::FILE* File() const { return file_; }
  std::string Text() {
    if (file_ == nullptr) return {};
    std::fflush(file_);
    return std::string(data_, size_);
  }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_ = nullptr;
};

}  // namespace quorel
