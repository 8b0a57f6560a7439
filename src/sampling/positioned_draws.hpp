#pragma once

#include <cstdint>

namespace quorel {

// Draws formed in bulk from their positions in the random stream. Every draw of the stream is
// a pure function of its position (RandomSource::DrawAt), so a sample's draws need not be
// made one after another: the kernels below form many at once with vector instructions when
// the processor has them. Integer arithmetic only, so every kernel gives the same result.

enum class DrawKernel : std::uint8_t {
  kPlain,   // one draw at a time
  kAvx2,    // four draws at a time
  kAvx512,  // eight draws at a time
};

// Whether this processor runs `kernel` (kPlain always), and the fastest one it runs.
bool DrawKernelAvailable(DrawKernel kernel);
DrawKernel BestDrawKernel();

// The exchange positions of a forward shuffle of `count` elements driven by the draws of a
// source in state `state`: picks[k] = k + floor(draw_k * (count - k) / 32768) for
// k = 0..steps-1, draw_k being the source's draw number k (the index rule of ShuffleBytes).
// 0 <= steps <= count <= 32767. Cost: O(steps).
void ShufflePicks(std::uint64_t state, int count, int steps, std::uint16_t* picks);
void ShufflePicks(DrawKernel kernel, std::uint64_t state, int count, int steps, std::uint16_t* picks);

// How many of the draws made at the counters state + offsets[k], k = 0..count-1, are 16384
// or more: the cells whose pair of values a McNemar swap exchanges. Cost: O(count).
int CountHighDraws(std::uint64_t state, const std::uint64_t* offsets, int count);
int CountHighDraws(DrawKernel kernel, std::uint64_t state, const std::uint64_t* offsets, int count);

}  // namespace quorel
