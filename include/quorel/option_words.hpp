#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorel/options.hpp"

namespace quorel {

// The words that name the options' choices, as the command line takes them and the Python
// module and the R package take and give them back. Each table names every choice once.
template <typename Choice>
using ChoiceWords = std::vector<std::pair<const char*, Choice>>;

const ChoiceWords<InputFormat>& InputFormatWords();                  // auto, data, dl, csv, pajek, graphml
const ChoiceWords<PermutationStrategy>& PermutationStrategyWords();  // pairs, generators
const ChoiceWords<MeasureControl>& MeasureControlWords();            // MA .. MG
const ChoiceWords<DiagonalRule>& DiagonalRuleWords();  // exclude-all, exclude-generators, include-all

// The word that names `choice`.
template <typename Choice>
const char* WordOf(const ChoiceWords<Choice>& words, Choice choice) {
  for (const auto& [word, named] : words) {
    if (named == choice) return word;
  }
  return "";
}

// The choice `word` names; none for any other word.
template <typename Choice>
std::optional<Choice> ChoiceNamed(const ChoiceWords<Choice>& words, std::string_view word) {
  for (const auto& [text, choice] : words) {
    if (word == text) return choice;
  }
  return std::nullopt;
}

// The words quoted and listed ("'pairs', 'generators'"), for a message that names them.
template <typename Choice>
std::string QuotedWords(const ChoiceWords<Choice>& words) {
  std::string list;
  for (const auto& entry : words) list.append(list.empty() ? "'" : ", '").append(entry.first).append("'");
  return list;
}

}  // namespace quorel
