#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/fixed_matrix.hpp"

namespace quorel {

class StorageGate;

// Reads the N x N values of a fixed matrix (numbers in the C library's "%f" input form,
// separated by white space) into `values`, row-major. False when a number is missing or
// malformed (message written to `err`).
bool ReadFixedValues(std::FILE* in, std::FILE* err, int n, std::vector<float>& values);

// Reads the N x N fixed matrix that follows a problem's relations (numbers in the C
// library's "%f" input form, separated by white space) and groups its cells by value.
// Returns 1; 0 when a number is missing or malformed (message written to `err`); -1 when
// storage is not available (message written).
std::int16_t ReadFixed(std::FILE* in, std::FILE* err, StorageGate& gate, FixedMatrixRecord& fixed, int n);

// Groups the N x N `values` (row-major) by value as ReadFixed does; `distinct` is work
// space of N x N values. Returns 1 or -1 (storage, message written to `err`).
std::int16_t GroupValues(const std::vector<float>& values, std::vector<float>& distinct, std::FILE* err,
                         StorageGate& gate, FixedMatrixRecord& fixed, int n);

// Builds one group per distinct value (values in order of first appearance) with its
// cells in ascending row-major order. `values` holds the N x N values row-major. Returns 1
// or -1 (storage).
std::int16_t MakeGroups(const std::vector<float>& values, const std::vector<float>& distinct, std::FILE* err,
                        StorageGate& gate, FixedMatrixRecord& fixed, int n);

}  // namespace quorel
