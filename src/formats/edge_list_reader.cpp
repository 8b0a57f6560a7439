#include "formats/edge_list_reader.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

#include "formats/data_reader.hpp"
#include "core/text_classes.hpp"

namespace quorel {

namespace {

std::string Trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsWhiteSpace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && IsWhiteSpace(static_cast<unsigned char>(text[end - 1]))) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char ch) { return static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch); });
  return text;
}

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

struct EdgeRow {
  int line;
  std::string source, target, relation;
  bool tie;
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

std::vector<std::string> SplitCsvRow(std::string_view row) {
  std::vector<std::string> fields;
  std::size_t k = 0;
  for (;;) {
    std::string field;
    while (k < row.size() && (row[k] == ' ' || row[k] == '\t')) ++k;
    if (k < row.size() && row[k] == '"') {
      for (++k; k < row.size(); ++k) {
        if (row[k] == '"') {
          if (k + 1 < row.size() && row[k + 1] == '"') {
            field += '"';
            ++k;
          } else {
            ++k;
            break;
          }
        } else {
          field += row[k];
        }
      }
      const std::size_t comma = row.find(',', k);
      k = comma == std::string_view::npos ? row.size() : comma;
    } else {
      const std::size_t comma = row.find(',', k);
      const std::size_t end = comma == std::string_view::npos ? row.size() : comma;
      field = Trim(row.substr(k, end - k));
      k = end;
    }
    fields.push_back(field);
    if (k >= row.size()) return fields;
    ++k;  // the comma
  }
}

bool FindEdgeListColumns(std::string_view header, EdgeListColumns& columns) {
  if (header.find(',') == std::string_view::npos) return false;
  const std::vector<std::string> fields = SplitCsvRow(header);
  columns = EdgeListColumns{};
  columns.Count = fields.size();
  for (std::size_t k = 0; k < fields.size(); ++k) {
    const std::string name = Lower(fields[k]);
    int* column = nullptr;
    if (IsOneOf(name, {"source", "from", "sender", "ego", "src"})) {
      column = &columns.Source;
    } else if (IsOneOf(name, {"target", "to", "receiver", "alter", "dst"})) {
      column = &columns.Target;
    } else if (IsOneOf(name, {"relation", "type", "layer", "relationship", "tie"})) {
      column = &columns.Relation;
    } else if (IsOneOf(name, {"weight", "value"})) {
      column = &columns.Weight;
    }
    if (column != nullptr && *column < 0) *column = static_cast<int>(k);
  }
  return columns.Source >= 0 && columns.Target >= 0;
}

Network ReadEdgeList(std::string_view text, TieRule& ties) {
  // The rows, with their line numbers; carriage returns before line ends are dropped.
  std::vector<std::pair<int, std::string_view>> lines;
  int line = 0;
  for (std::size_t k = 0; k <= text.size();) {
    std::size_t end = text.find('\n', k);
    if (end == std::string_view::npos) end = text.size();
    ++line;
    std::string_view row = text.substr(k, end - k);
    if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
    if (!Trim(row).empty()) lines.emplace_back(line, row);
    k = end + 1;
  }
  if (lines.empty()) throw InputError(0, "the file is empty");
  EdgeListColumns columns;
  if (!FindEdgeListColumns(lines[0].second, columns)) {
    throw InputError(lines[0].first,
                     "the header row names no source column (source, from, sender, ego) and target column "
                     "(target, to, receiver, alter), separated by commas");
  }

  std::vector<EdgeRow> rows;
  bool numbered = true;  // every actor field a whole number from 1 up
  for (std::size_t k = 1; k < lines.size(); ++k) {
    const auto& [at, row] = lines[k];
    const std::vector<std::string> fields = SplitCsvRow(row);
    if (fields.size() != columns.Count) {
      throw InputError(at, std::to_string(columns.Count) + " fields expected as in the header row, " +
                               std::to_string(fields.size()) + " found");
    }
    EdgeRow edge{at, fields[columns.Source], fields[columns.Target],
                 columns.Relation >= 0 ? fields[columns.Relation] : std::string(), true};
    if (edge.source.empty() || edge.target.empty()) throw InputError(at, "an actor field is empty");
    if (columns.Relation >= 0 && edge.relation.empty()) throw InputError(at, "the relation field is empty");
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
  if (rows.empty()) throw InputError(lines[0].first, "no rows follow the header row");

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
  const std::size_t cells = static_cast<std::size_t>(network.actor_count) * network.actor_count;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const auto relation = static_cast<std::size_t>(relations.Number(rows[k].relation));
    if (relation == network.relations.size()) {
      if (relation == 32767) throw InputError(rows[k].line, "more than 32767 relations");
      network.relations.emplace_back(cells, 0);
    }
    if (rows[k].tie) {
      network.relations[relation][static_cast<std::size_t>(actors[k].first) * network.actor_count + actors[k].second] = 1;
    }
  }
  if (columns.Relation >= 0) network.relation_names = std::move(relations.Names());
  return network;
}

}  // namespace quorel
