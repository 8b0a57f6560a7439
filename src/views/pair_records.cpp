#include "views/pair_records.hpp"

#include "measures/diagonal_rule.hpp"
#include "measures/fourfold_table.hpp"
#include "views/csv_writer.hpp"

namespace quorel {

std::vector<std::array<std::int32_t, 4>> CountPairTables(const MatrixList& elements, int element_count,
                                                         int generator_count, int diagonal) {
  const int e = element_count;
  std::vector<std::array<std::int32_t, 4>> counts;
  counts.reserve(static_cast<std::size_t>(e) * (e > 0 ? e - 1 : 0) / 2);
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j) {
      FourfoldTable table;
      CountFourfold(table, elements.Matrix(i), elements.Matrix(j), elements.Shape(),
                    PairIncludesDiagonal(diagonal, i, j, generator_count));
      counts.push_back({static_cast<std::int32_t>(table[3]), static_cast<std::int32_t>(table[2]),
                        static_cast<std::int32_t>(table[1]), static_cast<std::int32_t>(table[0])});
    }
  }
  return counts;
}

std::vector<std::uint8_t> PairInclusions(const ElementRelation& relation) {
  const int e = relation.Size();
  std::vector<std::uint8_t> inclusions;
  inclusions.reserve(static_cast<std::size_t>(e) * (e > 0 ? e - 1 : 0) / 2);
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j) {
      inclusions.push_back(static_cast<std::uint8_t>((relation.Get(j, i) ? kIInJ : 0) | (relation.Get(i, j) ? kJInI : 0)));
    }
  }
  return inclusions;
}

const char* InclusionText(std::uint8_t inclusions) {
  switch (inclusions) {
    case kIInJ: return "i<j";
    case kJInI: return "j<i";
    case kIInJ | kJInI: return "equivalent";
    default: return "";
  }
}

void AddOmegaColumn(std::vector<OmegaColumn>& columns, const OmegaLevel& level) {
  std::string name = "omega_" + ShortestDecimal(level.Alpha);
  for (const OmegaColumn& column : columns) {
    if (column.name == name) name.append(1, '_').append(std::to_string(level.Index + 1));
  }
  columns.push_back(OmegaColumn{std::move(name), PairInclusions(level.Omega)});
}

}  // namespace quorel
