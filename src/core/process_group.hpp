#pragma once

#include <vector>

#include "core/process_share.hpp"

namespace quorel {

// The processes that one analysis is spread over, as the phases see them: this process's
// share and a sum across all of them. Every process runs the same analysis on the same
// input; a phase divides its units of work by the share and sums its counters before it
// uses them. This default is a run started alone: process 0 of 1, and a sum that leaves the
// values as they are. A launcher's processes are an implementation of the shell.
class ProcessGroup {
 public:
  virtual ~ProcessGroup() = default;

  virtual ProcessShare Share() const { return {}; }

  // Replaces `values` in every process by the element-wise sum of every process's `values`
  // (all of one length). Every process must call it at the same point of the analysis; it
  // returns when all have. An exchange that fails ends the whole run, not this process alone.
  virtual void SumAcrossProcesses(std::vector<float>& /*values*/) {}
};

}  // namespace quorel
