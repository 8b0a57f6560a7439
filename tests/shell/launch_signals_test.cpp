// Whether a launcher started the program, read from the variables it sets: a program
// started alone must never start the message passing, and one of several must know it.

#include "shell/launched_processes.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace quorel {
namespace {

struct LaunchCase {
  const char* name;
  std::map<std::string, std::string> environment;
  bool launched;
  int processes;
};

TEST(LaunchSignals, AreReadFromTheLaunchersVariables) {
  const LaunchCase cases[] = {
      {"started alone", {}, false, 1},
      {"unrelated variables", {{"OMPI_MCA_btl", "self"}, {"SLURM_NTASKS", "4"}}, false, 1},
      {"Open MPI's mpirun", {{"OMPI_COMM_WORLD_SIZE", "3"}, {"PMIX_RANK", "1"}}, true, 3},
      {"a PMI launcher", {{"PMI_SIZE", "8"}}, true, 8},
      {"PMIx, rank only", {{"PMIX_RANK", "0"}}, true, 1},
      {"one process under mpirun", {{"OMPI_COMM_WORLD_SIZE", "1"}}, true, 1},
      {"a count that is no count", {{"OMPI_COMM_WORLD_SIZE", "many"}}, true, 1},
      {"a count of zero", {{"PMI_SIZE", "0"}}, true, 1},
  };
  for (const LaunchCase& c : cases) {
    const LaunchSignals signals = ReadLaunchSignals([&](const char* name) -> const char* {
      const auto found = c.environment.find(name);
      return found == c.environment.end() ? nullptr : found->second.c_str();
    });
    EXPECT_EQ(signals.launched, c.launched) << c.name;
    EXPECT_EQ(signals.processes, c.processes) << c.name;
  }
}

}  // namespace
}  // namespace quorel
