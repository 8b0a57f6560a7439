#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// A number field that did not hold a number when the controls were copied to the members.
struct ExchangeFailure {
  int control = 0;                  // the field's control id
  std::string field;                // the field's label, "Size of random sample"
  std::string text;                 // what it held
  bool whole_number = false;        // an integer field (else a decimal one)
  std::string kept_value;           // the member's value, which the run goes on with
  std::vector<std::string> skipped; // the radio groups and fields after it, left as they were
};

// Members to controls: what the dialog shows when it opens.
DialogControls ControlsFromMembers(const AnalysisOptions& members);

// Controls to members, one control after the other in the dialog's order of exchange:
// Transposes, generator products, maximum word length, permutation strategy, measure
// control, sample size, fixed matrix, MinKappa, diagonal, the three factorization boxes,
// Reapply, cutoff list. A number field that does not hold a number ends the exchange there:
// its member and those of the controls after it keep their values, and the failure says so.
std::optional<ExchangeFailure> MembersFromControls(const DialogControls& controls, AnalysisOptions& members);

// The text that tells the user of a failed exchange. Check boxes are not listed among the
// skipped controls: a click on a box sets its member at once.
std::string DescribeExchangeFailure(const ExchangeFailure& failure);

}  // namespace quorel
