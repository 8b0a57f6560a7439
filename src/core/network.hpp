#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorel {

// One multiplex network as an input file gives it: N actors and NR binary relations on
// them, each an N x N 0/1 matrix. A plain value: the readers produce it, the analysis and
// the data-file writer take it.
struct Network {
  std::string Label;                                       // the problem's label line
  int N = 0;                                               // actors
  std::vector<std::vector<std::uint8_t>> Relations;        // per relation, N x N cells row-major, each 0 or 1
  std::vector<std::string> ActorNames;                     // per actor; empty when the input names none
  std::vector<std::string> RelationNames;                  // per relation; empty when the input names none
  std::optional<std::vector<std::uint8_t>> NonDirectional;  // per relation 1 = non-directional; absent: no vector given

  // NR, the number of relations.
  int RelationCount() const { return static_cast<int>(Relations.size()); }

  // True when actor r is tied to actor c in relation k.
  bool Tie(int k, int r, int c) const { return Relations[k][static_cast<std::size_t>(r) * N + c] != 0; }

  bool operator==(const Network&) const = default;
};

}  // namespace quorel
