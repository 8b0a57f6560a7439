#pragma once

#include <QMetaType>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/element_relation.hpp"
#include "measures/statistic_matrices.hpp"
#include "omega/omega_level.hpp"

namespace quorel {

// What the window shows of one analysed network, filled in as the phases finish. Each part
// is made once on the analysing thread and never changed afterwards, so the window reads it
// while the analysis goes on.

// The pairs table is kept for semigroups of up to this many elements (about two million
// pairs, some 120 MB with their statistics); a larger one's pairs are left to the tables
// folder's CSV.
inline constexpr int kMaxTabledElements = 2048;

// The semigroup: every element's word, its matrix and ties, and the partial order.
struct ElementsPart {
  std::vector<std::string> actor_names;     // one per actor ("1", "2", ... when the input names none)
  int generator_count = 0;
  std::vector<std::string> words;           // in generator letters
  std::vector<std::string> named_words;     // in relation names (the letters when unnamed)
  std::vector<int> ties;
  std::vector<std::uint8_t> marks;          // ElementMark bits
  // Per element, its actor x actor matrix, row-major, one byte a cell; empty when the
  // network is too large to keep every matrix.
  std::vector<std::vector<std::uint8_t>> matrices;
  std::vector<std::array<std::int32_t, 4>> pair_counts;  // n11, n10, n01, n00 per pair, report order
                                                         // (none beyond kMaxTabledElements)
  ElementRelation partial_order;

  int ElementCount() const { return static_cast<int>(words.size()); }
  bool PairsTabled() const { return ElementCount() <= kMaxTabledElements; }
  int ActorCount() const { return static_cast<int>(actor_names.size()); }
  double Density(int element) const;
};

// The statistics of every pair and the proportions of the samples reaching them.
struct PairsPart {
  int element_count = 0;
  StatisticMatrices statistics;
};

// One network: its number and label, and the parts that have arrived.
struct ProblemResults {
  int number = 0;
  std::string label;
  std::shared_ptr<const ElementsPart> elements;
  std::shared_ptr<const PairsPart> pairs;
  std::vector<std::shared_ptr<const OmegaLevel>> levels;
};

}  // namespace quorel

Q_DECLARE_METATYPE(std::shared_ptr<const quorel::ElementsPart>)
Q_DECLARE_METATYPE(std::shared_ptr<const quorel::PairsPart>)
Q_DECLARE_METATYPE(std::shared_ptr<const quorel::OmegaLevel>)
