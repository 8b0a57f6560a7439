#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorel {

struct AnalysisOptions;
class StatusSink;

// At most this many cutoff levels are used.
inline constexpr int kMaxCutoffs = 20;

// 0 when all relations are directional (always when no vector is present), 1 when all are
// non-directional, 2 when they are mixed.
std::int16_t ClassifyDirectionality(const std::vector<std::int8_t>& ndi, std::uint8_t nd, int nr);

// Lowers a measure control that cannot be carried out on the problem's relations (with a
// warning pair), or keeps it and warns that every relation is treated as directional.
void CheckMeasureControl(AnalysisOptions& options, std::int16_t directionality, StatusSink& sink);

// Parses the cutoff text: every run of digits and points is one number (converted as atof
// converts it); every other character separates numbers. A number below 0 or not below 1
// is reported as "invalid probability" and used all the same. Only the first 20 numbers
// are kept; when there are more, one warning says so.
std::vector<float> ParseCutoffList(std::string_view text, StatusSink& sink);

// Where the reading of the cutoff text above differs from what the text plainly says, one
// note per word of it: "\"1e-3\" is read as 1 and 3", "\"5%\" is read as 5", "\"0,05\" is read
// as 0 and 5"; a text with no number at all is read as no cutoff level. Words are
// separated by blanks and by a comma or semicolon followed by a blank. Empty when the text
// reads as it says.
std::vector<std::string> CutoffTextNotes(std::string_view text);

// The option check run before a problem is analysed: measure control, then cutoff list.
std::vector<float> CheckOptions(AnalysisOptions& options, std::int16_t directionality, StatusSink& sink);

}  // namespace quorel
