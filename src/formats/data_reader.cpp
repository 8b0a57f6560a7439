#include "formats/data_reader.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "pipeline/analysis_state.hpp"
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

// Reads input matrix i into the spare slot; 0 when the data ends or a letter comes before
// N x N binary digits were read.
std::int16_t ReadRelationMatrix(AnalysisState& state, std::vector<std::int16_t>& ident, int i) {
  const int n = state.N;
  const MatrixShape& shape = state.MatrixList.Shape();
  BitWord* target = state.MatrixList.Matrix(state.GeneratorCount);
  std::FILE* in = state.InFile;
  bool complete = true;
  for (int r = 0; r < n && complete; ++r) {
    for (int c = 0; c < n; ++c) {
      int ch;
      do {
        ch = std::getc(in);
      } while (ch != EOF && ch != '0' && ch != '1' && !IsLetter(ch));
      if (ch == EOF || IsLetter(ch)) {
        complete = false;
        break;
      }
      SetCell(target, shape, r, c, ch == '1');
    }
  }
  if (!complete) {
    std::fprintf(state.ErrFile, "ERROR: input matrix %d not of dimension %d x %d\n", i + 1, n, n);
    return 0;
  }
  return RegisterInputMatrix(state.MatrixList, state.Storage, state.ErrFile, ident, state.GeneratorCount, i,
                             state.ND, state.NDI);
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

bool IsBlankLine(const char* text) {
  for (; *text != '\0'; ++text) {
    if (!IsWhiteSpace(static_cast<unsigned char>(*text))) return false;
  }
  return true;
}

std::int16_t ReadLabel(AnalysisState& state, StatusSink& sink, std::string& label) {
  std::FILE* in = state.InFile;
  int ch;
  do {
    ch = std::getc(in);
  } while (ch != EOF && IsWhiteSpace(ch));
  if (ch == EOF) return -1;

  ++state.ProblemCount;
  if (state.ProgressFile != nullptr) {
    std::fprintf(state.ProgressFile, "\nPROBLEM SPECIFICATION #%d :\n", state.ProblemCount);
  }
  label.assign(1, static_cast<char>(ch));
  for (;;) {
    ch = GetLineChar(in);
    if (ch == EOF || ch == '\n' || static_cast<int>(label.size()) >= kLabelLimit) break;
    label.push_back(static_cast<char>(ch));
  }
  if (static_cast<int>(label.size()) == kLabelLimit && ch != '\n' && ch != EOF) {
    std::fprintf(state.ErrFile, "WARNING: Label line truncated after %2d characters\n", kLabelLimit);
    do {
      ch = GetLineChar(in);
    } while (ch != '\n' && ch != EOF);
  }
  if (state.ProgressFile != nullptr) std::fprintf(state.ProgressFile, "%s\n\n", label.c_str());
  if (ch == EOF) {
    sink.AddStatusMessage("ERROR: Unexpected End_Of_File after label");
    return 0;
  }
  return 1;
}

std::int16_t ReadHeader(std::FILE* in, std::int16_t& n, std::int16_t& nr, std::uint8_t& nd) {
  char line[kHeaderLimit + 1];
  do {
    if (std::fgets(line, sizeof line, in) == nullptr) return 0;
  } while (IsBlankLine(line));

  const char* p = line;
  long first = 0;
  long second = 0;
  std::string token;
  if (!ScanInteger(p, first) || !ScanInteger(p, second)) return 0;
  n = Low16(first);
  nr = Low16(second);
  nd = (ScanToken(p, token) && token[0] != '0') ? 1 : 0;
  return 1;
}

std::int16_t ReadNDI(AnalysisState& state) {
  std::FILE* err = state.ErrFile;
  if (!state.Storage.Obtain(StorageKind::kNdi, state.NDI, static_cast<std::size_t>(state.NR), std::int8_t{0})) {
    std::fprintf(err, "ERROR: Unable to allocate memory for ");
    std::fprintf(err, "Non-Directionality Indicator vector - NDI\n");
    return 0;
  }
  int stored = 0;
  int ch = 0;
  while (stored < state.NR) {
    ch = std::getc(state.InFile);
    if (ch == EOF || IsLetter(ch)) break;
    if (ch == '0' || ch == '1') state.NDI[stored++] = static_cast<std::int8_t>(ch - '0');
  }
  if (stored == state.NR) return 1;
  if (ch == EOF) {
    std::fprintf(err, "ERROR: EOF found before the %1d values of ", state.NR);
    std::fprintf(err, "the Non-Directionality Indicator\n");
    std::fprintf(err, "\tvector could be read.\n");
  } else {
    std::fprintf(err, "ERROR: alphabetic character found in ");
    std::fprintf(err, "the Non-Directionality Indicator vector\n");
  }
  return 0;
}

std::int16_t ReadProblem(AnalysisState& state, StatusSink& sink, std::string& label,
                         std::vector<std::int16_t>& ident) {
  std::vector<std::int8_t>().swap(state.NDI);
  state.GeneratorCount = 0;

  const std::int16_t labelled = ReadLabel(state, sink, label);
  if (labelled == -1) {
    if (state.ProblemCount == 0) sink.AddStatusMessage("EMPTY DATA FILE");
    return -1;
  }
  if (labelled == 0) {
    ShowFormatHelp(sink);
    return 0;
  }
  if (ReadHeader(state.InFile, state.N, state.NR, state.ND) == 0) {
    sink.AddStatusMessage("ERROR: Could not read arguments\n");
    ShowFormatHelp(sink);
    return 0;
  }
  if (state.N <= 0 || state.NR <= 0) {
    sink.AddStatusMessage("ERROR: Incorrect input - range error in matrix dimension");
    sink.AddStatusMessage("  and/or number of relations.");
    ShowFormatHelp(sink);
    return 0;
  }
  if (state.N > kMaxActors) {
    // A table of two relations counts N x N cells in 16 bits.
    char text[160];
    std::snprintf(text, sizeof text,
                  "ERROR: Matrix dimension %d is too large - N x N may not exceed 32767 (N at most %d).",
                  state.N, kMaxActors);
    sink.AddStatusMessage(text);
    ShowFormatHelp(sink);
    return 0;
  }
  if (state.ND == 1 && ReadNDI(state) == 0) {
    ShowFormatHelp(sink);
    return 0;
  }
  if (CreateMatrixList(state.MatrixList, state.Storage, sink, state.N, state.NR, ident) != 1) {
    // The list could not be created: nothing can be read into it, so the data ends here.
    state.MatrixList.Release();
    return -1;
  }
  std::int16_t result = 1;
  for (int i = 0; i < state.NR && result == 1; ++i) result = ReadRelationMatrix(state, ident, i);
  if (result == 0) ShowFormatHelp(sink);
  return result;
}

}  // namespace quorel
