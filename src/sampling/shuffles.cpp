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
    for (int i = 0; i < n; ++i) diagonal[i] = matrix[i * n + i];
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

void ShuffleRows(RandomSource& random, const NullModel& model, int n, bool include_diagonal,
                 const std::int8_t* source, std::int8_t* target, std::int16_t* perm, std::int8_t* values) {
  if (n <= 0) return;
  const int length = include_diagonal ? n : n - 1;
  RandomSource row_draws = random;
  if (model.actors_first) {
    ShuffleShorts(random, perm, n, perm);
    row_draws = random;
    random.Skip(static_cast<std::uint64_t>(n) * length);
  } else {
    random.Skip(static_cast<std::uint64_t>(n) * length);
    ShuffleShorts(random, perm, n, perm);
  }
  // values[k * length..] holds the row that class k's draws shuffle: the relation's row k when
  // rows are shuffled by their source, else the row that lands in row k of the target. A row
  // class is read and written as the row without its loop (when not counted), closed up.
  for (int k = 0; k < n; ++k) {
    const int from_row = model.rows_by_source ? k : perm[k];
    const std::int8_t* from = source + from_row * n;
    std::int8_t* row = values + k * length;
    if (include_diagonal) {
      std::memcpy(row, from, static_cast<std::size_t>(n));
    } else {
      for (int p = 0; p < length; ++p) row[p] = p < from_row ? from[p] : from[p + 1];
    }
    ShuffleBytes(row_draws, row, length, row);
  }
  for (int i = 0; i < n; ++i) {
    const std::int8_t* row = values + (model.rows_by_source ? perm[i] : i) * length;
    std::int8_t* to = target + i * n;
    if (include_diagonal) {
      std::memcpy(to, row, static_cast<std::size_t>(n));
    } else {
      for (int j = 0; j < i; ++j) to[j] = row[j];
      for (int j = i + 1; j < n; ++j) to[j] = row[j - 1];
    }
  }
}

}  // namespace quorel
