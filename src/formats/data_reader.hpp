#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace quorel {

struct AnalysisState;
class StatusSink;

// Storage limits of the data: counts are 16-bit, and a table of two relations counts
// N x N cells in 16 bits, so N x N may not exceed 32767.
inline constexpr int kMaxActors = 181;

// Shows the twelve lines that describe the data file format.
void ShowFormatHelp(StatusSink& sink);

// True when every character of the text (up to its terminator) is white space.
bool IsBlankLine(const char* text);

// Reads the next problem specification of state.InFile into the state: label, header,
// non-directionality vector and the relation matrices (each distinct matrix kept once,
// with `ident` recording the repeats). Returns 1 when a problem was read, -1 when there is
// none (end of the data, or the matrix list could not be created or grown), 0 when the
// data is malformed (its messages have been shown).
std::int16_t ReadProblem(AnalysisState& state, StatusSink& sink, std::string& label,
                         std::vector<std::int16_t>& ident);

// The steps of ReadProblem, exposed for tests.
std::int16_t ReadLabel(AnalysisState& state, StatusSink& sink, std::string& label);
std::int16_t ReadHeader(std::FILE* in, std::int16_t& n, std::int16_t& nr, std::uint8_t& nd);
std::int16_t ReadNDI(AnalysisState& state);

}  // namespace quorel
