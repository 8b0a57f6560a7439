#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quorel {

// How a valued cell of a DL file, a Pajek file, GraphML or a CSV becomes a tie or no tie.
// A relation is binary: a cell is a tie when its value is above the threshold (0 unless the
// user gives one). Values other than 0 and 1 are counted, so that the reader can say once
// that the network was valued and which rule turned it into ties. Without a threshold a
// negative value is refused: signed ties (enemies, dislike) read as "no tie" would be a
// silent misreading.
class TieRule {
 public:
  explicit TieRule(std::optional<double> threshold = std::nullopt) : threshold_(threshold) {}

  // Whether `value`, read on line `line`, is a tie; counts it when it is neither 0 nor 1.
  // Throws InputError for a negative value when no threshold was given, or a value that is
  // not a number.
  bool IsTie(double value, int line);

  // The same for a field of text ("1", "0.5", "-2", "3e2"); throws InputError naming the
  // text when it is not a number.
  bool IsTie(const std::string& field, int line);

  // Cells read so far whose value was neither 0 nor 1.
  std::uint64_t ValuedCells() const { return valued_; }

  // The one warning to show when valued cells were read ("WARNING: ..."), else nothing.
  std::optional<std::string> Warning() const;

 private:
  std::optional<double> threshold_;
  std::uint64_t valued_ = 0;
};

}  // namespace quorel
