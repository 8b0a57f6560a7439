#include "shell/mpi/mpi_processes.hpp"

#include <mpi.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstdio>

#include "core/error.hpp"

namespace quorel {

MpiProcesses::MpiProcesses() {
  int provided = 0;
  if (MPI_Init_thread(nullptr, nullptr, MPI_THREAD_FUNNELED, &provided) != MPI_SUCCESS) {
    throw Error(ErrorKind::kFatal, 0, "the MPI processes could not be started\n");
  }
  MPI_Comm_rank(MPI_COMM_WORLD, &share_.rank);
  MPI_Comm_size(MPI_COMM_WORLD, &share_.count);
}

MpiProcesses::~MpiProcesses() {
  if (!finalized_) MPI_Finalize();
}

void MpiProcesses::SumAcrossProcesses(std::vector<float>& values) {
  // One reduction per at most INT_MAX values, in place, in the same order on every process.
  for (std::size_t begin = 0; begin < values.size(); begin += INT_MAX) {
    const int count = static_cast<int>(std::min<std::size_t>(values.size() - begin, INT_MAX));
    MPI_Allreduce(MPI_IN_PLACE, values.data() + begin, count, MPI_FLOAT, MPI_SUM, MPI_COMM_WORLD);
  }
}

void MpiProcesses::Leave(int status) {
  if (finalized_) return;
  std::fflush(nullptr);
  if (status != 0) {
    MPI_Abort(MPI_COMM_WORLD, status);  // ends every process, this one too
    std::_Exit(status);
  }
  MPI_Finalize();
  finalized_ = true;
}

}  // namespace quorel
