#include "formats/data_reader.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/status_sink.hpp"
#include "core/text_classes.hpp"

namespace quorel {

namespace {

constexpr int kLabelLimit = 80;
constexpr int kHeaderLimit = 79;

// Reads a character of a line: a carriage return right before a line feed belongs to the
// line end, so the pair reads as one line feed.
int GetLineChar(std::FILE* in) {
  const int ch = std::getc(in);
  if (ch == '\r') {
    const int next = std::getc(in);
    if (next == '\n') return '\n';
    if (next != EOF) std::ungetc(next, in);
  }
  return ch;
}

// The rest of a label line whose first character is `first`, the characters coming from
// `get` (line characters as GetLineChar gives them, EOF at the end): up to the line end and
// at most 80 characters; a longer line is cut with a warning on `err` and its rest skipped.
// Returns the character that ended the line, '\n' or EOF.
template <class Get>
int ReadLabelRest(int first, Get get, std::FILE* err, std::string& label) {
  label.assign(1, static_cast<char>(first));
  int ch;
  for (;;) {
    ch = get();
    if (ch == EOF || ch == '\n' || static_cast<int>(label.size()) >= kLabelLimit) break;
    label.push_back(static_cast<char>(ch));
  }
  if (static_cast<int>(label.size()) == kLabelLimit && ch != '\n' && ch != EOF) {
    std::fprintf(err, "WARNING: Label line truncated after %2d characters\n", kLabelLimit);
    do {
      ch = get();
    } while (ch != '\n' && ch != EOF);
  }
  return ch;
}

// Reads a decimal integer as the C library's strtol does (saturating beyond the range of
// a long) after skipping white space. False when no digit stands there.
bool ScanInteger(const char*& p, long& value) {
  while (IsWhiteSpace(static_cast<unsigned char>(*p))) ++p;
  char* end = nullptr;
  errno = 0;
  value = std::strtol(p, &end, 10);
  if (end == p) return false;
  p = end;
  return true;
}

// Reads a token of non-blank characters; false when the text ends first.
bool ScanToken(const char*& p, std::string& token) {
  while (IsWhiteSpace(static_cast<unsigned char>(*p))) ++p;
  const char* start = p;
  while (*p != '\0' && !IsWhiteSpace(static_cast<unsigned char>(*p))) ++p;
  token.assign(start, p);
  return p != start;
}

// Keeps the low 16 bits, as a 16-bit variable holding the value would.
std::int16_t Low16(long value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<unsigned long>(value) & 0xFFFFu));
}

// True when every character of the text (up to its terminator) is white space.
bool IsBlankLine(const char* text) {
  for (; *text != '\0'; ++text) {
    if (!IsWhiteSpace(static_cast<unsigned char>(*text))) return false;
  }
  return true;
}

// The header line "N NR {ND}" after any blank lines: N and NR as 16-bit values, and whether
// a non-directionality vector follows (a third token not starting with '0'). False when no
// line with two integers comes.
bool ReadHeader(std::FILE* in, std::int16_t& n, std::int16_t& nr, bool& vector) {
  char line[kHeaderLimit + 1];
  do {
    if (std::fgets(line, sizeof line, in) == nullptr) return false;
  } while (IsBlankLine(line));

  const char* p = line;
  long first = 0;
  long second = 0;
  std::string token;
  if (!ScanInteger(p, first) || !ScanInteger(p, second)) return false;
  n = Low16(first);
  nr = Low16(second);
  vector = ScanToken(p, token) && token[0] != '0';
  return true;
}

}  // namespace

void ShowFormatHelp(StatusSink& sink) {
  static const char* const kLines[] = {
      "Required data format -",
      "  <label line>  - one complete line",
      "  <N> <NR> {ND} - N=matrix dimension NR=number of relations",
      "    ND=non-directionality flag. All on one line.",
      "    N and NR must be integers > 0. ND is optional.",
      "    ND - 0 or blank = no non-directionality vector.",
      "    ND - 1 or anything else = non-directionality vector present.",
      "  {non-directionality vector} - free format, optional. NR - 0 / 1 values",
      "    corresponding to the NR relations.",
      "    0=directional 1=non-directional",
      "  <binary relations> - free format.  NR - N x N binary matrices.",
      "    Separators between elements, and between matrices are optional.",
  };
  for (const char* line : kLines) sink.AddStatusMessage(line);
}

std::string LabelLine(std::string_view text, std::FILE* err) {
  // Read as the line it would be in a data file: the text and a line end.
  const std::string line = std::string(text) + '\n';
  std::size_t k = 0;
  while (k < text.size() && IsWhiteSpace(static_cast<unsigned char>(text[k]))) ++k;
  std::string label;
  if (k == text.size()) return label;
  const int first = static_cast<unsigned char>(line[k++]);
  ReadLabelRest(
      first,
      [&]() -> int {
        if (k >= line.size()) return EOF;
        const char ch = line[k++];
        if (ch == '\r' && line[k] == '\n') return line[k++];
        return static_cast<unsigned char>(ch);
      },
      err, label);
  return label;
}

DataFileReader::DataFileReader(std::FILE* in, const ReaderChannels& channels)
    : in_(in), channels_(channels), gate_(channels.Storage != nullptr ? channels.Storage : &own_gate_) {}

