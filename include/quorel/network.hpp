#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorel {

// One multiplex network: N actors and NR binary relations on them, each an N x N 0/1
// matrix. A plain value: the readers produce it; it can as well be built from matrices.
struct Network {
  std::string label;                                     // the problem's label line
  int actor_count = 0;                                   // N
  std::vector<std::vector<std::uint8_t>> relations;      // per relation, N x N cells row-major, each 0 or 1
  std::vector<std::string> actor_names;                  // per actor; empty when the input names none
  std::vector<std::string> relation_names;               // per relation; empty when the input names none
  std::optional<std::vector<std::uint8_t>> non_directional;  // per relation 1 = non-directional; absent: not given
  std::optional<std::vector<float>> fixed_matrix;        // N x N values row-major, for measure controls MF and MG

  // NR, the number of relations.
  int relation_count() const { return static_cast<int>(relations.size()); }

  // True when actor r is tied to actor c in relation k.
  bool tie(int k, int r, int c) const { return relations[k][static_cast<std::size_t>(r) * actor_count + c] != 0; }

  bool operator==(const Network&) const = default;
};

}  // namespace quorel
