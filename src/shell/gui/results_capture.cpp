#include "shell/gui/results_capture.hpp"

#include "algebra/semigroup.hpp"
#include "views/dot_export.hpp"
#include "views/element_words.hpp"
#include "views/pair_records.hpp"

namespace quorel {

double ElementsPart::Density(int element) const {
  const double cells = static_cast<double>(ActorCount()) * ActorCount();
  return cells > 0 ? ties[static_cast<std::size_t>(element)] / cells : 0.0;
}

void ResultsCapture::ProblemStarted(const ProblemFacts& facts, const MatrixList&, const FixedMatrixRecord*) {
  facts_ = facts;
  generator_names_.clear();
  elements_.reset();
  if (handlers_.problem) handlers_.problem(facts.number, facts.label);
}

void ResultsCapture::GeneratorsChosen(const MatrixList&, int, const std::vector<int>& transpose_of) {
  generator_names_ = GeneratorNames(facts_.relation_names, facts_.input_slots, transpose_of);
}

void ResultsCapture::SemigroupBuilt(const Semigroup& semigroup, const MatrixList& elements) {
  auto part = std::make_shared<ElementsPart>();
  const int n = facts_.n;
  const int count = semigroup.element_count;
  part->generator_count = semigroup.generator_count;
  for (int a = 0; a < n; ++a) {
    const bool named = a < static_cast<int>(facts_.actor_names.size()) && !facts_.actor_names[a].empty();
    part->actor_names.push_back(named ? facts_.actor_names[a] : std::to_string(a + 1));
  }
  const bool keep_matrices = static_cast<std::int64_t>(n) * n * count <= kMaxKeptMatrixCells;
  const std::vector<std::vector<int>> words = ElementWords(semigroup.word_table);
  for (int k = 0; k < count; ++k) {
    const std::vector<int>& word = words[static_cast<std::size_t>(k)];
    std::string letters = WordLetters(word, semigroup.generator_count);
    if (letters.empty()) letters = WordLabel(word, semigroup.generator_count, {});
    part->words.push_back(letters);
    part->named_words.push_back(WordLabel(word, semigroup.generator_count, generator_names_));
    int ties = 0;
    std::vector<std::uint8_t> cells;
    if (keep_matrices) cells.resize(static_cast<std::size_t>(n) * n);
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) {
        const bool tie = elements.Cell(k, r, c);
        ties += tie ? 1 : 0;
        if (keep_matrices) cells[static_cast<std::size_t>(r) * n + c] = tie ? 1 : 0;
      }
    }
    part->ties.push_back(ties);
    if (keep_matrices) part->matrices.push_back(std::move(cells));
  }
  part->marks = ElementMarks(elements, count, semigroup.generator_count);
  if (part->PairsTabled()) {
    part->pair_counts = CountPairTables(elements, count, semigroup.generator_count, facts_.options.m_Diagonal);
  }
  elements_ = std::move(part);
}

void ResultsCapture::PartialOrderBuilt(const ElementRelation& order) {
  if (!elements_) return;
  elements_->partial_order = order;
  if (handlers_.elements) handlers_.elements(elements_);
  elements_.reset();
}

void ResultsCapture::StatisticsDone(const StatisticMatrices& statistics, int element_count) {
  if (element_count > kMaxTabledElements) return;
  auto part = std::make_shared<PairsPart>();
  part->element_count = element_count;
  part->statistics = statistics;
  if (handlers_.pairs) handlers_.pairs(std::move(part));
}

void ResultsCapture::CutoffLevelDone(const OmegaLevel& level) {
  if (handlers_.level) handlers_.level(std::make_shared<const OmegaLevel>(level));
}

}  // namespace quorel
