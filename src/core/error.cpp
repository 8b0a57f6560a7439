#include "core/error.hpp"

#include <cstring>

namespace quorel {

const char* ErrorKindName(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::kFatal: return "fatal";
    case ErrorKind::kCompletion: return "completion";
    case ErrorKind::kMalformedInput: return "malformed-input";
    case ErrorKind::kFile: return "file";
    case ErrorKind::kCancelled: return "cancelled";
    case ErrorKind::kInvalidArgument: return "invalid-argument";
  }
  return "fatal";
}

std::string FatalErrorMessage(FatalCode code, int error_number) {
  switch (code) {
    case FatalCode::kOwnMessage: return "";
    case FatalCode::kAbort: return "ABORT QUOREL\n";
    case FatalCode::kEdgeTable: return "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for edge table\n";
    case FatalCode::kPartialOrder: return "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Partial Order Table\n";
    case FatalCode::kMatrixAccess: return "ERROR: Matrix access out of range.\n";
    case FatalCode::kMultTable: return "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Multiplication Table\n";
    case FatalCode::kWordTable: return "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Word Table\n";
    case FatalCode::kMathError: {
      // The standard error printer's form: introduction, ": ", the system's text.
      std::string text = "QUOREL error -\n: ";
      text += std::strerror(error_number);
      text += '\n';
      return text;
    }
    case FatalCode::kInclusions: return "ERROR: NOT ENOUGH MEMORY - Unable to store all unchecked inclusions\n";
    case FatalCode::kVariables: return "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for variables\n";
    case FatalCode::kOmega: return "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Omega\n";
  }
  return "";
}

void FatalError(FatalCode code) {
  throw Error(ErrorKind::kFatal, static_cast<int>(code), FatalErrorMessage(code));
}

void FatalError(FatalCode code, const std::string& preceding) {
  throw Error(ErrorKind::kFatal, static_cast<int>(code), preceding + FatalErrorMessage(code));
}

void FatalMathError(int error_number) {
  throw Error(ErrorKind::kFatal, static_cast<int>(FatalCode::kMathError),
              FatalErrorMessage(FatalCode::kMathError, error_number));
}

void FatalErrorWithMessage(const std::string& message) {
  throw Error(ErrorKind::kFatal, static_cast<int>(FatalCode::kOwnMessage), message);
}

void EndWithCompletion(CompletionCode code) {
  throw Error(ErrorKind::kCompletion, static_cast<int>(code), "");
}

}  // namespace quorel
