#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/input_format.hpp"

namespace quorel {

// The run options, under the names of the main dialog's members, with the dialog's
// defaults. Integer members are 32-bit; the engine uses several of them as 16-bit values.
struct AnalysisOptions {
  std::int32_t m_Transposes = 0;             // add the transposes of the input matrices
  std::int32_t m_GeneratorProductsOnly = 0;  // build generator powers instead of the semigroup
  std::int32_t m_MaxWordLength = 2;
  std::int32_t m_PermutationStrategy = 1;    // 0 permute each pair ("Compounds"), 1 generators
  std::int32_t m_MeasureControl = 0;         // 0..6 = MA..MG
  std::int32_t m_SampleSize = 1000;
  std::int32_t m_FixedSupplied = 0;          // a fixed matrix follows every problem's relations
  float m_MinKappa = 0.01f;
  std::int32_t m_Diagonal = 1;               // 0 exclude all, 1 exclude generators, 2 include all
  std::int32_t m_FactorOmega = 0;
  std::int32_t m_FactorLowerOmega = 0;
  std::int32_t m_FullFactorOutput = 0;
  std::int32_t m_Reapply = 0;
  std::string m_CutoffList = "0.05";

  // Beyond the dialog: where the files are, the random stream and the workers.
  std::string DataPath = "Quorel.dat";
  std::vector<std::string> MoreDataPaths{};       // further files whose relations join the first file's network
  InputFormat DataFormat = InputFormat::kAuto;  // the data file's layout, or recognise it
  std::optional<double> Threshold{};              // a valued cell is a tie above it (0 when not given)
  std::string RelationAttribute{};                // GraphML: the edge attribute naming the relation
  std::string NonDirectional{};                   // relations read as non-directional: names or numbers, comma-separated
  std::vector<std::string> RelationNames{};       // names given to every network's relations (empty: as read)
  std::vector<std::string> ActorNames{};          // names given to every network's actors (empty: as read)
  std::string ReportPath = "Quorel.out";
  std::uint64_t Seed = 0;
  int Threads = 0;  // 0: all cores
  // Beyond the dialog: exact P-values of "permute Compounds" beside the sampled proportions,
  // and whether Omega is decided from them instead of from the samples.
  bool ExactP = false;
  bool OmegaFromExact = false;
  std::uint64_t MemoryBudget = 0;  // bytes of large storage a problem may hold at once; 0: no budget
};

// The measure controls as the option members number them (MeasureControl in the public
// options header names the same controls).
enum MeasureControlIndex : std::int32_t {
  kMA = 0,  // density
  kMB = 1,  // directed graph structure
  kMC = 2,  // density and outdegrees
  kMD = 3,  // mutual, asymmetric and null ties
  kME = 4,  // outdegree distribution
  kMF = 5,  // fixed matrix
  kMG = 6,  // fixed matrix and outdegrees
};

// The permutation strategies and diagonal rules as the option members number them.
enum PermutationStrategyIndex : std::int32_t {
  kPermutePairs = 0,       // "permute Compounds": the second relation of each pair
  kPermuteGenerators = 1,  // "permute Generators": the generators, compounds rebuilt
};
enum DiagonalIndex : std::int32_t {
  kExcludeDiagonalForAll = 0,
  kExcludeDiagonalForGenerators = 1,
  kIncludeDiagonalForAll = 2,
};

}  // namespace quorel
