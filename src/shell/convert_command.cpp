#include "shell/convert_command.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <vector>

#include "core/message_list.hpp"
#include "formats/data_file_writer.hpp"
#include "formats/data_reader.hpp"
#include "formats/fixed_matrix_reader.hpp"
#include "formats/file_text.hpp"
#include "formats/input_error.hpp"
#include "formats/network_reader.hpp"
#include "formats/relation_marking.hpp"
#include "shell/command_line.hpp"

namespace quorel {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A data file's problems, normalised; false when malformed (messages on standard error).
bool NormaliseDataFile(const std::string& text, bool fixed_matrix, const std::string& non_directional,
                       std::ostream& output) {
  if (text.empty()) return true;
  File in(fmemopen(const_cast<char*>(text.data()), text.size(), "r"));
  if (in == nullptr) return false;
  MessageList messages([](const std::string& line) {
    std::fputs(line.c_str(), stderr);
    std::fputc('\n', stderr);
  });
  DataFileReader reader(in.get(), ReaderChannels{messages, stderr});
  Network network;
  ReadOutcome outcome;
  for (bool first = true; (outcome = reader.Next(network)) == ReadOutcome::kNetwork; first = false) {
    std::vector<float> fixed;
    if (fixed_matrix && !ReadFixedValues(in.get(), stderr, network.actor_count, fixed)) return false;
    if (!first) output << '\n';  // an empty line between problems
    std::vector<std::string> warnings;
    MarkNonDirectional(network, non_directional, warnings);
    for (const std::string& warning : warnings) std::fprintf(stderr, "%s\n", warning.c_str());
    WriteDataFile(network, output, fixed);
  }
  return outcome == ReadOutcome::kEnd;
}

}  // namespace

int RunConvert(const ConvertRequest& request) {
  std::string text;
  if (!ReadFileText(request.InputPath, text)) {
    std::fprintf(stderr, "quorel: the input '%s' could not be opened for reading\n", request.InputPath.c_str());
    return kExitIncomplete;
  }

  std::ostringstream converted;
  try {
    const InputFormat format = ResolveInputFormat(request.Format, text);
    if (format != InputFormat::kData) {
      std::vector<std::string> warnings;
      Network network = ReadSingleNetwork(text, format, request.InputPath, request.Settings, warnings);
      MarkNonDirectional(network, request.Settings.non_directional, warnings);
      for (const std::string& warning : warnings) std::fprintf(stderr, "%s\n", warning.c_str());
      WriteDataFile(network, converted);
    } else if (!NormaliseDataFile(text, request.FixedMatrix, request.Settings.non_directional, converted)) {
      std::fprintf(stderr, "ABORT QUOREL\n");
      return kExitFatal;
    }
  } catch (const InputError& error) {
    std::fprintf(stderr, "ERROR: %s\nABORT QUOREL\n", DescribeInputError(request.InputPath, error).c_str());
    return kExitFatal;
  }

  const std::string output = converted.str();
  File out(std::fopen(request.OutputPath.c_str(), "wb"));
  if (out == nullptr) {
    std::fprintf(stderr, "quorel: the output '%s' could not be opened for writing\n", request.OutputPath.c_str());
    return kExitIncomplete;
  }
  errno = 0;
  const bool written = std::fwrite(output.data(), 1, output.size(), out.get()) == output.size();
  const bool closed = std::fclose(out.release()) == 0;
  if (!written || !closed) {
    std::fprintf(stderr, "quorel: the output '%s' could not be written completely: %s\n", request.OutputPath.c_str(),
                 errno != 0 ? std::strerror(errno) : "write error");
    return kExitReportWrite;
  }
  return kExitSuccess;
}

}  // namespace quorel
