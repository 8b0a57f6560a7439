#include "core/option_checks.hpp"

#include <cstdlib>
#include <string>

#include "core/analysis_options.hpp"
#include "core/status_sink.hpp"
#include "core/text_classes.hpp"

namespace quorel {

std::int16_t ClassifyDirectionality(const std::vector<std::int8_t>& ndi, std::uint8_t nd, int nr) {
  if (nd == 0) return 0;
  bool seen_zero = false;
  bool seen_nonzero = false;
  for (int i = 0; i < nr && i < static_cast<int>(ndi.size()) && !(seen_zero && seen_nonzero); ++i) {
    (ndi[i] == 0 ? seen_zero : seen_nonzero) = true;
  }
  if (seen_zero && seen_nonzero) return 2;
  return seen_nonzero ? 1 : 0;
}

void CheckMeasureControl(AnalysisOptions& options, std::int16_t directionality, StatusSink& sink) {
  const std::int32_t p = options.m_PermutationStrategy;
  std::int32_t& m = options.m_MeasureControl;
  static const char* const kMixed = "\nWARNING: Cannot perform requested measure control with mixed directionality.";
  static const char* const kNonDirectional =
      "\nWARNING: Cannot perform requested measure control with non-directional\nrelations.";
  if (p == 0 && directionality == 2 && m == kMA) {
    sink.AddStatusMessage(kMixed);
    sink.AddStatusMessage("\nControl for DENSITY with directional relations will be used instead.\n");
  } else if (directionality != 0 && (m == kMC || m == kME)) {
    sink.AddStatusMessage(kNonDirectional);
    sink.AddStatusMessage("Control for DIRECTED GRAPH STRUCTURE will be used instead.\n");
    m = kMB;
  } else if (p == 0 && directionality == 2 && (m == kMF || m == kMG)) {
    sink.AddStatusMessage(kMixed);
    sink.AddStatusMessage("\nControl for FIXED MATRIX with directional relations will be used instead.\n");
  } else if (directionality != 0 && m == kMG) {
    sink.AddStatusMessage(kNonDirectional);
    sink.AddStatusMessage("Control for FIXED MATRIX will be used instead.\n");
    m = kMF;
  }
}

std::vector<float> ParseCutoffList(std::string_view text, StatusSink& sink) {
  std::vector<float> cutoffs;
  bool too_many = false;
  std::string run;
  // Every position is visited up to and including the end of the text, which closes the
  // last number.
  for (std::size_t k = 0; k <= text.size(); ++k) {
    const int ch = k < text.size() ? static_cast<unsigned char>(text[k]) : '\0';
    if (IsDigit(ch) || ch == '.') {
      run.push_back(static_cast<char>(ch));
      continue;
    }
    if (run.empty()) continue;
    if (static_cast<int>(cutoffs.size()) < kMaxCutoffs) {
      const double value = std::atof(run.c_str());
      if (value < 0.0 || !(value < 1.0)) sink.AddStatusMessage("invalid probability");
      cutoffs.push_back(static_cast<float>(value));
    } else {
      too_many = true;
    }
    run.clear();
  }
  if (too_many) sink.AddStatusMessage("WARNING: Only the first 20 cutoff probabilities are used.");
  return cutoffs;
}

std::vector<float> CheckOptions(AnalysisOptions& options, std::int16_t directionality, StatusSink& sink) {
  CheckMeasureControl(options, directionality, sink);
  return ParseCutoffList(options.m_CutoffList, sink);
}

}  // namespace quorel
