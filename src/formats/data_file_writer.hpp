#pragma once

#include <ostream>
#include <vector>

#include "core/network.hpp"

namespace quorel {

// Writes `network` as one problem specification of a data file: the label line, "N NR"
// (with the flag 1 and the non-directionality vector on the next line when there is
// one), then every matrix after an empty line as rows of digits separated by blanks. When
// `fixed_matrix` holds N x N values, an empty line and its rows follow, each value in the
// shortest of "%g" and "%.9g" that reads back as the same float.
void WriteDataFile(const Network& network, std::ostream& out, const std::vector<float>& fixed_matrix = {});

}  // namespace quorel
