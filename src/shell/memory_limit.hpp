#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/storage_gate.hpp"

namespace quorel {

// A size as --memory-limit takes it: whole bytes, or a whole number followed by K, M, G or T
// (binary multiples: 1K = 1024 bytes), upper or lower case, optionally followed by "iB" or
// "B" ("512M", "2GiB", "1073741824"). "none" (any case) and 0 are 0, which means no budget.
// Empty: not a size, or one past 2^64 - 1.
std::optional<std::uint64_t> ParseMemorySize(std::string_view text);

// The MemAvailable line of a /proc/meminfo text, in bytes; empty when there is none.
std::optional<std::uint64_t> MemAvailableOf(std::string_view meminfo);

// The budget when --memory-limit is not given: the memory the system has available now
// (MemAvailable, else its free physical pages) less a margin for what the gate does not
// count (the program, small scratch, the views' buffers): a tenth of it or 256 MiB,
// whichever is larger, but never below half of what is available.
std::uint64_t DefaultMemoryBudget(std::uint64_t available);

// What the system has available now, in bytes (0 when it cannot be told).
std::uint64_t AvailableMemory();

// Bytes for people: "512 bytes", "3.0 KiB", "1.5 MiB", "21.3 GiB".
std::string DescribeBytes(std::uint64_t bytes);

// The line the command adds to a run's own messages when the memory budget refused a
// request: what needed how much, what was in use and the budget, and what would reduce it.
std::string MemoryRefusalLine(const MemoryRefusal& refusal);

}  // namespace quorel
