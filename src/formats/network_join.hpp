#pragma once

#include <string>

#include "core/network.hpp"

namespace quorel {

// Adds the relations of `part` (read from the file named `part_file`) after those of
// `joined`: one network from several files, e.g. one adjacency matrix per relation. The
// actors must be the same: as many, and, where both files name them, with the same names in
// the same order. A relation its file leaves unnamed is named after the file (its name
// without directories and extension, with ":k" when the file holds several). The
// directionality of each relation is kept. Throws InputError (no line) naming what differs.
void JoinRelations(Network& joined, const std::string& joined_file, Network part, const std::string& part_file);

}  // namespace quorel
