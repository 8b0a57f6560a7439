#include "views/statistic_printer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace quorel {
namespace {

std::string Printed(const std::vector<float>& matrix, int elements, bool upper, bool fourDecimals) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  PrintStatisticMatrix(out, matrix, elements, upper, fourDecimals);
  std::fclose(out);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

// Three elements with upper cells (1,2) = 0.12, (1,3) = 0.34, (2,3) = 0.56 and, in the
// lower triangle, the proportions 0.5, 0.25, 1 of the same pairs.
const std::vector<float> kThree = {0.0f,  0.12f, 0.34f,  //
                                   0.5f,  0.0f,  0.56f,  //
                                   0.25f, 1.0f,  0.0f};

TEST(PrintStatisticMatrix, UpperTriangleTwoDecimals) {
  EXPECT_EQ(Printed(kThree, 3, true, false),
            "Element|      1       2       3\n"
            "-------|------------------------\n"
            "   1   |            0.12    0.34\n"
            "   2   |                    0.56\n"
            "   3   |\n");
}

TEST(PrintStatisticMatrix, LowerTriangleShownTransposedWithFourDecimals) {
  // The header numbers end three characters left of the values' right edge.
  EXPECT_EQ(Printed(kThree, 3, false, true),
            "Element|    1       2       3\n"
            "-------|------------------------\n"
            "   1   |          0.5000  0.2500\n"
            "   2   |                  1.0000\n"
            "   3   |\n");
}

TEST(PrintStatisticMatrix, SingleElementHasNoRows) {
  EXPECT_EQ(Printed({0.0f}, 1, true, false),
            "Element|      1\n-------|------------------------\n   1   |\n");
  EXPECT_EQ(Printed({0.0f}, 1, false, true),
            "Element|    1\n-------|------------------------\n   1   |\n");
}

TEST(PrintStatisticMatrix, NoElementsPrintsOnlyTheClosingLine) {
  EXPECT_EQ(Printed({}, 0, true, true), "   0   |\n");
}

TEST(PrintStatisticMatrix, NotANumberPrintsAsTheLibraryFormatsIt) {
  // A proportion over zero samples is 0/0.
  std::vector<float> m = {0.0f, 0.0f, std::nanf(""), 0.0f};
  char expected[32];
  std::snprintf(expected, sizeof expected, " %7.4f", std::nan(""));
  EXPECT_NE(Printed(m, 2, false, true).find(std::string("   1   |        ") + expected + "\n"),
            std::string::npos);
}

// One column chunk of a printout as read back: its column numbers and, per row, the row
// number, the count of blank cells and the values.
struct Chunk {
  std::vector<int> columns;
  struct Row {
    int label;
    int blanks;
    std::vector<double> values;
  };
  std::vector<Row> rows;
};

std::vector<Chunk> ReadChunks(const std::string& text, int* closingLabel) {
  std::vector<Chunk> chunks;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (line.rfind("Element|", 0) == 0) {
      chunks.emplace_back();
      std::istringstream numbers(line.substr(8));
      for (int c; numbers >> c;) chunks.back().columns.push_back(c);
      std::getline(in, line);  // separator
      continue;
    }
    const int label = std::stoi(line.substr(0, 4));
    const std::string cells = line.substr(8);
    if (cells.empty() && in.peek() == EOF) {
      *closingLabel = label;
      continue;
    }
    Chunk::Row row{label, 0, {}};
    for (std::size_t at = 0; at + 8 <= cells.size(); at += 8) {
      const std::string cell = cells.substr(at, 8);
      if (cell == "        ") {
        ++row.blanks;
      } else {
        row.values.push_back(std::stod(cell));
      }
    }
    chunks.back().rows.push_back(row);
  }
  return chunks;
}

struct ChunkCase {
  int elements;
  std::vector<std::pair<int, int>> chunks;  // first and last column number
};

class StatisticMatrixChunks : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(StatisticMatrixChunks, EveryCellAppearsOnceInItsChunk) {
  const int e = GetParam().elements;
  // Cell (r, c) holds r + c / 100 (1-based), so each printed value names its cell.
  std::vector<float> m(static_cast<std::size_t>(e) * e, -1.0f);
  for (int r = 0; r < e; ++r)
    for (int c = r + 1; c < e; ++c) m[r * e + c] = (r + 1) + (c + 1) / 100.0f;

  int closing = -1;
  const std::vector<Chunk> chunks = ReadChunks(Printed(m, e, true, false), &closing);
  EXPECT_EQ(closing, e);
  ASSERT_EQ(chunks.size(), GetParam().chunks.size());
  for (std::size_t k = 0; k < chunks.size(); ++k) {
    const auto [first, last] = GetParam().chunks[k];
    const Chunk& chunk = chunks[k];
    ASSERT_EQ(chunk.columns.front(), first);
    ASSERT_EQ(chunk.columns.back(), last);
    ASSERT_EQ(static_cast<int>(chunk.columns.size()), last - first + 1);
    // Rows 1 .. last - 1; a row below the chunk's first column starts with blanks up to
    // and including its diagonal.
    ASSERT_EQ(static_cast<int>(chunk.rows.size()), last - 1);
    for (const Chunk::Row& row : chunk.rows) {
      const int r = row.label;
      EXPECT_EQ(row.blanks, r >= first ? r - first + 1 : 0) << "row " << r;
      const int firstValueColumn = std::max(first, r + 1);
      ASSERT_EQ(static_cast<int>(row.values.size()), last - firstValueColumn + 1) << "row " << r;
      for (int c = firstValueColumn; c <= last; ++c) {
        EXPECT_NEAR(row.values[c - firstValueColumn], r + c / 100.0, 1e-9) << r << "," << c;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Widths, StatisticMatrixChunks,
    ::testing::Values(ChunkCase{2, {{1, 2}}}, ChunkCase{9, {{1, 9}}},
                      ChunkCase{10, {{1, 5}, {6, 10}}}, ChunkCase{11, {{1, 6}, {7, 11}}},
                      ChunkCase{18, {{1, 9}, {10, 18}}},
                      ChunkCase{19, {{1, 9}, {10, 18}, {19, 19}}},
                      ChunkCase{27, {{1, 9}, {10, 18}, {19, 27}}},
                      ChunkCase{28, {{1, 9}, {10, 18}, {19, 27}, {28, 28}}}));

TEST(PrintStatisticMatrix, ChunksAreSeparatedByOneEmptyLine) {
  std::vector<float> m(100, 0.0f);
  const std::string text = Printed(m, 10, true, false);
  EXPECT_NE(text.find("   4   |                                    0.00\n\nElement|      6"),
            std::string::npos)
      << text;
}

}  // namespace
}  // namespace quorel
