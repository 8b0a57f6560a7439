#include "views/statistic_printer.hpp"

#include <algorithm>
#include <cstddef>

namespace quorel {
namespace {

// Columns in a chunk of a wide table.
constexpr int kChunkColumns = 9;

// The end of the first column chunk: everything when it fits, two nearly equal halves up
// to twice the chunk width, full chunks beyond.
int FirstChunkEnd(int elements) {
  if (elements <= kChunkColumns) return elements;
  if (elements <= 2 * kChunkColumns) return (elements + 1) / 2;
  return kChunkColumns;
}

}  // namespace

void PrintStatisticMatrix(std::FILE* out, const std::vector<float>& matrix, int elementCount,
                          bool upper, bool fourDecimals) {
  const int e = elementCount;
  if (e > 0) {
    const std::size_t stride = static_cast<std::size_t>(e);
    int start = 0;
    int end = FirstChunkEnd(e);
    for (;;) {
      std::fprintf(out, "Element|");
      std::fprintf(out, fourDecimals ? "%5d" : "%7d", start + 1);
      for (int column = start + 2; column <= end; ++column) std::fprintf(out, "%8d", column);
      std::fprintf(out, "\n-------|------------------------\n");

      // Every row that has a cell in this chunk: rows above the chunk's first column show
      // all of its values, the others start right of the diagonal.
      for (int r = 0; r <= end - 2; ++r) {
        std::fprintf(out, "%4d%3c|", r + 1, ' ');
        if (r >= start) {
          for (int blank = start; blank <= r; ++blank) std::fprintf(out, "%8c", ' ');
        }
        for (int c = std::max(start, r + 1); c < end; ++c) {
          const float value = upper ? matrix[static_cast<std::size_t>(r) * stride + c]
                                    : matrix[static_cast<std::size_t>(c) * stride + r];
          std::fprintf(out, fourDecimals ? " %7.4f" : " %7.2f", static_cast<double>(value));
        }
        std::fprintf(out, "\n");
      }
      if (end >= e) break;
      std::fprintf(out, "\n");
      start = end;
      end = start + std::min(e - start, kChunkColumns);
    }
  }
  // The last element has no cells to its right: it appears only as this closing label.
  std::fprintf(out, "%4d%3c|\n", e, ' ');
}

}  // namespace quorel
