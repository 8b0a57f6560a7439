#pragma once

#include <cstdint>

namespace quorel {

struct AnalysisState;

// Largest number of elements: element numbers are 16-bit.
inline constexpr int kMaxElements = 32767;

// Builds the semigroup of compound relations breadth-first from the generators: stage r
// appends every generator to every element found in stage r-1, up to `max_word_length`
// stages (words of at most max_word_length + 1 letters). Elements are numbered in the order
// they are first found. Fills MultTable and WordTable, writes the order and completeness
// lines, the word and edge tables and the partial multiplication table.
void BuildSemigroup(AnalysisState& state, int max_word_length);

// The construction alone, without the report: fills ElementCount, MultTable (all of it) and
// WordTable; returns true when the element set is closed under multiplication.
// Cost: one Boolean product and one hashed lookup per candidate; the columns of the
// non-generators are read off the word table wherever a product's left part is an element.
bool ConstructSemigroup(AnalysisState& state, int max_word_length);

// The generator-products-only variant: the powers g^2 .. g^(m+1) of each generator.
void BuildGeneratorPowers(AnalysisState& state, int max_word_length);

// Writes the word table and the edge table.
void PrintWordTable(AnalysisState& state);

}  // namespace quorel
