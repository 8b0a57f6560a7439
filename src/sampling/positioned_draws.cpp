#include "sampling/positioned_draws.hpp"

#include <bit>

#include "core/random_source.hpp"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QUOREL_X86_KERNELS 1
// GCC 12 reports the deliberately undefined start values inside the AVX-512 intrinsics as
// possibly uninitialised (fixed in GCC 13).
#if defined(__clang__)
#include <immintrin.h>
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif
#endif

namespace quorel {

namespace {

constexpr std::uint64_t kMix1 = 0xBF58476D1CE4E5B9ull;
constexpr std::uint64_t kMix2 = 0x94D049BB133111EBull;

void ShufflePicksPlain(std::uint64_t state, int count, int steps, std::uint16_t* picks) {
  std::uint64_t counter = state;
  for (int k = 0; k < steps; ++k) {
    counter += RandomSource::kIncrement;
    const auto r = static_cast<std::uint32_t>(RandomSource::DrawWord(counter) >> 49);
    picks[k] = static_cast<std::uint16_t>(k + ((r * static_cast<std::uint32_t>(count - k)) >> 15));
  }
}

int CountHighDrawsPlain(std::uint64_t state, const std::uint64_t* offsets, int count) {
  int high = 0;
  for (int k = 0; k < count; ++k) high += static_cast<int>(RandomSource::DrawWord(state + offsets[k]) >> 63);
  return high;
}

#ifdef QUOREL_X86_KERNELS

// The same mix as RandomSource::DrawWord, on four lanes. AVX2 has no 64-bit low product, so
// it is put together from three 32 x 32 -> 64 products.
__attribute__((target("avx2"))) inline __m256i MulLow64(__m256i a, std::uint64_t b) {
  const __m256i b_low = _mm256_set1_epi64x(static_cast<long long>(b & 0xFFFFFFFFu));
  const __m256i b_high = _mm256_set1_epi64x(static_cast<long long>(b >> 32));
  const __m256i low = _mm256_mul_epu32(a, b_low);
  const __m256i cross = _mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(a, 32), b_low),
                                         _mm256_mul_epu32(a, b_high));
  return _mm256_add_epi64(low, _mm256_slli_epi64(cross, 32));
}

__attribute__((target("avx2"))) inline __m256i DrawWords4(__m256i z) {
  z = MulLow64(_mm256_xor_si256(z, _mm256_srli_epi64(z, 30)), kMix1);
  return MulLow64(_mm256_xor_si256(z, _mm256_srli_epi64(z, 27)), kMix2);
}

__attribute__((target("avx2"))) void ShufflePicksAvx2(std::uint64_t state, int count, int steps,
                                                       std::uint16_t* picks) {
  constexpr std::uint64_t inc = RandomSource::kIncrement;
  __m256i counter = _mm256_set_epi64x(static_cast<long long>(state + 4 * inc), static_cast<long long>(state + 3 * inc),
                                      static_cast<long long>(state + 2 * inc), static_cast<long long>(state + inc));
  const __m256i step_counter = _mm256_set1_epi64x(static_cast<long long>(4 * inc));
  __m256i k = _mm256_set_epi64x(3, 2, 1, 0);
  __m256i left = _mm256_sub_epi64(_mm256_set1_epi64x(count), k);
  const __m256i four = _mm256_set1_epi64x(4);
  alignas(32) std::uint64_t lanes[4];
  for (int base = 0; base < steps; base += 4) {
    const __m256i r = _mm256_srli_epi64(DrawWords4(counter), 49);
    const __m256i pick = _mm256_add_epi64(k, _mm256_srli_epi64(_mm256_mul_epu32(r, left), 15));
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), pick);
    const int valid = steps - base < 4 ? steps - base : 4;
    for (int lane = 0; lane < valid; ++lane) picks[base + lane] = static_cast<std::uint16_t>(lanes[lane]);
    counter = _mm256_add_epi64(counter, step_counter);
    k = _mm256_add_epi64(k, four);
    left = _mm256_sub_epi64(left, four);
  }
}

__attribute__((target("avx2"))) int CountHighDrawsAvx2(std::uint64_t state, const std::uint64_t* offsets,
                                                        int count) {
  const __m256i base = _mm256_set1_epi64x(static_cast<long long>(state));
  int high = 0;
  int k = 0;
  for (; k + 4 <= count; k += 4) {
    const __m256i z = _mm256_add_epi64(base, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(offsets + k)));
    high += std::popcount(static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(DrawWords4(z)))));
  }
  return high + CountHighDrawsPlain(state, offsets + k, count - k);
}

