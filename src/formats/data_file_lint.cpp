#include "formats/data_file_lint.hpp"

#include <cstdlib>
#include <map>

#include "core/text_classes.hpp"
#include "formats/data_reader.hpp"

namespace quorel {

namespace {

// Findings of one kind beyond this many per problem are summed up in one more line.
constexpr int kShownPerKind = 5;

bool IsCellDigit(char ch) { return ch == '0' || ch == '1'; }
bool IsNumberChar(char ch) { return IsDigit(ch) || ch == '.' || ch == '-' || ch == '+'; }

// A cursor over the text that counts lines.
class Walk {
 public:
  explicit Walk(std::string_view text) : text_(text) {}

  bool AtEnd() const { return at_ >= text_.size(); }
  char Peek() const { return text_[at_]; }
  int Line() const { return line_; }

  void Step() {
    if (text_[at_] == '\n') ++line_;
    ++at_;
  }
  void SkipWhiteSpace() {
    while (!AtEnd() && IsWhiteSpace(static_cast<unsigned char>(Peek()))) Step();
  }
  // The rest of the current line, the cursor moved past its line end.
  std::string_view RestOfLine() {
    const std::size_t start = at_;
    while (!AtEnd() && Peek() != '\n') Step();
    const std::string_view rest = text_.substr(start, at_ - start);
    if (!AtEnd()) Step();
    return rest;
  }
  // The run of number characters from the cursor, not taken.
  std::string_view PeekRun() const {
    std::size_t end = at_;
    while (end < text_.size() && IsNumberChar(text_[end])) ++end;
    return text_.substr(at_, end - at_);
  }
  // Takes `count` characters of the current line.
  void Take(std::size_t count) { at_ += count; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
};

bool HoldsOnlyNumbers(std::string_view line) {
  bool digit = false;
  for (const char ch : line) {
    if (IsDigit(ch)) {
      digit = true;
    } else if (!IsNumberChar(ch) && !IsWhiteSpace(static_cast<unsigned char>(ch)) && ch != 'e' && ch != 'E') {
      return false;
    }
  }
  return digit;
}

// The cells a run of number characters gives the reader: its 0 and 1 digits.
std::string CellsOf(std::string_view run) {
  std::string cells;
  for (const char ch : run) {
    if (IsCellDigit(ch)) cells += ch;
  }
  return cells;
}

// Findings of one kind, the first few shown, the rest counted.
class Limited {
 public:
  void Add(std::vector<Finding>& out, int line, const std::string& text) {
    if (++count_ <= kShownPerKind) out.push_back(Finding{line, FindingLevel::kWarning, text});
  }
  void Close(std::vector<Finding>& out, const std::string& what) {
    if (count_ > kShownPerKind) {
      out.push_back(Finding{0, FindingLevel::kWarning,
                            "... and " + std::to_string(count_ - kShownPerKind) + " more " + what});
    }
    count_ = 0;
  }

 private:
  int count_ = 0;
};

// Reads "N NR {ND}" from the header line; false when the reader would refuse it.
bool ReadHeaderLine(std::string_view line, int& n, int& nr, bool& vector) {
  const std::string text(line);
  char* end = nullptr;
  const long first = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str()) return false;
  const char* p = end;
  const long second = std::strtol(p, &end, 10);
  if (end == p || first <= 0 || second <= 0 || first > kMaxActors || second > 32767) return false;
  n = static_cast<int>(first);
  nr = static_cast<int>(second);
  p = end;
  while (*p != '\0' && IsWhiteSpace(static_cast<unsigned char>(*p))) ++p;
  vector = *p != '\0' && *p != '0';
  return true;
}

class DataFileLint {
 public:
  DataFileLint(std::string_view text, bool fixed_matrix) : walk_(text), fixed_matrix_(fixed_matrix) {}

  std::vector<Finding> Run() {
    for (int problem = 1;; ++problem) {
      walk_.SkipWhiteSpace();
      if (walk_.AtEnd()) break;
      const int label_line = walk_.Line();
      if (problem > 1 && HoldsOnlyNumbers(walk_.RestOfLine())) {
        findings_.push_back(Finding{label_line, FindingLevel::kWarning,
                                    "problem " + std::to_string(problem) +
                                        " starts with a label line of numbers only: if a fixed matrix follows each "
                                        "problem's relations, give --fixed-matrix"});
      } else if (problem == 1) {
        walk_.RestOfLine();
      }
      if (!Problem()) break;
    }
    return std::move(findings_);
  }

 private:
  // One problem after its label line; false where the reader would stop.
  bool Problem() {
    while (!walk_.AtEnd() && HoldsOnlyBlanks()) walk_.RestOfLine();
    int n = 0, nr = 0;
    bool vector = false;
    if (walk_.AtEnd() || !ReadHeaderLine(walk_.RestOfLine(), n, nr, vector)) return false;
    if (vector && !SkipDigits(nr)) return false;
    if (!Matrices(n, nr)) return false;
    return !fixed_matrix_ || SkipNumbers(n * n);
  }

