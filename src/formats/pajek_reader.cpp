#include "formats/pajek_reader.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/text_classes.hpp"
#include "formats/data_reader.hpp"

namespace quorel {

namespace {

constexpr int kMaxRelations = 32767;

// A whole number written with digits only, up to what an int holds; else -1.
long WholeNumber(std::string_view field) {
  if (field.empty() || field.size() > 9 || !std::all_of(field.begin(), field.end(), [](char ch) { return IsDigit(ch); })) {
    return -1;
  }
  return std::stol(std::string(field));
}

// The blank-separated fields of a line; a text in double quotes is one field, quotes removed.
std::vector<std::string> Fields(std::string_view text, int line) {
  std::vector<std::string> fields;
  std::size_t k = 0;
  while (k < text.size()) {
    if (IsWhiteSpace(static_cast<unsigned char>(text[k]))) {
      ++k;
    } else if (text[k] == '"') {
      const std::size_t close = text.find('"', k + 1);
      if (close == std::string_view::npos) throw InputError(line, "a quoted name is not closed");
      fields.emplace_back(text.substr(k + 1, close - k - 1));
      k = close + 1;
    } else {
      const std::size_t start = k;
      while (k < text.size() && !IsWhiteSpace(static_cast<unsigned char>(text[k]))) ++k;
      fields.emplace_back(text.substr(start, k - start));
    }
  }
  return fields;
}

// What the lines after a keyword line hold.
enum class Block { kNone, kVertices, kArcs, kEdges, kArcsList, kEdgesList, kMatrix };

// One relation as the blocks that name it build it up.
struct Relation {
  std::vector<std::uint8_t> cells;
  std::string name;
  bool named = false;
  bool arcs = false;   // ties given one way: *Arcs, *Arcslist or *Matrix
  bool edges = false;  // ties given both ways: *Edges or *Edgeslist
};

// A Pajek network file. Relations are numbered as the file numbers them: "*Arcs :k" and
// "*Edges :k" head blocks of relation k, in any order, and a block without a number belongs
// to relation 1. The network has relations 1 to the largest number used; a number between
// them that heads no block is a relation without ties, as Pajek holds it.
class PajekParser {
 public:
  PajekParser(std::string_view text, TieRule& ties) : text_(text), ties_(ties) {}

  Network Parse() {
    int line = 0;
    for (std::size_t k = 0; k < text_.size();) {
      std::size_t end = text_.find('\n', k);
      if (end == std::string_view::npos) end = text_.size();
      ++line;
      const std::string_view row = Trim(text_.substr(k, end - k));  // drops a carriage return too
      k = end + 1;
      if (row.empty() || row.front() == '%') continue;
      if (row.front() == '*') {
        FinishBlock(line);
        Keyword(row, line);
      } else {
        Data(row, line);
      }
      last_line_ = line;
    }
    FinishBlock(last_line_);
    if (network_.actor_count == 0) throw InputError(0, "no \"*Vertices n\" line gives the number of actors");
    return Finish();
  }

 private:
  void Keyword(std::string_view row, int line) {
    std::size_t word_end = 1;
    while (word_end < row.size() && !IsWhiteSpace(static_cast<unsigned char>(row[word_end])) && row[word_end] != ':') {
      ++word_end;
    }
    const std::string word(row.substr(0, word_end));
    const std::string keyword = Lower(word);
    const std::string_view rest = Trim(row.substr(word_end));
    if (keyword == "*network") {
      return;  // the network is labelled with the file's name
    }
    if (keyword == "*vertices") {
      Vertices(rest, line);
      return;
    }
    if (keyword == "*arcs") {
      block_ = Block::kArcs;
    } else if (keyword == "*edges") {
      block_ = Block::kEdges;
    } else if (keyword == "*arcslist") {
      block_ = Block::kArcsList;
    } else if (keyword == "*edgeslist") {
      block_ = Block::kEdgesList;
    } else if (keyword == "*matrix") {
      block_ = Block::kMatrix;
      matrix_rows_ = 0;
      matrix_line_ = line;
    } else {
      throw InputError(line, "unknown keyword \"" + word +
                                 "\"; a network file holds *Network, *Vertices, *Arcs, *Edges, *Arcslist, "
                                 "*Edgeslist and *Matrix");
    }
    if (network_.actor_count == 0) throw InputError(line, "\"" + word + "\" comes before \"*Vertices n\"");
    relation_ = RelationHeading(word, rest, line);
    Relation& relation = relations_[relation_];
    (block_ == Block::kEdges || block_ == Block::kEdgesList ? relation.edges : relation.arcs) = true;
  }

