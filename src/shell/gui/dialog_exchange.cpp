#include "shell/gui/dialog_exchange.hpp"

#include "shell/gui/number_fields.hpp"

namespace quorel {

namespace {

// The number fields as the user sees them named.
enum NumberField { kMaxWordLength, kSampleSize, kMinKappa, kNumberFields };

const int kFieldControls[kNumberFields] = {1007, 1010, 1019};
const char* const kFieldNames[kNumberFields] = {"Maximum word length", "Size of random sample", "MinKappa"};

ExchangeFailure Failure(NumberField field, const std::string& text, bool whole_number) {
  return ExchangeFailure{kFieldControls[field], kFieldNames[field], text, whole_number};
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

std::optional<ExchangeFailure> MembersFromControls(const DialogControls& c, AnalysisOptions& members) {
  // Into a copy, taken only when every field holds a number.
  AnalysisOptions m = members;
  m.m_Transposes = c.transposes ? 1 : 0;
  m.m_GeneratorProductsOnly = c.generator_products_only ? 1 : 0;
  if (const auto value = ParseIntegerField(c.max_word_length)) {
    m.m_MaxWordLength = *value;
  } else {
    return Failure(kMaxWordLength, c.max_word_length, true);
  }
  m.m_PermutationStrategy = c.permutation_strategy;
  m.m_MeasureControl = c.measure_control;
  if (const auto value = ParseIntegerField(c.sample_size)) {
    m.m_SampleSize = *value;
  } else {
    return Failure(kSampleSize, c.sample_size, true);
  }
  m.m_FixedSupplied = c.fixed_supplied ? 1 : 0;
  if (const auto value = ParseFloatField(c.min_kappa)) {
    m.m_MinKappa = *value;
  } else {
    return Failure(kMinKappa, c.min_kappa, false);
  }
  m.m_Diagonal = c.diagonal;
  m.m_FactorOmega = c.factor_omega ? 1 : 0;
  m.m_FactorLowerOmega = c.factor_lower_omega ? 1 : 0;
  m.m_FullFactorOutput = c.full_factor_output ? 1 : 0;
  m.m_Reapply = c.reapply ? 1 : 0;
  m.m_CutoffList = c.cutoff_list;
  members = std::move(m);
  return std::nullopt;
}

std::string DescribeExchangeFailure(const ExchangeFailure& failure) {
  return failure.field + ": \"" + failure.text + "\" is not " + (failure.whole_number ? "a whole number." : "a number.");
}

}  // namespace quorel
