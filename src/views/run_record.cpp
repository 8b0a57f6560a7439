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
          {"steps", std::move(problems)}};
}

}  // namespace quorel
