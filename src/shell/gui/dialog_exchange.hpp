#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/analysis_options.hpp"

namespace quorel {

// What the option controls of the main dialog show: check states, the checked radio
// button of each group (its index in the group, -1 when none is checked) and the text of
// the edit fields.
struct DialogControls {
  bool transposes = false;
  bool generator_products_only = false;
  std::string max_word_length;
  int permutation_strategy = -1;
  int measure_control = -1;
  std::string sample_size;
  bool fixed_supplied = false;
  std::string min_kappa;
  int diagonal = -1;
  bool factor_omega = false;
  bool factor_lower_omega = false;
  bool full_factor_output = false;
  bool reapply = false;
  std::string cutoff_list;
};

// A number field that does not hold a number.
struct ExchangeFailure {
  int control = 0;            // the field's control id
  std::string field;          // the field's label, "Size of random sample"
  std::string text;           // what it holds
  bool whole_number = false;  // an integer field (else a decimal one)
};

// Members to controls: what the dialog shows when it opens.
DialogControls ControlsFromMembers(const AnalysisOptions& members);

// Controls to members. When a number field does not hold a number no member changes, and
// the failure names the first such field in the dialog's order of exchange.
std::optional<ExchangeFailure> MembersFromControls(const DialogControls& controls, AnalysisOptions& members);

// What is wrong with the field: "Size of random sample: "1O00" is not a whole number."
std::string DescribeExchangeFailure(const ExchangeFailure& failure);

}  // namespace quorel
