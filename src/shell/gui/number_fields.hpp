#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorel {

// The number fields of the main dialog hold text; these turn it into the option members
// and back. Both directions ignore the user's locale: the decimal separator is always '.',
// as in the data file and the cutoff list.

// A whole number: optional blanks, an optional sign, decimal digits, optional blanks, within
// 32 bits. Anything else ("", "12a", "1.5", "1e3", "0x10", "2147483648") is not one.
std::optional<std::int32_t> ParseIntegerField(std::string_view text);

// A decimal number: optional blanks, an optional sign, digits with an optional fraction
// ("5", "0.01", ".5", "5.") and an optional exponent ("1e-3"), optional blanks; it must fit
// a 32-bit float. Hexadecimal forms, "inf", "nan" and a decimal comma are not numbers.
std::optional<float> ParseFloatField(std::string_view text);

std::string FormatIntegerField(std::int32_t value);

// Six significant digits, the shortest form ("0.01", "1000", "1e-07").
std::string FormatFloatField(float value);

}  // namespace quorel
