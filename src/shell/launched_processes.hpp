#pragma once

#include <functional>
#include <memory>

#include "core/process_group.hpp"

namespace quorel {

// What the environment tells of the launcher that started this program: an MPI launcher
// (mpirun, mpiexec, srun) gives every process it starts variables of its own, and a program
// started alone has none of them.
struct LaunchSignals {
  bool launched = false;  // some launcher variable is set
  int processes = 1;      // the launcher's count of processes, when it gives one
};

// Reads the launcher variables through `lookup` (getenv, or a table in a test): Open MPI's
// OMPI_COMM_WORLD_SIZE, PMIx's PMIX_RANK and PMI's PMI_SIZE.
LaunchSignals ReadLaunchSignals(const std::function<const char*(const char*)>& lookup);

// The processes one analysis is spread over when a launcher started them: this process's
// share, the sum of the sample counters across all, and the ending of the whole run.
class LaunchedProcesses : public ProcessGroup {
 public:
  // Ends this process's part of the run with the exit status it came to. Status 0 waits for
  // the others to finish theirs; any other status ends every process of the run at once with
  // that status, so that no process waits for a partner that will never come and the run
  // cannot end as a success.
  virtual void Leave(int status) = 0;
};

// Joins the processes of the launcher that started this program, as the environment shows
// it: null when the program was started alone, so such a run never starts the message
// passing. Throws an Error of kind kInvalidArgument when a launcher started several
// processes and this build has no MPI support (each would run the whole analysis and write
// the same files).
std::unique_ptr<LaunchedProcesses> JoinLaunchedProcesses();

}  // namespace quorel
