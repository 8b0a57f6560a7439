#pragma once

#include <string_view>

#include "core/network.hpp"
#include "formats/input_error.hpp"
#include "formats/tie_rule.hpp"

namespace quorel {

// Reads a one-mode DL file: a header of keywords, then "data:" and the matrices.
//
//   dl n=5, nm=2, format=edgelist1   (keywords in any case; "=" may be left out: "n 5")
//   labels:                          (or "row labels:" / "column labels:", which must agree)
//   ann, bob, "carl d", dan, eve     (separated by blanks, commas or line ends; quotes keep blanks)
//   matrix labels: advice friendship (or "level labels:"): the names of the nm relations
//   data:
//   ann bob 1 ...
//
// The layouts of the data (format =):
//   fullmatrix (fm, full)  n rows of n values;
//   lowerhalf (lh)         row i holds the cells up to the diagonal, upperhalf (uh) from it;
//                          the matrix is symmetric and its relation non-directional;
//   edgelist1 (el1)        lines "ego alter [value]", the value 1 when left out;
//   nodelist1 (nl1)        lines "ego alter alter ...", each a tie of value 1.
// "diagonal = absent" (also "diagonal absent", or after the format) leaves the diagonal cells
// out of a matrix's rows; they are no ties. Actors of the lists are numbered 1..n, or named
// by their labels; with "labels embedded" the lists name them (in order of appearance when
// no labels were given) and every matrix row starts with its label, every matrix with a line
// of the column labels ("row labels embedded", "column labels embedded": only those). A line
// holding "!" may separate the matrices; the matrices of a list must be separated so. A cell
// is a tie as `ties` says. The label of the network is left empty.
//
// Throws InputError, with the line and the reason, for anything malformed, and for two-mode
// data (nr, nc, edgelist2, nodelist2), which cannot be analysed.
Network ReadDl(std::string_view text, TieRule& ties);

// True when the first token is "dl" and the next one starts an assignment of n, nm, nr, nc
// or format: "n = 5", or without "=" a whole number ("n 5") or a format's name ("format
// fullmatrix"). Anything else is a data file's label line that starts with "dl".
bool LooksLikeDl(std::string_view text);

}  // namespace quorel
