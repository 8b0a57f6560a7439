#include "pipeline/problem_reading.hpp"

#include "core/analysis_options.hpp"
#include "core/error.hpp"
#include "core/matrix_list.hpp"
#include "formats/input_error.hpp"
#include "formats/network_reader.hpp"
#include "pipeline/analysis_state.hpp"

namespace quorel {

ReadSettings ReadSettingsOf(const AnalysisOptions& options) {
  return ReadSettings{options.Threshold, options.RelationAttribute, options.NonDirectional, options.RelationNames,
                      options.ActorNames};
}

bool OpenInput(NetworkReader& reader, const AnalysisOptions& options, std::FILE* err) {
  const std::string* path = &options.DataPath;
  try {
    if (!reader.Open(options.DataFormat, options.DataPath)) return false;
    if (!options.MoreDataPaths.empty() && !reader.HoldsOneNetwork()) {
      throw InputError(0, "is a data file: files are joined only when each holds one network (DL, Pajek, "
                          "GraphML or CSV)");
    }
    for (const std::string& more : options.MoreDataPaths) {
      path = &more;
      if (!reader.Join(options.DataFormat, more)) return false;
    }
    return true;
  } catch (const InputError& error) {
    std::fprintf(err, "ERROR: %s\n", DescribeInputError(*path, error).c_str());
    FatalError(FatalCode::kAbort);
  }
}

std::int16_t ReadProblem(AnalysisState& state, NetworkReader& reader, StatusSink& sink, Network& network,
                         std::vector<std::int16_t>& ident) {
  std::vector<std::int8_t>().swap(state.NDI);
  state.GeneratorCount = 0;
  // The storage of the problem before is gone; the budget starts over.
  state.Storage.ReleaseAll();
  ReadOutcome outcome;
  try {
    outcome = reader.Next(network);
  } catch (const InputError& error) {
    std::fprintf(state.ErrFile, "ERROR: %s\n", DescribeInputError(reader.Path(), error).c_str());
    FatalError(FatalCode::kAbort);
  }
  state.ProblemCount = static_cast<std::int16_t>(reader.ProblemCount());
  switch (outcome) {
    case ReadOutcome::kNetwork: return LoadNetwork(state, sink, network, ident);
    case ReadOutcome::kEnd: return -1;
    default: return 0;
  }
}

std::int16_t LoadNetwork(AnalysisState& state, StatusSink& sink, const Network& network,
                         std::vector<std::int16_t>& ident) {
  state.N = static_cast<std::int16_t>(network.actor_count);
  state.NR = static_cast<std::int16_t>(network.relation_count());
  state.ND = network.non_directional.has_value() ? 1 : 0;
  if (network.non_directional.has_value()) {
    state.NDI.assign(network.non_directional->begin(), network.non_directional->end());
  } else {
    std::vector<std::int8_t>().swap(state.NDI);
  }
  state.ActorNames = network.actor_names;
  state.RelationNames = network.relation_names;
  state.GeneratorCount = 0;
  if (CreateMatrixList(state.MatrixList, state.Storage, sink, state.N, state.NR, ident) != 1) {
    // The list could not be created: nothing can be held in it, so the data ends here.
    state.MatrixList.Release();
    return -1;
  }
  for (int i = 0; i < state.NR; ++i) {
    // Each input matrix goes into the spare slot, where it is kept or found a repeat.
    BitWord* spare = state.MatrixList.Matrix(state.GeneratorCount);
    const MatrixShape& shape = state.MatrixList.Shape();
    for (int r = 0; r < state.N; ++r) {
      for (int c = 0; c < state.N; ++c) SetCell(spare, shape, r, c, network.tie(i, r, c));
    }
    if (RegisterInputMatrix(state.MatrixList, state.Storage, state.ErrFile, ident, state.GeneratorCount, i, state.ND,
                            state.NDI) != 1) {
      return -1;
    }
  }
  return 1;
}

}  // namespace quorel
