#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quorel::testing {

// Reads tables back out of a report's text, as a reader of the report would: every cell
// as the text it shows. Tables are found by their heading line; `from` is a position in
// the report, and each reader returns the position after what it read.
class ReportTables {
 public:
  explicit ReportTables(std::string report) : text_(std::move(report)) {}

  // The position of the start of the line after the n-th (from 0) line at or after
  // `from` that begins with `heading`; npos when there is none.
  std::size_t After(const std::string& heading, std::size_t from = 0, int n = 0) const;

  // An element table (multiplication, partial order, Omega...) of `e` x `e` cells, its
  // column blocks joined: each cell's text ("*", "0", "12"...).
  std::vector<std::vector<std::string>> ElementTable(std::size_t at, int e) const;

  // A statistic triangle of `e` elements, its column chunks joined: cell [r][c] (r < c)
  // is the text shown for row r + 1, column c + 1; other cells are empty.
  std::vector<std::vector<std::string>> StatisticTable(std::size_t at, int e) const;

  // The word table's rows: per element {node, generator} from 1, {0, 0} for a generator.
  std::vector<std::pair<int, int>> WordTable(std::size_t at, int e) const;

  const std::string& Text() const { return text_; }

 private:
  std::string Line(std::size_t& at) const;  // the line at `at`, advancing past it

  std::string text_;
};

}  // namespace quorel::testing
