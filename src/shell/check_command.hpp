#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/input_format.hpp"
#include "formats/read_settings.hpp"

namespace quorel {

// "quorel check FILE...": reads each file as the analysis would and says what it holds and
// what in it was probably not meant.
struct CheckRequest {
  std::vector<std::string> paths;
  InputFormat format = InputFormat::kAuto;
  bool fixed_matrix = false;  // a data file's problems are each followed by a fixed matrix
  ReadSettings settings;
};

// Writes one line per finding to `out` ("FILE:LINE: warning: ..." or "FILE: error: ..."),
// and what each problem holds, and returns the exit status: 0 when there is nothing to warn
// about, 1 when there are warnings or errors. Never runs an analysis.
int RunCheck(const CheckRequest& request, std::FILE* out);

}  // namespace quorel
