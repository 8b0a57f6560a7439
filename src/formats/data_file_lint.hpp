#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorel {

// How much a finding of the data file check matters: a warning says the file probably
// does not hold the network its author meant; a note only describes it.
enum class FindingLevel { kNote, kWarning, kError };

// One thing the check has to say: where (line from 1; 0 when no line applies) and what.
struct Finding {
  int line = 0;
  FindingLevel level = FindingLevel::kWarning;
  std::string text;
};

// Looks over the text of a data file the way the reader walks it (label line, header,
// vector, then the matrices' 0/1 digits with anything else skipped) for what reads without
// error but was probably not meant:
// - a cell written as a number other than one 0/1 digit ("10", "2", "0.5"), which the
//   reader takes digit by digit, a weighted matrix read silently as a different network;
//   several 0/1 digits run together ("10") count only where the rest of the file keeps its
//   cells apart;
// - a line holding other than N cells, where the file otherwise lays each row on a line;
// - a later problem whose label line holds only numbers: a fixed matrix, read as a problem
//   because --fixed-matrix was not given.
// With `fixed_matrix`, the N x N numbers after each problem's relations are skipped. The
// walk stops quietly where the data is malformed (the reader says why). Cost: linear in
// the text.
std::vector<Finding> LintDataFile(std::string_view text, bool fixed_matrix);

}  // namespace quorel
