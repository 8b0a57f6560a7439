#include "core/fatal_error.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace quorel {
namespace {

TEST(FatalError, EveryCodeHasItsMessage) {
  const std::vector<std::pair<std::int16_t, std::string>> messages = {
      {1, "ABORT QUOREL\n"},
      {2, "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for edge table\n"},
      {3, "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Partial Order Table\n"},
      {4, "ERROR: Matrix access out of range.\n"},
      {5, "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Multiplication Table\n"},
      {6, "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Word Table\n"},
      {7, std::string("QUOREL error -\n: ") + std::strerror(ERANGE) + "\n"},
      {8, "ERROR: NOT ENOUGH MEMORY - Unable to store all unchecked inclusions\n"},
      {9, "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for variables\n"},
      {10, "ERROR: NOT ENOUGH MEMORY - Unable to allocate space for Omega\n"},
      {11, ""},
      {0, ""}};
  for (const auto& [code, message] : messages) EXPECT_EQ(FatalErrorMessage(code, ERANGE), message) << code;
}

TEST(FatalError, CarriesTheCurrentErrorNumberForMathErrors) {
  errno = EDOM;
  try {
    FatalError(7);
    FAIL() << "FatalError returned";
  } catch (const FatalErrorExit& fatal) {
    EXPECT_EQ(fatal.code, 7);
    EXPECT_EQ(fatal.message, std::string("QUOREL error -\n: ") + std::strerror(EDOM) + "\n");
  }
}

}  // namespace
}  // namespace quorel
