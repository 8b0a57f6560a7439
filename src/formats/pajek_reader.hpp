#pragma once

#include <string_view>

#include "core/network.hpp"
#include "formats/input_error.hpp"
#include "formats/tie_rule.hpp"

namespace quorel {

// Reads a Pajek network file: "*Vertices n" with the actors' names, then the ties in
// "*Arcs", "*Edges", "*Arcslist" and "*Edgeslist" blocks, each block of relation k when it
// is headed ":k" (with an optional quoted relation name). Throws InputError.
Network ReadPajek(std::string_view text, TieRule& ties);

// True when the first line that is neither blank nor a comment starts with "*Network" or
// "*Vertices" (in any case).
bool LooksLikePajek(std::string_view text);

}  // namespace quorel
