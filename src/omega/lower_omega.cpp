#include "omega/lower_omega.hpp"

#include <new>

#include "core/error.hpp"
#include "omega/closure.hpp"
#include "omega/closure_workspace.hpp"
#include "omega/relation_set_ops.hpp"

namespace quorel {

namespace {

// A copy of `from`, counted by the gate while `hold` lives.
ElementRelation ScratchRelation(StorageGate& gate, const ElementRelation& from, StorageHold& hold) {
  const std::uint64_t bytes = ElementRelation::Bytes(from.Size());
  if (!gate.Grant(StorageKind::kScratchRelation, bytes)) FatalError(FatalCode::kVariables);
  hold = StorageHold(gate, StorageKind::kScratchRelation, bytes);
  try {
    return from;
  } catch (const std::bad_alloc&) {
    FatalError(FatalCode::kVariables);
  }
}

}  // namespace

void ComputeLowerOmega(const ElementRelation& omega, const ElementRelation& partial_order,
                       const ProductTable& products, StorageGate& gate, ElementRelation& lower_omega) {
  const int e = partial_order.Size();
  lower_omega = partial_order;

  // Every extension contains the closure of the partial order (the partial order itself
  // when it is closed, as the containment of relation matrices is).
  StorageHold base_hold;
  StorageHold failed_hold;
  ElementRelation base = ScratchRelation(gate, partial_order, base_hold);
  CloseRelation(base, products, gate);
  const bool base_inside = RelationContains(omega, base);
  bool base_merged = false;

  ElementRelation failed = ScratchRelation(gate, ElementRelation(e), failed_hold);
  ClosureWorkspace work(products, gate);
  work.SetBase(base);
  auto stays_inside = [&](int x, int y) { return omega.Get(x, y) && !failed.Get(x, y); };
  const int w = lower_omega.WordsPerRow();

  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) {
      if (!omega.Get(i, j) || partial_order.Get(i, j) || lower_omega.Get(i, j)) continue;
      bool inside = base_inside;
      if (inside && !base.Get(i, j)) {
        work.Add(i, j, stays_inside);
        inside = work.Drain(stays_inside);
        if (inside) {
          std::vector<int> rows;
          work.ChangedRows(rows);
          for (const int r : rows) {
            BitWord* target = lower_omega.Row(r);
            const BitWord* source = work.Row(r);
            for (int k = 0; k < w; ++k) target[k] |= source[k];
          }
        }
        work.Restore();
      }
      if (inside) {
        if (!base_merged) MergeInto(lower_omega, base);
        base_merged = true;
      } else {
        failed.Set(i, j);
      }
    }
  }
}

}  // namespace quorel
