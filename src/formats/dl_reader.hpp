#pragma once

#include <string_view>

#include "core/network.hpp"
#include "formats/input_error.hpp"
#include "formats/tie_rule.hpp"

namespace quorel {

// Reads a DL file of full matrices:
//
//   dl n=5 nm=2                      (also "N = 5, NM = 2"; keywords in any case)
//   format = fullmatrix              (the default; no other layout is read)
//   labels:                          (or "row labels:"; or "labels embedded")
//   ann, bob, "carl d", dan, eve     (separated by blanks, commas or line ends)
//   matrix labels: advice friendship
//   data:
//   0 1 0 0 1 ...                    (NM matrices of n rows of n numbers; nonzero is a tie)
//
// With "labels embedded" every matrix starts with a line of the n column labels and every
// row with its row label, which must be the same as the column label. The label of the
// network is left empty. Throws InputError for anything else.
Network ReadDl(std::string_view text, TieRule& ties);

// True when the first token is "dl" and the next one starts an assignment of n, nm, nr,
// nc or format: the start of a DL file rather than a data file's label line.
bool LooksLikeDl(std::string_view text);

}  // namespace quorel
