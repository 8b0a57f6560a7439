#pragma once

#include <string>
#include <vector>

#include "pipeline/result_record.hpp"
#include "quorel/options.hpp"

namespace quorel {

// The options as the command line's option members hold them, and back.
AnalysisOptions ToAnalysisOptions(const Options& options);
Options ToOptions(const AnalysisOptions& options);

namespace detail {

// What a quorel::Result shares: the recorded results of one network, the options as the
// analysis used them and the warnings of their check.
struct ResultData {
  ProblemRecord record;
  Options options;
  std::vector<std::string> warnings;
};

}  // namespace detail
}  // namespace quorel
