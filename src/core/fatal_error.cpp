#include "core/fatal_error.hpp"

#include <cerrno>
#include <cstring>

namespace quorel {

std::string FatalErrorMessage(std::int16_t code, int error_number) {
  switch (code) {
    case 1: return "ABORT QUOREL\n";
    case 2: return "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for edge table\n";
    case 3: return "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Partial Order Table\n";
    case 4: return "ERROR: Matrix access out of range.\n";
    case 5: return "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Multiplication Table\n";
    case 6: return "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Word Table\n";
    case 7: {
      // The standard error printer's form: introduction, ": ", the system's text.
      std::string text = "QUOREL error -\n: ";
      text += std::strerror(error_number);
      text += '\n';
      return text;
    }
    case 8: return "ERROR: NOT ENOUGH MEMORY - Unable to store all unchecked inclusions\n";
    case 9: return "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for variables\n";
    case 10: return "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Omega\n";
    default: return "";
  }
}

void FatalError(std::int16_t code) {
  const int error_number = errno;
  throw FatalErrorExit{code, FatalErrorMessage(code, error_number)};
}

void FatalErrorWithMessage(std::string message) { throw FatalErrorExit{0, std::move(message)}; }

}  // namespace quorel
