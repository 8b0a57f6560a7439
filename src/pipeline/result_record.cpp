#include "pipeline/result_record.hpp"

namespace quorel {

void Replay(const ProblemRecord& r, ResultSink& sink) {
  sink.ProblemStarted(r.facts, r.elements, r.fixed ? &*r.fixed : nullptr);
  for (const auto& [input, equal_to] : r.identical_transposes) sink.IdenticalTranspose(input, equal_to);
  sink.GeneratorsChosen(r.elements, r.generator_count, r.transpose_of);
  sink.SemigroupBuilt(r.semigroup, r.elements);
  sink.PartialOrderBuilt(r.partial_order);
  if (!r.exact.Empty()) sink.ExactProportionsDone(r.exact, r.semigroup.element_count);
  sink.StatisticsDone(r.statistics, r.semigroup.element_count);
  sink.PartialAlgebraStarted();
  for (const ProblemRecord::Level& level : r.levels) {
    const OmegaLevel& l = level.relations;
    sink.CutoffLevelStarted(l.Index, l.Alpha);
    sink.OmegaDecided(l);
    if (l.HasLowerOmega) {
      sink.LowerOmegaFound(l);
      sink.LowerOmegaClosed(l, level.lower_omega_closure_in_omega);
      sink.OmegaClosed(l);
    }
    sink.CutoffLevelDone(l);
    for (const ProblemRecord::Factorization& f : level.factorizations) {
      sink.FactorizationStarted(l.Index, f.is_omega, f.full_output);
      for (const ProblemRecord::Extension& x : f.extensions) sink.ExtensionListed(x.first, x.second, x.induced);
      sink.AtomsFound(static_cast<int>(f.atoms.size()));
      for (std::size_t k = 0; k < f.atoms.size(); ++k) sink.AtomDescribed(static_cast<int>(k) + 1, f.atoms[k]);
      sink.FactorizationDone();
    }
  }
  if (r.complete) sink.ProblemDone();
}

void ResultRecorder::ProblemStarted(const ProblemFacts& facts, const MatrixList&, const FixedMatrixRecord* fixed) {
  problems_.emplace_back();
  Current().facts = facts;
  if (fixed != nullptr) Current().fixed = *fixed;
}

void ResultRecorder::IdenticalTranspose(int input, int equal_to) {
  Current().identical_transposes.emplace_back(input, equal_to);
}

void ResultRecorder::GeneratorsChosen(const MatrixList&, int generator_count, const std::vector<int>& transpose_of) {
  Current().generator_count = generator_count;
  Current().transpose_of = transpose_of;
}

void ResultRecorder::SemigroupBuilt(const Semigroup& semigroup, const MatrixList& elements) {
  Current().semigroup = semigroup;
  Current().elements = elements;
}

void ResultRecorder::PartialOrderBuilt(const ElementRelation& order) { Current().partial_order = order; }

void ResultRecorder::ExactProportionsDone(const ExactProportionMatrices& exact, int) { Current().exact = exact; }
void ResultRecorder::StatisticsDone(const StatisticMatrices& statistics, int) { Current().statistics = statistics; }

void ResultRecorder::LowerOmegaClosed(const OmegaLevel&, bool contained_in_omega) { contained_ = contained_in_omega; }

void ResultRecorder::CutoffLevelDone(const OmegaLevel& level) {
  Current().levels.push_back(ProblemRecord::Level{level, contained_, {}});
  contained_ = false;
}

void ResultRecorder::FactorizationStarted(int, bool is_omega, bool full_output) {
  Current().levels.back().factorizations.push_back(ProblemRecord::Factorization{is_omega, full_output, {}, {}});
}

void ResultRecorder::ExtensionListed(int first, int second, const std::vector<ElementPair>& induced) {
  Current().levels.back().factorizations.back().extensions.push_back(ProblemRecord::Extension{first, second, induced});
}

void ResultRecorder::AtomDescribed(int, const AtomResult& atom) {
  Current().levels.back().factorizations.back().atoms.push_back(atom);
}

void ResultRecorder::ProblemDone() { Current().complete = true; }

}  // namespace quorel
