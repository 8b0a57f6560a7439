#include "views/input_report.hpp"

#include "core/analysis_options.hpp"
#include "pipeline/analysis_state.hpp"
#include "core/fatal_error.hpp"
#include "views/report_printers.hpp"

namespace quorel {

namespace {

// Walks the input matrices and yields, for each, the distinct matrix it stands for: a new
// matrix takes the next distinct index, a repeat the index it repeats.
class DistinctMatrixWalk {
 public:
  DistinctMatrixWalk(const std::vector<std::int16_t>& ident, std::int16_t generator_count)
      : ident_(ident), generator_count_(generator_count) {}

  int Next(int input_index) {
    const int k = ident_[input_index] == -1 ? next_distinct_++ : ident_[input_index];
    if (k >= generator_count_) FatalError(4);
    return k;
  }

 private:
  const std::vector<std::int16_t>& ident_;
  std::int16_t generator_count_;
  int next_distinct_ = 0;
};

}  // namespace

void PrintInput(AnalysisState& state, const AnalysisOptions& options, const std::string& label,
                const std::vector<std::int16_t>& ident) {
  std::FILE* out = state.OutFile;
  std::fprintf(out, "PARTIAL ALGEBRAS FOR COMPLETE NETWORKS\n\n");
  std::fprintf(out, "1. The partial algebra for the observed multiple network\n\n");
  std::fprintf(out, "%s\n", label.c_str());
  std::fprintf(out, "Dimension = %1d, Transpose = %1d, No. of Matrices = %1d\n", state.N, options.m_Transposes,
               state.NR);
  std::fprintf(out, "\nInput Matrices: ");
  switch (state.Directionality) {
    case 0: std::fprintf(out, "( All directional )\n"); break;
    case 1: std::fprintf(out, "( All non-directional )\n"); break;
    default: {
      std::fprintf(out, "( Mixed directionality )\n\t\t   ");
      DistinctMatrixWalk walk(ident, state.GeneratorCount);
      for (int i = 0; i < state.NR; ++i) std::fprintf(out, "%1d ", state.NDI[walk.Next(i)]);
      break;
    }
  }
  DistinctMatrixWalk walk(ident, state.GeneratorCount);
  for (int i = 0; i < state.NR; ++i) {
    std::fprintf(out, "\n%1d)\n", i + 1);
    PrintRelationMatrix(out, state.MatrixList.Matrix(walk.Next(i)), state.MatrixList.Shape());
  }
  if (state.GeneratorCount < state.NR) {
    std::fprintf(out, "\nThe following duplicate(s) will be omitted from ");
    std::fprintf(out, "the list -\n");
    for (int i = 0; i < state.NR; ++i) {
      if (ident[i] != -1) std::fprintf(out, "Matrix %2d: identical to matrix %2d\n", i + 1, ident[i] + 1);
    }
  }
  if (options.m_FixedSupplied) PrintFixedMatrix(state);
}

void PrintFixedMatrix(AnalysisState& state) {
  const int n = state.N;
  std::vector<float> values;
  if (!state.Storage.Obtain(StorageKind::kFixedPrint, values, static_cast<std::size_t>(n) * n)) return;
  for (const CellGroup& group : state.FixedMatrix.Groups) {
    for (const CellNode& cell : group.Cells) values[static_cast<std::size_t>(cell.Row) * n + cell.Col] = group.Value;
  }
  std::FILE* out = state.OutFile;
  std::fprintf(out, "\nFixed matrix:\n");
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) std::fprintf(out, "%5.2f ", values[static_cast<std::size_t>(r) * n + c]);
    std::fprintf(out, "\n");
  }
  std::fprintf(out, "\n");
}

void PrintUpdatedList(AnalysisState& state, const std::vector<std::int16_t>& ident) {
  std::FILE* out = state.OutFile;
  const MatrixShape& shape = state.MatrixList.Shape();
  std::fprintf(out, "\nUpdated List:");
  for (int i = 0; i < state.GeneratorCount; ++i) {
    std::fprintf(out, "\n%1d)\n", i + 1);
    PrintRelationMatrix(out, state.MatrixList.Matrix(i), shape);
  }
  for (int i = state.GeneratorCount; i < state.ElementCount; ++i) {
    std::fprintf(out, "\n%1d)  (%2d Transpose)\n", i + 1, ident[i] + 1);
    PrintRelationMatrix(out, state.MatrixList.Matrix(i), shape);
  }
}

void PrintOptions(AnalysisState& state, const AnalysisOptions& options, const std::vector<float>& cutoffs) {
  static const char* const kControls[] = {
      "(MA - controlling for density)\n",
      "(MB - controlling for directed graph structure)\n",
      "(MC - controlling for density and outdegrees)\n",
      "(MD - controlling for mutual ties, assymmetric\n\t\t\t\tties and null ties)\n",
      "(ME - controlling for outdegree distribution)\n",
      "(MF - controlling for fixed matrix)\n",
      "(MG - controlling for fixed matrix and outdegrees)\n",
  };
  std::FILE* out = state.OutFile;
  const auto control = static_cast<std::int16_t>(options.m_MeasureControl);
  const auto strategy = static_cast<std::int16_t>(options.m_PermutationStrategy);
  std::fprintf(out, "\nNumber of distinct generators:   %1d\n\n", state.GeneratorCount);
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
