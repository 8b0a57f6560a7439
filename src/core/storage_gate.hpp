#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>
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

// A request the memory budget refused: what it was for, which request of its kind it was,
// and the bytes it asked for, those already granted and the budget.
struct MemoryRefusal {
  StorageKind kind = StorageKind::kCount;
  std::uint32_t request = 0;  // 1-based, among the requests of `kind`
  std::uint64_t needed = 0;
  std::uint64_t in_use = 0;
  std::uint64_t budget = 0;
};

// Decides whether an allocation may proceed. Two things can refuse a request:
//   - the memory budget: a request that names its bytes is granted only while the bytes
//     granted and not yet released, plus the request, stay within the budget. The first
//     refusal is kept, for the one line the command adds to the run's own messages.
//     Requests that name no bytes (single nodes, small scratch) are not counted;
//   - tests, which make the k-th request of a kind fail to reach every storage-failure path.
// Either way the caller takes the failure path of its storage before anything is allocated,
// and real exhaustion shows as std::bad_alloc, caught where storage is obtained.
class StorageGate {
 public:
  // Makes the `nth` request (1-based) of `kind` fail; 0 disarms.
  void FailAt(StorageKind kind, std::uint32_t nth) {
    fail_at_[Index(kind)] = nth;
    seen_[Index(kind)] = 0;
  }

  // The budget in bytes; 0: none, every request within what the system delivers.
  void SetBudget(std::uint64_t bytes) { budget_ = bytes; }
  std::uint64_t Budget() const { return budget_; }

  // A request that names no bytes: refused only by FailAt.
  bool Grant(StorageKind kind) {
    const std::size_t k = Index(kind);
    ++seen_[k];
    return fail_at_[k] == 0 || seen_[k] != fail_at_[k];
  }

  // A request for `bytes`: FailAt, then the budget. Granted bytes count as in use until
  // released.
  bool Grant(StorageKind kind, std::uint64_t bytes) {
    if (!Grant(kind)) return false;
    if (budget_ != 0 && (bytes > budget_ || in_use_ > budget_ - bytes)) {
      if (!refusal_) refusal_ = MemoryRefusal{kind, seen_[Index(kind)], bytes, in_use_, budget_};
      return false;
    }
    Charge(kind, bytes);
    return true;
  }

  // Bytes the owner of storage gives back: all of `kind`, or `bytes` of it.
  void Release(StorageKind kind) { Release(kind, charged_[Index(kind)]); }
  void Release(StorageKind kind, std::uint64_t bytes) {
    std::uint64_t& charged = charged_[Index(kind)];
    if (bytes > charged) bytes = charged;
    charged -= bytes;
    in_use_ -= bytes;
  }
  // Everything granted so far is given back (a problem's storage, when the problem ends).
  void ReleaseAll() {
    charged_.fill(0);
    in_use_ = 0;
  }

  std::uint32_t Requests(StorageKind kind) const { return seen_[Index(kind)]; }
  std::uint64_t InUse() const { return in_use_; }
  std::uint64_t Charged(StorageKind kind) const { return charged_[Index(kind)]; }
  // The most bytes in use at any time since the gate was made.
  std::uint64_t PeakInUse() const { return peak_; }
  const std::optional<MemoryRefusal>& Refusal() const { return refusal_; }

  // Resizes `v` to `n` elements when the gate grants its bytes and the allocator delivers;
  // false otherwise (v is then left as it was). The bytes stay in use until released.
  template <class T>
  bool Obtain(StorageKind kind, std::vector<T>& v, std::size_t n, const T& fill = T()) {
    const std::uint64_t bytes = static_cast<std::uint64_t>(n) * sizeof(T);
    if (!Grant(kind, bytes)) return false;
    try {
      v.assign(n, fill);
    } catch (const std::bad_alloc&) {
      Release(kind, bytes);
      return false;
    } catch (const std::length_error&) {
      Release(kind, bytes);
      return false;
    }
    return true;
  }

 private:
  static constexpr std::size_t Index(StorageKind kind) { return static_cast<std::size_t>(kind); }

  void Charge(StorageKind kind, std::uint64_t bytes) {
    charged_[Index(kind)] += bytes;
    in_use_ += bytes;
    if (in_use_ > peak_) peak_ = in_use_;
  }

  static constexpr std::size_t kKinds = static_cast<std::size_t>(StorageKind::kCount);
  std::array<std::uint32_t, kKinds> fail_at_{};
  std::array<std::uint32_t, kKinds> seen_{};
  std::array<std::uint64_t, kKinds> charged_{};
  std::uint64_t budget_ = 0;
  std::uint64_t in_use_ = 0;
  std::uint64_t peak_ = 0;
  std::optional<MemoryRefusal> refusal_;
};

// The capacity of storage that grows while elements are found: unchanged while `needed`
// fits, else at least doubled, so that its contents are copied O(log E) times.
inline std::size_t GrownCapacity(std::size_t capacity, std::size_t needed) {
  if (needed <= capacity) return capacity;
  return needed > 2 * capacity ? needed : 2 * capacity;
}

// Bytes granted by a gate that stay in use while this object lives: storage that is made
// and dropped several times within one phase (the product table, a closure's workspace)
// holds one, so that the gate counts it only while it exists.
class StorageHold {
 public:
  StorageHold() = default;
  StorageHold(StorageGate& gate, StorageKind kind, std::uint64_t bytes) : gate_(&gate), kind_(kind), bytes_(bytes) {}
  StorageHold(const StorageHold&) = delete;
  StorageHold& operator=(const StorageHold&) = delete;
  StorageHold(StorageHold&& other) noexcept { *this = std::move(other); }
  StorageHold& operator=(StorageHold&& other) noexcept {
    if (this != &other) {
      Drop();
      gate_ = other.gate_;
      kind_ = other.kind_;
      bytes_ = other.bytes_;
      other.gate_ = nullptr;
    }
    return *this;
  }
  ~StorageHold() { Drop(); }

  // Adds bytes granted later by the same gate under the same kind.
  void Add(std::uint64_t bytes) { bytes_ += bytes; }

 private:
  void Drop() {
    if (gate_ != nullptr) gate_->Release(kind_, bytes_);
    gate_ = nullptr;
  }

  StorageGate* gate_ = nullptr;
  StorageKind kind_ = StorageKind::kCount;
  std::uint64_t bytes_ = 0;
};

}  // namespace quorel
