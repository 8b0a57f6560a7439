#include "formats/dl_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/text_classes.hpp"
#include "formats/data_reader.hpp"

namespace quorel {

namespace {

constexpr int kMaxRelations = 32767;

// A word, a quoted text (quotes removed) or one of the marks '=' and ':'. Commas only
// separate, as blanks and line ends do.
struct Token {
  std::string text;
  int line = 0;
  char mark = 0;  // '=' or ':' for a mark, else 0
  bool quoted = false;
};

std::vector<Token> Tokenize(std::string_view text) {
  std::vector<Token> tokens;
  int line = 1;
  std::size_t k = 0;
  while (k < text.size()) {
    const char ch = text[k];
    if (ch == '\n') {
      ++line;
      ++k;
    } else if (IsWhiteSpace(static_cast<unsigned char>(ch)) || ch == ',') {
      ++k;
    } else if (ch == '=' || ch == ':') {
      tokens.push_back(Token{std::string(1, ch), line, ch, false});
      ++k;
    } else if (ch == '"' || ch == '\'') {
      const std::size_t close = text.find(ch, k + 1);
      const std::size_t line_end = text.find('\n', k + 1);
      if (close == std::string_view::npos || close > line_end) throw InputError(line, "a quoted label is not closed");
      tokens.push_back(Token{std::string(text.substr(k + 1, close - k - 1)), line, 0, true});
      k = close + 1;
    } else {
      const std::size_t start = k;
      while (k < text.size() && !IsWhiteSpace(static_cast<unsigned char>(text[k])) && text[k] != ',' &&
             text[k] != '=' && text[k] != ':') {
        ++k;
      }
      tokens.push_back(Token{std::string(text.substr(start, k - start)), line, 0, false});
    }
  }
  return tokens;
}

// How the data section lays out each matrix.
enum class Layout { kFullMatrix, kLowerHalf, kUpperHalf, kEdgeList, kNodeList };

struct FormatName {
  const char* name;
  Layout layout;
};

// The one-mode layouts by their names and the short forms files use.
constexpr FormatName kFormats[] = {
    {"fullmatrix", Layout::kFullMatrix}, {"full", Layout::kFullMatrix}, {"fm", Layout::kFullMatrix},
    {"lowerhalf", Layout::kLowerHalf},   {"lh", Layout::kLowerHalf},    {"upperhalf", Layout::kUpperHalf},
    {"uh", Layout::kUpperHalf},          {"edgelist1", Layout::kEdgeList}, {"el1", Layout::kEdgeList},
    {"nodelist1", Layout::kNodeList},    {"nl1", Layout::kNodeList},
};

// Layouts of two-mode data: rows and columns are different sets of actors.
constexpr const char* kTwoModeFormats[] = {"edgelist2", "el2", "nodelist2", "nl2"};

const FormatName* FindFormat(const std::string& name) {
  for (const FormatName& format : kFormats) {
    if (name == format.name) return &format;
  }
  return nullptr;
}

bool IsTwoModeFormat(const std::string& name) {
  return std::find(std::begin(kTwoModeFormats), std::end(kTwoModeFormats), name) != std::end(kTwoModeFormats);
}

bool IsWholeNumber(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char ch) { return IsDigit(ch); });
}

