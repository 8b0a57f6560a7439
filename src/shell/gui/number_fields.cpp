#include "shell/gui/number_fields.hpp"

#include <charconv>
#include <cmath>

namespace quorel {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Splits off a leading sign; from_chars knows '-' only.
bool SplitSign(std::string_view& text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  return negative;
}

}  // namespace

std::optional<std::int32_t> ParseIntegerField(std::string_view text) {
  text = TrimBlanks(text);
  const bool negative = SplitSign(text);
  if (text.empty() || !IsDigit(text.front())) return std::nullopt;
  std::int64_t magnitude = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > std::int64_t{1} << 31) return std::nullopt;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::optional<float> ParseFloatField(std::string_view text) {
  text = TrimBlanks(text);
  const bool negative = SplitSign(text);
  // A digit or a decimal point must come first, which also keeps out "inf" and "nan".
  if (text.empty() || !(IsDigit(text.front()) || text.front() == '.')) return std::nullopt;
  float value = 0.0f;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

std::string FormatIntegerField(std::int32_t value) { return std::to_string(value); }

std::string FormatFloatField(float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  return std::string(buffer, result.ptr);
}

}  // namespace quorel
