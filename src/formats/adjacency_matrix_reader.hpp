#pragma once

#include <string_view>
#include <vector>

#include "core/network.hpp"
#include "formats/csv_dialect.hpp"
#include "formats/input_error.hpp"
#include "formats/tie_rule.hpp"

namespace quorel {

// The two ways a CSV adjacency matrix is written.
enum class AdjacencyShape {
  kNone,     // neither
  kNamed,    // a header row of N actor names after a corner cell, then N rows: name, N values
  kNumbers,  // N rows of N numbers, no names
};

// The shape of the table `rows`: kNamed when the first row has N + 1 fields, N rows follow
// and every row has N + 1 fields (and, with `match_names`, starts with the header's name
// in the same place); kNumbers when there are N rows of N numbers; N at least 1 and the
// first row at least 2 fields either way. Cells are not otherwise looked at.
AdjacencyShape AdjacencyShapeOf(const std::vector<CsvRow>& rows, bool match_names);

// Reads an adjacency matrix: one relation, row r column c the tie from actor r to actor c,
// each cell through TieRule. With names the actors are named after the header row; the
// corner cell may hold anything. The relation is left unnamed: one file holds one
// relation, and a network of several relations is read from several files. Throws
// InputError for a table that is not square, a field count that differs from the header
// row's, an empty or repeated actor name, a row name that is not its column's, or a value
// that is not a number.
Network ReadAdjacencyMatrix(std::string_view text, TieRule& ties);

}  // namespace quorel
