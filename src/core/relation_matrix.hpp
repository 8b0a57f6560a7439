#pragma once

#include <cstdint>

namespace quorel {

// A relation on the N actors is held as packed bit rows: row r occupies words_per_row
// machine words, and bit (c mod 64) of word (c / 64) is the cell (r, c), 1 when actor r
// is related to actor c. Bits beyond column N-1 are always 0, so whole words compare.
using BitWord = std::uint64_t;

struct MatrixShape {
  int n = 0;               // actors
  int words_per_row = 0;   // ceil(n / 64); at most 3 for n <= 181
  int words = 0;           // words of one matrix: n * words_per_row

  static MatrixShape ForActors(int n) {
    MatrixShape s;
    s.n = n > 0 ? n : 0;
    s.words_per_row = (s.n + 63) / 64;
    s.words = s.n * s.words_per_row;
    return s;
  }
};

inline bool GetCell(const BitWord* m, const MatrixShape& s, int r, int c) {
  return (m[r * s.words_per_row + (c >> 6)] >> (c & 63)) & 1u;
}

inline void SetCell(BitWord* m, const MatrixShape& s, int r, int c, bool value) {
  BitWord& w = m[r * s.words_per_row + (c >> 6)];
  const BitWord bit = BitWord{1} << (c & 63);
  w = value ? (w | bit) : (w & ~bit);
}

// 1 when the two matrices agree in every cell (true for n < 1). Cost: O(N^2 / 64).
bool MatricesEqual(const BitWord* a, const BitWord* b, const MatrixShape& s);

// c = a followed by b: actor r relates to s when r relates by a to some k that relates by
// b to s. c must be distinct from a and b; a and b may be the same. Cost: O(N * ties(a) / 64).
void BooleanProduct(const BitWord* a, const BitWord* b, BitWord* c, const MatrixShape& s);

// dst[c][r] = src[r][c]; dst distinct from src.
void Transpose(const BitWord* src, BitWord* dst, const MatrixShape& s);

// 1 when every pair of b is a pair of a (true for n < 1).
bool Contains(const BitWord* a, const BitWord* b, const MatrixShape& s);

// Number of ties (1-cells) of the matrix.
int CountTies(const BitWord* m, const MatrixShape& s);

// A hash of the whole matrix, for finding equal matrices without a linear scan.
std::uint64_t HashMatrix(const BitWord* m, const MatrixShape& s);

// Conversions to and from the plain N x N byte form (cell (r, c) at r*N + c).
void UnpackMatrix(const BitWord* m, const MatrixShape& s, std::int8_t* bytes);
void PackMatrix(const std::int8_t* bytes, const MatrixShape& s, BitWord* m);

}  // namespace quorel
