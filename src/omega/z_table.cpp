#include "omega/z_table.hpp"

namespace quorel {

double ZOfAlpha(std::span<const ZRow> table, float alpha) {
  if (table.empty()) return 0.0;
  int lo = 0;
  int hi = static_cast<int>(table.size()) - 1;
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    const float key = static_cast<float>(table[mid].alpha);
    if (alpha < key) {
      lo = mid + 1;
    } else if (alpha == key) {
      lo = mid;
      break;
    } else {
      hi = mid;
    }
  }
  return table[lo].z;
}

}  // namespace quorel
