#pragma once

#include <string_view>

#include "core/network.hpp"
#include "formats/input_error.hpp"
#include "formats/tie_rule.hpp"

namespace quorel {

// Reads a Pajek network file (.net). "*Vertices n" gives N; the lines after it
// ("k name ...", the name bare or in double quotes, coordinates and shapes after it
// ignored) name the actors. When some vertex is named, an unnamed one is named by its
// number; when none is, the network names no actors. "*Vertices n m" (two-mode) is refused.
// The ties follow in blocks:
//   *Arcs / *Edges          "i j [weight] ...": a tie i to j (an edge: both ways)
//   *Arcslist / *Edgeslist  "i j k ...": ties from i to j, k, ... (edges: both ways)
//   *Matrix                 n rows of n values
// A block headed ":k" (with an optional relation name, "*Arcs :2 \"advice\"") holds
// relation k, a block without a number relation 1; a line "k: i j" of a block belongs to
// relation k. The network has relations 1 to the largest number used, in that order; a
// number that heads no block is a relation without ties. A relation given only by edges
// is non-directional (`non_directional` is set for every relation). Every weight, 1 when
// missing, becomes a tie or no tie through `ties`. "*Network" and its name are skipped
// (the caller labels the network), lines starting with "%" are comments, keywords are
// read in any case. Throws InputError with the line and what is wrong there.
Network ReadPajek(std::string_view text, TieRule& ties);

// True when the first line that is neither blank nor a comment starts with "*Network" or
// "*Vertices" (in any case).
bool LooksLikePajek(std::string_view text);

}  // namespace quorel
