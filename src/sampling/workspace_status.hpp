#pragma once

#include <cstdint>

namespace quorel {

// How obtaining the buffers of a sampler or of the generator permutations ended. A sampler
// buffer that cannot be obtained ends the measures computation with completion code 29; the
// work buffer of the row-and-actor shuffle (outdegree distribution control) is fatal, code 9.
enum class WorkspaceStatus : std::uint8_t {
  kReady,
  kSamplerBufferFailed,
  kShuffleWorkFailed,
};

}  // namespace quorel
