#include "formats/edge_list_reader.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "core/text_classes.hpp"
#include "formats/csv_dialect.hpp"
#include "formats/data_reader.hpp"

namespace quorel {

namespace {

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

// A whole number from 1 to what an int holds, written with digits only; else 0.
long ActorNumber(const std::string& field) {
  if (field.empty() || field.size() > 9 || !std::all_of(field.begin(), field.end(), [](char ch) { return IsDigit(ch); })) {
    return 0;
  }
  return std::strtol(field.c_str(), nullptr, 10);
}

// Whether every row's type field says "directed" or "undirected".
bool TypesAreDirectionality(const std::vector<CsvRow>& rows, int column) {
  return std::all_of(rows.begin() + 1, rows.end(), [&](const CsvRow& row) {
    if (static_cast<std::size_t>(column) >= row.fields.size()) return true;  // refused later for its count
    const std::string type = Lower(row.fields[column]);
    return type == "directed" || type == "undirected";
  });
}

struct EdgeRow {
  int line;
  std::string source, target, relation;
  bool tie;
  bool undirected;
};

// Gives each distinct name a number in the order of first appearance.
class Numbering {
 public:
  int Number(const std::string& name) {
    const auto [place, added] = numbers_.emplace(name, static_cast<int>(names_.size()));
    if (added) names_.push_back(name);
    return place->second;
  }
  std::size_t Size() const { return names_.size(); }
  std::vector<std::string>& Names() { return names_; }

 private:
  std::map<std::string, int> numbers_;
  std::vector<std::string> names_;
};

}  // namespace

bool FindEdgeListColumns(std::string_view header, EdgeListColumns& columns) {
  columns = EdgeListColumns{};
  columns.Separator = DetectCsvSeparator(header);
  if (columns.Separator == 0) return false;
  std::vector<std::string> fields;
  std::string fault;
  if (!SplitCsvRow(header, columns.Separator, fields, fault)) return false;
  columns.Count = fields.size();
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const std::string name = Lower(fields[k]);
    int* column = nullptr;
    if (IsOneOf(name, {"source", "from", "sender", "ego", "src"})) {
      column = &columns.Source;
    } else if (IsOneOf(name, {"target", "to", "receiver", "alter", "dst"})) {
      column = &columns.Target;
    } else if (IsOneOf(name, {"relation", "layer", "relationship", "tie"})) {
      column = &columns.Relation;
    } else if (name == "type") {
      column = &columns.Type;
    } else if (IsOneOf(name, {"weight", "value"})) {
      column = &columns.Weight;
    }
    if (column != nullptr && *column < 0) *column = static_cast<int>(k);
  }
  return columns.Source >= 0 && columns.Target >= 0;
}

Network ReadEdgeList(std::string_view text, TieRule& ties) {
  const std::string_view header = FirstCsvLine(text);
  if (header.empty()) throw InputError(0, "the file is empty");
  EdgeListColumns columns;
  const bool found = FindEdgeListColumns(header, columns);
  const std::vector<CsvRow> lines = SplitCsvRows(text, columns.Separator);
  if (!found) {
    throw InputError(lines[0].line,
                     "the header row names no source column (source, from, sender, ego) and target column "
                     "(target, to, receiver, alter), separated by commas, semicolons or tabs");
  }
  int relation_column = columns.Relation;
  int direction_column = -1;
  if (columns.Type >= 0) {
    if (TypesAreDirectionality(lines, columns.Type)) {
      direction_column = columns.Type;
    } else if (relation_column < 0) {
      relation_column = columns.Type;
    }
  }

  std::vector<EdgeRow> rows;
  bool numbered = true;  // every actor field a whole number from 1 up
  for (std::size_t k = 1; k < lines.size(); ++k) {
    const int at = lines[k].line;
    const std::vector<std::string>& fields = lines[k].fields;
    if (fields.size() != columns.Count) {
      throw InputError(at, std::to_string(columns.Count) + " fields expected as in the header row, " +
                               std::to_string(fields.size()) + " found");
    }
    EdgeRow edge{at, fields[columns.Source], fields[columns.Target],
                 relation_column >= 0 ? fields[relation_column] : std::string(), true,
                 direction_column >= 0 && Lower(fields[direction_column]) == "undirected"};
    if (edge.source.empty() || edge.target.empty()) throw InputError(at, "an actor field is empty");
    if (relation_column >= 0 && edge.relation.empty()) throw InputError(at, "the relation field is empty");
    if (columns.Weight >= 0) {
      const std::string& weight = fields[columns.Weight];
      char* end = nullptr;
      const double value = std::strtod(weight.c_str(), &end);
      if (weight.empty() || *end != '\0' || std::isnan(value)) {
        throw InputError(at, "the weight \"" + weight + "\" is not a number");
      }
      edge.tie = ties.IsTie(value, at);
    }
    numbered = numbered && ActorNumber(edge.source) > 0 && ActorNumber(edge.target) > 0;
    rows.push_back(std::move(edge));
  }
  if (rows.empty()) throw InputError(lines[0].line, "no rows follow the header row");

  Network network;
  std::vector<std::pair<int, int>> actors;  // per row: source and target numbers
  if (numbered) {
    for (const EdgeRow& edge : rows) {
      const long source = ActorNumber(edge.source);
      const long target = ActorNumber(edge.target);
      const long largest = std::max(source, target);
      if (largest > kMaxActors) {
        throw InputError(edge.line, "actor " + std::to_string(largest) + " is beyond the most actors, " +
                                        std::to_string(kMaxActors) + " (N x N may not exceed 32767)");
      }
      network.actor_count = std::max(network.actor_count, static_cast<int>(largest));
      actors.emplace_back(static_cast<int>(source) - 1, static_cast<int>(target) - 1);
    }
  } else {
    Numbering names;
    for (const EdgeRow& edge : rows) {
      const int source = names.Number(edge.source);
      const int target = names.Number(edge.target);
      if (names.Size() > static_cast<std::size_t>(kMaxActors)) {
        throw InputError(edge.line, "more than " + std::to_string(kMaxActors) +
                                        " actors (N x N may not exceed 32767)");
      }
      actors.emplace_back(source, target);
    }
    network.actor_count = static_cast<int>(names.Size());
    network.actor_names = std::move(names.Names());
  }

  Numbering relations;
  std::vector<std::uint8_t> all_undirected;  // per relation
  const auto n = static_cast<std::size_t>(network.actor_count);
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const auto relation = static_cast<std::size_t>(relations.Number(rows[k].relation));
    if (relation == network.relations.size()) {
      if (relation == 32767) throw InputError(rows[k].line, "more than 32767 relations");
      network.relations.emplace_back(n * n, 0);
      all_undirected.push_back(1);
    }
    if (!rows[k].undirected) all_undirected[relation] = 0;
    if (rows[k].tie) {
      const auto [source, target] = actors[k];
      network.relations[relation][source * n + target] = 1;
      if (rows[k].undirected) network.relations[relation][target * n + source] = 1;
    }
  }
  if (relation_column >= 0) network.relation_names = std::move(relations.Names());
  if (direction_column >= 0) network.non_directional = std::move(all_undirected);
  return network;
}

}  // namespace quorel
