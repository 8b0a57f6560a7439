#include "formats/adjacency_matrix_reader.hpp"

#include <algorithm>
#include <set>
#include <string>

#include "formats/data_reader.hpp"

namespace quorel {

namespace {

bool AllNumbers(const std::vector<std::string>& fields) { return std::all_of(fields.begin(), fields.end(), IsCsvNumber); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

AdjacencyShape AdjacencyShapeOf(const std::vector<CsvRow>& rows, bool match_names) {
  if (rows.empty() || rows[0].fields.size() < 2) return AdjacencyShape::kNone;
  const std::vector<std::string>& header = rows[0].fields;
  const auto same_count = [&](const CsvRow& row) { return row.fields.size() == header.size(); };
  if (!std::all_of(rows.begin(), rows.end(), same_count)) return AdjacencyShape::kNone;
  if (AllNumbers(header)) return rows.size() == header.size() ? AdjacencyShape::kNumbers : AdjacencyShape::kNone;
  if (rows.size() != header.size()) return AdjacencyShape::kNone;
  for (std::size_t r = 1; match_names && r < rows.size(); ++r) {
    if (rows[r].fields[0] != header[r]) return AdjacencyShape::kNone;
  }
  return AdjacencyShape::kNamed;
}

Network ReadAdjacencyMatrix(std::string_view text, TieRule& ties) {
  const char separator = DetectCsvSeparator(FirstCsvLine(text));
  const std::vector<CsvRow> rows = SplitCsvRows(text, separator);
  if (rows.empty()) throw InputError(0, "the file is empty");
  const CsvRow& first = rows[0];
  if (first.fields.size() < 2) {
    throw InputError(first.line, "the first row holds one field: an adjacency matrix has its cells separated by "
                                 "commas, semicolons or tabs");
  }
  // A first row of numbers is the matrix's first row; anything else names the actors.
  const bool named = !AllNumbers(first.fields);
  const std::size_t n = named ? first.fields.size() - 1 : first.fields.size();
  const std::size_t width = first.fields.size();
  if (n > static_cast<std::size_t>(kMaxActors)) {
    throw InputError(first.line, std::to_string(n) + " actors are more than the most actors, " +
                                     std::to_string(kMaxActors) + " (N x N may not exceed 32767)");
  }

  Network network;
  network.actor_count = static_cast<int>(n);
  if (named) {
    std::set<std::string> seen;
    for (std::size_t c = 1; c < width; ++c) {
      const std::string& name = first.fields[c];
      if (name.empty()) throw InputError(first.line, "the name of actor " + std::to_string(c) + " is empty");
      if (!seen.insert(name).second) throw InputError(first.line, "the actor name " + Quoted(name) + " appears twice");
      network.actor_names.push_back(name);
    }
  }

  const std::size_t body = named ? 1 : 0;  // the first row of values
  const std::size_t given = rows.size() - body;
  std::vector<std::uint8_t> cells(n * n, 0);
  for (std::size_t r = 0; r < std::min(given, n); ++r) {
    const CsvRow& row = rows[body + r];
    if (row.fields.size() != width) {
      throw InputError(row.line, std::to_string(width) + " fields expected as in the " +
                                     (named ? "header row, " : "first row, ") + std::to_string(row.fields.size()) +
                                     " found");
    }
    if (named && row.fields[0] != first.fields[r + 1]) {
      throw InputError(row.line, "row " + std::to_string(r + 1) + " is named " + Quoted(row.fields[0]) +
                                     ", its column " + Quoted(first.fields[r + 1]));
    }
    for (std::size_t c = 0; c < n; ++c) cells[r * n + c] = ties.IsTie(row.fields[c + body], row.line) ? 1 : 0;
  }
  if (given != n) {
    const int line = given > n ? rows[body + n].line : rows.back().line;
    throw InputError(line, "the matrix is not square: " + std::to_string(n) + " columns and " + std::to_string(given) +
                               " rows");
  }
  network.relations.push_back(std::move(cells));
  return network;
}

}  // namespace quorel
