#include "engine/report_printers.hpp"

#include <algorithm>

namespace quorel {

void PrintRelationMatrix(std::FILE* out, const BitWord* matrix, const MatrixShape& shape) {
  for (int r = 0; r < shape.n; ++r) {
    for (int c = 0; c < shape.n; ++c) {
      std::fprintf(out, "%2d", GetCell(matrix, shape, r, c) ? 1 : 0);
      if ((c + 1) % 40 == 0 || c + 1 == shape.n) std::fputc('\n', out);
    }
  }
}

ElementTableLayout LayoutElementTable(int element_count, int columns, bool generator_columns) {
  ElementTableLayout layout;
  int digits = 1;
  for (int e = element_count; e >= 10; e /= 10) ++digits;
  layout.cell_width = std::max(digits, 2);
  int lead = 9;
  layout.column_count = element_count;
  if (generator_columns) {
    layout.column_count = columns;
    lead = 12;
    layout.cell_width += 1;
  }
  layout.per_line = (80 - lead) / (layout.cell_width + 1);
  return layout;
}

int ElementTableLayout::FirstBlockEnd() const {
  if (column_count <= per_line) return column_count;
  if (column_count <= 2 * per_line) return (column_count + 1) / 2;
  return per_line;
}

namespace {

// Writes the table block by block; `cell(r, c)` writes one cell.
template <class CellWriter>
void PrintBlocks(std::FILE* out, int element_count, const ElementTableLayout& layout, bool generator_columns,
                 CellWriter&& cell) {
  const int w = layout.cell_width;
  int start = 0;
  int end = layout.FirstBlockEnd();
  while (start < layout.column_count) {
    if (!generator_columns) std::fputs("Element |", out);
    for (int c = start; c < end; ++c) std::fprintf(out, " %*d", w, c + 1);
    if (generator_columns) {
      std::fputs("    Matrix #\n", out);
      const int dashes = 12 + (end - start) * (w + 1);
      for (int i = 0; i < dashes; ++i) std::fputc('-', out);
      std::fputc('\n', out);
    } else {
      std::fputs("\n--------|---------\n", out);
    }
    for (int r = 0; r < element_count; ++r) {
      if (!generator_columns) std::fprintf(out, "%5d%3c|", r + 1, ' ');
      for (int c = start; c < end; ++c) cell(r, c);
      if (generator_columns) std::fprintf(out, "%8d", r + 1);
      std::fputc('\n', out);
    }
    std::fputc('\n', out);
    start = end;
    end = start + std::min(layout.per_line, layout.column_count - start);
  }
}

}  // namespace

void PrintElementTable(std::FILE* out, int element_count, int columns, const std::int16_t* short_table,
                       bool generator_columns) {
  const ElementTableLayout layout = LayoutElementTable(element_count, columns, generator_columns);
  const int w = layout.cell_width;
  PrintBlocks(out, element_count, layout, generator_columns, [&](int r, int c) {
    const std::int16_t entry = short_table[static_cast<std::size_t>(r) * element_count + c];
    if (entry == -1) {
      std::fprintf(out, " %*c", w, '*');
    } else {
      std::fprintf(out, " %*d", w, entry + 1);
    }
  });
}

void PrintElementTable(std::FILE* out, const ElementRelation& relation) {
  const int e = relation.Size();
  const ElementTableLayout layout = LayoutElementTable(e, e, false);
  const int w = layout.cell_width;
  PrintBlocks(out, e, layout, false,
              [&](int r, int c) { std::fprintf(out, " %*d", w, relation.Get(r, c) ? 1 : 0); });
}

}  // namespace quorel
