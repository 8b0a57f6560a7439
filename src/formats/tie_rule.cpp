#include "formats/tie_rule.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "formats/input_error.hpp"

namespace quorel {

bool TieRule::IsTie(double value, int line) {
  if (std::isnan(value)) throw InputError(line, "a cell value is not a number");
  if (value != 0.0 && value != 1.0) ++valued_;
  if (value < 0.0 && !threshold_.has_value()) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    throw InputError(line, std::string("the negative value ") + text +
                               " is not read as a tie or no tie; give --threshold to say which values are ties");
  }
  return value > threshold_.value_or(0.0);
}

bool TieRule::IsTie(const std::string& field, int line) {
  char* end = nullptr;
  const double value = std::strtod(field.c_str(), &end);
  if (field.empty() || end == field.c_str() || *end != '\0' || std::isnan(value)) {
    throw InputError(line, "the value \"" + field + "\" is not a number");
  }
  return IsTie(value, line);
}

std::optional<std::string> TieRule::Warning() const {
  if (valued_ == 0) return std::nullopt;
  char text[200];
  std::snprintf(text, sizeof text,
                "WARNING: %llu cell%s values other than 0 and 1; a cell is a tie when its value is above %g",
                static_cast<unsigned long long>(valued_), valued_ == 1 ? " holds" : "s hold", threshold_.value_or(0.0));
  return std::string(text);
}

}  // namespace quorel
