#pragma once

#include <cstdio>
#include <vector>

namespace quorel {

// Prints one triangle of an E x E statistic matrix (row-major, E = elementCount) as a
// strictly upper-triangular table over the elements numbered from 1, in column chunks of
// at most nine (10 to 18 elements: two nearly equal chunks, the first the larger). With
// `upper` the value at row r, column c (r < c) is matrix[r][c]; without it the lower
// triangle is shown transposed, matrix[c][r]. `fourDecimals` selects " %7.4f" over
// " %7.2f" and the matching header alignment. Ends with the label line of element E.
void PrintStatisticMatrix(std::FILE* out, const std::vector<float>& matrix, int elementCount,
                          bool upper, bool fourDecimals);

}  // namespace quorel
