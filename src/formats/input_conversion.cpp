#include "formats/input_conversion.hpp"

#include <cstdio>
#include <sstream>

#include "pipeline/analysis_state.hpp"
#include "formats/dl_reader.hpp"
#include "formats/edge_list_reader.hpp"
#include "core/fatal_error.hpp"
#include "formats/data_file_writer.hpp"
#include "formats/input_error.hpp"

namespace quorel {

namespace {

// The whole file from where it stands; false on a read error.
bool ReadRest(std::FILE* in, std::string& text) {
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, got);
  return std::ferror(in) == 0;
}

}  // namespace

std::string InputLabel(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

ConvertedInput ConvertInput(std::string_view text, InputFormat format, const std::string& path) {
  ConvertedInput converted;
  converted.Format = ResolveInputFormat(format, text);
  if (converted.Format == InputFormat::kData) {
    converted.DataText = std::string(text);
    return converted;
  }
  Network network = converted.Format == InputFormat::kDl ? ReadDl(text) : ReadEdgeList(text);
  network.Label = InputLabel(path);
  std::ostringstream data;
  WriteDataFile(network, data);
  converted.DataText = data.str();
  converted.ActorNames = std::move(network.ActorNames);
  converted.RelationNames = std::move(network.RelationNames);
  return converted;
}

bool PrepareInputFile(AnalysisState& state, InputFormat format, const std::string& path) {
  if (format == InputFormat::kData) return true;
  std::string text;
  if (!ReadRest(state.InFile, text)) return false;
  ConvertedInput converted;
  try {
    converted = ConvertInput(text, format, path);
  } catch (const InputError& error) {
    std::fprintf(state.ErrFile, "ERROR: %s\n", DescribeInputError(path, error).c_str());
    FatalError(1);
  }
  // A data file is read from its start again; one that cannot be rewound (a pipe) is read
  // from the text already taken, as the converted networks are.
  if (converted.Format == InputFormat::kData && std::fseek(state.InFile, 0, SEEK_SET) == 0) return true;
  std::FILE* copy = std::tmpfile();
  if (copy == nullptr) return false;
  if (std::fwrite(converted.DataText.data(), 1, converted.DataText.size(), copy) != converted.DataText.size() ||
      std::fseek(copy, 0, SEEK_SET) != 0) {
    std::fclose(copy);
    return false;
  }
  std::fclose(state.InFile);
  state.InFile = copy;
  state.ActorNames = std::move(converted.ActorNames);
  state.RelationNames = std::move(converted.RelationNames);
  return true;
}

}  // namespace quorel
