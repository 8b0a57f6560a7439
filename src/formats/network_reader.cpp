#include "formats/network_reader.hpp"

#include <cstdlib>
#include <memory>
#include <system_error>

#include "core/error.hpp"
#include "core/text_channel.hpp"
#include "formats/fixed_matrix_reader.hpp"
#include "core/message_list.hpp"
#include "formats/dl_reader.hpp"
#include "formats/csv_reader.hpp"
#include "formats/graphml_reader.hpp"
#include "formats/network_join.hpp"
#include "formats/pajek_reader.hpp"
#include "formats/relation_marking.hpp"
#include "formats/file_text.hpp"
#include "formats/input_error.hpp"

namespace quorel {

namespace {


// The lines of `text`, each with its line feed.
std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

// The label a DL file or an edge list gets: the file's name without its directories.
std::string InputLabel(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

Network ReadSingleNetwork(std::string_view text, InputFormat format, const std::string& path,
                          const ReadSettings& settings, std::vector<std::string>& warnings) {
  text = WithoutByteOrderMark(text);
  TieRule ties(settings.threshold);
  Network network;
  switch (format) {
    case InputFormat::kDl: network = ReadDl(text, ties); break;
    case InputFormat::kPajek: network = ReadPajek(text, ties); break;
    case InputFormat::kGraphMl: network = ReadGraphMl(text, ties, settings.relation_attribute); break;
    default: network = ReadCsv(text, ties); break;
  }
  if (const std::optional<std::string> warning = ties.Warning()) warnings.push_back(*warning);
  network.label = InputLabel(path);
  return network;
}

NetworkReader::NetworkReader(std::FILE* in, const ReaderChannels& channels, ReadSettings settings)
    : in_(in), channels_(channels), settings_(std::move(settings)) {}

NetworkReader::~NetworkReader() {
  data_.reset();
  if (copy_ != nullptr) std::fclose(copy_);
}

bool NetworkReader::Open(InputFormat format, const std::string& path) {
  path_ = path;
  std::string layout_note;
  if (format != InputFormat::kData) {
    std::string text;
    if (!ReadRestOfFile(in_, text)) return false;
    if (format == InputFormat::kAuto) {
      format = DetectInputFormat(text);
      if (format == InputFormat::kData) layout_note = WhyNoOtherLayout(text);
    }
    if (format != InputFormat::kData) {
      std::vector<std::string> warnings;
      single_ = ReadSingleNetwork(text, format, path, settings_, warnings);
            ShowWarnings(warnings);
      return true;
    }
    // A data file is read from its start again; one that cannot be rewound (a pipe) is
    // read from a copy of the text already taken.
    if (std::fseek(in_, 0, SEEK_SET) != 0) {
      copy_ = std::tmpfile();
      if (copy_ == nullptr) return false;
      if (std::fwrite(text.data(), 1, text.size(), copy_) != text.size() || std::fseek(copy_, 0, SEEK_SET) != 0) {
        return false;
      }
    }
  }
  data_.emplace(Stream(), channels_);
  if (!layout_note.empty()) data_->ExplainLayout(path + " was read as a data file: " + layout_note);
  return true;
}

bool NetworkReader::Join(InputFormat format, const std::string& path) {
  std::string text;
  if (!ReadFileText(path, text)) return false;
  format = ResolveInputFormat(format, WithoutByteOrderMark(text));
  if (format == InputFormat::kData) {
    throw InputError(0, "is a data file: files are joined only when each holds one network (DL, Pajek, GraphML "
                        "or CSV)");
  }
  std::vector<std::string> warnings;
  Network part = ReadSingleNetwork(text, format, path, settings_, warnings);
  ShowWarnings(warnings);
  JoinRelations(*single_, path_, std::move(part), path);
  single_->label += " + " + InputLabel(path);
  return true;
}

void NetworkReader::ShowWarnings(const std::vector<std::string>& warnings) const {
  if (channels_.Errors == nullptr) return;
  for (const std::string& warning : warnings) std::fprintf(channels_.Errors, "%s\n", warning.c_str());
}

ReadOutcome NetworkReader::Next(Network& network) {
  const ReadOutcome outcome = NextAsRead(network);
  if (outcome == ReadOutcome::kNetwork) NameNetwork(network, settings_.relation_names, settings_.actor_names);
  if (outcome == ReadOutcome::kNetwork && !settings_.non_directional.empty()) {
    std::vector<std::string> warnings;
    MarkNonDirectional(network, settings_.non_directional, warnings);
    ShowWarnings(warnings);
  }
  return outcome;
}

ReadOutcome NetworkReader::NextAsRead(Network& network) {
  if (data_.has_value()) return data_->Next(network);
  if (!single_.has_value()) return ReadOutcome::kEnd;
  // Announced as the data reader announces a problem.
  single_count_ = 1;
  if (channels_.Progress != nullptr) std::fprintf(channels_.Progress, "\nPROBLEM SPECIFICATION #%d :\n", single_count_);
  network = std::move(*single_);
  single_.reset();
  network.label = LabelLine(network.label, channels_.Errors);
  if (channels_.Progress != nullptr) std::fprintf(channels_.Progress, "%s\n\n", network.label.c_str());
  return ReadOutcome::kNetwork;
}

int NetworkReader::ProblemCount() const { return data_.has_value() ? data_->ProblemCount() : single_count_; }

std::vector<Network> ReadNetworkFile(const std::filesystem::path& path, InputFormat format,
                                     std::vector<std::string>* warnings, bool fixed_matrix,
                                     const ReadSettings& settings) {
  std::error_code ignored;
  const bool directory = std::filesystem::is_directory(path, ignored);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(directory ? nullptr : std::fopen(path.c_str(), "r"), &std::fclose);
  if (in == nullptr) throw Error(ErrorKind::kFile, 3, "??? Input file open failure.\n");

  MessageList messages;
  TextChannel errors;
  std::vector<Network> networks;
  std::string failure;
  ReadOutcome outcome = ReadOutcome::kEnd;
  {
    NetworkReader reader(in.get(), ReaderChannels{messages, errors.File()}, settings);
    try {
      if (!reader.Open(format, path.string())) throw Error(ErrorKind::kFile, 3, "??? Input file open failure.\n");
      Network network;
      while ((outcome = reader.Next(network)) == ReadOutcome::kNetwork) {
        if (fixed_matrix) {
          std::vector<float> values;
          if (!ReadFixedValues(reader.Stream(), errors.File(), network.actor_count, values)) {
            outcome = ReadOutcome::kMalformed;
            break;
          }
          network.fixed_matrix = std::move(values);
        }
        networks.push_back(std::move(network));
      }
    } catch (const InputError& error) {
      failure = "ERROR: " + DescribeInputError(path.string(), error) + "\n";
    }
  }
  // The diagnostics hold the warnings and the reason the data is malformed; the message
  // list the reason for errors in a problem's outline, before the format help.
  for (const std::string& line : LinesOf(errors.Text())) {
    if (line.rfind("WARNING: ", 0) == 0) {
      if (warnings != nullptr) warnings->push_back(line.substr(0, line.size() - 1));
    } else {
      failure += line;
    }
  }
  if (failure.empty() && outcome == ReadOutcome::kEnd) return networks;
  std::string reason;
  for (const std::string& line : messages.Lines()) {
    if (line == "Required data format -") break;
    if (!line.empty()) reason += line + "\n";
  }
  throw Error(ErrorKind::kMalformedInput, 1, reason + failure);
}

}  // namespace quorel
