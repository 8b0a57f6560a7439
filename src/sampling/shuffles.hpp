#pragma once

#include <cstdint>

#include "core/random_source.hpp"
#include "sampling/null_model.hpp"

namespace quorel {

// The randomisation primitives every null model is built from. All of them work on plain
// N x N byte relations (cell (r, c) at r*N + c, values 0/1) and take the random stream
// explicitly; the number of draws each consumes is fixed by its arguments, so a sample's
// position in the stream is known before it is drawn.

// Index rule of every shuffle: at step k, with m elements still unplaced, the draw r picks
// position k + floor(r * m / 32768). The product is below 2^30, so the shift is exact;
// r = 0 picks k itself and r = 32767 picks the last unplaced element k + m - 1.
inline int PickIndex(int k, int m, int r) { return k + ((r * m) >> 15); }

// Unordered actor pairs {i, j}, i < j: N(N-1)/2.
inline int DyadCount(int n) { return n > 1 ? n * (n - 1) / 2 : 0; }

// destination[0..count-1] = a uniformly random permutation of source[0..count-1], by a
// forward exchange shuffle. source and destination may be the same buffer. A count of 0 or
// less does nothing; otherwise exactly `count` draws, the last one always picking its own
// position.
void ShuffleShorts(RandomSource& random, const std::int16_t* source, int count,
                   std::int16_t* destination);
void ShuffleBytes(RandomSource& random, const std::int8_t* source, int count,
                  std::int8_t* destination);

// Dyad codes: the state of the pair {i, j}, i < j, as M[i][j] + 2 M[j][i]
// (0 null, 1 tie from i to j, 2 tie from j to i, 3 mutual).
//
// codes[0..D-1] = the relation's dyad codes (pairs in row-major order of the upper triangle),
// shuffled among the pairs, with every asymmetric dyad then given a fresh direction from the
// parity of a draw. With the diagonal included, diagonal[0..N-1] = the loops shuffled among
// the actors (otherwise `diagonal` is not touched and may be null). The numbers of null,
// asymmetric and mutual dyads are kept. Draws: D, then N with the diagonal, then one per
// asymmetric dyad.
void ShuffleDyads(RandomSource& random, const std::int8_t* matrix, int n, std::int16_t* codes,
                  std::int8_t* diagonal, bool include_diagonal);

// Writes every off-diagonal cell of the relation from its dyad code, and the loops from
// `diagonal` when included; an excluded diagonal is not written.
void WriteDyads(std::int8_t* matrix, int n, const std::int16_t* codes,
                const std::int8_t* diagonal, bool include_diagonal);

// target = the relation `source` with the values of each row class shuffled and the rows
// handed to relabelled actors (MC, ME): row i of the target takes the counted cells of row
// perm[i], shuffled by the draws of row class i, or of class perm[i] when the model shuffles
// rows by their source. `perm` is shuffled in place from whatever it holds, its N draws before
// the classes' when the model draws the actors first, else after them. An excluded loop is
// not written. `values` holds N x N bytes; source and target are distinct. Draws: N * the row
// length (N, or N - 1 without the diagonal), then or first N.
void ShuffleRows(RandomSource& random, const NullModel& model, int n, bool include_diagonal,
                 const std::int8_t* source, std::int8_t* target, std::int16_t* perm, std::int8_t* values);

}  // namespace quorel