std::int16_t DataFileReader::ReadLabel(std::string& label) {
  int ch;
  do {
    ch = std::getc(in_);
  } while (ch != EOF && IsWhiteSpace(ch));
  if (ch == EOF) return -1;

  ++problems_;
  if (channels_.Progress != nullptr) std::fprintf(channels_.Progress, "\nPROBLEM SPECIFICATION #%d :\n", problems_);
  ch = ReadLabelRest(ch, [this] { return GetLineChar(in_); }, channels_.Errors, label);
  if (channels_.Progress != nullptr) std::fprintf(channels_.Progress, "%s\n\n", label.c_str());
  if (ch == EOF) {
    channels_.Messages.AddStatusMessage("ERROR: Unexpected End_Of_File after label");
    return 0;
  }
  return 1;
}

std::int16_t DataFileReader::ReadNonDirectionality(int nr, Network& network) {
  std::FILE* err = channels_.Errors;
  std::vector<std::uint8_t> flags;
  if (!gate_->Obtain(StorageKind::kNdi, flags, static_cast<std::size_t>(nr), std::uint8_t{0})) {
    std::fprintf(err, "ERROR: Unable to allocate memory for ");
    std::fprintf(err, "Non-Directionality Indicator vector - NDI\n");
    return -1;
  }
  int stored = 0;
  int ch = 0;
  while (stored < nr) {
    ch = std::getc(in_);
    if (ch == EOF || IsLetter(ch)) break;
    if (ch == '0' || ch == '1') flags[stored++] = static_cast<std::uint8_t>(ch - '0');
  }
  if (stored == nr) {
    network.non_directional = std::move(flags);
    return 1;
  }
  if (ch == EOF) {
    std::fprintf(err, "ERROR: EOF found before the %1d values of ", nr);
    std::fprintf(err, "the Non-Directionality Indicator\n");
    std::fprintf(err, "\tvector could be read.\n");
  } else {
    std::fprintf(err, "ERROR: alphabetic character found in ");
    std::fprintf(err, "the Non-Directionality Indicator vector\n");
  }
  return 0;
}

// Matrix `index` (0-based) is N x N binary digits; anything else between them is skipped,
// but the data ending or a letter before the last digit makes the matrix short.
bool DataFileReader::ReadMatrix(int n, int index, std::vector<std::uint8_t>& cells) {
  cells.assign(static_cast<std::size_t>(n) * n, 0);
  for (std::uint8_t& cell : cells) {
    int ch;
    do {
      ch = std::getc(in_);
    } while (ch != EOF && ch != '0' && ch != '1' && !IsLetter(ch));
    if (ch == EOF || IsLetter(ch)) {
      std::fprintf(channels_.Errors, "ERROR: input matrix %d not of dimension %d x %d\n", index + 1, n, n);
      return false;
    }
    cell = ch == '1' ? 1 : 0;
  }
  return true;
}

void DataFileReader::ShowOutlineHelp() {
  if (problems_ <= 1 && !layout_note_.empty() && channels_.Errors != nullptr) {
    std::fprintf(channels_.Errors, "NOTE: %s\n", layout_note_.c_str());
  }
  ShowFormatHelp(channels_.Messages);
}

ReadOutcome DataFileReader::Next(Network& network) {
  StatusSink& sink = channels_.Messages;
  network = Network{};
  const std::int16_t labelled = ReadLabel(network.label);
  if (labelled == -1) {
    if (problems_ == 0) sink.AddStatusMessage("EMPTY DATA FILE");
    return ReadOutcome::kEnd;
  }
  if (labelled == 0) {
    ShowOutlineHelp();
    return ReadOutcome::kMalformed;
  }
  std::int16_t n = 0;
  std::int16_t nr = 0;
  bool vector = false;
  if (!ReadHeader(in_, n, nr, vector)) {
    sink.AddStatusMessage("ERROR: Could not read arguments\n");
    ShowOutlineHelp();
    return ReadOutcome::kMalformed;
  }
  if (n <= 0 || nr <= 0) {
    sink.AddStatusMessage("ERROR: Incorrect input - range error in matrix dimension");
    sink.AddStatusMessage("  and/or number of relations.");
    ShowOutlineHelp();
    return ReadOutcome::kMalformed;
  }
  if (n > kMaxActors) {
    // A table of two relations counts N x N cells in 16 bits.
    char text[160];
    std::snprintf(text, sizeof text,
                  "ERROR: Matrix dimension %d is too large - N x N may not exceed 32767 (N at most %d).", n,
                  kMaxActors);
    sink.AddStatusMessage(text);
    ShowOutlineHelp();
    return ReadOutcome::kMalformed;
  }
  network.actor_count = n;
  if (vector) {
    const std::int16_t read = ReadNonDirectionality(nr, network);
    if (read != 1) {
      ShowFormatHelp(sink);
      return read == 0 ? ReadOutcome::kMalformed : ReadOutcome::kStorageFailure;
    }
  }
  network.relations.resize(static_cast<std::size_t>(nr));
  for (int i = 0; i < nr; ++i) {
    if (!ReadMatrix(n, i, network.relations[i])) {
      ShowFormatHelp(sink);
      return ReadOutcome::kMalformed;
    }
  }
  return ReadOutcome::kNetwork;
}

}  // namespace quorel
