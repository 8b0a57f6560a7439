#include "support/run_harness.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

#include "core/message_list.hpp"
#include "shell/run_command.hpp"

namespace quorel::testing {

ScratchDirectory::ScratchDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quorel-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a scratch directory");
  path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteWholeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string DrainAndClose(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  std::fclose(file);
  return text;
}

namespace {

RunCapture RunWith(const AnalysisOptions& options, const std::function<void(AnalysisState&)>& prepare) {
  AnalysisState state;
  state.ErrFile = std::tmpfile();
  state.ProgressFile = std::tmpfile();
  if (prepare) prepare(state);
  MessageList messages;
  AnalysisOptions run_options = options;
  const RunOutcome outcome = OnRun(state, run_options, messages);

  RunCapture capture;
  capture.code = outcome.code;
  capture.fatal = outcome.fatal;
  capture.interrupted = outcome.interrupted;
  capture.messages = messages.Lines();
  capture.errors = DrainAndClose(state.ErrFile);
  capture.progress = DrainAndClose(state.ProgressFile);
  capture.report = ReadWholeFile(options.ReportPath);
  capture.actor_names = state.ActorNames;
  capture.relation_names = state.RelationNames;
  capture.elements = state.ElementCount;
  capture.refusal = state.Storage.Refusal();
  return capture;
}

}  // namespace

RunCapture RunOnText(const std::string& data, AnalysisOptions options,
                     const std::function<void(AnalysisState&)>& prepare) {
  ScratchDirectory dir;
  options.DataPath = dir.File("Quorel.dat");
  options.ReportPath = dir.File("Quorel.out");
  WriteWholeFile(options.DataPath, data);
  return RunWith(options, prepare);
}

RunCapture RunOnFile(const std::string& data_path, AnalysisOptions options) {
  ScratchDirectory dir;
  options.DataPath = data_path;
  options.ReportPath = dir.File("Quorel.out");
  return RunWith(options, {});
}

int RunQuorel(const ScratchDirectory& dir, const std::string& arguments) {
  const std::string command = "cd '" + dir.Path() + "' && '" + QUOREL_BINARY + "' " + arguments +
                              " > stdout.txt 2> stderr.txt";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ExampleNetwork(const std::string& name) {
  return ReadWholeFile(std::string(QUOREL_SOURCE_DIR) + "/examples/" + name);
}

std::string WithFixedMatrix(const std::string& data) {
  const int n = std::stoi(data.substr(data.find('\n') + 1));
  std::string text = data;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) text += std::to_string((r / 3 + c) % 3) + (c + 1 < n ? " " : "\n");
  }
  return text;
}

}  // namespace quorel::testing
