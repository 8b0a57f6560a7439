#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "shell/gui/problem_results.hpp"

namespace quorel {

// The columns of the pairs table: the two elements, their 2 x 2 counts, and each statistic
// with the proportion of random samples reaching it.
enum class PairColumn {
  kFirst, kSecond, kFirstWord, kSecondWord,
  kN11, kN10, kN01, kN00,
  kLikelihoodRatio, kTheta, kFisherP,
  kMcNemarZ, kMcNemarProportion, kBinomialP,
  kKappa, kEstvar, kKappaProportion,
  kStandardizedKappa, kStandardizedKappaProportion,
};
inline constexpr int kPairColumnCount = 19;

struct PairColumnInfo {
  const char* title;  // the header, and the name a filter calls the column by
  bool numeric;       // else text (the words)
};
const PairColumnInfo& ColumnInfo(PairColumn column);

// Every pair i < j of one network in the report's order, (1, 2), (1, 3), ..., (2, 3), ...
// The statistics read as not a number until they have arrived. A semigroup of more than
// kMaxTabledElements elements gives an empty table.
class PairTable {
 public:
  PairTable() = default;
  PairTable(std::shared_ptr<const ElementsPart> elements, std::shared_ptr<const PairsPart> pairs);

  int Size() const { return static_cast<int>(first_.size()); }
  bool HasStatistics() const { return pairs_ != nullptr; }
  int First(int pair) const { return first_[static_cast<std::size_t>(pair)]; }
  int Second(int pair) const { return second_[static_cast<std::size_t>(pair)]; }

  // A numeric column's value (NaN when the run has none); the element numbers from 1.
  double Number(PairColumn column, int pair) const;
  // The cell as the table shows it.
  std::string Text(PairColumn column, int pair) const;

 private:
  float Upper(const std::vector<float>& matrix, int pair) const;
  float Lower(const std::vector<float>& matrix, int pair) const;

  std::shared_ptr<const ElementsPart> elements_;
  std::shared_ptr<const PairsPart> pairs_;
  std::vector<int> first_, second_;
};

// Writes the header and `rows` (pair indices, in the order given) as CSV into `path`; false
// with the reason when the file could not be written.
bool WritePairsCsv(const PairTable& table, const std::vector<int>& rows, const std::string& path, std::string& error);

}  // namespace quorel
