#include "core/relation_matrix.hpp"

#include <bit>
#include <cstring>

namespace quorel {

bool MatricesEqual(const BitWord* a, const BitWord* b, const MatrixShape& s) {
  return s.words == 0 || std::memcmp(a, b, sizeof(BitWord) * s.words) == 0;
}

namespace {

// The product for a fixed row width, so the row OR unrolls.
template <int W>
void ProductFixed(const BitWord* a, const BitWord* b, BitWord* c, int n) {
  for (int r = 0; r < n; ++r) {
    BitWord acc[W] = {};
    const BitWord* arow = a + r * W;
    for (int w = 0; w < W; ++w) {
      BitWord bits = arow[w];
      while (bits != 0) {
        const int k = w * 64 + std::countr_zero(bits);
        bits &= bits - 1;
        const BitWord* brow = b + k * W;
        for (int x = 0; x < W; ++x) acc[x] |= brow[x];
      }
    }
    for (int x = 0; x < W; ++x) c[r * W + x] = acc[x];
  }
}

void ProductGeneral(const BitWord* a, const BitWord* b, BitWord* c, const MatrixShape& s) {
  const int W = s.words_per_row;
  for (int r = 0; r < s.n; ++r) {
    BitWord* crow = c + r * W;
    std::memset(crow, 0, sizeof(BitWord) * W);
    const BitWord* arow = a + r * W;
    for (int w = 0; w < W; ++w) {
      BitWord bits = arow[w];
      while (bits != 0) {
        const int k = w * 64 + std::countr_zero(bits);
        bits &= bits - 1;
        const BitWord* brow = b + k * W;
        for (int x = 0; x < W; ++x) crow[x] |= brow[x];
      }
    }
  }
}

}  // namespace

void BooleanProduct(const BitWord* a, const BitWord* b, BitWord* c, const MatrixShape& s) {
  switch (s.words_per_row) {
    case 0: return;
    case 1: ProductFixed<1>(a, b, c, s.n); return;
    case 2: ProductFixed<2>(a, b, c, s.n); return;
    case 3: ProductFixed<3>(a, b, c, s.n); return;
    default: ProductGeneral(a, b, c, s); return;
  }
}

void Transpose(const BitWord* src, BitWord* dst, const MatrixShape& s) {
  std::memset(dst, 0, sizeof(BitWord) * s.words);
  const int W = s.words_per_row;
  for (int r = 0; r < s.n; ++r) {
    for (int w = 0; w < W; ++w) {
      BitWord bits = src[r * W + w];
      while (bits != 0) {
        const int c = w * 64 + std::countr_zero(bits);
        bits &= bits - 1;
        dst[c * W + (r >> 6)] |= BitWord{1} << (r & 63);
      }
    }
  }
}

bool Contains(const BitWord* a, const BitWord* b, const MatrixShape& s) {
  for (int i = 0; i < s.words; ++i) {
    if ((b[i] & ~a[i]) != 0) return false;
  }
  return true;
}

int CountTies(const BitWord* m, const MatrixShape& s) {
  int ties = 0;
  for (int i = 0; i < s.words; ++i) ties += std::popcount(m[i]);
  return ties;
}

std::uint64_t HashMatrix(const BitWord* m, const MatrixShape& s) {
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(s.words);
  for (int i = 0; i < s.words; ++i) {
    std::uint64_t z = h ^ m[i];
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    h = z ^ (z >> 31);
  }
  return h;
}

void UnpackMatrix(const BitWord* m, const MatrixShape& s, std::int8_t* bytes) {
  for (int r = 0; r < s.n; ++r) {
    for (int c = 0; c < s.n; ++c) bytes[r * s.n + c] = GetCell(m, s, r, c) ? 1 : 0;
  }
}

void PackMatrix(const std::int8_t* bytes, const MatrixShape& s, BitWord* m) {
  std::memset(m, 0, sizeof(BitWord) * s.words);
  for (int r = 0; r < s.n; ++r) {
    for (int c = 0; c < s.n; ++c) {
      if (bytes[r * s.n + c] != 0) SetCell(m, s, r, c, true);
    }
  }
}

}  // namespace quorel
