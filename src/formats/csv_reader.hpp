#pragma once

#include <string_view>

#include "core/network.hpp"
#include "formats/input_error.hpp"
#include "formats/tie_rule.hpp"

namespace quorel {

// Reads a CSV or TSV table (commas, semicolons or tabs): an edge list when its header row
// names a source and a target column (ReadEdgeList), else an adjacency matrix
// (ReadAdjacencyMatrix). A header that names a source or a target column is an edge list
// (missing the other, when it does), unless the table is a square one whose row names
// repeat the header's: then those are actors' names. Throws InputError.
Network ReadCsv(std::string_view text, TieRule& ties);

// True when `text` reads as a CSV or TSV table: its first non-blank line names a source and
// a target column, separated by commas, semicolons or tabs; or it is square, its first row
// holding at least two fields (a header of N names after a corner cell, then N rows of
// N + 1 fields; or N rows of N numbers). A data file is none of these: its second line
// "N NR" has no separator, so its rows never keep the first line's field count.
bool LooksLikeCsv(std::string_view text);

}  // namespace quorel
