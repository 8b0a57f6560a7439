#pragma once

#include <optional>
#include <string>

namespace quorel {

// What the user says about reading a network from a layout other than a data file.
struct ReadSettings {
  std::optional<double> threshold;  // a valued cell is a tie above it (0 when not given)
  std::string relation_attribute;   // GraphML: the edge attribute naming the relation (empty: the usual names)
  std::string non_directional;      // relations to read as non-directional: names or 1-based numbers, comma-separated
};

}  // namespace quorel
