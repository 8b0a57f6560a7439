#pragma once

#include <string>
#include <vector>

#include "views/hasse_diagram.hpp"

class QGraphicsScene;

namespace quorel {

// Draws a Hasse diagram into `scene` without Graphviz: each class a box listing its
// elements ("number: word"), on the level LayOutHasse gives it (the bottom level lowest),
// a line from each class to each class covering it. Generator classes are shaded, the
// identity's box has round corners and the empty relation's a dashed outline, as in the
// Graphviz pictures.
void DrawHasse(QGraphicsScene& scene, const HasseDiagram& diagram, const std::vector<std::string>& element_words,
               const std::vector<std::uint8_t>& marks);

// The label of a class: its elements, one "number: word" a line.
std::string ClassLabel(const std::vector<int>& members, const std::vector<std::string>& element_words);

}  // namespace quorel
