#include "sampling/overlap_sampler.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/analysis_options.hpp"
#include "core/random_source.hpp"
#include "measures/diagonal_rule.hpp"
#include "sampling/shuffles.hpp"

namespace quorel {

namespace {

constexpr std::uint64_t kIncrement = RandomSource::kIncrement;

// A source in state `state` moved on by `draws` draws.
std::uint64_t StateAfter(std::uint64_t state, std::int64_t draws) {
  return state + static_cast<std::uint64_t>(draws) * kIncrement;
}

// The first position from which every weight equals the last one: a shuffle's later steps
// place values where they all meet the same weight, so only the number of ties left matters.
// At most length - 1 (the last step of a shuffle never moves anything); 0 for length 0.
int ConstantTailStart(const std::uint8_t* weights, int length) {
  int start = length > 0 ? length - 1 : 0;
  while (start > 0 && weights[start - 1] == weights[length - 1]) --start;
  return start;
}

// The first `steps` steps of a forward shuffle of values[0..length) with the exchange
// positions `picks`: at step k the value at picks[k] is placed at k for good and the value at
// k takes its slot, so values[k+1..] keeps the values still to be placed (values[k] itself is
// not rewritten). Returns the sum of weight times value over the placed positions plus
// `tail_weight` times the ties still unplaced, which all meet that weight.
inline int PlaceAndWeigh(std::int8_t* values, int length, const std::uint16_t* picks, const std::uint8_t* weights,
                         int steps, int tail_weight) {
  int weighted = 0;
#pragma GCC unroll 4
  for (int k = 0; k < steps; ++k) {
    const int j = picks[k];
    const int v = values[j];
    values[j] = values[k];
    weighted += weights[k] * v;
  }
  int left = 0;
  for (int k = steps; k < length; ++k) left += values[k];
  return weighted + tail_weight * left;
}

// The same steps as full exchanges, leaving the shuffled arrangement in `values`.
template <class T>
inline void Exchange(T* values, const std::uint16_t* picks, int steps) {
  for (int k = 0; k < steps; ++k) std::swap(values[k], values[picks[k]]);
}

template <class T>
bool ObtainBuffer(StorageGate& gate, std::vector<T>& buffer, std::size_t size) {
  // At least one element, so that data() is never null.
  return gate.Obtain(StorageKind::kSamplerBuffer, buffer, std::max<std::size_t>(size, 1));
}

// MD: what a dyad adds to the overlap, by its shuffled code (0 null, 1 i->j, 2 j->i, 3 mutual)
// and A's state there (A[i][j] + 2 A[j][i]), index 4 * code + state. An asymmetric code on a
// dyad where A is asymmetric adds 1 only if its direction meets A's tie: it waits for its
// direction draw (kWaits). An asymmetric code where A has both ties adds 1 whichever way.
constexpr std::int8_t kDyadGain[16] = {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 2};
constexpr std::int8_t kWaits[16] = {0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0};
constexpr std::int8_t kAsymmetric[4] = {0, 1, 1, 0};

}  // namespace

WorkspaceStatus OverlapSampler::Obtain(StorageGate& gate, int n, int control, int directionality,
                                       const FixedMatrixRecord* fixed) {
  n_ = n;
  control_ = control;
  directionality_ = directionality;
  model_ = NullModelOf(control, directionality == 1, PermutationStrategy::kPairs);
  fixed_ = fixed;
  kernel_ = BestDrawKernel();
  classes_built_[0] = classes_built_[1] = false;
  const std::size_t square = static_cast<std::size_t>(n > 0 ? n : 0) * static_cast<std::size_t>(n > 0 ? n : 0);
  const std::size_t line = static_cast<std::size_t>(n > 0 ? n : 0);
  bool ok = ObtainBuffer(gate, second_only_offsets_, square) && ObtainBuffer(gate, first_only_offsets_, square) &&
            ObtainBuffer(gate, work_, square) && ObtainBuffer(gate, picks_, square);
  switch (control) {
    case kMA:
    case kMF:
    case kMG:
      ok = ok && ObtainBuffer(gate, slot_values_, square) && ObtainBuffer(gate, slot_weights_, square) &&
           ObtainBuffer(gate, slot_lands_, square) && ObtainBuffer(gate, class_weights_, square) &&
           ObtainBuffer(gate, class_lands_, square);
      break;
    case kMB:
      ok = ok && ObtainBuffer(gate, perm_, line) && ObtainBuffer(gate, inverse_, line) &&
           ObtainBuffer(gate, list_begin_, line + 1) && ObtainBuffer(gate, list_columns_, square);
      break;
    case kMC:
    case kME:
      ok = ok && ObtainBuffer(gate, perm_, line) && ObtainBuffer(gate, first_rows_, square) &&
           ObtainBuffer(gate, second_rows_, square) && ObtainBuffer(gate, row_steps_, line) &&
           ObtainBuffer(gate, row_tail_, line) && ObtainBuffer(gate, first_row_ties_, line) &&
           ObtainBuffer(gate, second_row_ties_, line);
      if (ok && control == kME && !gate.Obtain(StorageKind::kShuffleWork, row_work_, std::max<std::size_t>(square, 1))) {
        return WorkspaceStatus::kShuffleWorkFailed;
      }
      break;
    case kMD:
      ok = ok && ObtainBuffer(gate, codes_, square) && ObtainBuffer(gate, first_dyads_, square) &&
           ObtainBuffer(gate, pending_, square) && ObtainBuffer(gate, slot_values_, line) &&
           ObtainBuffer(gate, slot_weights_, line);
      break;
    default: break;
  }
  return ok ? WorkspaceStatus::kReady : WorkspaceStatus::kSamplerBufferFailed;
}

void OverlapSampler::Prepare(const std::int8_t* first, const std::int8_t* second, bool include_diagonal) {
  a_ = first;
  b_ = second;
  include_ = include_diagonal;
  counted_ = CountedCells(n_, include_diagonal);
  active_ = DrawsSamples(model_, fixed_);
  segments_.clear();
  varying_.clear();
  slot_end_ = 0;
  fixed_overlap_ = 0;
  first_ties_ = second_ties_ = discordant_ = 0;
  second_only_count_ = first_only_count_ = 0;
  draws_per_sample_ = 0;
  if (!active_) return;

  draws_per_sample_ = PairSampleDrawCount(n_, include_, control_, directionality_, b_, fixed_);
  // When the shuffle's draws serve as exchange draws, the exchanges start with the sample.
  randomising_draws_ = static_cast<int>(draws_per_sample_ - counted_);
  for (int r = 0; r < n_; ++r) {
    for (int c = 0; c < n_; ++c) {
      if (c == r && !include_) continue;
      first_ties_ += a_[r * n_ + c];
      second_ties_ += b_[r * n_ + c];
    }
  }
  PrepareSwaps();
  if (model_.actors == ActorRelabelling::kRowsAndColumns) {
    PrepareActors();
  } else if (model_.actors == ActorRelabelling::kRows) {
    PrepareRows();
  } else if (model_.dyad_codes) {
    PrepareDyads();
  } else {
    PrepareClasses();
  }
}

const CellClasses& OverlapSampler::Classes() {
  const int d = include_ ? 1 : 0;
  if (!classes_built_[d]) {
    BuildCellClasses(model_, n_, include_, fixed_, classes_[d]);
    classes_built_[d] = true;
  }
  return classes_[d];
}

void OverlapSampler::PrepareSwaps() {
  // Cell k of the counting order takes its exchange draw after the sample's randomising draws.
  std::uint64_t offset = static_cast<std::uint64_t>(randomising_draws_) * kIncrement;
  for (int r = 0; r < n_; ++r) {
    for (int c = 0; c < n_; ++c) {
      if (c == r && !include_) continue;
      offset += kIncrement;
      const int a = a_[r * n_ + c];
      const int b = b_[r * n_ + c];
      if (a == b) continue;
      if (b != 0) {
        second_only_offsets_[second_only_count_++] = offset;
      } else {
        first_only_offsets_[first_only_count_++] = offset;
      }
    }
  }
  discordant_ = second_only_count_ + first_only_count_;
}

void OverlapSampler::CommitSegment(int length, int draw) {
  const std::int8_t* values = slot_values_.data() + slot_end_;
  const std::uint8_t* weights = slot_weights_.data() + slot_end_;
  Segment segment;
  segment.start = slot_end_;
  segment.length = length;
  segment.draw = draw;
  segment.steps = ConstantTailStart(weights, length);
  segment.tail_weight = length > 0 ? weights[length - 1] : 0;
  if (segment.steps == 0) {
    // Every slot meets the same weight: no draw can change what the segment adds.
    int ones = 0;
    for (int k = 0; k < length; ++k) ones += values[k];
    fixed_overlap_ += segment.tail_weight * ones;
    return;
  }
  segments_.push_back(segment);
  slot_end_ += length;
}

void OverlapSampler::PrepareActors() {
  // W[r][c] = B[P r][P c] maps counted cells onto counted cells, so the overlap is a sum over
  // any one of four cell lists; the shortest is kept.
  const int first_non_ties = counted_ - first_ties_;
  const int second_non_ties = counted_ - second_ties_;
  const int shortest = std::min(std::min(first_ties_, first_non_ties), std::min(second_ties_, second_non_ties));
  const std::int8_t* listed;
  int wanted;
  if (shortest == first_ties_ || shortest == first_non_ties) {
    list_of_first_ = true;
    listed = a_;
    wanted = shortest == first_ties_ ? 1 : 0;
    // Over A's non-ties the sum counts W's ties that miss A.
    list_base_ = wanted == 1 ? 0 : second_ties_;
  } else {
    list_of_first_ = false;
    listed = b_;
    wanted = shortest == second_ties_ ? 1 : 0;
    list_base_ = wanted == 1 ? 0 : first_ties_;
  }
  list_sign_ = wanted == 1 ? 1 : -1;
  int k = 0;
  for (int r = 0; r < n_; ++r) {
    list_begin_[r] = k;
    for (int c = 0; c < n_; ++c) {
      if ((c != r || include_) && listed[r * n_ + c] == wanted) list_columns_[k++] = static_cast<std::int16_t>(c);
    }
  }
  list_begin_[n_] = k;
}

void OverlapSampler::PrepareRows() {
  // Row r of W is a row class of B with its values shuffled, set against row r's class of A.
  const CellClasses& rows = Classes();
  row_length_ = n_ > 0 ? rows.Size(0) : 0;
  const int len = row_length_;
  for (int r = 0; r < n_; ++r) {
    const int* cells = rows.slot_cell.data() + rows.Begin(r);
    std::int8_t* first = first_rows_.data() + r * len;
    std::int8_t* second = second_rows_.data() + r * len;
    first_row_ties_[r] = second_row_ties_[r] = 0;
    for (int k = 0; k < len; ++k) {
      first[k] = a_[cells[k]];
      second[k] = b_[cells[k]];
      first_row_ties_[r] += first[k];
      second_row_ties_[r] += second[k];
    }
    const auto* weights = reinterpret_cast<const std::uint8_t*>(first);
    row_steps_[r] = ConstantTailStart(weights, len);
    row_tail_[r] = len > 0 ? weights[len - 1] : 0;
  }
  if (model_.carried_actors) {
    // A carried actor permutation starts from the identity once per pair.
    for (int r = 0; r < n_; ++r) perm_[r] = static_cast<std::int16_t>(r);
  }
}

void OverlapSampler::PrepareDyads() {
  // Class 0 holds the dyads as their upper cells, class 1 (when counted) the loops.
  const CellClasses& classes = Classes();
  const int dyads = classes.Size(0);
  for (int k = 0; k < dyads; ++k) {
    const int cell = classes.slot_cell[k];
    const int mirror = (cell % n_) * n_ + cell / n_;
    codes_[k] = static_cast<std::int8_t>(b_[cell] + 2 * b_[mirror]);
    first_dyads_[k] = static_cast<std::int8_t>(a_[cell] + 2 * a_[mirror]);
  }
  // The code shuffle is followed as long as A's dyad states change; a tail of null or mutual
  // states of A takes no direction draw, so what it meets is fixed by the codes left.
  const auto* states = reinterpret_cast<const std::uint8_t*>(first_dyads_.data());
  dyad_steps_ = ConstantTailStart(states, dyads);
  if (dyads > 0 && kAsymmetric[states[dyads - 1]] != 0) dyad_steps_ = dyads - 1;
  // The direction draws follow every class's draws.
  first_direction_ = classes.Slots();
  for (int k = 1; k < classes.Count(); ++k) {
    const int* cells = classes.slot_cell.data() + classes.Begin(k);
    for (int s = 0; s < classes.Size(k); ++s) {
      slot_values_[slot_end_ + s] = b_[cells[s]];
      slot_weights_[slot_end_ + s] = static_cast<std::uint8_t>(a_[cells[s]]);
    }
    CommitSegment(classes.Size(k), classes.Begin(k));
  }
}

void OverlapSampler::PrepareClasses() {
  // W holds at each counted cell the value of its source slot, or B's own value. A slot's
  // value meets A at every cell it lands on.
  const CellClasses& classes = Classes();
  const int n = n_;
  const int slots = classes.Slots();
  std::uint8_t* weight = class_weights_.data();
  std::uint8_t* lands = class_lands_.data();
  std::fill(weight, weight + slots, 0);
  std::fill(lands, lands + slots, 0);
  second_ties_ = 0;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      if (c == r && !include_) continue;
      const int cell = r * n + c;
      const int slot = classes.source[cell];
      if (slot < 0) {
        fixed_overlap_ += a_[cell] & b_[cell];
        second_ties_ += b_[cell];
      } else {
        weight[slot] = static_cast<std::uint8_t>(weight[slot] + a_[cell]);
        ++lands[slot];
      }
    }
  }
  for (int k = 0; k < classes.Count(); ++k) {
    const int begin = classes.Begin(k);
    const int length = classes.Size(k);
    if (length == 0) continue;
    bool same_landing = true;
    int ones = 0;
    for (int s = 0; s < length; ++s) {
      const std::int8_t value = b_[classes.slot_cell[begin + s]];
      slot_values_[slot_end_ + s] = value;
      slot_weights_[slot_end_ + s] = weight[begin + s];
      slot_lands_[slot_end_ + s] = lands[begin + s];
      same_landing = same_landing && lands[begin + s] == lands[begin];
      ones += value;
    }
    if (same_landing || length == 1) {
      second_ties_ += lands[begin] * ones;
      CommitSegment(length, begin);
      continue;
    }
    // The class's values land on different numbers of counted cells (a mirror overwritten by
    // a later one-cell group): it is shuffled in full and W's ties counted per sample.
    Segment segment;
    segment.start = slot_end_;
    segment.length = length;
    segment.draw = begin;
    segment.steps = length - 1;
    varying_.push_back(segment);
    slot_end_ += length;
  }
}

