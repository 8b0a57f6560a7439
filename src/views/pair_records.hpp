#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/element_relation.hpp"
#include "core/matrix_list.hpp"
#include "omega/omega_level.hpp"

namespace quorel {

// What the views that give every pair i < j a record of its own (the JSON document's pair
// records, the pairs table) take from the results, pairs in the report's order: (1, 2),
// (1, 3), ..., (2, 3), ...

// The 2 x 2 counts of every pair, n11, n10, n01, n00, over the cells the measures count for
// it (the diagonal rule decides whether its diagonal cells count). Taken while the elements'
// matrices exist; they are released before the statistics arrive. Throws std::bad_alloc.
std::vector<std::array<std::int32_t, 4>> CountPairTables(const MatrixList& elements, int element_count,
                                                         int generator_count, int diagonal);

// Which of a pair's inclusions a relation holds (cell (r, c): c included in r).
inline constexpr std::uint8_t kIInJ = 1;
inline constexpr std::uint8_t kJInI = 2;
std::vector<std::uint8_t> PairInclusions(const ElementRelation& relation);

// "i<j", "j<i", "equivalent", or empty for neither.
const char* InclusionText(std::uint8_t inclusions);

// One cutoff level's Omega between the two elements of every pair, under its column name:
// "omega_<alpha>" with alpha in shortest form, a cutoff listed again told apart by
// "_<level>".
struct OmegaColumn {
  std::string name;
  std::vector<std::uint8_t> inclusions;
};
void AddOmegaColumn(std::vector<OmegaColumn>& columns, const OmegaLevel& level);

}  // namespace quorel
