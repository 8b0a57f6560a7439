#include "formats/dl_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/data_reader.hpp"
#include "core/text_classes.hpp"

namespace quorel {

namespace {

// A word, a quoted text (quotes removed) or one of the marks '=' and ':'. Commas only
// separate, as blanks and line ends do.
struct Token {
  std::string text;
  int line = 0;
  char mark = 0;        // '=' or ':' for a mark, else 0
  bool quoted = false;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char ch) { return static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch); });
  return text;
}

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

class DlParser {
 public:
  DlParser(std::string_view text, TieRule& ties) : tokens_(Tokenize(text)), ties_(ties) {}

  Network Parse() {
    if (tokens_.empty() || !IsWord(0, "dl")) throw InputError(tokens_.empty() ? 1 : tokens_[0].line, "no \"dl\" keyword");
    next_ = 1;
    ReadHeader();
    if (network_.actor_count == 0) throw InputError(LastLine(), "the header gives no \"n =\"");
    ReadData();
    return std::move(network_);
  }

 private:
  bool IsWord(std::size_t k, const char* word) const {
    return k < tokens_.size() && tokens_[k].mark == 0 && !tokens_[k].quoted && Lower(tokens_[k].text) == word;
  }
  bool IsMark(std::size_t k, char mark) const { return k < tokens_.size() && tokens_[k].mark == mark; }
  int LastLine() const { return tokens_.empty() ? 1 : tokens_.back().line; }
  int LineAt(std::size_t k) const { return k < tokens_.size() ? tokens_[k].line : LastLine(); }

  // The value after "keyword =".
  const Token& Assignment(const std::string& keyword) {
    if (!IsMark(next_, '=')) throw InputError(LineAt(next_), "\"=\" expected after \"" + keyword + "\"");
    if (next_ + 1 >= tokens_.size() || tokens_[next_ + 1].mark != 0) {
      throw InputError(LineAt(next_), "a value expected after \"" + keyword + " =\"");
    }
    next_ += 2;
    return tokens_[next_ - 1];
  }

  // A positive count; N is bounded by what the analysis can hold.
  int Count(const Token& value, const std::string& keyword, long limit) {
    char* end = nullptr;
    errno = 0;
    const long count = std::strtol(value.text.c_str(), &end, 10);
    if (value.text.empty() || *end != '\0' || count <= 0) {
      throw InputError(value.line, keyword + " must be a whole number above 0, not \"" + value.text + "\"");
    }
    if (errno == ERANGE || count > limit) {
      throw InputError(value.line, keyword + " = " + value.text + " is too large: at most " + std::to_string(limit) +
                                       (keyword == "n" ? " actors (N x N may not exceed 32767)" : ""));
    }
    return static_cast<int>(count);
  }

  void ExpectColon(const std::string& what) {
    if (!IsMark(next_, ':')) throw InputError(LineAt(next_), "\":\" expected after \"" + what + "\"");
    ++next_;
  }

  // `count` labels; needs n (or nm) to be known.
  std::vector<std::string> Labels(std::size_t count, const std::string& what) {
    std::vector<std::string> labels;
    while (labels.size() < count) {
      // A word followed by ":" starts the next section ("data:"): the list ended early.
      if (next_ >= tokens_.size() || tokens_[next_].mark != 0 || (!tokens_[next_].quoted && IsMark(next_ + 1, ':'))) {
        throw InputError(LineAt(next_), what + ": " + std::to_string(count) + " labels expected, " +
                                            std::to_string(labels.size()) + " found");
      }
      labels.push_back(tokens_[next_++].text);
    }
    return labels;
  }

