#include "omega/factor_table.hpp"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <new>
#include <string>

#include "core/error.hpp"
#include "omega/closure.hpp"
#include "omega/closure_workspace.hpp"
#include "omega/relation_set_ops.hpp"

namespace quorel {

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

[[noreturn]] void ExtensionUnavailable(int i, int j, const std::string& detail) {
  char head[160];
  std::snprintf(head, sizeof head, "ERROR: Out of free memory.  Could not satisfy request for element (%d,%d).\n",
                i + 1, j + 1);
  FatalErrorWithMessage(std::string(head) + detail);
}

// The first set bit at position >= from in a packed row of `words` words, or -1.
int NextBit(const BitWord* row, int words, int from) {
  int k = from >> 6;
  if (k >= words) return -1;
  BitWord bits = row[k] & (~BitWord{0} << (from & 63));
  while (true) {
    if (bits != 0) return k * 64 + std::countr_zero(bits);
    if (++k >= words) return -1;
    bits = row[k];
  }
}

}  // namespace

bool FactorTable::ExtensionHas(int x, int r, int c) const {
  const std::int32_t id = stored_[static_cast<std::size_t>(x)];
  if (id >= 0) {
    const BitWord* row = store_.FindRow(id, r);
    if (row != nullptr) return (row[c >> 6] >> (c & 63)) & 1u;
  }
  return base_.Get(r, c);
}

void FactorTable::Materialize(int x, ElementRelation& m) const {
  m = base_;
  const std::int32_t id = stored_[static_cast<std::size_t>(x)];
  if (id < 0) return;
  const int w = m.WordsPerRow();
  for (int k = 0; k < store_.RowCount(id); ++k) {
    std::copy(store_.RowBits(id, k), store_.RowBits(id, k) + w, m.Row(store_.RowIndex(id, k)));
  }
}

// Fills a factor table in four steps: the base and the tables, the extension the base
// itself stands for, then the pairs' groups in the order of the consequence graph, each
// group closed once and its extension stored or found again.
class FactorTableBuilder {
 public:
  FactorTableBuilder(FactorTable& table, const ProductTable& products, StorageGate& gate, std::size_t byte_limit,
                     const ProgressObserver* stop)
      : t_(table), products_(products), gate_(gate), byte_limit_(byte_limit), stop_(stop), e_(table.e_) {}

  void Run() {
    ObtainTables();
    RecordBaseExtension();
    PrepareConsequences();
    ClosureWorkspace work(products_, gate_);
    work.SetBase(t_.base_);
    work_ = &work;
    VisitGroups();
    work_ = nullptr;
  }

 private:
  std::uint32_t Row(std::uint32_t pair) const { return pair / static_cast<std::uint32_t>(e_); }
  std::uint32_t Column(std::uint32_t pair) const { return pair % static_cast<std::uint32_t>(e_); }

  // The id table and the visiting order: one kFactorTable request.
  void ObtainTables() {
    const std::size_t cells = static_cast<std::size_t>(e_) * e_;
    if (!gate_.Grant(StorageKind::kFactorTable, FactorTable::TableBytes(e_))) FatalError(FatalCode::kVariables);
    try {
      t_.ext_.assign(cells, -1);
      order_.assign(cells, -1);
      low_.assign(cells, 0);
      on_stack_.assign(cells, 0);
    } catch (const std::bad_alloc&) {
      FatalError(FatalCode::kVariables);
    }
    t_.store_.Reset(e_, byte_limit_);
    t_.distance_.clear();
    t_.generators_.clear();
    t_.stored_.clear();
    base_extra_ = CountPairs(t_.base_) - CountPairs(t_.rel_);
    for (int i = 0; i < e_; ++i) {
      for (int j = 0; j < e_; ++j) open_pairs_ += t_.rel_.Get(i, j) ? 0 : 1;
    }
  }