  void Vertices(std::string_view rest, int line) {
    if (network_.actor_count != 0) throw InputError(line, "a second \"*Vertices\" line");
    const std::vector<std::string> fields = Fields(rest, line);
    if (fields.empty()) throw InputError(line, "\"*Vertices\" gives no number of actors");
    if (fields.size() > 1) {
      throw InputError(line, "\"*Vertices " + fields[0] + " " + fields[1] +
                                 "\" gives a two-mode network; only one-mode networks are read");
    }
    const long n = WholeNumber(fields[0]);
    if (n <= 0) throw InputError(line, "the number of vertices must be a whole number above 0, not \"" + fields[0] + "\"");
    if (n > kMaxActors) {
      throw InputError(line, "*Vertices " + fields[0] + " is too large: at most " + std::to_string(kMaxActors) +
                                 " actors (N x N may not exceed 32767)");
    }
    network_.actor_count = static_cast<int>(n);
    names_.assign(static_cast<std::size_t>(n), std::string());
    block_ = Block::kVertices;
  }

  // The relation a block heading names: ":k" and an optional label, quoted or not.
  std::size_t RelationHeading(const std::string& word, std::string_view rest, int line) {
    long number = 1;
    if (!rest.empty() && rest.front() == ':') {
      rest = Trim(rest.substr(1));
      std::size_t digits = 0;
      while (digits < rest.size() && !IsWhiteSpace(static_cast<unsigned char>(rest[digits]))) ++digits;
      const std::string field(rest.substr(0, digits));
      number = WholeNumber(field);
      if (number <= 0) throw InputError(line, "\"" + word + " :" + field + "\" names no relation number from 1 up");
      if (number > kMaxRelations) {
        throw InputError(line, "relation " + field + " is beyond the most relations, " + std::to_string(kMaxRelations));
      }
      rest = Trim(rest.substr(digits));
    }
    const std::size_t index = static_cast<std::size_t>(number) - 1;
    if (relations_.size() <= index) relations_.resize(index + 1);
    Relation& relation = relations_[index];
    if (relation.cells.empty()) relation.cells.assign(Cells(), 0);
    if (!rest.empty()) {
      std::string label(rest);
      if (rest.front() == '"') {
        const std::vector<std::string> fields = Fields(rest, line);
        label = fields[0];
      }
      if (relation.named && relation.name != label) {
        throw InputError(line, "relation " + std::to_string(number) + " is named \"" + label + "\" here and \"" +
                                   relation.name + "\" before");
      }
      relation.name = label;
      relation.named = true;
    }
    return index;
  }

  std::size_t Cells() const { return static_cast<std::size_t>(network_.actor_count) * network_.actor_count; }

  // A vertex number of the file (1..N) as an actor index.
  int Vertex(const std::string& field, int line) const {
    const long k = WholeNumber(field);
    if (k < 1 || k > network_.actor_count) {
      throw InputError(line, "vertex \"" + field + "\" is not a number from 1 to " + std::to_string(network_.actor_count) +
                                 " (*Vertices " + std::to_string(network_.actor_count) + ")");
    }
    return static_cast<int>(k) - 1;
  }

  void Tie(std::size_t relation, int from, int to, bool both_ways) {
    std::vector<std::uint8_t>& cells = relations_[relation].cells;
    const auto n = static_cast<std::size_t>(network_.actor_count);
    cells[static_cast<std::size_t>(from) * n + to] = 1;
    if (both_ways) cells[static_cast<std::size_t>(to) * n + from] = 1;
  }