  void ReadHeader() {
    while (next_ < tokens_.size()) {
      const Token& token = tokens_[next_];
      const std::string key = token.mark == 0 ? Lower(token.text) : token.text;
      ++next_;
      if (key == "n") {
        network_.actor_count = Count(Assignment(key), "n", kMaxActors);
      } else if (key == "nm") {
        relations_ = Count(Assignment(key), "nm", 32767);
      } else if (key == "nr" || key == "nc") {
        throw InputError(token.line, "\"" + token.text + " =\" gives a two-mode network; only one-mode networks (n =) are read");
      } else if (key == "format") {
        const std::string format = Lower(Assignment(key).text);
        if (format != "fullmatrix" && format != "fm" && format != "full") {
          throw InputError(token.line, "format \"" + format + "\" is not read; only format = fullmatrix");
        }
      } else if (key == "diagonal") {
        if (Lower(Assignment(key).text) != "present") {
          throw InputError(token.line, "only \"diagonal = present\" is read");
        }
      } else if (key == "labels" && IsWord(next_, "embedded")) {
        ++next_;
        if (IsMark(next_, ':')) ++next_;
        embedded_ = true;
      } else if (key == "labels" || ((key == "row" || key == "column" || key == "col") && IsWord(next_, "labels"))) {
        if (key != "labels") ++next_;
        ExpectColon(key == "labels" ? "labels" : key + " labels");
        if (network_.actor_count == 0) throw InputError(token.line, "labels come before \"n =\"");
        std::vector<std::string> labels =
            Labels(static_cast<std::size_t>(network_.actor_count), key == "labels" ? key : key + " labels");
        // Column labels name the actors only when no row labels do (one-mode: the same).
        const bool columns = key == "column" || key == "col";
        if (!columns || network_.actor_names.empty()) network_.actor_names = std::move(labels);
      } else if (key == "matrix" && IsWord(next_, "labels")) {
        ++next_;
        ExpectColon("matrix labels");
        network_.relation_names = Labels(static_cast<std::size_t>(relations_), "matrix labels");
      } else if (key == "data") {
        ExpectColon("data");
        return;
      } else {
        throw InputError(token.line, "unknown keyword \"" + token.text + "\"");
      }
    }
    throw InputError(LastLine(), "no \"data:\" section");
  }

  // One value of the data: any number, nonzero meaning a tie.
  std::uint8_t Value(std::size_t k) {
    const Token& token = tokens_[k];
    char* end = nullptr;
    const double value = std::strtod(token.text.c_str(), &end);
    if (token.mark != 0 || token.quoted || token.text.empty() || *end != '\0' || std::isnan(value)) {
      throw InputError(token.line, "\"" + token.text + "\" is not a number");
    }
    return ties_.IsTie(value, token.line) ? 1 : 0;
  }

  void ReadData() {
    const int n = network_.actor_count;
    const std::size_t cells = static_cast<std::size_t>(n) * n;
    for (int m = 0; m < relations_; ++m) {
      const std::string matrix = "matrix " + std::to_string(m + 1);
      std::vector<std::string> columns;
      if (embedded_) columns = Labels(static_cast<std::size_t>(n), matrix + " column");
      if (m == 0 && embedded_) network_.actor_names = columns;
      std::vector<std::uint8_t> values(cells, 0);
      for (int r = 0; r < n; ++r) {
        if (embedded_) {
          if (next_ >= tokens_.size()) throw Short(m, r, 0);
          const Token& row_label = tokens_[next_++];
          if (row_label.text != network_.actor_names[r]) {
            throw InputError(row_label.line, matrix + ": row " + std::to_string(r + 1) + " is labelled \"" +
                                                 row_label.text + "\", its column \"" + network_.actor_names[r] + "\"");
          }
        }
        for (int c = 0; c < n; ++c) {
          if (next_ >= tokens_.size()) throw Short(m, r, c);
          values[static_cast<std::size_t>(r) * n + c] = Value(next_++);
        }
      }
      network_.relations.push_back(std::move(values));
    }
    if (next_ < tokens_.size()) {
      throw InputError(tokens_[next_].line, "more data than nm = " + std::to_string(relations_) +
                                                " matrices of n x n = " + std::to_string(n) + " x " + std::to_string(n) +
                                                " values");
    }
  }

  InputError Short(int m, int r, int c) const {
    return InputError(LastLine(), "the data ends in matrix " + std::to_string(m + 1) + ", row " + std::to_string(r + 1) +
                                      ", column " + std::to_string(c + 1) + ": nm = " + std::to_string(relations_) +
                                      " matrices of " + std::to_string(network_.actor_count) + " x " +
                                      std::to_string(network_.actor_count) + " values expected");
  }

  std::vector<Token> tokens_;
  TieRule& ties_;
  std::size_t next_ = 0;
  Network network_;
  int relations_ = 1;
  bool embedded_ = false;
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
  return tokens[1].mark == 0 && (key == "n" || key == "nm" || key == "nr" || key == "nc" || key == "format") &&
         tokens[2].mark == '=';
}

}  // namespace quorel
