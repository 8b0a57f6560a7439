#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorel {

struct AnalysisState;
struct AnalysisOptions;

// Writes the report title, section 1's heading, the label, the dimension and
// directionality lines, every input matrix (a repeated matrix shown again as the distinct
// matrix it stands for), the list of duplicates and, when supplied, the fixed matrix.
void PrintInput(AnalysisState& state, const AnalysisOptions& options, const std::string& label,
                const std::vector<std::int16_t>& ident);

// Writes the fixed matrix rebuilt from its cell groups. When its work matrix cannot be
// obtained nothing is printed.
void PrintFixedMatrix(AnalysisState& state);

// Writes the generators after duplicates were dropped and transposes added.
void PrintUpdatedList(AnalysisState& state, const std::vector<std::int16_t>& ident);

// Writes the options block: generators, word length, measure control, permutation
// strategy, sample size, alpha values, Minkappa and the diagonal rule.
void PrintOptions(AnalysisState& state, const AnalysisOptions& options, const std::vector<float>& cutoffs);

}  // namespace quorel
