#include "formats/file_text.hpp"

#include <filesystem>
#include <memory>
#include <system_error>

namespace quorel {

bool ReadRestOfFile(std::FILE* in, std::string& text) {
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, got);
  return std::ferror(in) == 0;
}

bool ReadFileText(const std::string& path, std::string& text) {
  // A directory opens for reading on some systems and then reads as empty.
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return false;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), &std::fclose);
  return in != nullptr && ReadRestOfFile(in.get(), text);
}

}  // namespace quorel