  // The pairs of the base outside rel all extend rel to the base itself.
  void RecordBaseExtension() {
    if (base_extra_ <= 0) return;
    for (int i = 0, named = 0; i < e_; ++i) {
      for (int j = 0; j < e_; ++j) {
        if (!t_.base_.Get(i, j) || t_.rel_.Get(i, j)) continue;
        if (!named++ && !gate_.Grant(StorageKind::kExtension)) ExtensionUnavailable(i, j, "");
        t_.ext_[static_cast<std::size_t>(i) * e_ + j] = 0;
      }
    }
    t_.distance_.push_back(base_extra_);
    t_.generators_.push_back(base_extra_);
    t_.stored_.push_back(-1);
  }

  // The base's columns, for the links (x, a) of the base in front of a pair (a, b).
  void PrepareConsequences() {
    base_columns_.Reset(e_);
    for (int r = 0; r < e_; ++r) {
      for (int c = 0; c < e_; ++c) {
        if (t_.base_.Get(r, c)) base_columns_.Set(c, r);
      }
    }
    words_ = t_.base_.WordsPerRow();
  }

  // The direct consequences of (a, b) outside the base: its products on the right and on
  // the left, then (x, b) for every x above a and (a, y) for every y below b in the base.
  // `step` walks through them; the result is the next pair's index, or -1 at the end.
  std::int64_t NextConsequence(int a, int b, int& step) const {
    const int e = e_;
    while (step < 4 * e) {
      int x = -1;
      int y = -1;
      if (step < e) {
        x = products_.Right(a)[step];
        y = products_.Right(b)[step];
        ++step;
      } else if (step < 2 * e) {
        x = products_.Left(a)[step - e];
        y = products_.Left(b)[step - e];
        ++step;
      } else if (step < 3 * e) {
        const int found = NextBit(base_columns_.Row(a), words_, step - 2 * e);
        if (found < 0) {
          step = 3 * e;
          continue;
        }
        x = found;
        y = b;
        step = 2 * e + found + 1;
      } else {
        const int found = NextBit(t_.base_.Row(b), words_, step - 3 * e);
        if (found < 0) {
          step = 4 * e;
          continue;
        }
        x = a;
        y = found;
        step = 3 * e + found + 1;
      }
      if ((x | y) < 0 || t_.base_.Get(x, y) || (x == a && y == b)) continue;
      return static_cast<std::int64_t>(x) * e + y;
    }
    return -1;
  }

  // Tarjan's strongly connected components over the consequence graph, iteratively; a
  // component is complete only after every component it reaches, so its consequences
  // outside it have their extensions already.
  void VisitGroups() {
    struct Frame {
      std::uint32_t node;
      int step;
    };
    std::vector<Frame> frames;
    std::vector<std::uint32_t> stack;
    std::vector<std::uint32_t> members;
    std::int32_t counter = 0;
    const std::size_t cells = static_cast<std::size_t>(e_) * e_;
    for (std::size_t root = 0; root < cells; ++root) {
      if (t_.base_.Get(static_cast<int>(root / e_), static_cast<int>(root % e_)) || order_[root] >= 0) continue;
      order_[root] = low_[root] = counter++;
      stack.push_back(static_cast<std::uint32_t>(root));
      on_stack_[root] = 1;
      frames.push_back(Frame{static_cast<std::uint32_t>(root), 0});
      while (!frames.empty()) {
        const std::size_t top = frames.size() - 1;
        const std::uint32_t v = frames[top].node;
        bool descended = false;
        int step = frames[top].step;
        for (std::int64_t q = NextConsequence(Row(v), Column(v), step); q >= 0;
             q = NextConsequence(Row(v), Column(v), step)) {
          if (order_[q] < 0) {
            frames[top].step = step;
            order_[q] = low_[q] = counter++;
            stack.push_back(static_cast<std::uint32_t>(q));
            on_stack_[q] = 1;
            frames.push_back(Frame{static_cast<std::uint32_t>(q), 0});
            descended = true;
            break;
          }
          if (on_stack_[q]) low_[v] = std::min(low_[v], order_[q]);
        }
        if (descended) continue;
        if (low_[v] == order_[v]) {
          members.clear();
          std::uint32_t p;
          do {
            p = stack.back();
            stack.pop_back();
            on_stack_[p] = 0;
            members.push_back(p);
          } while (p != v);
          StopIfCancelled(stop_);  // a group's closure is the unit of work
          CloseGroup(members);
        }
        frames.pop_back();
        if (!frames.empty()) {
          const std::uint32_t parent = frames.back().node;
          low_[parent] = std::min(low_[parent], low_[v]);
        }
      }
    }
  }