  bool HoldsOnlyBlanks() {
    Walk look = walk_;
    while (!look.AtEnd() && look.Peek() != '\n') {
      if (!IsWhiteSpace(static_cast<unsigned char>(look.Peek()))) return false;
      look.Step();
    }
    return true;
  }

  bool SkipDigits(int count) {
    while (count > 0) {
      if (walk_.AtEnd() || IsLetter(walk_.Peek())) return false;
      if (IsCellDigit(walk_.Peek())) --count;
      walk_.Step();
    }
    return true;
  }

  bool SkipNumbers(int count) {
    for (; count > 0; --count) {
      walk_.SkipWhiteSpace();
      const std::string_view run = walk_.PeekRun();
      if (run.empty()) return false;
      walk_.Take(run.size());
    }
    return true;
  }

  // The NR matrices' N x N cells, as the reader takes them: the 0/1 digits, anything else
  // but letters skipped. Each run of number characters is a value the author wrote.
  bool Matrices(int n, int nr) {
    const long total = static_cast<long>(n) * n * nr;
    long cells = 0;
    int single = 0;                           // values written as one 0/1 digit
    std::vector<std::pair<int, std::string>> packed;  // values of several 0/1 digits
    std::map<int, int> per_line;              // cells each line gives
    const int first_line = walk_.Line();
    Limited not_digits;
    while (cells < total) {
      if (walk_.AtEnd() || IsLetter(walk_.Peek())) return false;
      if (!IsNumberChar(walk_.Peek())) {
        walk_.Step();
        continue;
      }
      const int line = walk_.Line();
      const std::string_view run = walk_.PeekRun();
      std::string read = CellsOf(run);
      std::size_t taken = run.size();
      if (static_cast<long>(read.size()) > total - cells) {
        // The last cell falls inside this run: the reader stops right after it, and the
        // rest of the line starts the next label.
        read.resize(static_cast<std::size_t>(total - cells));
        taken = 0;
        for (std::size_t seen = 0; seen < read.size(); ++taken) seen += IsCellDigit(run[taken]) ? 1 : 0;
      }
      walk_.Take(taken);
      cells += static_cast<long>(read.size());
      per_line[line] += static_cast<int>(read.size());
      if (run.size() == 1 && read.size() == 1) {
        ++single;
      } else if (read.size() == run.size()) {
        packed.emplace_back(line, std::string(run));
      } else {
        not_digits.Add(findings_, line, NotADigit(run, read));
      }
    }
    not_digits.Close(findings_, "values that are not 0/1 digits");
    // Digits run together are cells written without separators, which the format allows,
    // unless the rest of the file keeps its cells apart.
    const std::size_t values = static_cast<std::size_t>(single) + packed.size();
    if (!packed.empty() && static_cast<std::size_t>(single) * 10 >= values * 9) {
      Limited runs;
      for (const auto& [line, run] : packed) runs.Add(findings_, line, NotADigit(run, run));
      runs.Close(findings_, "values of several digits");
    }
    RowLengths(n, first_line, per_line);
    return true;
  }

  static std::string NotADigit(std::string_view run, const std::string& read) {
    std::string cells;
    for (const char ch : read) {
      if (!cells.empty()) cells += ", ";
      cells += ch;
    }
    std::string value = "\"";
    value += run;
    value += '"';
    if (read.empty()) return value + " is not a 0/1 digit, and a data file skips it";
    value += " is not a single 0/1 digit: a data file reads it digit by digit, as ";
    value += std::to_string(read.size());
    value += read.size() == 1 ? " cell (" : " cells (";
    value += cells;
    value += ')';
    return value;
  }

  // Where most lines hold one row of N cells, a line of another count shifts the matrix.
  void RowLengths(int n, int first_line, const std::map<int, int>& per_line) {
    int rows = 0, lines = 0;
    for (const auto& [line, count] : per_line) {
      ++lines;
      rows += count == n ? 1 : 0;
    }
    if (lines < 3 || rows * 2 <= lines || rows == lines) return;
    Limited odd;
    for (const auto& [line, count] : per_line) {
      if (count != n && line != first_line) {
        odd.Add(findings_, line,
                "this row holds " + std::to_string(count) + " cells where N is " + std::to_string(n) +
                    ": the rows that follow are shifted");
      }
    }
    odd.Close(findings_, "rows of other lengths");
  }

  Walk walk_;
  bool fixed_matrix_;
  std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> LintDataFile(std::string_view text, bool fixed_matrix) {
  return DataFileLint(text, fixed_matrix).Run();
}

}  // namespace quorel
