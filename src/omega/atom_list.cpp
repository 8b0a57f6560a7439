#include "omega/atom_list.hpp"

#include <new>

#include "core/fatal_error.hpp"

namespace quorel {

void AtomList::AppendPair(StorageGate& gate, int first, int second) {
  if (!gate.Grant(StorageKind::kQueueNode)) FatalError(8);
  try {
    pairs_.push_back(ElementPair{static_cast<std::int16_t>(first), static_cast<std::int16_t>(second)});
  } catch (const std::bad_alloc&) {
    FatalError(8);
  }
}

void AtomList::RemoveFirst(std::FILE* err) {
  if (pairs_.empty()) {
    if (err != nullptr) {
      std::fputs("WARNING: Tried to remove an atom from an empty list.", err);
      std::fputs(" Continuing...\n", err);
    }
    return;
  }
  pairs_.pop_front();
}

}  // namespace quorel