__attribute__((target("avx512f,avx512dq"))) inline __m512i DrawWords8(__m512i z) {
  z = _mm512_mullo_epi64(_mm512_xor_si512(z, _mm512_srli_epi64(z, 30)), _mm512_set1_epi64(static_cast<long long>(kMix1)));
  return _mm512_mullo_epi64(_mm512_xor_si512(z, _mm512_srli_epi64(z, 27)), _mm512_set1_epi64(static_cast<long long>(kMix2)));
}

__attribute__((target("avx512f,avx512dq"))) void ShufflePicksAvx512(std::uint64_t state, int count, int steps,
                                                                   std::uint16_t* picks) {
  constexpr std::uint64_t inc = RandomSource::kIncrement;
  __m512i counter = _mm512_add_epi64(_mm512_set1_epi64(static_cast<long long>(state)),
                                     _mm512_mullo_epi64(_mm512_set_epi64(8, 7, 6, 5, 4, 3, 2, 1),
                                                        _mm512_set1_epi64(static_cast<long long>(inc))));
  const __m512i step_counter = _mm512_set1_epi64(static_cast<long long>(8 * inc));
  __m512i k = _mm512_set_epi64(7, 6, 5, 4, 3, 2, 1, 0);
  __m512i left = _mm512_sub_epi64(_mm512_set1_epi64(count), k);
  const __m512i eight = _mm512_set1_epi64(8);
  for (int base = 0; base < steps; base += 8) {
    const __m512i r = _mm512_srli_epi64(DrawWords8(counter), 49);
    const __m512i pick = _mm512_add_epi64(k, _mm512_srli_epi64(_mm512_mul_epu32(r, left), 15));
    const __mmask8 valid = steps - base >= 8 ? static_cast<__mmask8>(0xFF)
                                              : static_cast<__mmask8>((1u << (steps - base)) - 1);
    _mm512_mask_cvtepi64_storeu_epi16(picks + base, valid, pick);
    counter = _mm512_add_epi64(counter, step_counter);
    k = _mm512_add_epi64(k, eight);
    left = _mm512_sub_epi64(left, eight);
  }
}

__attribute__((target("avx512f,avx512dq"))) int CountHighDrawsAvx512(std::uint64_t state,
                                                                    const std::uint64_t* offsets, int count) {
  const __m512i base = _mm512_set1_epi64(static_cast<long long>(state));
  int high = 0;
  for (int k = 0; k < count; k += 8) {
    const __mmask8 valid = count - k >= 8 ? static_cast<__mmask8>(0xFF)
                                           : static_cast<__mmask8>((1u << (count - k)) - 1);
    const __m512i z = _mm512_add_epi64(base, _mm512_maskz_loadu_epi64(valid, offsets + k));
    high += std::popcount(static_cast<unsigned>(_mm512_movepi64_mask(DrawWords8(z)) & valid));
  }
  return high;
}

#endif  // QUOREL_X86_KERNELS

}  // namespace

bool DrawKernelAvailable(DrawKernel kernel) {
  switch (kernel) {
    case DrawKernel::kPlain: return true;
#ifdef QUOREL_X86_KERNELS
    case DrawKernel::kAvx2: return __builtin_cpu_supports("avx2");
    case DrawKernel::kAvx512: return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
#endif
    default: return false;
  }
}

DrawKernel BestDrawKernel() {
  static const DrawKernel best = DrawKernelAvailable(DrawKernel::kAvx512) ? DrawKernel::kAvx512
                                 : DrawKernelAvailable(DrawKernel::kAvx2) ? DrawKernel::kAvx2
                                                                           : DrawKernel::kPlain;
  return best;
}

void ShufflePicks(DrawKernel kernel, std::uint64_t state, int count, int steps, std::uint16_t* picks) {
  switch (kernel) {
#ifdef QUOREL_X86_KERNELS
    case DrawKernel::kAvx2: ShufflePicksAvx2(state, count, steps, picks); return;
    case DrawKernel::kAvx512: ShufflePicksAvx512(state, count, steps, picks); return;
#endif
    default: ShufflePicksPlain(state, count, steps, picks); return;
  }
}

void ShufflePicks(std::uint64_t state, int count, int steps, std::uint16_t* picks) {
  ShufflePicks(BestDrawKernel(), state, count, steps, picks);
}

int CountHighDraws(DrawKernel kernel, std::uint64_t state, const std::uint64_t* offsets, int count) {
  switch (kernel) {
#ifdef QUOREL_X86_KERNELS
    case DrawKernel::kAvx2: return CountHighDrawsAvx2(state, offsets, count);
    case DrawKernel::kAvx512: return CountHighDrawsAvx512(state, offsets, count);
#endif
    default: return CountHighDrawsPlain(state, offsets, count);
  }
}

int CountHighDraws(std::uint64_t state, const std::uint64_t* offsets, int count) {
  return CountHighDraws(BestDrawKernel(), state, offsets, count);
}

}  // namespace quorel
