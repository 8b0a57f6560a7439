#include "formats/network_reader.hpp"

#include "formats/dl_reader.hpp"
#include "formats/edge_list_reader.hpp"

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

Network ReadSingleNetwork(std::string_view text, InputFormat format, const std::string& path) {
  Network network = format == InputFormat::kDl ? ReadDl(text) : ReadEdgeList(text);
  network.Label = InputLabel(path);
  return network;
}

NetworkReader::NetworkReader(std::FILE* in, const ReaderChannels& channels) : in_(in), channels_(channels) {}

NetworkReader::~NetworkReader() {
  data_.reset();
  if (copy_ != nullptr) std::fclose(copy_);
}

bool NetworkReader::Open(InputFormat format, const std::string& path) {
  if (format != InputFormat::kData) {
    std::string text;
    if (!ReadRest(in_, text)) return false;
    format = ResolveInputFormat(format, text);
    if (format != InputFormat::kData) {
      single_ = ReadSingleNetwork(text, format, path);
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
  return true;
}

ReadOutcome NetworkReader::Next(Network& network) {
  if (data_.has_value()) return data_->Next(network);
  if (!single_.has_value()) return ReadOutcome::kEnd;
  // Announced as the data reader announces a problem.
  single_count_ = 1;
  if (channels_.Progress != nullptr) std::fprintf(channels_.Progress, "\nPROBLEM SPECIFICATION #%d :\n", single_count_);
  network = std::move(*single_);
  single_.reset();
  network.Label = LabelLine(network.Label, channels_.Errors);
  if (channels_.Progress != nullptr) std::fprintf(channels_.Progress, "%s\n\n", network.Label.c_str());
  return ReadOutcome::kNetwork;
}

int NetworkReader::ProblemCount() const { return data_.has_value() ? data_->ProblemCount() : single_count_; }

}  // namespace quorel