  // The extensions of the group's direct consequences outside it, each once, largest
  // first; the first that holds the group's first pair (fi, fj) is the group's own
  // extension, returned (else -1).
  int GatherKnownExtensions(const std::vector<std::uint32_t>& group, int fi, int fj) {
    stamp_.resize(t_.distance_.size(), 0);
    ++stamp_now_;
    known_.clear();
    for (const std::uint32_t pair : group) {
      int step = 0;
      const int a = static_cast<int>(Row(pair));
      const int b = static_cast<int>(Column(pair));
      for (std::int64_t q = NextConsequence(a, b, step); q >= 0; q = NextConsequence(a, b, step)) {
        const std::int32_t x = t_.ext_[static_cast<std::size_t>(q)];
        if (x < 0 || stamp_[static_cast<std::size_t>(x)] == stamp_now_) continue;
        stamp_[static_cast<std::size_t>(x)] = stamp_now_;
        if (t_.ExtensionHas(x, fi, fj)) return x;
        known_.emplace_back(t_.distance_[static_cast<std::size_t>(x)], static_cast<std::uint32_t>(q));
      }
    }
    std::sort(known_.begin(), known_.end(), [](const auto& l, const auto& r) { return l.first > r.first; });
    return -1;
  }

  void TakeInWhole(std::int32_t x) {
    const std::int32_t id = t_.stored_[static_cast<std::size_t>(x)];
    for (int k = 0; k < t_.store_.RowCount(id); ++k) work_->AbsorbRow(t_.store_.RowIndex(id, k), t_.store_.RowBits(id, k));
  }

  // Closes the base plus the group: the largest known extension is the starting relation
  // (closed, so it owes nothing), the others not inside it are taken in whole, and every
  // pair met later that has an extension brings that extension in too. Returns the
  // group's extension when one met on the way holds (fi, fj), else -1 with the closure in
  // the workspace.
  int CloseFromKnown(const std::vector<std::uint32_t>& group, int fi, int fj) {
    int equal = -1;
    const auto take_in = [&](int x, int y) {
      const std::int32_t known_ext = t_.ext_[static_cast<std::size_t>(x) * e_ + y];
      if (known_ext < 0) return true;
      if (t_.ExtensionHas(known_ext, fi, fj)) {
        equal = known_ext;
        return false;
      }
      TakeInWhole(known_ext);
      return true;
    };
    for (std::size_t k = 0; k < known_.size(); ++k) {
      const std::uint32_t q = known_[k].second;
      const std::int32_t x = t_.ext_[q];
      if (k == 0) {
        const std::int32_t id = t_.stored_[static_cast<std::size_t>(x)];
        for (int r = 0; r < t_.store_.RowCount(id); ++r) {
          work_->OverlayClosedRow(t_.store_.RowIndex(id, r), t_.store_.RowBits(id, r));
        }
      } else if (!work_->Has(static_cast<int>(Row(q)), static_cast<int>(Column(q)))) {
        TakeInWhole(x);
      }
    }
    for (const std::uint32_t p : group) work_->Add(static_cast<int>(Row(p)), static_cast<int>(Column(p)), take_in);
    work_->Drain(take_in);
    return equal;
  }

