#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis_options.hpp"
#include "pipeline/analysis_state.hpp"

namespace quorel::testing {

// What one run left behind: its completion, the report, the message list and the text of
// the diagnostics and progress channels.
struct RunCapture {
  std::int16_t code = 0;
  bool fatal = false;
  bool interrupted = false;
  std::string report;
  std::vector<std::string> messages;
  std::string errors;
  std::string progress;
  std::vector<std::string> actor_names;     // as the input named them
  std::vector<std::string> relation_names;
  int elements = 0;    // E of the last problem analysed
  std::optional<MemoryRefusal> refusal;  // the memory budget's first refusal
};

// A fresh directory under the system's temporary directory, removed with its files when
// the object goes.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadWholeFile(const std::string& path);
// What was written to a temporary stream, read from its start; the stream is closed.
std::string DrainAndClose(std::FILE* file);
void WriteWholeFile(const std::string& path, const std::string& text);

// Runs the analysis in-process on `data` as the data file with `options` (file names are
// replaced by files in a scratch directory). `prepare` may adjust the state first, e.g.
// to make a storage request fail.
RunCapture RunOnText(const std::string& data, AnalysisOptions options = {},
                     const std::function<void(AnalysisState&)>& prepare = {});

// Runs the analysis in-process on the file `data_path` as it stands (the report goes to a
// scratch directory).
RunCapture RunOnFile(const std::string& data_path, AnalysisOptions options = {});

// Runs the built `quorel` command in `dir` with `arguments` (shell words), its standard output
// and standard error into stdout.txt and stderr.txt there; its exit status, -1 when it did not
// exit normally.
int RunQuorel(const ScratchDirectory& dir, const std::string& arguments);

// A data file of the shared real networks, from the repository's examples.
std::string ExampleNetwork(const std::string& name);

// A data file's network with a fixed matrix after its relations: three values by the actors'
// places, so that groups have many cells and each row several cells of each value.
std::string WithFixedMatrix(const std::string& data);

}  // namespace quorel::testing
