#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorel {

// What the user says about reading a network from a layout other than a data file.
struct ReadSettings {
  std::optional<double> threshold;  // a valued cell is a tie above it (0 when not given)
  std::string relation_attribute;   // GraphML: the edge attribute naming the relation (empty: the usual names)
  std::string non_directional;      // relations to read as non-directional: names or 1-based numbers, comma-separated
  std::vector<std::string> relation_names;  // names for every network's relations, in order (empty: as read)
  std::vector<std::string> actor_names;     // names for every network's actors, in order (empty: as read)
};

}  // namespace quorel
