#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

namespace quorel {

// Every place where the engine obtains storage that has its own failure path.
enum class StorageKind : std::uint8_t {
  kMatrixList,       // the pointer array of the matrix list (creation and growth)
  kMatrixSlot,       // one relation matrix slot
  kIdent,            // the duplicate record `ident`
  kNdi,              // the non-directionality vector
  kFixedWork,        // the two work arrays of the fixed-matrix reader
  kFixedGroups,      // the cell groups of the fixed matrix
  kFixedNode,        // one cell of a fixed-matrix group
  kFixedScratch,     // the scratch buffer shared by the fixed-matrix samplers
  kFixedPrint,       // the work matrix that prints the fixed matrix
  kWorkingRecords,   // the semigroup's working records / the power table
  kMultTable,
  kWordTable,
  kPartialOrder,
  kStatistic,        // one of the six statistic matrices
  kSamplerBuffer,    // working buffers of the samplers and generator permutations
  kShuffleWork,      // the work buffer of the row-and-actor shuffle
  kOmega,
  kQueueNode,        // one pending inclusion
  kScratchRelation,  // scratch element relations of closure and factorization
  kFactorTable,
  kExtension,        // one single-inclusion extension of the factor table
  kCount
};

// Decides whether an allocation may proceed. In normal runs every request is granted
// (and real exhaustion shows as std::bad_alloc, caught where storage is obtained); tests
// make the k-th request of a kind fail to reach every storage-failure path.
class StorageGate {
 public:
  // Makes the `nth` request (1-based) of `kind` fail; 0 disarms.
  void FailAt(StorageKind kind, std::uint32_t nth) {
    fail_at_[Index(kind)] = nth;
    seen_[Index(kind)] = 0;
  }

  bool Grant(StorageKind kind) {
    const std::size_t k = Index(kind);
    ++seen_[k];
    return fail_at_[k] == 0 || seen_[k] != fail_at_[k];
  }

  std::uint32_t Requests(StorageKind kind) const { return seen_[Index(kind)]; }

  // Resizes `v` to `n` elements when the gate grants it and the allocator delivers;
  // false otherwise (v is then left as it was).
  template <class T>
  bool Obtain(StorageKind kind, std::vector<T>& v, std::size_t n, const T& fill = T()) {
    if (!Grant(kind)) return false;
    try {
      v.assign(n, fill);
    } catch (const std::bad_alloc&) {
      return false;
    } catch (const std::length_error&) {
      return false;
    }
    return true;
  }

 private:
  static constexpr std::size_t Index(StorageKind kind) { return static_cast<std::size_t>(kind); }

  std::array<std::uint32_t, static_cast<std::size_t>(StorageKind::kCount)> fail_at_{};
  std::array<std::uint32_t, static_cast<std::size_t>(StorageKind::kCount)> seen_{};
};

}  // namespace quorel
