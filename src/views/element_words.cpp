#include "views/element_words.hpp"

namespace quorel {

std::vector<std::vector<int>> ElementWords(const std::vector<WordEntry>& words) {
  const int e = static_cast<int>(words.size());
  std::vector<std::vector<int>> result(words.size());
  // Node always precedes the element it forms, so one pass in element order suffices; a
  // node out of range (never made by the builders) leaves the word empty.
  for (int k = 0; k < e; ++k) {
    const WordEntry& entry = words[k];
    if (entry.Node >= 0 && entry.Node < k) result[k] = result[entry.Node];
    if (entry.Node >= k) continue;
    if (entry.Generator >= 0) result[k].push_back(entry.Generator);
  }
  return result;
}

std::string WordLetters(const std::vector<int>& word, int generator_count) {
  if (generator_count > kMaxLetteredGenerators) return {};
  std::string letters;
  for (const int g : word) letters.push_back(static_cast<char>('A' + g));
  return letters;
}

std::string WordLabel(const std::vector<int>& word, int generator_count, const std::vector<std::string>& names) {
  std::string label;
  if (static_cast<int>(names.size()) == generator_count && generator_count > 0) {
    for (std::size_t k = 0; k < word.size(); ++k) {
      if (k > 0) label += "\u00b7";
      label += names[static_cast<std::size_t>(word[k])];
    }
    return label;
  }
  if (generator_count <= kMaxLetteredGenerators) return WordLetters(word, generator_count);
  for (std::size_t k = 0; k < word.size(); ++k) {
    if (k > 0) label += ".";
    label += std::to_string(word[k] + 1);
  }
  return label;
}

std::vector<std::string> GeneratorNames(const std::vector<std::string>& relation_names,
                                        const std::vector<int>& input_slots, const std::vector<int>& transpose_of) {
  if (relation_names.empty() || relation_names.size() != input_slots.size()) return {};
  std::vector<std::string> names(transpose_of.size());
  std::vector<bool> named(transpose_of.size(), false);
  for (std::size_t i = 0; i < input_slots.size(); ++i) {
    const auto slot = static_cast<std::size_t>(input_slots[i]);
    if (slot < names.size() && !named[slot]) {
      names[slot] = relation_names[i];
      named[slot] = true;
    }
  }
  for (std::size_t k = 0; k < transpose_of.size(); ++k) {
    const int source = transpose_of[k];
    if (source >= 0 && static_cast<std::size_t>(source) < names.size()) names[k] = names[source] + "'";
  }
  return names;
}

}  // namespace quorel
