#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorel {

// One network as the readers of the other input layouts find it, and as a data file
// writes it: N actors and a 0/1 matrix per relation.
struct ImportedNetwork {
  std::string Label;                               // the data file's label line
  int N = 0;                                       // actors
  std::vector<std::string> ActorNames;             // per actor, empty when the input names none
  std::vector<std::string> RelationNames;          // per relation, empty when the input names none
  std::vector<std::vector<std::uint8_t>> Relations;  // per relation, N x N cells row by row, 0 or 1
  std::vector<std::int8_t> NonDirectional;         // per relation 0/1; empty: no vector is written
  std::vector<float> FixedMatrix;                  // N x N values; empty: no fixed matrix
};

// Malformed input: the line (1-based; 0 when no line applies) and what is wrong there.
class InputError : public std::runtime_error {
 public:
  InputError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

// The network as one problem specification of a data file: the label line, "N NR" (with
// the flag and the non-directionality vector when there is one), the matrices as rows of
// digits separated by blanks with an empty line before each matrix, and the fixed matrix.
std::string DataFileText(const ImportedNetwork& network);

// "FILE:LINE: what" (or "FILE: what" when no line applies).
std::string DescribeInputError(const std::string& file, const InputError& error);

}  // namespace quorel
