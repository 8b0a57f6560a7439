#include "views/run_record.hpp"

namespace quorel {

nlohmann::ordered_json RunRecordJson(const RunRecord& record) {
  using json = nlohmann::ordered_json;
  json inputs = json::array();
  for (const RunRecord::Input& input : record.inputs) {
    inputs.push_back({{"path", input.path},
                      {"sha256", input.sha256.empty() ? json(nullptr) : json(input.sha256)},
                      {"bytes", input.bytes}});
  }
  json problems = json::array();
  for (const std::vector<RunRecord::StepTime>& steps : record.problems) {
    json timed = json::array();
    for (const RunRecord::StepTime& step : steps) timed.push_back({{"step", step.step}, {"seconds", step.seconds}});
    problems.push_back(std::move(timed));
  }
  const auto bytes_or_null = [](std::uint64_t bytes) { return bytes == 0 ? json(nullptr) : json(bytes); };
  json memory = {{"budget", bytes_or_null(record.memory.budget)},
                 {"estimated_peak", bytes_or_null(record.memory.estimated_peak)},
                 {"granted_peak", record.memory.granted_peak}};
  return {{"program_version", record.program_version},
          {"command_line", record.command_line},
          {"inputs", std::move(inputs)},
          {"seed", record.seed},
          {"threads", record.threads},
          {"processes", record.processes},
          {"cores", record.cores},
          {"omega_from", record.omega_from_exact ? "exact" : "sampled"},
          {"started", record.started},
          {"seconds", record.seconds},
          {"steps", std::move(problems)},
          {"memory", std::move(memory)}};
}

}  // namespace quorel
