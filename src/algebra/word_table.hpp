#pragma once

#include <cstdint>

namespace quorel {

// How a semigroup element was formed: element = element `Node` followed by generator
// `Generator`. A generator k has Node -1 and Generator k.
struct WordEntry {
  std::int16_t Node = -1;
  std::int16_t Generator = -1;
};

}  // namespace quorel
