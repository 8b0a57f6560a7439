#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/network.hpp"
#include "formats/input_error.hpp"
#include "formats/tie_rule.hpp"

namespace quorel {

// Where the columns of a CSV edge list stand (-1: absent).
struct EdgeListColumns {
  int Source = -1;
  int Target = -1;
  int Relation = -1;
  int Weight = -1;
  std::size_t Count = 0;  // fields of the header row
};

// The fields of one CSV row: separated by commas, blanks around a field dropped, a field in
// double quotes may hold commas and "" for a quote.
std::vector<std::string> SplitCsvRow(std::string_view row);

// Finds the columns by the names in the header row, in any case: source, from, sender, ego
// (or src); target, to, receiver, alter (or dst); relation, type, layer (or relationship,
// tie); weight (or value). False when the row has no comma or lacks a source or target.
bool FindEdgeListColumns(std::string_view header, EdgeListColumns& columns);

// Reads a CSV edge list: the header row, then one tie a row. A row with a weight of 0 makes
// no tie, but its actors and relation count. Actors are numbered in the order they first
// appear, unless every actor field is a whole number from 1 up, in which case the numbers
// are the actors (N the largest). Relations are numbered in the order they first appear;
// without a relation column there is one relation. Throws InputError.
Network ReadEdgeList(std::string_view text, TieRule& ties);

}  // namespace quorel
