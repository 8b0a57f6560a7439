#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace quorel::testing {

// Relations in the plain form, one byte per cell, row-major, and the straightforward
// kernels that define what the packed ones must compute.
using ByteMatrix = std::vector<std::int8_t>;

inline ByteMatrix RandomByteMatrix(int n, double density, std::mt19937_64& rng) {
  std::bernoulli_distribution tie(density);
  ByteMatrix m(static_cast<std::size_t>(n) * n);
  for (auto& cell : m) cell = tie(rng) ? 1 : 0;
  return m;
}

// c[r][s] = 1 when some k has a[r][k] = 1 and b[k][s] = 1.
inline ByteMatrix ByteProduct(const ByteMatrix& a, const ByteMatrix& b, int n) {
  ByteMatrix c(a.size(), 0);
  for (int r = 0; r < n; ++r) {
    for (int k = 0; k < n; ++k) {
      if (a[r * n + k] == 0) continue;
      for (int s = 0; s < n; ++s) c[r * n + s] |= b[k * n + s];
    }
  }
  return c;
}

// 1 when every pair of b is a pair of a.
inline bool ByteContains(const ByteMatrix& a, const ByteMatrix& b) {
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (b[k] > a[k]) return false;
  }
  return true;
}

// The smallest index holding m, by a linear scan from the first.
inline int ByteFind(const std::vector<ByteMatrix>& list, int count, const ByteMatrix& m) {
  for (int k = 0; k < count; ++k) {
    if (list[k] == m) return k;
  }
  return -1;
}

}  // namespace quorel::testing
