#include "core/matrix_list.hpp"

#include <algorithm>
#include <cstring>

#include "core/status_sink.hpp"

namespace quorel {

bool MatrixList::Create(StorageGate& gate, int n) {
  Release();
  shape_ = MatrixShape::ForActors(n);
  const std::size_t pool_words = static_cast<std::size_t>(32) * shape_.words;
  if (!gate.Grant(StorageKind::kMatrixList, pool_words * sizeof(BitWord) + 64 * sizeof(std::int32_t))) return false;
  try {
    pool_.reserve(pool_words);
    table_.assign(64, -1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  capacity_ = 32;
  slots_ = 0;
  created_ = true;
  return true;
}

std::int16_t MatrixList::AddMatrixSlot(StorageGate& gate, std::FILE* err, int index) {
  const std::string failure = TryAddMatrixSlot(gate, index);
  if (failure.empty()) return 1;
  if (err != nullptr) std::fputs(failure.c_str(), err);
  return -1;
}

std::string MatrixList::TryAddMatrixSlot(StorageGate& gate, int index) {
  if (index % 32 == 0 && index + 32 > capacity_) {
    // The slot capacity grows in steps of 32; the pool behind it grows geometrically so
    // that its contents are copied O(log E) times, not once every 32 elements.
    const std::size_t needed = static_cast<std::size_t>(index + 32) * shape_.words;
    const std::size_t grown_words = GrownCapacity(pool_.capacity(), needed);
    bool grown = gate.Grant(StorageKind::kMatrixList, (grown_words - pool_.capacity()) * sizeof(BitWord));
    if (grown) {
      try {
        pool_.reserve(grown_words);
      } catch (const std::bad_alloc&) {
        grown = false;
      } catch (const std::length_error&) {
        grown = false;
      }
    }
    if (!grown) return "ERROR: Unable to allocate space for matrix list\n";
    capacity_ = index + 32;
  }
  bool granted = gate.Grant(StorageKind::kMatrixSlot);
  if (granted) {
    try {
      pool_.resize(static_cast<std::size_t>(index + 1) * shape_.words, 0);
    } catch (const std::bad_alloc&) {
      granted = false;
    }
  }
  if (!granted) return "ERROR: Unable to allocate space for matrix #" + std::to_string(index) + "\n";
  std::memset(Matrix(index), 0, sizeof(BitWord) * shape_.words);
  slots_ = index + 1;
  return {};
}

std::int32_t MatrixList::Lookup(const BitWord* m, std::uint64_t hash) const {
  const std::size_t mask = table_.size() - 1;
  for (std::size_t p = hash & mask;; p = (p + 1) & mask) {
    const std::int32_t k = table_[p];
    if (k < 0) return -1;
    if (hashes_[k] == hash && MatricesEqual(Matrix(k), m, shape_)) return k;
  }
}

void MatrixList::Insert(std::int32_t index, std::uint64_t hash) {
  if (static_cast<std::size_t>(remembered_ + 1) * 2 > table_.size()) {
    std::vector<std::int32_t> bigger(table_.size() * 2, -1);
    const std::size_t mask = bigger.size() - 1;
    for (std::int32_t k : table_) {
      if (k < 0) continue;
      std::size_t p = hashes_[k] & mask;
      while (bigger[p] >= 0) p = (p + 1) & mask;
      bigger[p] = k;
    }
    table_.swap(bigger);
  }
  const std::size_t mask = table_.size() - 1;
  std::size_t p = hash & mask;
  while (table_[p] >= 0) p = (p + 1) & mask;
  table_[p] = index;
  ++remembered_;
}

std::int16_t MatrixList::FindMatrix(int count, const BitWord* m) const {
  if (count < 1) return -1;
  const std::int32_t k = Lookup(m, HashMatrix(m, shape_));
  return (k >= 0 && k < count) ? static_cast<std::int16_t>(k) : -1;
}

void MatrixList::Remember(int index) {
  if (hashes_.size() <= static_cast<std::size_t>(index)) hashes_.resize(index + 1, 0);
  const std::uint64_t hash = HashMatrix(Matrix(index), shape_);
  hashes_[index] = hash;
  if (Lookup(Matrix(index), hash) >= 0) return;
  Insert(index, hash);
}

void MatrixList::Release() {
  created_ = false;
  capacity_ = 0;
  slots_ = 0;
  remembered_ = 0;
  std::vector<BitWord>().swap(pool_);
  std::vector<std::int32_t>().swap(table_);
  std::vector<std::uint64_t>().swap(hashes_);
}

std::int16_t CreateMatrixList(MatrixList& list, StorageGate& gate, StatusSink& sink, int n, int nr,
                              std::vector<std::int16_t>& ident) {
  std::int16_t result = 1;
  if (!list.Create(gate, n)) {
    sink.AddStatusMessage("ERROR: Unable to allocate space for matrix list\n");
    result = -1;
  } else if (list.AddMatrixSlot(gate, nullptr, 0) != 1) {
    sink.AddStatusMessage("ERROR: Unable to allocate space for input matrix ");
    sink.AddStatusMessage("#1\n");
    result = -1;
  }
  if (!gate.Obtain(StorageKind::kIdent, ident, static_cast<std::size_t>(2) * nr, std::int16_t{-1})) {
    sink.AddStatusMessage("ERROR: Unable to allocate space for program ");
    sink.AddStatusMessage("variable 'ident'\n");
    return -1;
  }
  return result;
}

std::int16_t RegisterInputMatrix(MatrixList& list, StorageGate& gate, std::FILE* err,
                                 std::vector<std::int16_t>& ident, std::int16_t& count, int i,
                                 std::uint8_t nd, std::vector<std::int8_t>& ndi) {
  if (count == 0) {
    ident[0] = -1;
    list.Remember(0);
    count = 1;
    return list.AddMatrixSlot(gate, err, 1);
  }
  const std::int16_t f = list.FindMatrix(count, list.Matrix(count));
  if (f >= 0 && (nd == 0 || ndi[f] == ndi[i])) {
    ident[i] = f;
    return 1;
  }
  ident[i] = -1;
  if (nd != 0 && count != i) ndi[count] = ndi[i];
  list.Remember(count);
  ++count;
  return list.AddMatrixSlot(gate, err, count);
}

}  // namespace quorel
