#pragma once

#include <cstdint>
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

// Where the classes of a diagram go: a level per class (0 at the bottom) such that every
// covering pair climbs at least one level. The connected parts (classes joined by covers)
// keep their own levels, a part's level too wide for the picture continuing on the levels
// above; classes comparable to no other class are set out as a grid of `GridColumns`
// columns; and parts too wide for one row are stacked above each other, so that the
// picture is neither a long strip nor a tall one.
struct HasseLayout {
  std::vector<int> Level;     // per class
  std::vector<int> Isolated;  // the classes comparable to no other, row by row from the bottom
  int GridColumns = 0;
};

// `width` and `height` are each class's drawn size in inches (estimates will do).
HasseLayout LayOutHasse(const HasseDiagram& diagram, const std::vector<double>& width,
                        const std::vector<double>& height);

// What an element is, as a diagram shows it: bits to be or-ed.
enum ElementMark : std::uint8_t { kGeneratorMark = 1, kIdentityMark = 2, kEmptyMark = 4 };

// What a diagram marks and names beyond the words: per element its marks, and per
// generator the name of its relation (empty names, or none, when the relations are not
// named).
struct DiagramKey {
  std::vector<std::uint8_t> Marks;
  std::vector<std::string> GeneratorNames;
};

// The diagram as a Graphviz digraph named `name`, drawn bottom to top as `LayOutHasse` sets
// it out: an edge runs from a class to a class covering it. A node's label lists its
// elements, one per line, as "number: word" with `element_words[k]` the word of element k.
// A class holding a generator is shaded, one holding the identity relation is an ellipse,
// one holding the empty relation has a dashed outline; the graph's label says so, and
// which relation each letter stands for when the relations are named.
std::string HasseDot(const HasseDiagram& diagram, const std::string& name,
                     const std::vector<std::string>& element_words, const DiagramKey& key = {});

}  // namespace quorel
