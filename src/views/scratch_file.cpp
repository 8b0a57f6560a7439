#include "views/scratch_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace quorel {

ScratchFile::ScratchFile(const std::string& directory) {
  if (!directory.empty()) {
    std::string pattern = directory + "/.quorel-scratch-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) {
      unlink(pattern.c_str());
      file_ = fdopen(fd, "w+");
      if (file_ == nullptr) close(fd);
    }
  }
  // A directory that cannot hold it (read-only, or a device's) leaves the system's own.
  if (file_ == nullptr) file_ = std::tmpfile();
  if (file_ == nullptr) Fail("a scratch file could not be made");
}

ScratchFile::~ScratchFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void ScratchFile::Fail(const char* what) {
  if (!failure_.empty()) return;
  failure_ = what;
  if (errno != 0) failure_ += std::string(": ") + std::strerror(errno);
}

void ScratchFile::Append(std::string_view text) {
  if (file_ == nullptr || !failure_.empty()) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    Fail("a scratch file could not be written");
    return;
  }
  size_ += static_cast<long long>(text.size());
}

bool ScratchFile::Rewind() {
  if (file_ == nullptr || !failure_.empty()) return false;
  errno = 0;
  if (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
    Fail("a scratch file could not be read back");
    return false;
  }
  return true;
}

bool ScratchFile::Resume() {
  // Appending goes on at the end, after what was read.
  if (std::fseek(file_, 0, SEEK_END) != 0) {
    Fail("a scratch file could not be read back");
    return false;
  }
  return true;
}

bool ScratchFile::CopyTo(const TextOut& out) {
  if (size_ == 0) return failure_.empty();
  if (!Rewind()) return false;
  std::vector<char> buffer(1 << 16);
  long long left = size_;
  bool taken = true;
  while (left > 0 && taken) {
    const std::size_t want = static_cast<std::size_t>(std::min<long long>(left, static_cast<long long>(buffer.size())));
    const std::size_t got = std::fread(buffer.data(), 1, want, file_);
    if (got == 0) {
      Fail("a scratch file could not be read back");
      break;
    }
    taken = out(std::string_view(buffer.data(), got));
    left -= static_cast<long long>(got);
  }
  return Resume() && left == 0 && taken;
}

bool ScratchFile::ForEachLine(const std::function<bool(std::string_view)>& line) {
  if (size_ == 0) return failure_.empty();
  if (!Rewind()) return false;
  char* text = nullptr;
  std::size_t capacity = 0;
  bool taken = true;
  ssize_t length;
  while (taken && (length = getline(&text, &capacity, file_)) > 0) {
    std::string_view whole(text, static_cast<std::size_t>(length));
    if (whole.back() == '\n') whole.remove_suffix(1);
    taken = line(whole);
  }
  std::free(text);
  return Resume() && taken;
}

void ScratchFile::Clear() {
  if (file_ == nullptr || !failure_.empty()) return;
  std::fflush(file_);
  if (ftruncate(fileno(file_), 0) != 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
    Fail("a scratch file could not be emptied");
    return;
  }
  size_ = 0;
}

}  // namespace quorel
