#pragma once

namespace quorel {

// The 2 x 2 cross-classification of the counted cells of two relations: cell 2a + b counts
// the cells where the first relation has value a and the second value b (0 neither, 1
// second only, 2 first only, 3 both). Cells are 32-bit floats because 0.5 is added to each
// before the likelihood ratio statistic is formed.
struct FourfoldTable {
  float cell[4] = {0.0f, 0.0f, 0.0f, 0.0f};

  float& operator[](int k) { return cell[k]; }
  float operator[](int k) const { return cell[k]; }
};

}  // namespace quorel
