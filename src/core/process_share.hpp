#pragma once

#include <cstdint>

namespace quorel {

// Which of the processes of one analysis this is: process `rank` (from 0) of `count`. A run
// started alone is process 0 of 1.
struct ProcessShare {
  int rank = 0;
  int count = 1;
};

// A half-open range [begin, end) of numbered units of work (pairs, samples).
struct WorkRange {
  std::int64_t begin = 0;
  std::int64_t end = 0;

  std::int64_t Size() const { return end - begin; }
  bool Contains(std::int64_t unit) const { return unit >= begin && unit < end; }
};

// The contiguous part of `total` units that `share` takes: [total*r/K, total*(r+1)/K). The
// parts of ranks 0..K-1 follow one another and cover every unit exactly once; their sizes
// differ by one at most, and some are empty when K exceeds `total`.
inline WorkRange ShareOf(std::int64_t total, const ProcessShare& share) {
  return {total * share.rank / share.count, total * (share.rank + 1) / share.count};
}

}  // namespace quorel
