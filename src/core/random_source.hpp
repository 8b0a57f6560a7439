#pragma once

#include <cstdint>

namespace quorel {

// The one stream of uniform integers 0..32767 behind every random sample. The state is a
// 64-bit counter advanced by a fixed odd constant per draw, and each draw is a strong mix of
// the counter, so draw number k (counted from 0) is a pure function of the seed and k: a
// worker can start at any position of the stream without producing the draws before it.
class RandomSource {
 public:
  static constexpr std::uint64_t kIncrement = 0x9E3779B97F4A7C15ull;

  explicit RandomSource(std::uint64_t seed = 0) : state_(seed) {}

  // A source whose next draw is draw number `position` of the stream started from `seed`.
  static RandomSource At(std::uint64_t seed, std::uint64_t position) {
    return RandomSource(seed + position * kIncrement);
  }

  // The next draw, an integer 0..32767.
  int Draw() {
    state_ += kIncrement;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z = z ^ (z >> 31);
    return static_cast<int>(z >> 49);
  }

  // The 64-bit mix behind the draw made when the counter holds `counter`; the draw is its top
  // 15 bits. Draw number q (from 0) of a source in state S is made at counter S + (q+1) *
  // kIncrement, so any draw can be formed from its position alone. The mix of Draw() ends
  // with z ^ (z >> 31), which cannot reach the top 15 bits; it is left out here.
  static std::uint64_t DrawWord(std::uint64_t counter) {
    std::uint64_t z = counter;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z;
  }

  // Draw number `position` (from 0) of a source in state `state`, without moving any source.
  static int DrawAt(std::uint64_t state, std::uint64_t position) {
    return static_cast<int>(DrawWord(state + (position + 1) * kIncrement) >> 49);
  }

  // Moves the stream on by `count` draws without producing them.
  void Skip(std::uint64_t count) { state_ += count * kIncrement; }

  // A copy of this source moved on by `count` draws.
  RandomSource Ahead(std::uint64_t count) const { return RandomSource(state_ + count * kIncrement); }

  std::uint64_t State() const { return state_; }

 private:
  std::uint64_t state_;
};

}  // namespace quorel
