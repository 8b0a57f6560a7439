#include "pipeline/stream_file.hpp"

#include <ostream>

namespace quorel {

namespace {

ssize_t WriteToStream(void* cookie, const char* data, std::size_t size) {
  auto* out = static_cast<std::ostream*>(cookie);
  out->write(data, static_cast<std::streamsize>(size));
  return out->good() ? static_cast<ssize_t>(size) : -1;
}

}  // namespace

std::FILE* OpenStreamFile(std::ostream& out) {
  cookie_io_functions_t functions{};
  functions.write = WriteToStream;
  return fopencookie(&out, "w", functions);
}

}  // namespace quorel
