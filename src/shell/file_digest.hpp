#pragma once

#include <cstdint>
#include <string>

namespace quorel {

// The SHA-256 of the file at `path` in lowercase hex, and its size; false (and nothing set)
// when it cannot be read. Cost: one pass over the file.
bool DigestFile(const std::string& path, std::string& sha256, std::uint64_t& bytes);

}  // namespace quorel
