#include "formats/csv_dialect.hpp"

#include <cmath>
#include <cstdlib>

#include "core/input_format.hpp"
#include "core/text_classes.hpp"

namespace quorel {

namespace {

// Blanks around a field: spaces, and tabs unless they separate.
bool IsBlank(char ch, char separator) { return (ch == ' ' || ch == '\t') && ch != separator; }

std::string_view WithoutLineEnd(std::string_view row) {
  if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
  return row;
}

bool IsBlankLine(std::string_view row) {
  for (const char ch : row) {
    if (!IsWhiteSpace(static_cast<unsigned char>(ch))) return false;
  }
  return true;
}

}  // namespace

char DetectCsvSeparator(std::string_view header) {
  std::size_t commas = 0, semicolons = 0, tabs = 0;
  bool quoted = false;
  for (const char ch : header) {
    if (ch == '"') {
      quoted = !quoted;  // "" inside quotes closes and opens again: the count stays right
    } else if (!quoted) {
      commas += ch == ',';
      semicolons += ch == ';';
      tabs += ch == '\t';
    }
  }
  if (tabs == 0 && semicolons == 0 && commas == 0) return 0;
  if (tabs >= semicolons && tabs >= commas) return '\t';
  return semicolons >= commas ? ';' : ',';
}

bool SplitCsvRow(std::string_view row, char separator, std::vector<std::string>& fields, std::string& fault) {
  fields.clear();
  std::size_t k = 0;
  for (;;) {
    std::string field;
    while (k < row.size() && IsBlank(row[k], separator)) ++k;
    if (k < row.size() && row[k] == '"') {
      bool closed = false;
      for (++k; k < row.size(); ++k) {
        if (row[k] != '"') {
          field += row[k];
        } else if (k + 1 < row.size() && row[k + 1] == '"') {
          field += '"';
          ++k;
        } else {
          closed = true;
          ++k;
          break;
        }
      }
      if (!closed) {
        fault = "the quoted field \"" + field + "\" is not closed on its line (a field may not run over lines)";
        return false;
      }
      while (k < row.size() && IsBlank(row[k], separator)) ++k;
      if (k < row.size() && row[k] != separator) {
        fault = "text follows the closing quote of the field \"" + field + "\"";
        return false;
      }
    } else {
      const std::size_t found = row.find(separator, k);
      std::size_t end = found == std::string_view::npos ? row.size() : found;
      const std::size_t begin = k;
      k = end;
      while (end > begin && IsBlank(row[end - 1], separator)) --end;
      field = std::string(row.substr(begin, end - begin));
    }
    fields.push_back(std::move(field));
    if (k >= row.size()) return true;
    ++k;  // the separator
  }
}

std::vector<CsvRow> SplitCsvRows(std::string_view text, char separator) {
  text = WithoutByteOrderMark(text);
  std::vector<CsvRow> rows;
  std::string fault;
  int line = 0;
  for (std::size_t k = 0; k <= text.size();) {
    std::size_t end = text.find('\n', k);
    if (end == std::string_view::npos) end = text.size();
    ++line;
    const std::string_view row = WithoutLineEnd(text.substr(k, end - k));
    k = end + 1;
    if (IsBlankLine(row)) continue;
    CsvRow split{line, {}};
    if (!SplitCsvRow(row, separator, split.fields, fault)) throw InputError(line, fault);
    rows.push_back(std::move(split));
  }
  return rows;
}

std::string_view FirstCsvLine(std::string_view text) {
  text = WithoutByteOrderMark(text);
  for (std::size_t k = 0; k < text.size();) {
    std::size_t end = text.find('\n', k);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view row = WithoutLineEnd(text.substr(k, end - k));
    if (!IsBlankLine(row)) return row;
    k = end + 1;
  }
  return {};
}

bool IsCsvNumber(const std::string& field) {
  if (field.empty()) return false;
  const char first = field[0];
  if (!IsDigit(first) && first != '-' && first != '+' && first != '.') return false;
  char* end = nullptr;
  const double value = std::strtod(field.c_str(), &end);
  return *end == '\0' && !std::isnan(value);
}

}  // namespace quorel
