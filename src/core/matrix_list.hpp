#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/relation_matrix.hpp"
#include "core/storage_gate.hpp"

namespace quorel {

class StatusSink;

// The relation matrices of a problem: the distinct input relations, then the compound
// relations. Slots 0..count-1 hold the matrices and slot `count` one further matrix, the
// spare, into which the next input matrix is read and every candidate is computed; a
// candidate is accepted by raising the count, so it is never copied. Slot capacity grows
// in steps of 32. All matrices live in one pool, so a pointer to a slot is valid only until
// the next AddMatrixSlot.
//
// Equal matrices are found through a hash index of the held matrices. The index keeps, for
// every distinct matrix, the smallest slot holding it, which is the slot a linear scan from
// slot 0 finds first, so element numbers come out as that scan would give them.
class MatrixList {
 public:
  bool Created() const { return created_; }
  const MatrixShape& Shape() const { return shape_; }
  int Capacity() const { return capacity_; }
  int SlotsAllocated() const { return slots_; }

  BitWord* Matrix(int index) { return pool_.data() + static_cast<std::size_t>(index) * shape_.words; }
  const BitWord* Matrix(int index) const {
    return pool_.data() + static_cast<std::size_t>(index) * shape_.words;
  }
  bool Cell(int index, int r, int c) const { return GetCell(Matrix(index), shape_, r, c); }

  // Starts an empty list for n x n matrices with 32 slots of capacity and no slot allocated.
  // Returns false when the storage is not available.
  bool Create(StorageGate& gate, int n);

  // Makes slot `index` hold a fresh (all-zero) matrix, growing the capacity by 32 when
  // index is a multiple of 32. Returns 1, or -1 after writing its message to `err` (none
  // when err is null).
  std::int16_t AddMatrixSlot(StorageGate& gate, std::FILE* err, int index);

  // The same without writing: an empty text when the slot was made, else the diagnostic
  // line that says which storage was missing.
  std::string TryAddMatrixSlot(StorageGate& gate, int index);

  // The smallest index k < count whose matrix equals m, else -1. Every matrix in slots
  // 0..count-1 must have been passed to Remember. Cost: O(N^2 / 64) expected.
  std::int16_t FindMatrix(int count, const BitWord* m) const;

  // Adds the matrix now held in slot `index` to the lookup (unless an equal matrix with a
  // smaller index is there already). Call it whenever a slot becomes a held matrix.
  void Remember(int index);

  // Releases every matrix and the lookup; the list is no longer created.
  void Release();

 private:
  std::int32_t Lookup(const BitWord* m, std::uint64_t hash) const;
  void Insert(std::int32_t index, std::uint64_t hash);

  bool created_ = false;
  MatrixShape shape_;
  int capacity_ = 0;  // slots the pointer array has room for (a multiple of 32)
  int slots_ = 0;     // slots 0..slots_-1 are allocated
  std::vector<BitWord> pool_;
  std::vector<std::int32_t> table_;  // open addressing: slot index or -1
  std::vector<std::uint64_t> hashes_;  // hash of each remembered slot
  int remembered_ = 0;
};

// Creates the list, its first slot and `ident` (room for 2*nr entries, all -1). On a
// failure the messages go to the message list and the result is -1; otherwise 1.
std::int16_t CreateMatrixList(MatrixList& list, StorageGate& gate, StatusSink& sink, int n, int nr,
                              std::vector<std::int16_t>& ident);

// Decides whether input matrix i, just read into the spare slot `count`, repeats a held
// matrix (of the same directionality when the vector is present). A repeat is recorded in
// ident[i] and leaves the spare in place; a new matrix is kept (ident[i] = -1, its NDI
// entry moved down to its stored position) and a new spare is opened. Returns 1, or -1
// when the new spare cannot be allocated.
std::int16_t RegisterInputMatrix(MatrixList& list, StorageGate& gate, std::FILE* err,
                                 std::vector<std::int16_t>& ident, std::int16_t& count, int i,
                                 std::uint8_t nd, std::vector<std::int8_t>& ndi);

}  // namespace quorel
