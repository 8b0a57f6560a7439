#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/element_relation.hpp"

namespace quorel {

// The Hasse diagram of a preorder on the elements: elements included in each other form
// one class, and the classes are ordered as their members are; only covering pairs are
// kept (a class covers another when it lies above it with no class between them).
struct HasseDiagram {
  std::vector<std::vector<int>> Classes;   // element indices, ascending; classes ordered by their first element
  std::vector<std::pair<int, int>> Covers;  // (lower class, upper class), ordered by upper then lower
};

// `relation` has the partial order's orientation (cell (r, c) = 1: element c is included
// in element r) and is taken reflexive and transitive (its transitive closure is used).
// Cost: O(C^3 / 64) for C classes.
HasseDiagram BuildHasseDiagram(const ElementRelation& relation);

// The diagram as a Graphviz digraph named `name`, drawn bottom to top: an edge runs from
// a class to a class covering it. A node's label lists its elements, one per line, as
// "number: word" with `element_words[k]` the word of element k.
std::string HasseDot(const HasseDiagram& diagram, const std::string& name,
                     const std::vector<std::string>& element_words);

}  // namespace quorel
