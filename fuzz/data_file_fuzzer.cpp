// libFuzzer target: arbitrary bytes as the data file, with the run options decoded from a
// prefix (fuzz_input.hpp), through the whole analysis as the Run command performs it.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "pipeline/analysis_state.hpp"
#include "core/message_list.hpp"
#include "fuzz_input.hpp"
#include "shell/run_command.hpp"

namespace {

// One scratch directory per fuzzing process for the data file, removed at exit.
class ScratchFiles {
 public:
  ScratchFiles() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorel-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    data_ = dir_ + "/Quorel.dat";
  }
  ~ScratchFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  const std::string& Data() const { return data_; }

 private:
  std::string dir_, data_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static ScratchFiles files;
  quorel::fuzzing::FuzzCase c = quorel::fuzzing::DecodeFuzzInput(bytes, size);
  c.options.DataPath = files.Data();
  c.options.ReportPath = "/dev/null";  // the report is written in full, then dropped

  std::FILE* data = std::fopen(files.Data().c_str(), "wb");
  if (data == nullptr) std::abort();
  std::fwrite(c.data.data(), 1, c.data.size(), data);
  std::fclose(data);

  std::FILE* sink = std::fopen("/dev/null", "w");
  if (sink == nullptr) std::abort();
  quorel::AnalysisState state;
  state.ErrFile = sink;
  state.ProgressFile = sink;
  quorel::fuzzing::PrepareState(c, state);
  quorel::MessageList messages;
  quorel::OnRun(state, c.options, messages);
  std::fclose(sink);
  return 0;
}
