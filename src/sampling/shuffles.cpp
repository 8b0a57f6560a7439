#include "sampling/shuffles.hpp"

#include <cstring>
#include <utility>

namespace quorel {

namespace {

template <class T>
void ShuffleForward(RandomSource& random, const T* source, int count, T* destination) {
  if (count <= 0) return;
  if (source != destination) std::memcpy(destination, source, sizeof(T) * count);
  for (int k = 0; k < count; ++k) {
    const int j = PickIndex(k, count - k, random.Draw());
    std::swap(destination[k], destination[j]);
  }
}

}  // namespace

void ShuffleShorts(RandomSource& random, const std::int16_t* source, int count,
                   std::int16_t* destination) {
  ShuffleForward(random, source, count, destination);
}

void ShuffleBytes(RandomSource& random, const std::int8_t* source, int count,
                  std::int8_t* destination) {
  ShuffleForward(random, source, count, destination);
}

int ExtractCells(const std::int8_t* matrix, int n, std::int8_t* buffer, bool include_diagonal) {
  int k = 0;
  for (int r = 0; r < n; ++r) {
    const std::int8_t* row = matrix + r * n;
    for (int c = 0; c < n; ++c) {
      if (c == r && !include_diagonal) continue;
      buffer[k++] = row[c];
    }
  }
  return k;
}

void ExtractUpperTriangle(const std::int8_t* matrix, int n, std::int8_t* buffer) {
  int k = 0;
  for (int r = 0; r < n; ++r) {
    for (int c = r + 1; c < n; ++c) buffer[k++] = matrix[r * n + c];
  }
}

void ExtractDiagonal(const std::int8_t* matrix, int n, std::int8_t* buffer) {
  for (int i = 0; i < n; ++i) buffer[i] = matrix[i * n + i];
}

void CountCellWithRandomSwap(RandomSource& random, FourfoldTable& table, int a, int b) {
  if (random.Draw() >= 16384) {
    table[2 * (a == 0 ? 1 : 0) + (b == 0 ? 1 : 0)] += 1.0f;
  } else {
    table[2 * a + b] += 1.0f;
  }
}

void ShuffleDyads(RandomSource& random, const std::int8_t* matrix, int n, std::int16_t* codes,
                  std::int8_t* diagonal, bool include_diagonal) {
  const int dyads = DyadCount(n);
  int k = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      codes[k++] = static_cast<std::int16_t>((matrix[i * n + j] ? 1 : 0) +
                                             (matrix[j * n + i] ? 2 : 0));
    }
  }
  ShuffleShorts(random, codes, dyads, codes);
  if (include_diagonal) {
    ExtractDiagonal(matrix, n, diagonal);
    ShuffleBytes(random, diagonal, n, diagonal);
  }
  // An asymmetric dyad keeps being asymmetric but points either way with equal chance.
  for (k = 0; k < dyads; ++k) {
    if (codes[k] == 1 || codes[k] == 2) {
      codes[k] = static_cast<std::int16_t>(1 + (random.Draw() & 1));
    }
  }
}

void WriteDyads(std::int8_t* matrix, int n, const std::int16_t* codes,
                const std::int8_t* diagonal, bool include_diagonal) {
  int k = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j, ++k) {
      matrix[i * n + j] = (codes[k] == 1 || codes[k] == 3) ? 1 : 0;
      matrix[j * n + i] = (codes[k] == 2 || codes[k] == 3) ? 1 : 0;
    }
  }
  if (include_diagonal) {
    for (int i = 0; i < n; ++i) matrix[i * n + i] = diagonal[i];
  }
}

void ShuffleRowsAndActors(RandomSource& random, const std::int8_t* source, std::int8_t* target,
                          int n, std::int16_t* perm, int row_length, bool include_diagonal,
                          std::int8_t* work) {
  if (n <= 0) return;
  if (include_diagonal) {
    std::memcpy(work, source, static_cast<std::size_t>(n) * n);
  } else {
    // Row i without its loop: columns 0..i-1, then i+1..N-1, closed up.
    for (int i = 0; i < n; ++i) {
      const std::int8_t* from = source + i * n;
      std::int8_t* to = work + i * n;
      for (int p = 0; p < n - 1; ++p) to[p] = p < i ? from[p] : from[p + 1];
    }
  }
  for (int i = 0; i < n; ++i) ShuffleBytes(random, work + i * n, row_length, work + i * n);
  ShuffleShorts(random, perm, n, perm);
  for (int i = 0; i < n; ++i) {
    const std::int8_t* from = work + perm[i] * n;
    std::int8_t* to = target + i * n;
    if (include_diagonal) {
      std::memcpy(to, from, static_cast<std::size_t>(n));
    } else {
      for (int j = 0; j < i; ++j) to[j] = from[j];
      for (int j = i + 1; j < n; ++j) to[j] = from[j - 1];
    }
  }
}

}  // namespace quorel
