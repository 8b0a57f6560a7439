#include "views/input_report.hpp"

#include "core/analysis_options.hpp"
#include "core/error.hpp"
#include "views/report_printers.hpp"

namespace quorel {

namespace {

// Walks the input matrices and yields, for each, the distinct matrix it stands for: a new
// matrix takes the next distinct index, a repeat the index it repeats.
class DistinctMatrixWalk {
 public:
  DistinctMatrixWalk(const std::vector<std::int16_t>& ident, int generator_count)
      : ident_(ident), generator_count_(generator_count) {}

  int Next(int input_index) {
    const int k = ident_[input_index] == -1 ? next_distinct_++ : ident_[input_index];
    if (k >= generator_count_) FatalError(FatalCode::kMatrixAccess);
    return k;
  }

 private:
  const std::vector<std::int16_t>& ident_;
  int generator_count_;
  int next_distinct_ = 0;
};

}  // namespace

void PrintInput(std::FILE* out, const ProblemFacts& facts, const MatrixList& inputs, const FixedMatrixRecord* fixed,
                StorageGate& gate) {
  const std::vector<std::int16_t>& ident = facts.repeats;
  std::fprintf(out, "PARTIAL ALGEBRAS FOR COMPLETE NETWORKS\n\n");
  std::fprintf(out, "1. The partial algebra for the observed multiple network\n\n");
  std::fprintf(out, "%s\n", facts.label.c_str());
  std::fprintf(out, "Dimension = %1d, Transpose = %1d, No. of Matrices = %1d\n", facts.n, facts.options.m_Transposes,
               facts.nr);
  std::fprintf(out, "\nInput Matrices: ");
  switch (facts.directionality) {
    case 0: std::fprintf(out, "( All directional )\n"); break;
    case 1: std::fprintf(out, "( All non-directional )\n"); break;
    default: {
      std::fprintf(out, "( Mixed directionality )\n\t\t   ");
      DistinctMatrixWalk walk(ident, facts.distinct_inputs);
      for (int i = 0; i < facts.nr; ++i) std::fprintf(out, "%1d ", facts.ndi[walk.Next(i)]);
      break;
    }
  }
  DistinctMatrixWalk walk(ident, facts.distinct_inputs);
  for (int i = 0; i < facts.nr; ++i) {
    std::fprintf(out, "\n%1d)\n", i + 1);
    PrintRelationMatrix(out, inputs.Matrix(walk.Next(i)), inputs.Shape());
  }
  if (facts.distinct_inputs < facts.nr) {
    std::fprintf(out, "\nThe following duplicate(s) will be omitted from ");
    std::fprintf(out, "the list -\n");
    for (int i = 0; i < facts.nr; ++i) {
      if (ident[i] != -1) std::fprintf(out, "Matrix %2d: identical to matrix %2d\n", i + 1, ident[i] + 1);
    }
  }
  if (fixed != nullptr) PrintFixedMatrix(out, *fixed, facts.n, gate);
}

void PrintFixedMatrix(std::FILE* out, const FixedMatrixRecord& fixed, int n, StorageGate& gate) {
  std::vector<float> values;
  if (!gate.Obtain(StorageKind::kFixedPrint, values, static_cast<std::size_t>(n) * n)) return;
  for (const CellGroup& group : fixed.Groups) {
    for (const CellNode& cell : group.Cells) values[static_cast<std::size_t>(cell.Row) * n + cell.Col] = group.Value;
  }
  std::fprintf(out, "\nFixed matrix:\n");
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) std::fprintf(out, "%5.2f ", values[static_cast<std::size_t>(r) * n + c]);
    std::fprintf(out, "\n");
  }
  std::fprintf(out, "\n");
}

void PrintUpdatedList(std::FILE* out, const MatrixList& list, int distinct_inputs, int generator_count,
                      const std::vector<int>& transpose_of) {
  const MatrixShape& shape = list.Shape();
  std::fprintf(out, "\nUpdated List:");
  for (int i = 0; i < distinct_inputs; ++i) {
    std::fprintf(out, "\n%1d)\n", i + 1);
    PrintRelationMatrix(out, list.Matrix(i), shape);
  }
  for (int i = distinct_inputs; i < generator_count; ++i) {
    std::fprintf(out, "\n%1d)  (%2d Transpose)\n", i + 1, transpose_of[i] + 1);
    PrintRelationMatrix(out, list.Matrix(i), shape);
  }
}

void PrintOptions(std::FILE* out, int generator_count, const AnalysisOptions& options, const std::vector<float>& cutoffs) {
  static const char* const kControls[] = {
      "(MA - controlling for density)\n",
      "(MB - controlling for directed graph structure)\n",
      "(MC - controlling for density and outdegrees)\n",
      "(MD - controlling for mutual ties, assymmetric\n\t\t\t\tties and null ties)\n",
      "(ME - controlling for outdegree distribution)\n",
      "(MF - controlling for fixed matrix)\n",
      "(MG - controlling for fixed matrix and outdegrees)\n",
  };
  const auto control = static_cast<std::int16_t>(options.m_MeasureControl);
  const auto strategy = static_cast<std::int16_t>(options.m_PermutationStrategy);
  std::fprintf(out, "\nNumber of distinct generators:   %1d\n\n", generator_count);
  std::fprintf(out, "Maximum word length    :   %1d\n", static_cast<std::int16_t>(options.m_MaxWordLength));
  std::fprintf(out, "Measure control        :   %1d ", control);
  if (control >= 0 && control <= 6) std::fputs(kControls[control], out);
  std::fprintf(out, "Permutation Strategy %1d :   %s\n", strategy,
               strategy == 0 ? "permute Compounds" : "permute Generators");
  std::fprintf(out, "Size of random sample  :   %1d\n", static_cast<std::int16_t>(options.m_SampleSize));
  std::fprintf(out, "Alpha value(s)         :   ");
  for (float alpha : cutoffs) std::fprintf(out, "%6.4f  ", alpha);
  std::fprintf(out, "\n");
  std::fprintf(out, "Minkappa               :   %6.4f\n", options.m_MinKappa);
  switch (static_cast<std::int16_t>(options.m_Diagonal)) {
    case 0: std::fprintf(out, "EXCLUDE diagonal for ALL relations\n"); break;
    case 1: std::fprintf(out, "EXCLUDE diagonal for GENERATORS only\n"); break;
    case 2: std::fprintf(out, "INCLUDE diagonal for ALL relations\n"); break;
    default: break;
  }
  std::fprintf(out, "\n");
}

}  // namespace quorel
