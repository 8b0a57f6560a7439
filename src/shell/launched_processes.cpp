#include "shell/launched_processes.hpp"

#include <cstdlib>
#include <string>

#include "core/error.hpp"
#ifdef QUOREL_WITH_MPI
#include "shell/mpi/mpi_processes.hpp"
#endif

namespace quorel {

namespace {

// A positive process count from a launcher variable; 0 when absent or not a count.
int CountIn(const char* text) {
  if (text == nullptr) return 0;
  char* end = nullptr;
  const long count = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && count > 0 && count < (1L << 30) ? static_cast<int>(count) : 0;
}

}  // namespace

LaunchSignals ReadLaunchSignals(const std::function<const char*(const char*)>& lookup) {
  LaunchSignals signals;
  for (const char* count_variable : {"OMPI_COMM_WORLD_SIZE", "PMI_SIZE"}) {
    const char* text = lookup(count_variable);
    if (text == nullptr) continue;
    signals.launched = true;
    if (const int count = CountIn(text); count > 0) signals.processes = count;
  }
  // PMIx gives the rank alone; the count comes from the message passing itself.
  if (lookup("PMIX_RANK") != nullptr) signals.launched = true;
  return signals;
}

std::unique_ptr<LaunchedProcesses> JoinLaunchedProcesses() {
  const LaunchSignals signals = ReadLaunchSignals([](const char* name) { return std::getenv(name); });
  if (!signals.launched) return nullptr;
#ifdef QUOREL_WITH_MPI
  return std::make_unique<MpiProcesses>();
#else
  if (signals.processes == 1) return nullptr;
  throw Error(ErrorKind::kInvalidArgument, 0,
              "started as one of " + std::to_string(signals.processes) +
                  " processes by an MPI launcher, but this quorel was built without MPI support; "
                  "run it alone, or build it with Open MPI installed (docs/cluster.md)");
#endif
}

}  // namespace quorel