int OverlapSampler::SegmentsOverlap(std::uint64_t state) {
  std::int8_t* work = work_.data();
  std::uint16_t* picks = picks_.data();
  int overlap = 0;
  for (const Segment& s : segments_) {
    std::int8_t* values = work + s.start;
    std::memcpy(values, slot_values_.data() + s.start, static_cast<std::size_t>(s.length));
    ShufflePicks(kernel_, StateAfter(state, s.draw), s.length, s.steps, picks);
    overlap += PlaceAndWeigh(values, s.length, picks, slot_weights_.data() + s.start, s.steps, s.tail_weight);
  }
  return overlap;
}

int OverlapSampler::VaryingOverlap(std::uint64_t state, int& second_ties) {
  std::int8_t* work = work_.data();
  std::uint16_t* picks = picks_.data();
  int overlap = 0;
  for (const Segment& s : varying_) {
    std::int8_t* values = work + s.start;
    std::memcpy(values, slot_values_.data() + s.start, static_cast<std::size_t>(s.length));
    ShufflePicks(kernel_, StateAfter(state, s.draw), s.length, s.steps, picks);
    Exchange(values, picks, s.steps);
    for (int k = 0; k < s.length; ++k) {
      overlap += slot_weights_[s.start + k] * values[k];
      second_ties += slot_lands_[s.start + k] * values[k];
    }
  }
  return overlap;
}

