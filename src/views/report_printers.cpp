#include "views/report_printers.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

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

// The text of every cell value a table can hold, formatted once ("%*d" or "%*c" after a
// blank) and copied into each line, so a large table costs one write per line rather than
// one formatted conversion per cell.
class CellTexts {
 public:
  // Room for the values -1 to `largest`.
  CellTexts(int width, int largest)
      : width_(width + 1), texts_(static_cast<std::size_t>(largest + 2) * width_ + 1) {}

  // Value v (-1 allowed) gets the text `format` makes of `argument` in `width` places.
  void Set(int v, const char* format, int width, int argument) {
    char text[48] = {};
    if (std::snprintf(text, sizeof text, format, width, argument) != width_) text[0] = '?';
    std::memcpy(&texts_[Slot(v)], text, width_);
  }
  const char* Text(int v) const { return &texts_[Slot(v)]; }
  int Width() const { return width_; }

 private:
  std::size_t Slot(int v) const { return static_cast<std::size_t>(v + 1) * width_; }

  int width_;
  std::vector<char> texts_;
};

// Writes the table block by block; `value(r, c)` gives a cell's value, whose text `texts`
// holds.
template <class CellValue>
void PrintBlocks(std::FILE* out, int element_count, const ElementTableLayout& layout, bool generator_columns,
                 const CellTexts& texts, CellValue&& value) {
  const int w = layout.cell_width;
  std::vector<char> line(static_cast<std::size_t>(32 + layout.per_line * texts.Width() + 16));
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
      char* p = line.data();
      if (!generator_columns) p += std::snprintf(p, 16, "%5d%3c|", r + 1, ' ');
      for (int c = start; c < end; ++c) {
        std::memcpy(p, texts.Text(value(r, c)), texts.Width());
        p += texts.Width();
      }
      if (generator_columns) p += std::snprintf(p, 16, "%8d", r + 1);
      *p++ = '\n';
      std::fwrite(line.data(), 1, static_cast<std::size_t>(p - line.data()), out);
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
  // A cell shows the element's number (index + 1), or an asterisk for no element.
  CellTexts texts(w, element_count - 1);
  texts.Set(-1, " %*c", w, '*');
  for (int v = 0; v < element_count; ++v) texts.Set(v, " %*d", w, v + 1);
  PrintBlocks(out, element_count, layout, generator_columns, texts, [&](int r, int c) {
    const std::int16_t entry = short_table[static_cast<std::size_t>(r) * element_count + c];
    return entry >= 0 && entry < element_count ? static_cast<int>(entry) : -1;
  });
}

void PrintElementTable(std::FILE* out, const ElementRelation& relation) {
  const int e = relation.Size();
  const ElementTableLayout layout = LayoutElementTable(e, e, false);
  const int w = layout.cell_width;
  CellTexts texts(w, 1);  // the values 0 and 1
  texts.Set(0, " %*d", w, 0);
  texts.Set(1, " %*d", w, 1);
  PrintBlocks(out, e, layout, false, texts, [&](int r, int c) { return relation.Get(r, c) ? 1 : 0; });
}

}  // namespace quorel
