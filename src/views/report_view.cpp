#include "views/report_view.hpp"

#include "views/input_report.hpp"
#include "views/report_printers.hpp"
#include "views/statistic_printer.hpp"

namespace quorel {

void PrintInducedInclusions(std::FILE* out, const std::vector<ElementPair>& induced) {
  std::fputs("   ", out);
  int column = 4;
  for (const ElementPair& pair : induced) {
    const int n = std::fprintf(out, " (%d, %d) ", pair.First + 1, pair.Second + 1);
    column += n;
    if (column > 80 - n) {
      std::fputs("\n   ", out);
      column = 4;
    }
  }
  std::fputs("\n\n", out);
}

// Three empty lines separate the problems' reports.
void ReportView::ProblemFollows() { std::fputs("\n\n\n", out_); }

void ReportView::ProblemStarted(const ProblemFacts& facts, const MatrixList& inputs, const FixedMatrixRecord* fixed) {
  facts_ = facts;
  PrintInput(out_, facts, inputs, fixed, gate_);
}

void ReportView::IdenticalTranspose(int input, int equal_to) {
  std::fprintf(out_, "Matrix %2d Transpose: identical to matrix %2d\n", input + 1, equal_to + 1);
}

void ReportView::GeneratorsChosen(const MatrixList& list, int generator_count, const std::vector<int>& transpose_of) {
  // The list is shown again when duplicates were dropped or transposes added.
  if (facts_.nr != facts_.distinct_inputs || generator_count != facts_.distinct_inputs) {
    PrintUpdatedList(out_, list, facts_.distinct_inputs, generator_count, transpose_of);
  }
  PrintOptions(out_, generator_count, facts_.options, facts_.cutoffs);
}

void ReportView::SemigroupBuilt(const Semigroup& s, const MatrixList&) {
  const int e = s.element_count;
  if (s.generator_products_only) {
    std::fprintf(out_, "Order of the semigroup (generator products only):  %1d\n", e);
  } else {
    std::fprintf(out_, "Order of the semigroup :   %1d\n", e);
    if (s.complete) std::fprintf(out_, "(Semigroup is complete)\n");
  }
  std::fprintf(out_, "\nWORD TABLE:\n");
  std::fprintf(out_, "Semigroup\nElement%5cNode%4cGenerator\n", ' ', ' ');
  std::fprintf(out_, "------------------------------\n");
  for (int k = 0; k < e; ++k) {
    const WordEntry& word = s.word_table[k];
    if (word.Node == -1) {
      std::fprintf(out_, "%4d%9c-%9c-\n", k + 1, ' ', ' ');
    } else {
      std::fprintf(out_, "%4d%10d%10d\n", k + 1, word.Node + 1, word.Generator + 1);
    }
  }
  std::fprintf(out_, "\nEDGE TABLE:\n");
  PrintElementTable(out_, e, s.generator_count, s.mult_table.data(), true);
  if (s.generator_products_only) return;
  std::fprintf(out_, "\nPARTIAL MULTIPLICATION TABLE:\n");
  PrintElementTable(out_, e, s.generator_count, s.mult_table.data(), false);
}

void ReportView::PartialOrderBuilt(const ElementRelation& order) {
  std::fprintf(out_, "PARTIAL ORDER TABLE:\n");
  PrintElementTable(out_, order);
}

void ReportView::StatisticsDone(const StatisticMatrices& s, int e) {
  const AnalysisOptions& options = facts_.options;
  std::FILE* out = out_;
  std::fprintf(out, "\n2. Measures of association and inclusion among compound relations, and associated P-values.\n");
  std::fprintf(out, "\nLIKELIHOOD RATIO STATISTIC:\n");
  PrintStatisticMatrix(out, s.L, e, true, false);
  std::fprintf(out, "\nTHETA - Proportions Based On Likelihood Ratio Statistic:\n");
  PrintStatisticMatrix(out, s.L, e, false, true);
  if (options.m_MeasureControl == kMA) {
    std::fprintf(out, "\nFISHERP:\n");
    PrintStatisticMatrix(out, s.PValue, e, true, true);
  }
  std::fprintf(out, "\nMcNEMAR Z:\n");
  PrintStatisticMatrix(out, s.McNemarZ, e, true, false);
  if (options.m_PermutationStrategy == kPermutePairs) {
    std::fprintf(out, "\nMcNEMAR Z proportions:\n");
    PrintStatisticMatrix(out, s.McNemarZ, e, false, true);
  }
  std::fprintf(out, "\nBINP:\n");
  PrintStatisticMatrix(out, s.PValue, e, false, true);
  std::fprintf(out, "\nKAPPA:\n");
  PrintStatisticMatrix(out, s.Kappa, e, true, false);
  std::fprintf(out, "\nESTVAR:\n");
  PrintStatisticMatrix(out, s.Estvar, e, true, true);
  std::fprintf(out, "\nKAPPA proportions:\n");
  PrintStatisticMatrix(out, s.Kappa, e, false, true);
  std::fprintf(out, "\nSTANDARDIZED KAPPA:\n");
  PrintStatisticMatrix(out, s.StdKappa, e, true, false);
  std::fprintf(out, "\nSTANDARDIZED KAPPA proportions:\n");
  PrintStatisticMatrix(out, s.StdKappa, e, false, true);
  std::fprintf(out, "\n\n");
}

void ReportView::PartialAlgebraStarted() { std::fprintf(out_, "3. Construction of partial algebra."); }

void ReportView::CutoffLevelStarted(int index, float) { std::fprintf(out_, "\n\n(%1d)", index + 1); }

void ReportView::OmegaDecided(const OmegaLevel& level) {
  std::fprintf(out_, "\tAlpha = %6.4f\n", static_cast<double>(level.Alpha));
  std::fprintf(out_, "\tZ(Alpha) = %7.5f\n", level.Z);
  std::fprintf(out_, "\tMinkappa = %6.4f\n", static_cast<double>(level.MinKappa));
  std::fputs("\nOMEGA :\n", out_);
  PrintElementTable(out_, level.Omega);
}

void ReportView::LowerOmegaFound(const OmegaLevel& level) {
  std::fputs("LOWER OMEGA RELATION: \n", out_);
  PrintElementTable(out_, level.LowerOmega);
}

void ReportView::LowerOmegaClosed(const OmegaLevel& level, bool contained_in_omega) {
  std::fputs("CLOSURE OF LOWER OMEGA RELATION:\n", out_);
  PrintElementTable(out_, level.LowerOmegaClosure);
  if (contained_in_omega) std::fputs("Closure of Lower Omega is contained in Omega\n", out_);
}

void ReportView::OmegaClosed(const OmegaLevel& level) {
  std::fputs("\nPARTIAL ALGEBRAIC CLOSURE OF OMEGA:\n", out_);
  PrintElementTable(out_, level.OmegaClosure);
}

void ReportView::CutoffLevelDone(const OmegaLevel&) {
  std::fputs("\n4. Factorisation of the closure of OMEGA and OMEGA_L.\n", out_);
}

void ReportView::FactorizationStarted(int, bool is_omega, bool full_output) {
  if (is_omega) {
    std::fputs("\nFACTORIZATION OF OMEGA AT LEVEL ALPHA:", out_);
  } else {
    std::fputs("\nFACTORIZATION OF LOWER OMEGA RELATION AT ", out_);
    std::fputs("LEVEL ALPHA:", out_);
  }
  std::fputs("\n", out_);
  if (full_output) std::fputs("\nGenerating and Induced Inclusions\n", out_);
}

void ReportView::ExtensionListed(int first, int second, const std::vector<ElementPair>& induced) {
  std::fprintf(out_, "%d, %d\n", first + 1, second + 1);
  PrintInducedInclusions(out_, induced);
  std::fputs("\n", out_);
}

void ReportView::AtomsFound(int count) {
  if (count == 1) {
    std::fputs("\nTHERE IS 1 ATOM.\n", out_);
  } else {
    std::fprintf(out_, "\nTHERE ARE %d ATOMS.\n", count);
  }
}

void ReportView::AtomDescribed(int k, const AtomResult& atom) {
  std::fprintf(out_, "\nATOM #%d\n", k);
  std::fprintf(out_, "Generating Inclusion: %2d,%2d\n", atom.Generating.First + 1, atom.Generating.Second + 1);
  std::fputs("Induced Inclusions: \n", out_);
  PrintInducedInclusions(out_, atom.Induced);
  std::fprintf(out_, atom.UniqueMeetComplement ? "Atom %d has a unique maximal " : "Atom %d has NO unique maximal ", k);
  std::fputs("meet-complement.\n", out_);
  std::fputs("\nMatrix of Meet-Complements\n", out_);
  PrintElementTable(out_, atom.MeetComplements);
}

void ReportView::FactorizationDone() { std::fputs("\n\n\n", out_); }

}  // namespace quorel
