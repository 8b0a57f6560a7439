#include "shell/run_recording.hpp"

#include <ctime>
#include <thread>

#include "shell/file_digest.hpp"

namespace quorel {

namespace {

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

RunRecord::Input Described(const std::string& path) {
  RunRecord::Input input{path, "", 0};
  if (!DigestFile(path, input.sha256, input.bytes)) input.sha256.clear();
  return input;
}

}  // namespace

RunRecording::RunRecording(int argc, const char* const* argv, const AnalysisOptions& options, int processes)
    : began_(std::chrono::steady_clock::now()) {
  record_.program_version = QUOREL_VERSION;
  record_.command_line.assign(argv, argv + argc);
  record_.inputs.push_back(Described(options.DataPath));
  for (const std::string& more : options.MoreDataPaths) record_.inputs.push_back(Described(more));
  record_.seed = options.Seed;
  record_.threads = options.Threads;
  record_.omega_from_exact = options.OmegaFromExact;
  record_.processes = processes;
  record_.cores = static_cast<int>(std::thread::hardware_concurrency());
  record_.started = UtcNow();
}

RunRecord RunRecording::Finish(StepTimer& timer, const RunRecord::Memory& memory) const {
  RunRecord record = record_;
  record.memory = memory;
  record.problems = timer.Durations();
  record.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began_).count();
  return record;
}

}  // namespace quorel
