#include "shell/gui/pair_table.hpp"

#include <cmath>
#include <limits>

#include "views/csv_writer.hpp"

namespace quorel {

namespace {

constexpr std::array<PairColumnInfo, kPairColumnCount> kColumns{{
    {"first", true}, {"second", true}, {"first word", false}, {"second word", false},
    {"n11", true}, {"n10", true}, {"n01", true}, {"n00", true},
    {"likelihood ratio", true}, {"theta", true}, {"fisher p", true},
    {"mcnemar z", true}, {"mcnemar proportion", true}, {"binomial p", true},
    {"kappa", true}, {"estvar", true}, {"kappa proportion", true},
    {"standardized kappa", true}, {"standardized kappa proportion", true},
}};

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

}  // namespace

const PairColumnInfo& ColumnInfo(PairColumn column) { return kColumns[static_cast<std::size_t>(column)]; }

PairTable::PairTable(std::shared_ptr<const ElementsPart> elements, std::shared_ptr<const PairsPart> pairs)
    : elements_(std::move(elements)), pairs_(std::move(pairs)) {
  int count = elements_ ? elements_->ElementCount() : pairs_ ? pairs_->element_count : 0;
  if (count > kMaxTabledElements) count = 0;
  if (pairs_ && pairs_->element_count != count) pairs_.reset();
  const std::size_t size = static_cast<std::size_t>(count) * (count > 0 ? count - 1 : 0) / 2;
  first_.reserve(size);
  second_.reserve(size);
  for (int i = 0; i < count; ++i) {
    for (int j = i + 1; j < count; ++j) {
      first_.push_back(i);
      second_.push_back(j);
    }
  }
}

float PairTable::Upper(const std::vector<float>& matrix, int pair) const {
  if (matrix.empty()) return std::numeric_limits<float>::quiet_NaN();
  return matrix[static_cast<std::size_t>(First(pair)) * pairs_->element_count + Second(pair)];
}

float PairTable::Lower(const std::vector<float>& matrix, int pair) const {
  if (matrix.empty()) return std::numeric_limits<float>::quiet_NaN();
  return matrix[static_cast<std::size_t>(Second(pair)) * pairs_->element_count + First(pair)];
}

double PairTable::Number(PairColumn column, int pair) const {
  switch (column) {
    case PairColumn::kFirst: return First(pair) + 1;
    case PairColumn::kSecond: return Second(pair) + 1;
    case PairColumn::kFirstWord:
    case PairColumn::kSecondWord: return kNotANumber;
    case PairColumn::kN11:
    case PairColumn::kN10:
    case PairColumn::kN01:
    case PairColumn::kN00: {
      if (!elements_ || elements_->pair_counts.empty()) return kNotANumber;
      const int cell = static_cast<int>(column) - static_cast<int>(PairColumn::kN11);
      return elements_->pair_counts[static_cast<std::size_t>(pair)][static_cast<std::size_t>(cell)];
    }
    default: break;
  }
  if (!pairs_) return kNotANumber;
  const StatisticMatrices& s = pairs_->statistics;
  switch (column) {
    case PairColumn::kLikelihoodRatio: return Upper(s.L, pair);
    case PairColumn::kTheta: return Lower(s.L, pair);
    case PairColumn::kFisherP: return Upper(s.PValue, pair);
    case PairColumn::kMcNemarZ: return Upper(s.McNemarZ, pair);
    case PairColumn::kMcNemarProportion: return Lower(s.McNemarZ, pair);
    case PairColumn::kBinomialP: return Lower(s.PValue, pair);
    case PairColumn::kKappa: return Upper(s.Kappa, pair);
    case PairColumn::kEstvar: return Upper(s.Estvar, pair);
    case PairColumn::kKappaProportion: return Lower(s.Kappa, pair);
    case PairColumn::kStandardizedKappa: return Upper(s.StdKappa, pair);
    case PairColumn::kStandardizedKappaProportion: return Lower(s.StdKappa, pair);
    default: return kNotANumber;
  }
}

std::string PairTable::Text(PairColumn column, int pair) const {
  if (column == PairColumn::kFirstWord || column == PairColumn::kSecondWord) {
    if (!elements_) return {};
    const int element = column == PairColumn::kFirstWord ? First(pair) : Second(pair);
    return elements_->named_words[static_cast<std::size_t>(element)];
  }
  const double value = Number(column, pair);
  if (std::isnan(value)) return {};
  if (column <= PairColumn::kN00) return std::to_string(static_cast<long long>(value));
  return ShortestDecimal(static_cast<float>(value));
}

bool WritePairsCsv(const PairTable& table, const std::vector<int>& rows, const std::string& path, std::string& error) {
  std::vector<std::string> header;
  for (int c = 0; c < kPairColumnCount; ++c) {
    std::string name = ColumnInfo(static_cast<PairColumn>(c)).title;
    for (char& ch : name) ch = ch == ' ' ? '_' : ch;
    header.push_back(name);
  }
  CsvWriter csv;
  if (!csv.Open(path, header, error)) return false;
  for (int pair : rows) {
    for (int c = 0; c < kPairColumnCount; ++c) csv.Text(table.Text(static_cast<PairColumn>(c), pair));
    csv.EndRow();
  }
  return csv.Commit(error);
}

}  // namespace quorel
