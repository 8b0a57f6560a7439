#include "formats/csv_reader.hpp"

#include "formats/adjacency_matrix_reader.hpp"
#include "formats/csv_dialect.hpp"
#include "formats/edge_list_reader.hpp"

namespace quorel {

Network ReadCsv(std::string_view text, TieRule& ties) {
  EdgeListColumns columns;
  FindEdgeListColumns(FirstCsvLine(text), columns);
  if (columns.Separator == 0) return ReadEdgeList(text, ties);  // it says which header it wants
  if (columns.Source < 0 && columns.Target < 0) return ReadAdjacencyMatrix(text, ties);
  // Actors may be called "ego" or "to" as well: a square table whose rows repeat the
  // header's names in order is a matrix, whatever the names.
  if (AdjacencyShapeOf(SplitCsvRows(text, columns.Separator), true) == AdjacencyShape::kNamed) {
    return ReadAdjacencyMatrix(text, ties);
  }
  return ReadEdgeList(text, ties);
}

bool LooksLikeCsv(std::string_view text) {
  EdgeListColumns columns;
  if (FindEdgeListColumns(FirstCsvLine(text), columns)) return true;
  if (columns.Separator == 0) return false;
  try {
    return AdjacencyShapeOf(SplitCsvRows(text, columns.Separator), false) != AdjacencyShape::kNone;
  } catch (const InputError&) {
    return false;  // a quote left open: not a table
  }
}

}  // namespace quorel
