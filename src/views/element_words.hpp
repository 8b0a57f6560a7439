#pragma once

#include <string>
#include <vector>

#include "algebra/word_table.hpp"

namespace quorel {

// Generators beyond this many have no single-letter names.
inline constexpr int kMaxLetteredGenerators = 26;

// Every element's word: the generators (numbered from 0) whose product, left to right, the
// element is, read off the word table (element = Node followed by Generator). A generator's
// word is itself; an entry that records no formation gives an empty word.
std::vector<std::vector<int>> ElementWords(const std::vector<WordEntry>& words);

// The word in letters, generator 0 = 'A', 1 = 'B', ...; empty when there are more than 26
// generators.
std::string WordLetters(const std::vector<int>& word, int generator_count);

// A word as a short label: the generators' names joined by a middle dot when names are
// given (one per generator), else the letters, else the generator numbers from 1 joined
// by dots.
std::string WordLabel(const std::vector<int>& word, int generator_count, const std::vector<std::string>& names);

// Per generator, its name from the input relations' names: a distinct input relation takes
// the name of its first occurrence, an added transpose the name of its source followed by
// "'" . Empty when the input names no relations.
std::vector<std::string> GeneratorNames(const std::vector<std::string>& relation_names,
                                        const std::vector<int>& input_slots, const std::vector<int>& transpose_of);

}  // namespace quorel
