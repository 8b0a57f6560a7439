#pragma once

#include <cstdint>
#include <string>

#include "quorel/error.hpp"

namespace quorel {

// The codes with which a run ends; each has its message lines in the shell.
enum class CompletionCode : std::int16_t {
  kComplete = 0,
  kFixedMatrixRequired = 1,  // a fixed-matrix measure control without a fixed matrix
  kInputOpenFailure = 3,
  kOutputOpenFailure = 5,
  kSamplerStorage = 29,      // the samplers' buffers
  kLikelihoodRatioStorage = 31,
  kMcNemarStorage = 32,
  kKappaStorage = 33,
  kStandardizedKappaStorage = 34,
  kPValueStorage = 35,       // Fisher's P and the binomial P
  kEstvarStorage = 36,
};

// The numbered fatal errors, each with its diagnostic text (FatalErrorMessage).
enum class FatalCode : std::int16_t {
  kOwnMessage = 0,      // a failure with a diagnostic of its own
  kAbort = 1,           // malformed data, or a matrix slot that could not be had
  kEdgeTable = 2,
  kPartialOrder = 3,
  kMatrixAccess = 4,
  kMultTable = 5,
  kWordTable = 6,
  kMathError = 7,       // the logarithm of the likelihood ratio statistic failed
  kInclusions = 8,      // pending inclusions of a closure or the atom list
  kVariables = 9,       // scratch relations and working buffers
  kOmega = 10,
};

// The diagnostic text of a fatal error code (empty for kOwnMessage). A math error names
// the system's text for `error_number`, the error the logarithm reported.
std::string FatalErrorMessage(FatalCode code, int error_number = 0);

// Ends the run with `code`: throws a fatal Error carrying the code's message.
[[noreturn]] void FatalError(FatalCode code);

// The same, with the code's message after a diagnostic of the failure that led to it.
[[noreturn]] void FatalError(FatalCode code, const std::string& preceding);

// The logarithm of the likelihood ratio statistic reported `error_number` (EDOM, ERANGE).
[[noreturn]] void FatalMathError(int error_number);

// Ends the run with a diagnostic of its own.
[[noreturn]] void FatalErrorWithMessage(const std::string& message);

// Ends the measures phase with a completion code.
[[noreturn]] void EndWithCompletion(CompletionCode code);

}  // namespace quorel
