#pragma once

#include <cstdio>
#include <vector>

#include "core/fixed_matrix.hpp"
#include "core/matrix_list.hpp"
#include "core/storage_gate.hpp"
#include "views/result_sink.hpp"

namespace quorel {

// Writes the report title, section 1's heading, the label, the dimension and
// directionality lines, every input matrix (a repeated matrix shown again as the distinct
// matrix it stands for), the list of duplicates and, when supplied, the fixed matrix.
void PrintInput(std::FILE* out, const ProblemFacts& facts, const MatrixList& inputs, const FixedMatrixRecord* fixed,
                StorageGate& gate);

// Writes the fixed matrix rebuilt from its cell groups. When its work matrix cannot be
// obtained nothing is printed.
void PrintFixedMatrix(std::FILE* out, const FixedMatrixRecord& fixed, int n, StorageGate& gate);

// Writes the generators after duplicates were dropped and transposes added.
void PrintUpdatedList(std::FILE* out, const MatrixList& list, int distinct_inputs, int generator_count,
                      const std::vector<int>& transpose_of);

// Writes the options block: generators, word length, measure control, permutation
// strategy, sample size, alpha values, Minkappa and the diagonal rule.
void PrintOptions(std::FILE* out, int generator_count, const AnalysisOptions& options, const std::vector<float>& cutoffs);

}  // namespace quorel
