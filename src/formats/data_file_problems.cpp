#include "formats/data_file_problems.hpp"

#include <string>

#include "pipeline/analysis_state.hpp"
#include "formats/data_reader.hpp"
#include "formats/fixed_matrix_reader.hpp"

namespace quorel {

namespace {

// The problem just read: the reader keeps each distinct matrix once and records in
// `ident` which held matrix a repeat equals (-1 for a matrix kept in turn).
Network ProblemOf(const AnalysisState& state, const std::vector<std::int16_t>& ident, std::string label) {
  Network network;
  network.Label = std::move(label);
  network.N = state.N;
  const std::size_t cells = static_cast<std::size_t>(state.N) * state.N;
  if (state.ND != 0) network.NonDirectional.emplace();
  int next_kept = 0;
  for (int i = 0; i < state.NR; ++i) {
    const int held = ident[i] < 0 ? next_kept++ : ident[i];
    std::vector<std::uint8_t> matrix(cells, 0);
    for (int r = 0; r < state.N; ++r) {
      for (int c = 0; c < state.N; ++c) matrix[static_cast<std::size_t>(r) * state.N + c] = state.MatrixList.Cell(held, r, c);
    }
    network.Relations.push_back(std::move(matrix));
    if (state.ND != 0) network.NonDirectional->push_back(static_cast<std::uint8_t>(state.NDI[held]));
  }
  return network;
}

}  // namespace

bool ReadDataFileProblems(std::FILE* in, std::FILE* err, StatusSink& sink, bool fixed_matrix,
                          std::vector<Network>& problems, std::vector<std::vector<float>>& fixed_matrices) {
  AnalysisState state;
  state.InFile = in;
  state.ErrFile = err;
  state.ProgressFile = nullptr;
  std::string label;
  std::vector<std::int16_t> ident;
  std::int16_t r;
  while ((r = ReadProblem(state, sink, label, ident)) == 1) {
    problems.push_back(ProblemOf(state, ident, label));
    state.MatrixList.Release();
    fixed_matrices.emplace_back();
    if (fixed_matrix && !ReadFixedValues(in, err, problems.back().N, fixed_matrices.back())) return false;
  }
  state.InFile = nullptr;
  return r != 0;
}

}  // namespace quorel
