#pragma once

#include <string_view>

#include "core/network.hpp"
#include "formats/input_error.hpp"
#include "formats/tie_rule.hpp"

namespace quorel {

// Where the columns of an edge list stand (-1: absent), and what separates them.
struct EdgeListColumns {
  int Source = -1;
  int Target = -1;
  int Relation = -1;  // relation, relationship, tie or layer
  int Type = -1;      // type: the directionality of each row, or else the relation
  int Weight = -1;
  std::size_t Count = 0;  // fields of the header row
  char Separator = 0;     // ',', ';' or '\t'
};

// Finds the columns by the names in the header row, in any case: source, from, sender, ego
// (or src); target, to, receiver, alter (or dst); relation, layer (or relationship, tie);
// type; weight (or value). The separator is the header's (DetectCsvSeparator). False when
// the row has no separator or lacks a source or target column; `columns` then still tells
// what was found.
bool FindEdgeListColumns(std::string_view header, EdgeListColumns& columns);

// Reads an edge list: the header row, then one tie a row. A row with a weight that is no
// tie (TieRule) makes no tie, but its actors and relation count: that is how isolates are
// written. Actors are numbered in the order they first appear, unless every actor field is
// a whole number from 1 up, in which case the numbers are the actors (N the largest).
// Relations are numbered in the order they first appear; without a relation column there
// is one relation.
//
// A type column that holds only "directed" and "undirected" (in any case), as graph tools
// write their edge tables, gives each row's directionality instead of a relation: an
// undirected row is a tie both ways, a relation is non-directional when all its rows are
// undirected, and the network says so for every relation. A type column that holds
// anything else is the relation, unless another column is. Throws InputError.
Network ReadEdgeList(std::string_view text, TieRule& ties);

}  // namespace quorel
