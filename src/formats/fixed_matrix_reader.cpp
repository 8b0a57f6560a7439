#include "formats/fixed_matrix_reader.hpp"

#include <algorithm>
#include <bit>
#include <unordered_map>

#include "core/error.hpp"
#include "core/storage_gate.hpp"

namespace quorel {

namespace {

// Values are the same value when they compare equal as 32-bit floats: 0 and -0 are one
// value, and a not-a-number equals nothing, itself included.
std::uint32_t ValueKey(float value) { return value == 0.0f ? 0u : std::bit_cast<std::uint32_t>(value); }

}  // namespace

bool ReadFixedValues(std::FILE* in, std::FILE* err, int n, std::vector<float>& values) {
  values.resize(static_cast<std::size_t>(n) * n);
  for (float& value : values) {
    if (std::fscanf(in, "%f", &value) != 1) {
      std::fprintf(err, "ERROR: Could not read fixed matrix.  ");
      std::fprintf(err, "%d x %d matrix expected immediately \n", n, n);
      std::fprintf(err, "\tafter network relations.\n");
      return false;
    }
  }
  return true;
}

std::int16_t ReadFixed(std::FILE* in, std::FILE* err, StorageGate& gate, FixedMatrixRecord& fixed, int n) {
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  std::vector<float> values;
  std::vector<float> distinct;
  if (!gate.Obtain(StorageKind::kFixedWork, values, cells) || !gate.Obtain(StorageKind::kFixedWork, distinct, cells)) {
    std::fprintf(err, "ERROR: Unable to allocate memory in ReadFixed()\n");
    return -1;
  }
  if (!ReadFixedValues(in, err, n, values)) return 0;
  return GroupValues(values, distinct, err, gate, fixed, n);
}

std::int16_t GroupValues(const std::vector<float>& values, std::vector<float>& distinct, std::FILE* err,
                         StorageGate& gate, FixedMatrixRecord& fixed, int n) {
  fixed.GroupCount = 0;
  std::unordered_map<std::uint32_t, int> seen;  // value -> its place among the distinct values
  for (const float value : values) {
    if (value != value) {  // not a number: equal to no value seen before
      distinct[fixed.GroupCount++] = value;
    } else if (seen.emplace(ValueKey(value), fixed.GroupCount).second) {
      distinct[fixed.GroupCount++] = value;
    }
  }
  return MakeGroups(values, distinct, err, gate, fixed, n);
}

std::int16_t MakeGroups(const std::vector<float>& values, const std::vector<float>& distinct, std::FILE* err,
                        StorageGate& gate, FixedMatrixRecord& fixed, int n) {
  if (!gate.Obtain(StorageKind::kFixedGroups, fixed.Groups, static_cast<std::size_t>(fixed.GroupCount))) {
    std::fprintf(err, "ERROR: Unable to allocate memory in make_groups\n");
    return -1;
  }
  std::unordered_map<std::uint32_t, int> group_of;
  for (int g = 0; g < fixed.GroupCount; ++g) {
    fixed.Groups[g].Value = distinct[g];
    if (distinct[g] == distinct[g]) group_of.emplace(ValueKey(distinct[g]), g);
  }
  // The cells are visited in row-major order and appended, so every group lists its
  // cells in ascending row-major order.
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      const float value = values[static_cast<std::size_t>(r) * n + c];
      const auto found = value == value ? group_of.find(ValueKey(value)) : group_of.end();
      if (found == group_of.end()) FatalErrorWithMessage("ERROR: fixed matrix value not found\n");
      CellGroup& group = fixed.Groups[found->second];
      if (!gate.Grant(StorageKind::kFixedNode)) {
        std::fprintf(err, "ERROR: Unable to allocate memory in InsertElement()\n");
        return -1;
      }
      group.Cells.push_back(CellNode{static_cast<std::int16_t>(r), static_cast<std::int16_t>(c)});
      ++group.Count;
    }
  }
  fixed.MaxGroupSize = 0;
  for (const CellGroup& group : fixed.Groups) fixed.MaxGroupSize = std::max(fixed.MaxGroupSize, group.Count);
  if (!gate.Obtain(StorageKind::kFixedScratch, fixed.Scratch, static_cast<std::size_t>(fixed.MaxGroupSize))) {
    std::fprintf(err, "ERROR: Unable to allocate memory in MakeGroups\n");
    return -1;
  }
  return 1;
}

}  // namespace quorel
