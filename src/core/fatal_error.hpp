#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace quorel {

// Raised by FatalError: the run cannot be carried on from. The shell writes `message` to
// the diagnostics channel, keeps the report as written so far and ends with status 1.
struct FatalErrorExit {
  std::int16_t code;
  std::string message;  // complete text for the diagnostics channel (may be empty)
};

// The diagnostic text of a fatal error code (empty for codes outside 1..10). Code 7, a
// math error of the likelihood ratio statistic, includes the system's text for `error_number`.
std::string FatalErrorMessage(std::int16_t code, int error_number);

// Ends the run with `code`: throws FatalErrorExit carrying the code's message.
[[noreturn]] void FatalError(std::int16_t code);

// Ends the run with a message of its own (for failures with a specific diagnostic).
[[noreturn]] void FatalErrorWithMessage(std::string message);

}  // namespace quorel