  // The workspace's closure as an extension: found again in the store, or stored as a new
  // one (a kExtension request, within the byte limit).
  int StoreClosure(int fi, int fj) {
    work_->ChangedRows(changed_);
    const auto row_bits = [&](int r) { return work_->Row(r); };
    const std::uint64_t hash = t_.store_.Hash(changed_, row_bits);
    const int found = t_.store_.Find(changed_, row_bits, hash);
    // The store's ids follow the extension ids, after the base when it has one.
    if (found >= 0) return found + (base_extra_ > 0 ? 1 : 0);
    const std::uint64_t rows = changed_.size();
    const std::uint64_t bytes = rows * (static_cast<std::uint64_t>((e_ + 63) / 64) * sizeof(BitWord) + sizeof(int));
    if (!gate_.Grant(StorageKind::kExtension, bytes)) ExtensionUnavailable(fi, fj, "");
    const int id = t_.store_.Add(changed_, row_bits, hash, work_->Added());
    if (id < 0) ExtensionUnavailable(fi, fj, StorageLimitDetail());
    t_.stored_.push_back(id);
    t_.distance_.push_back(base_extra_ + work_->Added());
    t_.generators_.push_back(0);
    return static_cast<int>(t_.stored_.size() - 1);
  }

  std::string StorageLimitDetail() const {
    char detail[400];
    const double held = static_cast<double>(t_.store_.BytesUsed()) / kMiB;
    const double per = t_.store_.Count() > 0 ? static_cast<double>(t_.store_.BytesUsed()) / t_.store_.Count() : 0.0;
    std::snprintf(detail, sizeof detail,
                  "The factorization of %d elements stopped: its %d distinct single-inclusion extensions "
                  "so far take %.0f MiB, the limit is %.0f MiB, and up to %lld generating pairs remain "
                  "(about %.0f MiB more at the same size).\n",
                  e_, t_.store_.Count(), held, static_cast<double>(byte_limit_) / kMiB,
                  static_cast<long long>(open_pairs_), per * static_cast<double>(open_pairs_) / kMiB);
    return detail;
  }

  // One group of pairs that generate each other: its extension, named by its first pair.
  void CloseGroup(const std::vector<std::uint32_t>& group) {
    const std::uint32_t first = *std::min_element(group.begin(), group.end());
    const int fi = static_cast<int>(Row(first));
    const int fj = static_cast<int>(Column(first));
    int x = GatherKnownExtensions(group, fi, fj);
    if (x < 0) x = CloseFromKnown(group, fi, fj);
    if (x < 0) x = StoreClosure(fi, fj);
    for (const std::uint32_t p : group) t_.ext_[p] = x;
    t_.generators_[static_cast<std::size_t>(x)] += static_cast<std::int64_t>(group.size());
    open_pairs_ -= static_cast<std::int64_t>(group.size());
    work_->Restore();
  }

  FactorTable& t_;
  const ProductTable& products_;
  StorageGate& gate_;
  std::size_t byte_limit_;
  const ProgressObserver* stop_;
  int e_;
  std::int64_t base_extra_ = 0;
  std::int64_t open_pairs_ = 0;
  std::vector<std::int32_t> order_;  // per pair: its place in the depth-first visit
  std::vector<std::int32_t> low_;
  std::vector<std::uint8_t> on_stack_;
  ElementRelation base_columns_;
  int words_ = 0;
  ClosureWorkspace* work_ = nullptr;
  std::vector<int> changed_;
  std::vector<std::int32_t> stamp_;  // per extension: the group that last met it
  std::int32_t stamp_now_ = 0;
  std::vector<std::pair<std::int64_t, std::uint32_t>> known_;  // (distance, consequence)
};

void FactorTable::Build(const ElementRelation& rel, const ProductTable& products, StorageGate& gate,
                        std::size_t byte_limit, const ProgressObserver* stop) {
  e_ = rel.Size();
  rel_ = rel;
  base_ = rel;
  CloseRelation(base_, products, gate);
  FactorTableBuilder(*this, products, gate, byte_limit, stop).Run();
}

std::uint64_t FactorTable::TableBytes(int element_count) {
  const std::uint64_t cells = static_cast<std::uint64_t>(element_count > 0 ? element_count : 0) * element_count;
  // Per pair: its extension's id, its place in the visit, its low link and a stack mark.
  return cells * (3 * sizeof(std::int32_t) + sizeof(std::uint8_t));
}

}  // namespace quorel
