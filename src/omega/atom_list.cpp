#include "omega/atom_list.hpp"

#include <new>

#include "core/error.hpp"

namespace quorel {

void AtomList::AppendPair(StorageGate& gate, int first, int second) {
  if (!gate.Grant(StorageKind::kQueueNode)) FatalError(FatalCode::kInclusions);
  try {
    pairs_.push_back(ElementPair{static_cast<std::int16_t>(first), static_cast<std::int16_t>(second)});
  } catch (const std::bad_alloc&) {
    FatalError(FatalCode::kInclusions);
  }
}

}  // namespace quorel
