#include "core/option_checks.hpp"

#include <cstdio>
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


namespace {

// The numbers the cutoff reading takes from `word`: each run of digits and points, as atof
// converts it; every other character separates numbers.
std::vector<double> NumbersRead(std::string_view word) {
  std::vector<double> numbers;
  std::string run;
  for (std::size_t k = 0; k <= word.size(); ++k) {
    const int ch = k < word.size() ? static_cast<unsigned char>(word[k]) : '\0';
    if (IsDigit(ch) || ch == '.') {
      run.push_back(static_cast<char>(ch));
    } else if (!run.empty()) {
      numbers.push_back(std::atof(run.c_str()));
      run.clear();
    }
  }
  return numbers;
}

// What `word` plainly says: one number, or a comma-separated list of numbers; nothing when
// it is not numbers at all ("5%").
std::vector<double> NumbersMeant(std::string_view given) {
  std::string separated(given);
  for (char& ch : separated) ch = ch == ';' ? ',' : ch;
  const std::string_view word = separated;
  std::vector<double> numbers;
  std::size_t start = 0;
  while (start <= word.size()) {
    std::size_t comma = word.find(',', start);
    if (comma == std::string_view::npos) comma = word.size();
    const std::string part(word.substr(start, comma - start));
    char* end = nullptr;
    const double value = std::strtod(part.c_str(), &end);
    if (part.empty() || *end != '\0') return {};
    numbers.push_back(value);
    start = comma + 1;
  }
  // "0,05" is a decimal comma, not two numbers.
  if (numbers.size() == 2 && word.find('.') == std::string_view::npos) {
    std::string decimal(word);
    decimal[decimal.find(',')] = '.';
    return {std::strtod(decimal.c_str(), nullptr)};
  }
  return numbers;
}

std::string Listed(const std::vector<double>& numbers) {
  std::string text;
  for (std::size_t k = 0; k < numbers.size(); ++k) {
    char number[32];
    std::snprintf(number, sizeof number, "%g", numbers[k]);
    text += (k == 0 ? "" : k + 1 == numbers.size() ? " and " : ", ") + std::string(number);
  }
  return text;
}

// `text` in double quotes.
std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted.append(text);
  quoted.push_back('"');
  return quoted;
}

}  // namespace

std::vector<float> ParseCutoffList(std::string_view text, StatusSink& sink) {
  std::vector<float> cutoffs;
  bool too_many = false;
  for (const double value : NumbersRead(text)) {
    if (static_cast<int>(cutoffs.size()) < kMaxCutoffs) {
      if (value < 0.0 || !(value < 1.0)) sink.AddStatusMessage("invalid probability");
      cutoffs.push_back(static_cast<float>(value));
    } else {
      too_many = true;
    }
  }
  if (too_many) sink.AddStatusMessage("WARNING: Only the first 20 cutoff probabilities are used.");
  return cutoffs;
}

std::vector<std::string> CutoffTextNotes(std::string_view text) {
  std::vector<std::string> notes;
  if (NumbersRead(text).empty()) {
    notes.push_back(Quoted(text) + " holds no number: no cutoff level is read");
    return notes;
  }
  std::size_t k = 0;
  while (k < text.size()) {
    while (k < text.size() && IsWhiteSpace(static_cast<unsigned char>(text[k]))) ++k;
    std::size_t end = k;
    while (end < text.size() && !IsWhiteSpace(static_cast<unsigned char>(text[end]))) ++end;
    std::string_view word = text.substr(k, end - k);
    k = end;
    while (!word.empty() && (word.back() == ',' || word.back() == ';')) word.remove_suffix(1);
    if (word.empty()) continue;
    const std::vector<double> read = NumbersRead(word);
    if (read != NumbersMeant(word)) {
      notes.push_back(Quoted(word) + " is read as " + (read.empty() ? "no number" : Listed(read)));
    }
  }
  return notes;
}

std::vector<float> CheckOptions(AnalysisOptions& options, std::int16_t directionality, StatusSink& sink) {
  CheckMeasureControl(options, directionality, sink);
  return ParseCutoffList(options.m_CutoffList, sink);
}

}  // namespace quorel
