#pragma once

#include "core/element_relation.hpp"

namespace quorel {

// The relations of one cutoff level, kept for a reader of the results beside the report
// (the report itself is written as they are computed). All relations have the partial
// order's orientation: cell (r, c) = 1 when element c is included in element r.
struct OmegaLevel {
  int Index = 0;         // the level's position in the cutoff list, from 0
  float Alpha = 0.0f;    // the cutoff probability
  double Z = 0.0;        // Z(alpha), the normal quantile used for the kappa bound
  float MinKappa = 0.0f;
  bool HasLowerOmega = false;  // false when only generator products were formed: Omega is
                               // then neither closed nor accompanied by lower Omega
  ElementRelation Omega;              // as decided from the measures
  ElementRelation OmegaClosure;       // its partial algebraic closure (when HasLowerOmega)
  ElementRelation LowerOmega;         // (when HasLowerOmega)
  ElementRelation LowerOmegaClosure;  // (when HasLowerOmega)
  int UnsettledPairs = 0;  // pairs whose place in Omega their proportions' intervals leave open
};

}  // namespace quorel
