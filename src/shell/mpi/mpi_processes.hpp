#pragma once

#include <vector>

#include "shell/launched_processes.hpp"

namespace quorel {

// The processes of MPI_COMM_WORLD. Made once per program run, on the main thread, which
// alone passes messages (the sampling's workers never do). An MPI failure ends the whole
// run: the communicator keeps MPI's default handler, which aborts every process.
class MpiProcesses final : public LaunchedProcesses {
 public:
  // Starts the message passing; an Error of kind kFatal when it cannot be started.
  MpiProcesses();
  // Ends the message passing when Leave has not.
  ~MpiProcesses() override;
  MpiProcesses(const MpiProcesses&) = delete;
  MpiProcesses& operator=(const MpiProcesses&) = delete;

  ProcessShare Share() const override { return share_; }
  void SumAcrossProcesses(std::vector<float>& values) override;
  void Leave(int status) override;

 private:
  ProcessShare share_;
  bool finalized_ = false;
};

}  // namespace quorel
