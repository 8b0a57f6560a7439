#include "views/report_printers.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace quorel {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// Runs a printer into a memory file and returns the text.
template <class Print>
std::string Printed(Print&& print) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  print(out);
  std::fclose(out);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t k; (k = text.find('\n', start)) != std::string::npos; start = k + 1) {
    lines.push_back(text.substr(start, k - start));
  }
  return lines;
}

struct LayoutCase {
  int elements;
  int columns;
  bool generator_columns;
  int cell_width;
  int per_line;
  int first_block;
};

TEST(ElementTableLayout, CellWidthLinesAndFirstBlock) {
  for (const LayoutCase& c : {LayoutCase{9, 9, false, 2, 23, 9}, LayoutCase{30, 30, false, 2, 23, 15},
                              LayoutCase{46, 46, false, 2, 23, 23}, LayoutCase{47, 47, false, 2, 23, 23},
                              LayoutCase{100, 100, false, 3, 17, 17}, LayoutCase{12, 3, true, 3, 17, 3},
                              LayoutCase{12, 20, true, 3, 17, 10}, LayoutCase{1000, 1000, false, 4, 14, 14}}) {
    const ElementTableLayout layout = LayoutElementTable(c.elements, c.columns, c.generator_columns);
    EXPECT_EQ(layout.cell_width, c.cell_width) << c.elements;
    EXPECT_EQ(layout.per_line, c.per_line) << c.elements;
    EXPECT_EQ(layout.FirstBlockEnd(), c.first_block) << c.elements;
  }
}

TEST(ElementTable, ThirtyColumnsComeInTwoBlocksOfFifteen) {
  ElementRelation relation(30);
  for (int k = 0; k < 30; ++k) relation.Set(k, k);
  const std::vector<std::string> lines = Lines(Printed([&](std::FILE* out) { PrintElementTable(out, relation); }));
  ASSERT_EQ(lines.size(), 2u * (2 + 30 + 1));
  EXPECT_EQ(lines[0], "Element |  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15");
  EXPECT_EQ(lines[1], "--------|---------");
  EXPECT_EQ(lines[2], "    1   |  1  0  0  0  0  0  0  0  0  0  0  0  0  0  0");
  EXPECT_EQ(lines[32], "");
  EXPECT_EQ(lines[33], "Element | 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30");
  EXPECT_EQ(lines[35 + 15], "   16   |  1  0  0  0  0  0  0  0  0  0  0  0  0  0  0");
}

TEST(ElementTable, EdgeTableWithTwentyGeneratorsHasTwoBlocksOfTen) {
  const int e = 24;
  std::vector<std::int16_t> table(e * e, -1);
  table[0] = 4;  // element 1 times generator 1 is element 5
  const std::vector<std::string> lines =
      Lines(Printed([&](std::FILE* out) { PrintElementTable(out, e, 20, table.data(), true); }));
  ASSERT_EQ(lines.size(), 2u * (2 + 24 + 1));
  EXPECT_EQ(lines[0], "   1   2   3   4   5   6   7   8   9  10    Matrix #");
  EXPECT_EQ(lines[1], std::string(52, '-'));
  EXPECT_EQ(lines[2], "   5   *   *   *   *   *   *   *   *   *       1");
  EXPECT_EQ(lines[13], "   *   *   *   *   *   *   *   *   *   *      12");
  EXPECT_EQ(lines[27], "  11  12  13  14  15  16  17  18  19  20    Matrix #");
}

TEST(ElementTable, EdgeTableWithThreeGenerators) {
  const int e = 12;
  std::vector<std::int16_t> table(e * e, 0);
  const std::vector<std::string> lines =
      Lines(Printed([&](std::FILE* out) { PrintElementTable(out, e, 3, table.data(), true); }));
  EXPECT_EQ(lines[0], "   1   2   3    Matrix #");
  EXPECT_EQ(lines[1], std::string(24, '-'));
  EXPECT_EQ(lines[2], "   1   1   1       1");
}

TEST(RelationMatrix, RowsOfFortyOneCellsTakeTwoLines) {
  const MatrixShape shape = MatrixShape::ForActors(41);
  std::vector<BitWord> m(shape.words, 0);
  SetCell(m.data(), shape, 0, 40, true);
  const std::vector<std::string> lines =
      Lines(Printed([&](std::FILE* out) { PrintRelationMatrix(out, m.data(), shape); }));
  ASSERT_EQ(lines.size(), 82u);
  EXPECT_EQ(lines[0].size(), 80u);
  EXPECT_EQ(lines[1], " 1");
  EXPECT_EQ(lines[3], " 0");
}

}  // namespace
}  // namespace quorel
