#pragma once

#include <cstdint>
#include <cstdio>

#include "core/element_relation.hpp"
#include "core/relation_matrix.hpp"

namespace quorel {

// Writes an N x N relation matrix: each row as "%2d" cells, at most 40 cells to a line.
void PrintRelationMatrix(std::FILE* out, const BitWord* matrix, const MatrixShape& shape);

// Column blocks of an element table with `columns` columns: [first, last) pairs. With
// generator columns the lead is 12 characters and the cells one wider; otherwise the lead
// is 9. The first block takes all columns when they fit on one line, half of them (rounded
// down) when they fit on two, else a full line; later blocks take a full line or the rest.
struct ElementTableLayout {
  int cell_width = 0;     // w
  int per_line = 0;       // p
  int column_count = 0;
  int FirstBlockEnd() const;
};
ElementTableLayout LayoutElementTable(int element_count, int columns, bool generator_columns);

// Writes an E x E table over the semigroup's elements: from `short_table` (stride E; a cell
// shows its index + 1, or '*' for -1) with `columns` columns when `generator_columns` is set
// (the edge table) and E columns otherwise (the multiplication table).
void PrintElementTable(std::FILE* out, int element_count, int columns, const std::int16_t* short_table,
                       bool generator_columns);

// Writes an element relation (0/1 cells) as an E x E table.
void PrintElementTable(std::FILE* out, const ElementRelation& relation);

}  // namespace quorel