  void Data(std::string_view row, int line) {
    std::vector<std::string> fields = Fields(row, line);
    switch (block_) {
      case Block::kNone:
        if (network_.actor_count == 0) throw InputError(line, "\"" + fields[0] + "\" stands before \"*Vertices n\"");
        throw InputError(line, "\"" + fields[0] + "\" stands after \"*Network\", outside any block of vertices or ties");
      case Block::kVertices: {
        const int vertex = Vertex(fields[0], line);
        if (seen_[vertex]) throw InputError(line, "vertex " + fields[0] + " is listed a second time");
        seen_[vertex] = true;
        if (fields.size() > 1) names_[vertex] = fields[1];  // coordinates and shapes after it are not read
        return;
      }
      case Block::kMatrix: {
        if (matrix_rows_ == network_.actor_count) {
          throw InputError(line, "the matrix has more than " + std::to_string(network_.actor_count) + " rows");
        }
        if (fields.size() != static_cast<std::size_t>(network_.actor_count)) {
          throw InputError(line, "row " + std::to_string(matrix_rows_ + 1) + " of the matrix holds " +
                                     std::to_string(fields.size()) + " values, " +
                                     std::to_string(network_.actor_count) + " expected");
        }
        for (int c = 0; c < network_.actor_count; ++c) {
          if (ties_.IsTie(fields[c], line)) Tie(relation_, matrix_rows_, c, false);
        }
        ++matrix_rows_;
        return;
      }
      default: break;
    }
    // "k: i j ..." puts the line into relation k whatever the block's heading says.
    std::size_t relation = relation_;
    if (fields[0].size() > 1 && fields[0].back() == ':') {
      const std::string number = fields[0].substr(0, fields[0].size() - 1);
      const long k = WholeNumber(number);
      if (k <= 0 || k > kMaxRelations) {
        throw InputError(line, "\"" + fields[0] + "\" names no relation number from 1 to " + std::to_string(kMaxRelations));
      }
      relation = static_cast<std::size_t>(k) - 1;
      if (relations_.size() <= relation) relations_.resize(relation + 1);
      if (relations_[relation].cells.empty()) relations_[relation].cells.assign(Cells(), 0);
      const bool edges = block_ == Block::kEdges || block_ == Block::kEdgesList;
      (edges ? relations_[relation].edges : relations_[relation].arcs) = true;
      fields.erase(fields.begin());
    }
    const bool both_ways = block_ == Block::kEdges || block_ == Block::kEdgesList;
    const char* what = both_ways ? "an edge" : "an arc";
    if (fields.size() < 2 && (block_ == Block::kArcs || block_ == Block::kEdges)) {
      throw InputError(line, std::string(what) + " needs two vertex numbers");
    }
    const int from = Vertex(fields[0], line);
    if (block_ == Block::kArcs || block_ == Block::kEdges) {
      const int to = Vertex(fields[1], line);
      // The weight; the fields after it (colours, labels, widths) are not read.
      const bool tie = fields.size() > 2 ? ties_.IsTie(fields[2], line) : ties_.IsTie(1.0, line);
      if (tie) Tie(relation, from, to, both_ways);
    } else {
      // "*Arcslist" and "*Edgeslist": a vertex and every vertex it is tied to, unweighted.
      for (std::size_t k = 1; k < fields.size(); ++k) {
        const int to = Vertex(fields[k], line);
        if (ties_.IsTie(1.0, line)) Tie(relation, from, to, both_ways);
      }
    }
  }

  // A matrix block must hold all its rows before the next keyword or the end.
  void FinishBlock(int line) {
    if (block_ == Block::kMatrix && matrix_rows_ < network_.actor_count) {
      throw InputError(line, "the matrix begun on line " + std::to_string(matrix_line_) + " ends after " +
                                 std::to_string(matrix_rows_) + " of " + std::to_string(network_.actor_count) + " rows");
    }
    block_ = Block::kNone;
  }

  Network Finish() {
    if (relations_.empty()) relations_.resize(1);  // vertices without ties
    const bool any_actor_named =
        std::any_of(names_.begin(), names_.end(), [](const std::string& name) { return !name.empty(); });
    if (any_actor_named) {
      for (std::size_t k = 0; k < names_.size(); ++k) {
        network_.actor_names.push_back(names_[k].empty() ? std::to_string(k + 1) : names_[k]);
      }
    }
    const bool any_relation_named =
        std::any_of(relations_.begin(), relations_.end(), [](const Relation& relation) { return relation.named; });
    std::vector<std::uint8_t> non_directional;
    for (std::size_t k = 0; k < relations_.size(); ++k) {
      Relation& relation = relations_[k];
      if (relation.cells.empty()) relation.cells.assign(Cells(), 0);
      network_.relations.push_back(std::move(relation.cells));
      if (any_relation_named) network_.relation_names.push_back(relation.named ? relation.name : std::to_string(k + 1));
      non_directional.push_back(relation.edges && !relation.arcs ? 1 : 0);
    }
    network_.non_directional = std::move(non_directional);
    return std::move(network_);
  }

  std::string_view text_;
  TieRule& ties_;
  Network network_;
  std::vector<std::string> names_;
  std::vector<Relation> relations_;
  std::vector<bool> seen_ = std::vector<bool>(kMaxActors, false);
  Block block_ = Block::kNone;
  std::size_t relation_ = 0;
  int matrix_rows_ = 0;
  int matrix_line_ = 0;
  int last_line_ = 1;
};

}  // namespace

Network ReadPajek(std::string_view text, TieRule& ties) { return PajekParser(text, ties).Parse(); }

bool LooksLikePajek(std::string_view text) {
  for (std::size_t k = 0; k < text.size();) {
    std::size_t end = text.find('\n', k);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view row = Trim(text.substr(k, end - k));
    k = end + 1;
    if (row.empty() || row.front() == '%') continue;
    const std::string start = Lower(std::string(row.substr(0, 9)));
    auto keyword = [&](std::string_view word) {
      return start.rfind(word, 0) == 0 &&
             (row.size() == word.size() || IsWhiteSpace(static_cast<unsigned char>(row[word.size()])));
    };
    return keyword("*network") || keyword("*vertices");
  }
  return false;
}

}  // namespace quorel