// A decimal number: an optional sign, digits with an optional decimal point, an optional
// exponent. Not "inf", "nan" or hexadecimal, which strtod would take.
bool IsDecimalNumber(const std::string& text) {
  std::size_t k = 0;
  auto digits = [&] {
    const std::size_t start = k;
    while (k < text.size() && IsDigit(static_cast<unsigned char>(text[k]))) ++k;
    return k - start;
  };
  if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
  std::size_t mantissa = digits();
  if (k < text.size() && text[k] == '.') {
    ++k;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (k < text.size() && (text[k] == 'e' || text[k] == 'E')) {
    ++k;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
    if (digits() == 0) return false;
  }
  return k == text.size();
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

class DlParser {
 public:
  DlParser(std::string_view text, TieRule& ties) : tokens_(Tokenize(text)), ties_(ties) {}

  Network Parse() {
    if (tokens_.empty() || !IsWord(0, "dl")) throw InputError(tokens_.empty() ? 1 : tokens_[0].line, "no \"dl\" keyword");
    next_ = 1;
    ReadHeader();
    if (network_.actor_count == 0) throw InputError(LastLine(), "the header gives no \"n =\"");
    SettleGivenLabels();
    switch (layout_) {
      case Layout::kEdgeList:
      case Layout::kNodeList: ReadLists(); break;
      default: ReadMatrices(); break;
    }
    // A half matrix holds one value for a pair of actors: its relation is non-directional.
    if (layout_ == Layout::kLowerHalf || layout_ == Layout::kUpperHalf) {
      network_.non_directional = std::vector<std::uint8_t>(static_cast<std::size_t>(relations_), 1);
    }
    return std::move(network_);
  }

 private:
  bool IsWord(std::size_t k, const char* word) const {
    return k < tokens_.size() && tokens_[k].mark == 0 && !tokens_[k].quoted && Lower(tokens_[k].text) == word;
  }
  bool IsMark(std::size_t k, char mark) const { return k < tokens_.size() && tokens_[k].mark == mark; }
  // A "!" between matrices.
  bool IsSeparator(std::size_t k) const { return IsWord(k, "!"); }
  int LastLine() const { return tokens_.empty() ? 1 : tokens_.back().line; }
  int LineAt(std::size_t k) const { return k < tokens_.size() ? tokens_[k].line : LastLine(); }
  int Size() const { return network_.actor_count; }
  bool Embedded() const { return embed_rows_ || embed_columns_; }

  // The value of a header keyword: "keyword = value", or "keyword value".
  const Token& KeywordValue(const std::string& keyword) {
    const bool equals = IsMark(next_, '=');
    if (equals) ++next_;
    if (next_ >= tokens_.size() || tokens_[next_].mark != 0) {
      throw InputError(LineAt(next_), "a value expected after " + Quoted(keyword + (equals ? " =" : "")));
    }
    return tokens_[next_++];
  }

  // A positive count; N is bounded by what the analysis can hold.
  int Count(const Token& value, const std::string& keyword, long limit) {
    char* end = nullptr;
    errno = 0;
    const long count = std::strtol(value.text.c_str(), &end, 10);
    if (value.text.empty() || *end != '\0' || count <= 0) {
      throw InputError(value.line, keyword + " must be a whole number above 0, not " + Quoted(value.text));
    }
    if (errno == ERANGE || count > limit) {
      throw InputError(value.line, keyword + " = " + value.text + " is too large: at most " + std::to_string(limit) +
                                       (keyword == "n" ? " actors (N x N may not exceed 32767)" : " matrices"));
    }
    return static_cast<int>(count);
  }

  void SkipColon() {
    if (IsMark(next_, ':')) ++next_;
  }

  // `count` labels. A word followed by ":" or "=" starts the next keyword, and a "!" the
  // next matrix: the list ended early.
  std::vector<Token> Labels(std::size_t count, const std::string& what) {
    std::vector<Token> labels;
    while (labels.size() < count) {
      if (next_ >= tokens_.size() || tokens_[next_].mark != 0 || IsSeparator(next_) ||
          (!tokens_[next_].quoted && (IsMark(next_ + 1, ':') || IsMark(next_ + 1, '=')))) {
        throw InputError(LineAt(next_), what + ": " + std::to_string(count) + " labels expected, " +
                                            std::to_string(labels.size()) + " found");
      }
      labels.push_back(tokens_[next_++]);
    }
    return labels;
  }

  void ReadFormat(const Token& keyword) {
    const std::string name = Lower(KeywordValue("format").text);
    if (IsTwoModeFormat(name)) {
      throw InputError(keyword.line, "format = " + name + " gives two-mode data, which cannot be analysed; only "
                                     "one-mode networks (n =) are read");
    }
    const FormatName* format = FindFormat(name);
    if (format == nullptr) {
      throw InputError(keyword.line, "format " + Quoted(name) + " is not read; the formats read are fullmatrix, "
                                     "lowerhalf, upperhalf, edgelist1 and nodelist1");
    }
    layout_ = format->layout;
  }

  // Labels of the actors after "labels", "row labels" or "column labels" (`part`): either
  // "embedded" (the data holds them) or the list itself.
  void ReadActorLabels(const Token& keyword, const std::string& part) {
    const std::string what = part.empty() ? "labels" : part + " labels";
    if (IsWord(next_, "embedded")) {
      ++next_;
      SkipColon();
      embed_rows_ = embed_rows_ || part != "column";
      embed_columns_ = embed_columns_ || part != "row";
      return;
    }
    SkipColon();
    if (Size() == 0) throw InputError(keyword.line, what + " come before \"n =\"");
    std::vector<Token> labels = Labels(static_cast<std::size_t>(Size()), what);
    if (part == "column") {
      column_labels_ = std::move(labels);
    } else {
      row_labels_ = std::move(labels);
    }
  }

  void ReadHeader() {
    while (next_ < tokens_.size()) {
      const Token& token = tokens_[next_];
      ++next_;
      if (token.mark != 0) throw InputError(token.line, Quoted(token.text) + " where a keyword is expected");
      const std::string key = Lower(token.text);
      if (key == "n") {
        if (Size() != 0) throw InputError(token.line, "n is given twice");
        network_.actor_count = Count(KeywordValue(key), "n", kMaxActors);
      } else if (key == "nm") {
        if (nm_given_) throw InputError(token.line, "nm is given twice");
        if (!network_.relation_names.empty()) throw InputError(token.line, "\"nm =\" comes after the matrix labels");
        relations_ = Count(KeywordValue(key), "nm", kMaxRelations);
        nm_given_ = true;
      } else if (key == "nr" || key == "nc") {
        throw InputError(token.line, Quoted(token.text + " =") + " gives two-mode data, which cannot be analysed; "
                                     "only one-mode networks (n =) are read");
      } else if (key == "format") {
        ReadFormat(token);
      } else if (key == "diagonal") {
        const std::string value = Lower(KeywordValue(key).text);
        if (value != "present" && value != "absent") {
          throw InputError(token.line, "diagonal must be present or absent, not " + Quoted(value));
        }
        diagonal_ = value == "present";
      } else if (key == "labels") {
        ReadActorLabels(token, "");
      } else if ((key == "row" || key == "column" || key == "col") && IsWord(next_, "labels")) {
        ++next_;
        ReadActorLabels(token, key == "row" ? "row" : "column");
      } else if ((key == "matrix" || key == "level") && IsWord(next_, "labels")) {
        ++next_;
        SkipColon();
        std::vector<Token> labels = Labels(static_cast<std::size_t>(relations_), key + " labels");
        network_.relation_names.clear();
        for (Token& label : labels) network_.relation_names.push_back(std::move(label.text));
      } else if (key == "data") {
        SkipColon();
        return;
      } else {
        throw InputError(token.line, "unknown keyword " + Quoted(token.text));
      }
    }
    throw InputError(LastLine(), "no \"data:\" section");
  }

  // The actors' names as the header gives them. One-mode data has the same actors in its
  // rows and columns, so row and column labels given both must be the same.
  void SettleGivenLabels() {
    if (!row_labels_.empty() && !column_labels_.empty()) {
      for (std::size_t k = 0; k < row_labels_.size(); ++k) {
        if (row_labels_[k].text != column_labels_[k].text) {
          throw InputError(column_labels_[k].line,
                           "column label " + std::to_string(k + 1) + " is " + Quoted(column_labels_[k].text) +
                               ", row label " + std::to_string(k + 1) + " " + Quoted(row_labels_[k].text) +
                               ": the rows and columns of one-mode data are the same actors");
        }
      }
    }
    const std::vector<Token>& given = row_labels_.empty() ? column_labels_ : row_labels_;
    if (!given.empty()) SetNames(given);
    names_given_ = !given.empty();
  }

  // Names the actors; the names must tell the actors apart.
  void SetNames(const std::vector<Token>& labels) {
    network_.actor_names.clear();
    actor_numbers_.clear();
    for (const Token& label : labels) {
      const auto [at, fresh] = actor_numbers_.emplace(label.text, static_cast<int>(network_.actor_names.size()));
      if (!fresh) {
        throw InputError(label.line, "the label " + Quoted(label.text) + " names actors " +
                                         std::to_string(at->second + 1) + " and " +
                                         std::to_string(network_.actor_names.size() + 1));
      }
      network_.actor_names.push_back(label.text);
    }
  }

  // One value of the data, a tie or not as the tie rule says.
  std::uint8_t Value(std::size_t k) {
    const Token& token = tokens_[k];
    if (token.mark != 0 || token.quoted || !IsDecimalNumber(token.text)) {
      throw InputError(token.line, Quoted(token.text) + " is not a number");
    }
    return ties_.IsTie(std::strtod(token.text.c_str(), nullptr), token.line) ? 1 : 0;
  }

  // ---- Matrices: fullmatrix, lowerhalf, upperhalf ----

  // The columns that row r of a matrix holds.
  std::vector<int> RowColumns(int r) const {
    int first = 0;
    int last = Size() - 1;
    if (layout_ == Layout::kLowerHalf) last = r;
    if (layout_ == Layout::kUpperHalf) first = r;
    std::vector<int> columns;
    for (int c = first; c <= last; ++c) {
      if (c != r || diagonal_) columns.push_back(c);
    }
    return columns;
  }

  std::string Shape() const {
    const std::string n = std::to_string(Size());
    std::string shape;
    switch (layout_) {
      case Layout::kLowerHalf: shape = "lower halves of " + n + " x " + n + " matrices"; break;
      case Layout::kUpperHalf: shape = "upper halves of " + n + " x " + n + " matrices"; break;
      default: shape = "matrices of " + n + " x " + n + " values"; break;
    }
    return shape;
  }

  std::string DiagonalNote() const { return diagonal_ ? std::string() : " (the diagonal absent)"; }

  InputError Short(int m, int r, int c) const {
    return InputError(LastLine(), "the data ends in matrix " + std::to_string(m + 1) + ", row " + std::to_string(r + 1) +
                                      (c >= 0 ? ", column " + std::to_string(c + 1) : std::string()) + ": nm = " +
                                      std::to_string(relations_) + " " + Shape() + " expected" + DiagonalNote());
  }

  // The token at next_ must continue matrix m at row r, column c (-1: the row's label).
  void ExpectMore(int m, int r, int c) const {
    if (next_ >= tokens_.size()) throw Short(m, r, c);
    if (IsSeparator(next_)) {
      throw InputError(tokens_[next_].line, "\"!\" inside matrix " + std::to_string(m + 1) + ", at row " +
                                                std::to_string(r + 1) + ": nm = " + std::to_string(relations_) +
                                                " " + Shape() + " expected" + DiagonalNote());
    }
  }

  // When the data sets each row on a line of its own (as the first row of values shows), a
  // line holding more or fewer values than its row is a fault found at that line, rather
  // than a shift that surfaces rows later. Data that wraps its rows is read as it comes.
  void CheckRowLine(int m, int r, std::size_t row_start, std::size_t expected) {
    if (row_lines_ == RowLines::kNo || row_start >= tokens_.size() || IsSeparator(row_start)) return;
    if (expected == 0 && !embed_rows_) return;  // nothing of this row is written
    const int line = tokens_[row_start].line;
    const bool starts_line = row_start == 0 || tokens_[row_start - 1].line < line;
    std::size_t end = row_start;
    while (end < tokens_.size() && tokens_[end].line == line) ++end;
    const std::size_t found = end - row_start - (embed_rows_ ? 1 : 0);
    if (row_lines_ == RowLines::kUnknown) {
      row_lines_ = starts_line && found == expected ? RowLines::kYes : RowLines::kNo;
      return;
    }
    if (!starts_line || found != expected) {
      throw InputError(line, "matrix " + std::to_string(m + 1) + ", row " + std::to_string(r + 1) + ": " +
                                 std::to_string(expected) + " values expected, " + std::to_string(found) + " found");
    }
  }

  void ReadMatrix(int m) {
    const int n = Size();
    const std::string matrix = "matrix " + std::to_string(m + 1);
    if (embed_columns_) {
      const std::vector<Token> columns = Labels(static_cast<std::size_t>(n), matrix + " column labels");
      if (network_.actor_names.empty()) {
        SetNames(columns);
      } else {
        for (int c = 0; c < n; ++c) {
          if (columns[c].text != network_.actor_names[c]) {
            throw InputError(columns[c].line, matrix + ": column " + std::to_string(c + 1) + " is labelled " +
                                                  Quoted(columns[c].text) + ", but actor " + std::to_string(c + 1) +
                                                  " is " + Quoted(network_.actor_names[c]));
          }
        }
      }
    }
    std::vector<Token> row_names;  // the row labels, when they are the first to name the actors
    const bool rows_name = embed_rows_ && network_.actor_names.empty();
    std::vector<std::uint8_t> cells(static_cast<std::size_t>(n) * n, 0);
    for (int r = 0; r < n; ++r) {
      const std::vector<int> columns = RowColumns(r);
      const std::size_t row_start = next_;
      if (embed_rows_) {
        ExpectMore(m, r, -1);
        const Token& label = tokens_[next_++];
        if (rows_name) {
          row_names.push_back(label);
        } else if (label.text != network_.actor_names[r]) {
          throw InputError(label.line, matrix + ": row " + std::to_string(r + 1) + " is labelled " + Quoted(label.text) +
                                           (embed_columns_ ? ", its column " : ", but actor " + std::to_string(r + 1) +
                                                                                   " is ") +
                                           Quoted(network_.actor_names[r]));
        }
      }
      CheckRowLine(m, r, row_start, columns.size());
      for (const int c : columns) {
        ExpectMore(m, r, c);
        const std::uint8_t tie = Value(next_++);
        cells[static_cast<std::size_t>(r) * n + c] = tie;
        if (layout_ != Layout::kFullMatrix) cells[static_cast<std::size_t>(c) * n + r] = tie;
      }
    }
    if (rows_name) SetNames(row_names);
    network_.relations.push_back(std::move(cells));
  }

  void ReadMatrices() {
    for (int m = 0; m < relations_; ++m) {
      if (m > 0 && IsSeparator(next_)) ++next_;
      ReadMatrix(m);
    }
    if (next_ < tokens_.size()) {
      if (IsSeparator(next_)) {
        throw InputError(tokens_[next_].line, "a \"!\" after the last of nm = " + std::to_string(relations_) +
                                                  " matrices starts one more");
      }
      const std::string n = std::to_string(Size());
      throw InputError(tokens_[next_].line,
                       "more data than nm = " + std::to_string(relations_) +
                           (layout_ == Layout::kFullMatrix && diagonal_ ? " matrices of n x n = " + n + " x " + n + " values"
                                                                        : " " + Shape() + DiagonalNote()));
    }
  }

  // ---- Lists: edgelist1, nodelist1 ----

  // The actor a list names with `token`: by its label, or by its number 1..n when the
  // labels are not embedded. With embedded labels and none given the labels name the
  // actors in order of appearance.
  int Actor(const Token& token) {
    if (token.mark != 0) throw InputError(token.line, Quoted(token.text) + " where an actor is expected");
    const auto named = actor_numbers_.find(token.text);
    if (Embedded()) {
      if (named != actor_numbers_.end()) return named->second;
      if (names_given_) throw InputError(token.line, "actor " + Quoted(token.text) + " is not among the labels");
      if (static_cast<int>(network_.actor_names.size()) == Size()) {
        throw InputError(token.line, "actor " + Quoted(token.text) + " would be actor " + std::to_string(Size() + 1) +
                                         ", but n = " + std::to_string(Size()));
      }
      actor_numbers_.emplace(token.text, static_cast<int>(network_.actor_names.size()));
      network_.actor_names.push_back(token.text);
      return static_cast<int>(network_.actor_names.size()) - 1;
    }
    int numbered = -1;
    if (!token.quoted && IsWholeNumber(token.text) && token.text.size() <= 4) {
      const int number = std::atoi(token.text.c_str());
      if (number >= 1 && number <= Size()) numbered = number - 1;
    }
    if (named != actor_numbers_.end() && numbered >= 0 && named->second != numbered) {
      throw InputError(token.line, "actor " + Quoted(token.text) + " is ambiguous: the label of actor " +
                                       std::to_string(named->second + 1) + " and the number of actor " +
                                       std::to_string(numbered + 1));
    }
    if (named != actor_numbers_.end()) return named->second;
    if (numbered >= 0) return numbered;
    const std::string numbers = "a number from 1 to n = " + std::to_string(Size());
    throw InputError(token.line, "actor " + Quoted(token.text) +
                                     (names_given_ ? " is neither among the labels nor " + numbers : " is not " + numbers));
  }

  void SetTie(std::vector<std::uint8_t>& cells, int ego, int alter, std::uint8_t tie, int line) {
    if (ego == alter && !diagonal_) {
      throw InputError(line, "a tie of actor " + std::to_string(ego + 1) + " to itself, but the diagonal is absent");
    }
    cells[static_cast<std::size_t>(ego) * Size() + alter] |= tie;
  }

  // One line of an edge list: ego, alter and an optional value.
  void ReadEdge(const std::vector<std::size_t>& line, std::vector<std::uint8_t>& cells) {
    const int at = tokens_[line[0]].line;
    if (line.size() < 2 || line.size() > 3) {
      throw InputError(at, "an edge list line holds ego, alter and an optional value: " +
                               std::to_string(line.size()) + (line.size() == 1 ? " field" : " fields") + " found");
    }
    const int ego = Actor(tokens_[line[0]]);
    const int alter = Actor(tokens_[line[1]]);
    const std::uint8_t tie = line.size() == 3 ? Value(line[2]) : (ties_.IsTie(1.0, at) ? 1 : 0);
    SetTie(cells, ego, alter, tie, at);
  }

  // One line of a node list: ego and its alters, each a tie of value 1.
  void ReadNode(const std::vector<std::size_t>& line, std::vector<std::uint8_t>& cells) {
    const int at = tokens_[line[0]].line;
    const int ego = Actor(tokens_[line[0]]);
    for (std::size_t k = 1; k < line.size(); ++k) SetTie(cells, ego, Actor(tokens_[line[k]]), ties_.IsTie(1.0, at) ? 1 : 0, at);
  }

  void ReadLists() {
    const bool edges = layout_ == Layout::kEdgeList;
    const std::string list = edges ? "an edge list" : "a node list";
    const std::size_t cells = static_cast<std::size_t>(Size()) * Size();
    network_.relations.assign(1, std::vector<std::uint8_t>(cells, 0));
    // The data's lines, each as the tokens on it.
    std::vector<std::vector<std::size_t>> lines;
    for (std::size_t k = next_; k < tokens_.size(); ++k) {
      if (lines.empty() || tokens_[lines.back().front()].line != tokens_[k].line) lines.emplace_back();
      lines.back().push_back(k);
    }
    for (const std::vector<std::size_t>& line : lines) {
      const int at = tokens_[line.front()].line;
      if (line.size() == 1 && IsSeparator(line.front())) {
        if (network_.relation_count() == relations_) {
          throw InputError(at, "a \"!\" starts matrix " + std::to_string(relations_ + 1) + ", but nm = " +
                                   std::to_string(relations_));
        }
        network_.relations.emplace_back(cells, 0);
        continue;
      }
      for (const std::size_t k : line) {
        if (IsSeparator(k)) throw InputError(at, "a \"!\" between matrices stands on a line of its own");
      }
      if (edges) {
        ReadEdge(line, network_.relations.back());
      } else {
        ReadNode(line, network_.relations.back());
      }
    }
    if (network_.relation_count() < relations_) {
      throw InputError(LastLine(), "the data holds " + std::to_string(network_.relation_count()) + " of nm = " +
                                       std::to_string(relations_) + " matrices; the matrices of " + list +
                                       " are separated by a line holding \"!\"");
    }
    // Embedded labels name the actors that appear; the rest keep their numbers.
    if (Embedded() && !network_.actor_names.empty()) {
      for (int k = static_cast<int>(network_.actor_names.size()); k < Size(); ++k) {
        std::string name = std::to_string(k + 1);
        if (actor_numbers_.count(name) != 0) name = "actor " + name;
        actor_numbers_.emplace(name, k);
        network_.actor_names.push_back(name);
      }
    }
  }

  enum class RowLines { kUnknown, kYes, kNo };

  std::vector<Token> tokens_;
  TieRule& ties_;
  std::size_t next_ = 0;
  Network network_;
  int relations_ = 1;
  bool nm_given_ = false;
  Layout layout_ = Layout::kFullMatrix;
  bool diagonal_ = true;
  bool embed_rows_ = false;
  bool embed_columns_ = false;
  std::vector<Token> row_labels_;     // as the header gives them
  std::vector<Token> column_labels_;
  bool names_given_ = false;          // the header named the actors
  std::unordered_map<std::string, int> actor_numbers_;  // per name, the actor's index
  RowLines row_lines_ = RowLines::kUnknown;
};

}  // namespace

Network ReadDl(std::string_view text, TieRule& ties) { return DlParser(text, ties).Parse(); }

bool LooksLikeDl(std::string_view text) {
  // The keyword and the first assignment stand on the first non-blank line, or the
  // assignment on the next one.
  const std::size_t start = text.find_first_not_of(" \t\r\n,");
  if (start == std::string_view::npos) return false;
  std::size_t end = text.find('\n', start);
  std::vector<Token> tokens;
  for (int lines = 1; lines <= 2 && tokens.size() < 3; ++lines) {
    try {
      tokens = Tokenize(text.substr(0, end == std::string_view::npos ? text.size() : end));
    } catch (const InputError&) {
      return false;  // a quote left open on the first line
    }
    if (end == std::string_view::npos) break;
    end = text.find('\n', end + 1);
  }
  if (tokens.size() < 3 || tokens[0].mark != 0 || Lower(tokens[0].text) != "dl") return false;
  const std::string key = Lower(tokens[1].text);
  if (tokens[1].mark != 0 || tokens[1].quoted) return false;
  if (key != "n" && key != "nm" && key != "nr" && key != "nc" && key != "format") return false;
  if (tokens[2].mark == '=') return true;
  // Without "=" the value must be what the keyword takes, or the line is free text.
  if (tokens[2].mark != 0 || tokens[2].quoted || tokens[2].line != tokens[1].line) return false;
  const std::string value = Lower(tokens[2].text);
  if (key == "format" ? FindFormat(value) == nullptr && !IsTwoModeFormat(value) : !IsWholeNumber(value)) return false;
  // What follows on the line is the header's too, not the words of a label.
  if (tokens.size() > 3 && tokens[3].line == tokens[2].line && tokens[3].mark == 0) {
    static const char* const kKeywords[] = {"n",   "nm",  "nr",     "nc",     "format", "diagonal", "labels",
                                            "row", "col", "column", "matrix", "level",  "data"};
    const std::string next = Lower(tokens[3].text);
    return std::find_if(std::begin(kKeywords), std::end(kKeywords),
                        [&](const char* keyword) { return next == keyword; }) != std::end(kKeywords);
  }
  return true;
}

}  // namespace quorel
