#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/input_error.hpp"

namespace quorel {

// How a CSV or TSV table is written: fields separated by commas, semicolons (as programs
// write where the comma is the decimal mark) or tabs; a field in double quotes may hold the
// separator, and "" stands for a quote; blanks around a field are dropped; lines end in
// LF or CR LF. A quoted field does not run over a line end: tables of ties have no use for
// line breaks inside a name, and a quote left open is far more often a typing slip.

// The separator of a table whose first row is `header`: of comma, semicolon and tab the
// one that occurs most often outside quotes; on a draw tab before semicolon before comma,
// since commas are the likeliest to stand in a name. 0 when the row holds none of them.
char DetectCsvSeparator(std::string_view header);

// The fields of one row (without its line end). False, with `fault` telling why, when a
// quote is not closed on the row or text follows a closing quote.
bool SplitCsvRow(std::string_view row, char separator, std::vector<std::string>& fields, std::string& fault);

// One row of a table and the line it stands on (1-based).
struct CsvRow {
  int line = 0;
  std::vector<std::string> fields;
};

// The rows of `text` that are not blank, split by `separator`. A byte-order mark before
// the text is passed over. Throws InputError for a row SplitCsvRow refuses.
std::vector<CsvRow> SplitCsvRows(std::string_view text, char separator);

// The first line of `text` that is not blank (a byte-order mark passed over), without its
// line end; empty when there is none.
std::string_view FirstCsvLine(std::string_view text);

// True when `field` is a number as the cells of a table are written ("1", "0.5", "-2", "3e2").
bool IsCsvNumber(const std::string& field);

}  // namespace quorel
