#include "shell/gui/pair_filter.hpp"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <utility>

namespace quorel {

namespace {

// Lower case, words separated by one blank (underscores count as blanks).
std::string Normalised(std::string_view text) {
  std::string out;
  bool gap = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '_') {
      gap = !out.empty();
      continue;
    }
    if (gap) out += ' ';
    gap = false;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string Joined(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text.append(part);
  return text;
}

std::vector<std::string> SplitOnAnd(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at = text.find(" and ", start); at != std::string::npos; at = text.find(" and ", start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + 5;
  }
  parts.push_back(text.substr(start));
  return parts;
}

// The operators, two-character ones first so that "<=" is not read as "<".
constexpr std::array<std::pair<std::string_view, PairCondition::Comparison>, 7> kOperators{{
    {"<=", PairCondition::Comparison::kLessOrEqual},
    {">=", PairCondition::Comparison::kGreaterOrEqual},
    {"!=", PairCondition::Comparison::kNotEqual},
    {"==", PairCondition::Comparison::kEqual},
    {"<", PairCondition::Comparison::kLess},
    {">", PairCondition::Comparison::kGreater},
    {"=", PairCondition::Comparison::kEqual},
}};

std::optional<PairCondition> ParseCondition(const std::string& text, std::string& error) {
  for (const auto& [symbol, comparison] : kOperators) {
    const std::size_t at = text.find(symbol);
    if (at == std::string::npos) continue;
    const std::string name = Normalised(text.substr(0, at));
    const std::string number = Normalised(text.substr(at + symbol.size()));
    const std::optional<PairColumn> column = FindPairColumn(name);
    if (!column || !ColumnInfo(*column).numeric) {
      error = Joined({"no column is called \"", name, "\""});
      return std::nullopt;
    }
    PairCondition condition{*column, comparison, 0.0};
    const char* end = number.data() + number.size();
    const auto [ptr, code] = std::from_chars(number.data(), end, condition.value);
    if (number.empty() || code != std::errc{} || ptr != end) {
      error = Joined({"\"", number, "\" is not a number"});
      return std::nullopt;
    }
    return condition;
  }
  error = Joined({"\"", Normalised(text), "\" compares nothing (use <, <=, >, >=, = or !=)"});
  return std::nullopt;
}

bool Meets(double value, const PairCondition& condition) {
  if (std::isnan(value)) return false;
  switch (condition.comparison) {
    case PairCondition::Comparison::kLess: return value < condition.value;
    case PairCondition::Comparison::kLessOrEqual: return value <= condition.value;
    case PairCondition::Comparison::kGreater: return value > condition.value;
    case PairCondition::Comparison::kGreaterOrEqual: return value >= condition.value;
    case PairCondition::Comparison::kEqual: return value == condition.value;
    case PairCondition::Comparison::kNotEqual: return value != condition.value;
  }
  return false;
}

}  // namespace

std::optional<PairColumn> FindPairColumn(std::string_view name) {
  const std::string wanted = Normalised(name);
  for (int c = 0; c < kPairColumnCount; ++c) {
    const auto column = static_cast<PairColumn>(c);
    if (wanted == ColumnInfo(column).title) return column;
  }
  return std::nullopt;
}

bool PairFilter::Accepts(const PairTable& table, int pair) const {
  for (const PairCondition& condition : conditions) {
    if (!Meets(table.Number(condition.column, pair), condition)) return false;
  }
  return true;
}

std::optional<PairFilter> ParsePairFilter(std::string_view text, std::string& error) {
  PairFilter filter;
  const std::string normalised = Normalised(text);
  if (normalised.empty()) return filter;
  for (const std::string& part : SplitOnAnd(normalised)) {
    std::optional<PairCondition> condition = ParseCondition(part, error);
    if (!condition) return std::nullopt;
    filter.conditions.push_back(*condition);
  }
  return filter;
}

}  // namespace quorel
