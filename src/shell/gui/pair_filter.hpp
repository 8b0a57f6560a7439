#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/gui/pair_table.hpp"

namespace quorel {

// A filter of the pairs table: conditions joined by "and", each a column's name, a
// comparison and a number, e.g. "kappa proportion < 0.05 and n11 >= 3". Column names are
// the headers, in any case, with blanks or underscores between the words. A pair without
// a value in a column meets no condition on it.
struct PairCondition {
  enum class Comparison { kLess, kLessOrEqual, kGreater, kGreaterOrEqual, kEqual, kNotEqual };
  PairColumn column = PairColumn::kFirst;
  Comparison comparison = Comparison::kLess;
  double value = 0.0;
};

struct PairFilter {
  std::vector<PairCondition> conditions;  // none: every pair

  bool Accepts(const PairTable& table, int pair) const;
};

// The column called `name` (its header, in any case, blanks or underscores between words).
std::optional<PairColumn> FindPairColumn(std::string_view name);

// The filter `text` stands for; an empty text lets every pair through. Null, with the
// reason in `error`, when the text is not a filter.
std::optional<PairFilter> ParsePairFilter(std::string_view text, std::string& error);

}  // namespace quorel
