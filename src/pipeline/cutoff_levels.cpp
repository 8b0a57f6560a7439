#include "pipeline/cutoff_levels.hpp"

#include "core/error.hpp"
#include "omega/closure.hpp"
#include "omega/factor_table.hpp"
#include "omega/factorization.hpp"
#include "omega/lower_omega.hpp"
#include "omega/omega.hpp"
#include "omega/omega_sensitivity.hpp"
#include "omega/product_table.hpp"
#include "omega/relation_set_ops.hpp"
#include "omega/z_table.hpp"

namespace quorel {

void StreamFactorization(const ElementRelation& rel, const std::vector<std::int16_t>& mult, int level_index, bool is_omega,
               bool full, StorageGate& gate, ResultSink& sink, std::size_t byte_limit, const ProgressObserver* stop) {
  sink.FactorizationStarted(level_index, is_omega, full);
  const ProductTable products(mult, rel.Size(), gate);
  FactorTable table;
  table.Build(rel, products, gate, byte_limit, stop);
  if (full) {
    ListExtensions(table, rel, [&](int first, int second, const std::vector<ElementPair>& induced) {
      sink.ExtensionListed(first, second, induced);
    });
  }
  AtomList atoms;
  FindAtoms(atoms, table, gate);
  sink.AtomsFound(atoms.Count());

  if (!gate.Grant(StorageKind::kScratchRelation)) FatalError(FatalCode::kVariables);
  ElementRelation extension;
  int number = 0;
  for (const ElementPair& atom : atoms) {
    StopIfCancelled(stop);
    AtomResult result;
    result.Generating = atom;
    result.UniqueMeetComplement = MeetComplement(atom.First, atom.Second, result.MeetComplements, table, gate);
    table.Materialize(table.ExtensionOf(atom.First, atom.Second), extension);
    result.Induced = InducedInclusions(extension, rel);
    sink.AtomDescribed(++number, result);
  }
  sink.FactorizationDone();
  // The table, its extensions and the builder's tables go with this factorization.
  gate.Release(StorageKind::kFactorTable);
  gate.Release(StorageKind::kExtension);
}

void StreamCutoffLevel(OmegaLevel& level, const std::vector<std::int16_t>& mult, const StatisticMatrices& statistics,
                       const ElementRelation& partial_order, int permutation_strategy, int samples,
                       StorageGate& gate, ResultSink& sink) {
  FillOmega(level.Omega, statistics, level.Alpha, level.MinKappa, level.Z, partial_order, permutation_strategy);
  level.UnsettledPairs = CountUnsettledPairs(statistics, samples, level.Alpha, level.MinKappa, level.Z, partial_order,
                                             permutation_strategy);
  sink.OmegaDecided(level);
  if (level.HasLowerOmega) {
    const ProductTable products(mult, partial_order.Size(), gate);
    ComputeLowerOmega(level.Omega, partial_order, products, gate, level.LowerOmega);
    sink.LowerOmegaFound(level);
    level.LowerOmegaClosure = level.LowerOmega;
    CloseRelation(level.LowerOmegaClosure, products, gate);
    sink.LowerOmegaClosed(level, RelationContains(level.Omega, level.LowerOmegaClosure));
    level.OmegaClosure = level.Omega;
    CloseRelation(level.OmegaClosure, products, gate);
    sink.OmegaClosed(level);
  }
  sink.CutoffLevelDone(level);
}

void RunCutoffLevels(const Semigroup& semigroup, const StatisticMatrices& statistics,
                     const ElementRelation& partial_order, const AnalysisOptions& options,
                     const std::vector<float>& cutoffs, int samples, StorageGate& gate, ResultSink& sink,
                     ProgressObserver* progress, std::FILE* progress_lines) {
  const int e = semigroup.element_count;
  const bool products_only = semigroup.generator_products_only;
  OmegaLevel level;
  if (!level.Omega.Obtain(gate, StorageKind::kOmega, e) || !level.LowerOmega.Obtain(gate, StorageKind::kOmega, e)) {
    FatalError(FatalCode::kOmega);
  }
  // The closures of Omega and lower Omega are copies of them, made at each level.
  if (!products_only && !gate.Grant(StorageKind::kOmega, 2 * ElementRelation::Bytes(e))) FatalError(FatalCode::kOmega);
  const bool full = options.m_FullFactorOutput != 0;
  for (std::size_t k = 0; k < cutoffs.size(); ++k) {
    level.Index = static_cast<int>(k);
    level.Alpha = cutoffs[k];
    level.Z = ZOfAlpha(level.Alpha);
    level.MinKappa = options.m_MinKappa;
    level.HasLowerOmega = !products_only;
    if (progress_lines != nullptr) {
      std::fprintf(progress_lines, "\tConstructing Omega for alpha(%4.3f)...\n", level.Alpha);
    }
    // A run asked to stop ends here, before the views begin the level's block.
    if (progress != nullptr) progress->CutoffLevelStarted(level.Index, level.Alpha);
    MarkStep(progress, Step::kOmega);
    sink.CutoffLevelStarted(level.Index, level.Alpha);
    StreamCutoffLevel(level, semigroup.mult_table, statistics, partial_order, options.m_PermutationStrategy, samples,
                      gate, sink);

    const bool factor_lower = options.m_FactorLowerOmega && !products_only;
    if (options.m_FactorOmega || factor_lower) MarkStep(progress, Step::kFactorization);
    const ElementRelation& closed_omega = products_only ? level.Omega : level.OmegaClosure;
    if (options.m_FactorOmega) {
      StreamFactorization(closed_omega, semigroup.mult_table, level.Index, true, full, gate, sink,
                          FactorTable::kDefaultByteLimit, progress);
    }
    if (factor_lower) {
      StreamFactorization(level.LowerOmegaClosure, semigroup.mult_table, level.Index, false, full, gate, sink,
                          FactorTable::kDefaultByteLimit, progress);
    }
  }
}

}  // namespace quorel
