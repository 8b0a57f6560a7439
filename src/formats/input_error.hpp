#pragma once

#include <stdexcept>
#include <string>

namespace quorel {

// A malformed DL file, edge list, Pajek file or GraphML document: the line (1-based; 0
// when no line applies) and what is wrong there.
class InputError : public std::runtime_error {
 public:
  InputError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

// "FILE:LINE: what" (or "FILE: what" when no line applies).
inline std::string DescribeInputError(const std::string& file, const InputError& error) {
  if (error.Line() <= 0) return file + ": " + error.what();
  return file + ":" + std::to_string(error.Line()) + ": " + error.what();
}

}  // namespace quorel