int OverlapSampler::ActorsOverlap(std::uint64_t state) {
  const int n = n_;
  std::int16_t* perm = perm_.data();
  std::uint16_t* picks = picks_.data();
  for (int r = 0; r < n; ++r) perm[r] = static_cast<std::int16_t>(r);
  const int steps = n > 0 ? n - 1 : 0;
  ShufflePicks(kernel_, state, n, steps, picks);
  Exchange(perm, picks, steps);
  const std::int16_t* map = perm;
  const std::int8_t* target = b_;
  if (!list_of_first_) {
    // B's cell (s, t) becomes W's cell (Q s, Q t), Q the inverse of P.
    for (int r = 0; r < n; ++r) inverse_[perm[r]] = static_cast<std::int16_t>(r);
    map = inverse_.data();
    target = a_;
  }
  const std::int16_t* columns = list_columns_.data();
  int sum = 0;
  for (int r = 0; r < n; ++r) {
    const std::int8_t* row = target + map[r] * n;
    const int end = list_begin_[r + 1];
    for (int k = list_begin_[r]; k < end; ++k) sum += row[map[columns[k]]];
  }
  return list_base_ + list_sign_ * sum;
}

int OverlapSampler::RowOverlap(std::uint64_t state, int row, int source_row, int draw) {
  const int len = row_length_;
  const int ones = second_row_ties_[source_row];
  if (ones == 0) return 0;
  const int steps = row_steps_[row];
  const int tail = row_tail_[row];
  if (steps == 0) return tail * ones;
  if (ones == len) return first_row_ties_[row];
  std::int8_t* values = (control_ == kME ? row_work_ : work_).data();
  std::memcpy(values, second_rows_.data() + source_row * len, static_cast<std::size_t>(len));
  ShufflePicks(kernel_, StateAfter(state, draw), len, steps, picks_.data());
  return PlaceAndWeigh(values, len, picks_.data(), reinterpret_cast<const std::uint8_t*>(first_rows_.data()) + row * len,
                       steps, tail);
}

