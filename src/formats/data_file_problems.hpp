#pragma once

#include <cstdio>
#include <vector>

#include "core/network.hpp"

namespace quorel {

class StatusSink;

// Reads every problem specification of a data file as the analysis reads them (the same
// messages for malformed data go to `sink` and `err`), each input relation in its place,
// repeats included, and, when `fixed_matrix`, the fixed matrix that follows each into
// `fixed_matrices`. False when the data is malformed; `problems` then holds the problems
// read before.
bool ReadDataFileProblems(std::FILE* in, std::FILE* err, StatusSink& sink, bool fixed_matrix,
                          std::vector<Network>& problems, std::vector<std::vector<float>>& fixed_matrices);

}  // namespace quorel
