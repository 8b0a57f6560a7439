#include "shell/gui/dialog_exchange.hpp"

#include "shell/gui/number_fields.hpp"

namespace quorel {

namespace {

// The controls in the order of exchange after the first number field, as the user sees
// them named; check boxes are left out (see DescribeExchangeFailure).
enum Step { kMaxWordLength, kPermutationStrategy, kMeasureControl, kSampleSize, kMinKappa, kDiagonal, kCutoffList, kSteps };

const int kStepControls[kSteps] = {1007, 1008, 1011, 1010, 1019, 1020, 1033};

const char* const kStepNames[kSteps] = {
    "Maximum word length", "Permutation strategy", "Measure control", "Size of random sample", "MinKappa",
    "Diagonal inclusion/exclusion", "List of Cutoff Probabilities"};

ExchangeFailure Failure(Step step, const std::string& text, bool whole_number, std::string kept_value) {
  ExchangeFailure failure;
  failure.control = kStepControls[step];
  failure.field = kStepNames[step];
  failure.text = text;
  failure.whole_number = whole_number;
  failure.kept_value = std::move(kept_value);
  for (int later = step + 1; later < kSteps; ++later) failure.skipped.emplace_back(kStepNames[later]);
  return failure;
}

}  // namespace

DialogControls ControlsFromMembers(const AnalysisOptions& m) {
  DialogControls c;
  c.transposes = m.m_Transposes != 0;
  c.generator_products_only = m.m_GeneratorProductsOnly != 0;
  c.max_word_length = FormatIntegerField(m.m_MaxWordLength);
  c.permutation_strategy = m.m_PermutationStrategy;
  c.measure_control = m.m_MeasureControl;
  c.sample_size = FormatIntegerField(m.m_SampleSize);
  c.fixed_supplied = m.m_FixedSupplied != 0;
  c.min_kappa = FormatFloatField(m.m_MinKappa);
  c.diagonal = m.m_Diagonal;
  c.factor_omega = m.m_FactorOmega != 0;
  c.factor_lower_omega = m.m_FactorLowerOmega != 0;
  c.full_factor_output = m.m_FullFactorOutput != 0;
  c.reapply = m.m_Reapply != 0;
  c.cutoff_list = m.m_CutoffList;
  return c;
}

std::optional<ExchangeFailure> MembersFromControls(const DialogControls& c, AnalysisOptions& m) {
  m.m_Transposes = c.transposes ? 1 : 0;
  m.m_GeneratorProductsOnly = c.generator_products_only ? 1 : 0;
  if (const auto value = ParseIntegerField(c.max_word_length)) {
    m.m_MaxWordLength = *value;
  } else {
    return Failure(kMaxWordLength, c.max_word_length, true, FormatIntegerField(m.m_MaxWordLength));
  }
  m.m_PermutationStrategy = c.permutation_strategy;
  m.m_MeasureControl = c.measure_control;
  if (const auto value = ParseIntegerField(c.sample_size)) {
    m.m_SampleSize = *value;
  } else {
    return Failure(kSampleSize, c.sample_size, true, FormatIntegerField(m.m_SampleSize));
  }
  m.m_FixedSupplied = c.fixed_supplied ? 1 : 0;
  if (const auto value = ParseFloatField(c.min_kappa)) {
    m.m_MinKappa = *value;
  } else {
    return Failure(kMinKappa, c.min_kappa, false, FormatFloatField(m.m_MinKappa));
  }
  m.m_Diagonal = c.diagonal;
  m.m_FactorOmega = c.factor_omega ? 1 : 0;
  m.m_FactorLowerOmega = c.factor_lower_omega ? 1 : 0;
  m.m_FullFactorOutput = c.full_factor_output ? 1 : 0;
  m.m_Reapply = c.reapply ? 1 : 0;
  m.m_CutoffList = c.cutoff_list;
  return std::nullopt;
}

std::string DescribeExchangeFailure(const ExchangeFailure& failure) {
  std::string text = failure.field + ": \"" + failure.text + "\" is not " +
                     (failure.whole_number ? "a whole number." : "a number.");
  text += "\nThe run goes on with " + failure.kept_value + " for it";
  if (failure.skipped.empty()) return text + ".";
  text += ", and these settings keep the values they had before: ";
  for (std::size_t k = 0; k < failure.skipped.size(); ++k) {
    if (k > 0) text += k + 1 == failure.skipped.size() ? " and " : ", ";
    text += failure.skipped[k];
  }
  return text + ".";
}

}  // namespace quorel
