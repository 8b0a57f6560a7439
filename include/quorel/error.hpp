#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quorel {

// How a run or a call failed.
enum class ErrorKind : std::uint8_t {
  kFatal,            // the run cannot be carried on from; a report keeps what was written
  kCompletion,       // the run ended early with a completion code (storage of the measures)
  kMalformedInput,   // the input is not a network the readers accept
  kFile,             // a file could not be opened, read or written
  kCancelled,        // the caller asked the run to stop
  kInvalidArgument,  // a value outside what the analysis accepts
};

// The kind's name as the bindings give it to scripts: "fatal", "completion",
// "malformed-input", "file", "cancelled", "invalid-argument".
const char* ErrorKindName(ErrorKind kind);

// The one error type of Quorel. what() is the complete diagnostic text, as the command
// line writes it (it names the file, line and value where one is to blame; fatal errors
// end in a line feed).
class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, int code, const std::string& message) : std::runtime_error(message), kind_(kind), code_(code) {}

  ErrorKind kind() const noexcept { return kind_; }
  // The fatal error number or the completion code of the command line; 0 when none applies.
  int code() const noexcept { return code_; }

 private:
  ErrorKind kind_;
  int code_;
};

}  // namespace quorel
