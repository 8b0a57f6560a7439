#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace quorel {

// Receives text in pieces; false when it could not take them (the writing stops there).
using TextOut = std::function<bool(std::string_view)>;

// Text held on disk for a while rather than in memory, e.g. the parts of a document that
// must be written out in another order than they are found. The file is removed from its
// directory as soon as it is made, so nothing is left behind however the program ends.
class ScratchFile {
 public:
  // In `directory`, or in the system's directory for temporary files when it is empty or
  // cannot hold the file.
  explicit ScratchFile(const std::string& directory);
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  void Append(std::string_view text);
  // Passes everything appended so far to `out`; the file keeps it and takes more.
  bool CopyTo(const TextOut& out);
  // Passes every line appended so far to `line`, without its line feed.
  bool ForEachLine(const std::function<bool(std::string_view)>& line);
  // Forgets everything appended.
  void Clear();
  bool Empty() const { return size_ == 0; }

  // Why the file could not be made or written; empty while all is well.
  const std::string& Failure() const { return failure_; }

 private:
  bool Rewind();
  bool Resume();
  void Fail(const char* what);

  std::FILE* file_ = nullptr;
  long long size_ = 0;
  std::string failure_;
};

}  // namespace quorel
