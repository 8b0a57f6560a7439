#include "quorel/option_words.hpp"

namespace quorel {

const ChoiceWords<InputFormat>& InputFormatWords() {
  static const ChoiceWords<InputFormat> words{{"auto", InputFormat::kAuto},   {"data", InputFormat::kData},
                                              {"dl", InputFormat::kDl},       {"csv", InputFormat::kCsv},
                                              {"pajek", InputFormat::kPajek}, {"graphml", InputFormat::kGraphMl}};
  return words;
}

const ChoiceWords<PermutationStrategy>& PermutationStrategyWords() {
  static const ChoiceWords<PermutationStrategy> words{{"pairs", PermutationStrategy::kPairs},
                                                      {"generators", PermutationStrategy::kGenerators}};
  return words;
}

const ChoiceWords<MeasureControl>& MeasureControlWords() {
  static const ChoiceWords<MeasureControl> words{{"MA", MeasureControl::kMA}, {"MB", MeasureControl::kMB},
                                                 {"MC", MeasureControl::kMC}, {"MD", MeasureControl::kMD},
                                                 {"ME", MeasureControl::kME}, {"MF", MeasureControl::kMF},
                                                 {"MG", MeasureControl::kMG}};
  return words;
}

const ChoiceWords<DiagonalRule>& DiagonalRuleWords() {
  static const ChoiceWords<DiagonalRule> words{{"exclude-all", DiagonalRule::kExcludeAll},
                                               {"exclude-generators", DiagonalRule::kExcludeGenerators},
                                               {"include-all", DiagonalRule::kIncludeAll}};
  return words;
}

}  // namespace quorel
