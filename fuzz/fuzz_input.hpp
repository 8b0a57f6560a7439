#pragma once

// How the data-file fuzzer turns arbitrary bytes into one run: a short prefix chooses the
// run options (and, now and then, one storage request that is made to fail); the rest is
// the data file. The same decoding serves the fuzzer and the regression test that replays
// the saved corpus in the ordinary test run.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "core/analysis_options.hpp"
#include "pipeline/analysis_state.hpp"
#include "core/storage_gate.hpp"

namespace quorel::fuzzing {

// Bytes of the option prefix; inputs shorter than this run with a zero-filled prefix.
inline constexpr std::size_t kPrefixBytes = 8;

// Matrix slots granted in one run: every input relation, every transpose and every
// semigroup element takes one. Beyond it the run ends as if storage had run out (the
// "ABORT QUOREL" path), which keeps each input to milliseconds whatever the header asks.
// The full factorization output lists, for each of the E x E single inclusions, the
// inclusions it induces (up to E^4 lines in all), so it gets a tighter bound.
inline constexpr std::uint32_t kMaxMatrixSlots = 48;
inline constexpr std::uint32_t kMaxMatrixSlotsFullOutput = 24;

struct FuzzCase {
  AnalysisOptions options;
  std::string data;
  bool inject = false;  // make the `nth` request of `kind` fail
  StorageKind kind = StorageKind::kMatrixList;
  std::uint32_t nth = 0;
};

// Prefix layout, one byte each:
//   0: bit 0 transposes, bit 1 generator products only, bits 2-3 word length 0..3,
//      bit 4 strategy (0 pairs, 1 generators), bit 5 fixed matrix supplied,
//      bit 6 factor Omega, bit 7 factor lower Omega
//   1: sample size (value % 6), measure control ((value / 6) % 7)
//   2: bits 0-1 diagonal (3 reads as 2), bit 2 full factor output, bit 3 reapply,
//      bit 4 two worker threads, bits 5-7 MinKappa from a table of ordinary and odd values
//   3: bits 0-2 length of the cutoff text taken from the bytes after the prefix (7 means
//      the default text; six characters hold at most a few levels, and every level runs
//      Omega and its factorizations again), bit 3 unused, bits 4-7 part of the seed
//   4: bit 7 inject a storage failure; bits 0-6 its kind (modulo the number of kinds)
//   5: which request of that kind fails (1..256)
//   6, 7: the rest of the seed
inline FuzzCase DecodeFuzzInput(const std::uint8_t* bytes, std::size_t size) {
  std::uint8_t p[kPrefixBytes] = {};
  const std::size_t prefix = size < kPrefixBytes ? size : kPrefixBytes;
  for (std::size_t k = 0; k < prefix; ++k) p[k] = bytes[k];
  bytes += prefix;
  size -= prefix;

  FuzzCase c;
  AnalysisOptions& o = c.options;
  o.m_Transposes = p[0] & 1;
  o.m_GeneratorProductsOnly = (p[0] >> 1) & 1;
  o.m_MaxWordLength = (p[0] >> 2) & 3;
  o.m_PermutationStrategy = (p[0] >> 4) & 1;
  o.m_FixedSupplied = (p[0] >> 5) & 1;
  o.m_FactorOmega = (p[0] >> 6) & 1;
  o.m_FactorLowerOmega = (p[0] >> 7) & 1;

  o.m_SampleSize = p[1] % 6;
  o.m_MeasureControl = (p[1] / 6) % 7;

  o.m_Diagonal = (p[2] & 3) == 3 ? 2 : (p[2] & 3);
  o.m_FullFactorOutput = (p[2] >> 2) & 1;
  o.m_Reapply = (p[2] >> 3) & 1;
  o.Threads = 1 + ((p[2] >> 4) & 1);
  static const float kKappas[8] = {0.01f,
                                   0.0f,
                                   0.5f,
                                   -1.0f,
                                   1.0f,
                                   1e30f,
                                   std::numeric_limits<float>::quiet_NaN(),
                                   -std::numeric_limits<float>::infinity()};
  o.m_MinKappa = kKappas[p[2] >> 5];

  const std::size_t cutoff_length = p[3] & 7;
  if (cutoff_length != 7) {
    const std::size_t take = cutoff_length < size ? cutoff_length : size;
    o.m_CutoffList.assign(reinterpret_cast<const char*>(bytes), take);
    bytes += take;
    size -= take;
  }
  o.Seed = (static_cast<std::uint64_t>(p[3] >> 4) << 16) | (static_cast<std::uint64_t>(p[6]) << 8) | p[7];

  if (p[4] & 0x80) {
    c.inject = true;
    c.kind = static_cast<StorageKind>((p[4] & 0x7f) % static_cast<unsigned>(StorageKind::kCount));
    c.nth = 1u + p[5];
  }

  c.data.assign(reinterpret_cast<const char*>(bytes), size);
  return c;
}

// Arms the state's storage gate: the slot bound, and the injected failure if any.
inline void PrepareState(const FuzzCase& c, AnalysisState& state) {
  const bool full_output =
      c.options.m_FullFactorOutput != 0 && (c.options.m_FactorOmega != 0 || c.options.m_FactorLowerOmega != 0);
  std::uint32_t slots = full_output ? kMaxMatrixSlotsFullOutput : kMaxMatrixSlots;
  if (c.inject) {
    if (c.kind == StorageKind::kMatrixSlot) {
      slots = c.nth < slots ? c.nth : slots;
    } else {
      state.Storage.FailAt(c.kind, c.nth);
    }
  }
  state.Storage.FailAt(StorageKind::kMatrixSlot, slots);
}

}  // namespace quorel::fuzzing
