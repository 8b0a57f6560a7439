#include "support/report_tables.hpp"

#include <sstream>

namespace quorel::testing {

std::string ReportTables::Line(std::size_t& at) const {
  if (at >= text_.size()) return {};
  std::size_t end = text_.find('\n', at);
  if (end == std::string::npos) end = text_.size();
  std::string line = text_.substr(at, end - at);
  at = end + 1;
  return line;
}

std::size_t ReportTables::After(const std::string& heading, std::size_t from, int n) const {
  std::size_t at = from;
  while (at < text_.size()) {
    const std::string line = Line(at);
    if (line.rfind(heading, 0) == 0 && n-- == 0) return at;
  }
  return std::string::npos;
}

std::vector<std::vector<std::string>> ReportTables::ElementTable(std::size_t at, int e) const {
  std::vector<std::vector<std::string>> cells(e, std::vector<std::string>(e));
  // Blocks: "Element |  c1  c2 ...", a rule, one row per element "  r   |  v  v ...", an
  // empty line.
  for (;;) {
    std::size_t peek = at;
    const std::string header = Line(peek);
    if (header.rfind("Element |", 0) != 0) break;
    std::istringstream columns(header.substr(9));
    std::vector<int> numbers;
    for (int c; columns >> c;) numbers.push_back(c);
    Line(peek);  // the rule
    for (int r = 0; r < e; ++r) {
      const std::string row = Line(peek);
      std::istringstream values(row.substr(row.find('|') + 1));
      for (const int c : numbers) values >> cells[r][c - 1];
    }
    Line(peek);  // the empty line after the block
    at = peek;
  }
  return cells;
}

std::vector<std::vector<std::string>> ReportTables::StatisticTable(std::size_t at, int e) const {
  std::vector<std::vector<std::string>> cells(e, std::vector<std::string>(e));
  for (;;) {
    std::string header = Line(at);
    if (header.empty()) header = Line(at);  // the empty line between chunks
    if (header.rfind("Element|", 0) != 0) break;
    std::istringstream columns(header.substr(8));
    int first = 0;
    columns >> first;
    const int start = first - 1;
    Line(at);  // the rule
    for (;;) {
      const std::size_t keep = at;
      const std::string row = Line(at);
      const std::size_t bar = row.find('|');
      if (row.empty() || bar != 7) {
        at = keep;
        break;
      }
      const int r = std::stoi(row.substr(0, 7)) - 1;
      // Every cell is eight characters wide; column c of the chunk starts at 8 + 8 (c - start).
      for (int c = start; c < e; ++c) {
        const std::size_t offset = 8 + 8 * static_cast<std::size_t>(c - start);
        if (offset + 8 > row.size()) break;
        std::istringstream cell(row.substr(offset, 8));
        std::string value;
        if (cell >> value) cells[r][c] = value;
      }
      if (r == e - 1) return cells;  // the closing label of the last element
    }
  }
  return cells;
}

std::vector<std::pair<int, int>> ReportTables::WordTable(std::size_t at, int e) const {
  for (int k = 0; k < 3; ++k) Line(at);  // "Semigroup", column names, rule
  std::vector<std::pair<int, int>> rows;
  for (int k = 0; k < e; ++k) {
    std::istringstream row(Line(at));
    std::string element, node, generator;
    row >> element >> node >> generator;
    rows.emplace_back(node == "-" ? 0 : std::stoi(node), generator == "-" ? 0 : std::stoi(generator));
  }
  return rows;
}

}  // namespace quorel::testing