int OverlapSampler::RowsOverlap(std::uint64_t state) {
  // Row i of W is row class perm[i] of B, shuffled by the draws of class i or, when rows are
  // shuffled by their source, of class perm[i]; the permutation's draws come before or after
  // every class's. A carried permutation goes on from the previous sample.
  const int n = n_;
  std::int16_t* perm = perm_.data();
  if (!model_.carried_actors) {
    for (int r = 0; r < n; ++r) perm[r] = static_cast<std::int16_t>(r);
  }
  const std::int64_t class_draws = static_cast<std::int64_t>(n) * row_length_;
  const int steps = n > 0 ? n - 1 : 0;
  ShufflePicks(kernel_, StateAfter(state, model_.actors_first ? 0 : class_draws), n, steps, picks_.data());
  Exchange(perm, picks_.data(), steps);
  const int first_row_draw = model_.actors_first ? n : 0;
  int overlap = 0;
  for (int i = 0; i < n; ++i) {
    const int row_class = model_.rows_by_source ? perm[i] : i;
    overlap += RowOverlap(state, i, perm[i], first_row_draw + row_class * row_length_);
  }
  return overlap;
}

int OverlapSampler::DyadsOverlap(std::uint64_t state) {
  const int dyads = DyadCount(n_);
  const int steps = dyad_steps_;
  std::int8_t* codes = work_.data();
  std::uint16_t* picks = picks_.data();
  if (dyads > 0) std::memcpy(codes, codes_.data(), static_cast<std::size_t>(dyads));
  ShufflePicks(kernel_, state, dyads, steps, picks);
  // The code placed at step k is final, so what it meets is taken at once. The k-th
  // asymmetric code in the shuffled order takes the k-th direction draw; a dyad whose
  // overlap depends on that draw waits with its number and A's direction.
  const std::int8_t* states = first_dyads_.data();
  int* pending = pending_.data();
  int overlap = 0;
  int waiting = 0;
  int asymmetric = 0;
  for (int k = 0; k < steps; ++k) {
    const int j = picks[k];
    const int code = codes[j];
    codes[j] = codes[k];
    const int a = states[k];
    const int index = 4 * code + a;
    overlap += kDyadGain[index];
    pending[waiting] = 2 * asymmetric + (a == 2 ? 1 : 0);
    waiting += kWaits[index];
    asymmetric += kAsymmetric[code];
  }
  // From `steps` on, A's states are all null or all mutual (or there is one dyad left): no
  // code there waits for its direction, and the codes left meet the same state.
  for (int k = steps; k < dyads; ++k) {
    const int index = 4 * codes[k] + states[k];
    overlap += kDyadGain[index];
    pending[waiting] = 2 * asymmetric + (states[k] == 2 ? 1 : 0);
    waiting += kWaits[index];
  }
  // An even draw points the dyad from i to j (meeting A[i][j]), an odd one from j to i.
  for (int w = 0; w < waiting; ++w) {
    const int odd = RandomSource::DrawAt(state, static_cast<std::uint64_t>(first_direction_ + (pending[w] >> 1))) & 1;
    overlap += odd == (pending[w] & 1) ? 1 : 0;
  }
  return overlap;
}

OverlapSample OverlapSampler::Draw(std::uint64_t state) {
  OverlapSample sample;
  if (!active_) return sample;
  int overlap = fixed_overlap_;
  int second_ties = second_ties_;
  if (model_.actors == ActorRelabelling::kRowsAndColumns) {
    overlap += ActorsOverlap(state);
  } else if (model_.actors == ActorRelabelling::kRows) {
    overlap += RowsOverlap(state);
  } else if (model_.dyad_codes) {
    overlap += DyadsOverlap(state) + SegmentsOverlap(state);
  } else {
    overlap += SegmentsOverlap(state);
    if (!varying_.empty()) overlap += VaryingOverlap(state, second_ties);
  }
  sample.overlap = overlap;
  sample.second_ties = second_ties;
  sample.second_only = second_only_count_ -
                       CountHighDraws(kernel_, state, second_only_offsets_.data(), second_only_count_) +
                       CountHighDraws(kernel_, state, first_only_offsets_.data(), first_only_count_);
  return sample;
}

}  // namespace quorel
