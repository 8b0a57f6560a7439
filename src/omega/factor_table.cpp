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

void FactorTable::Build(const ElementRelation& rel, const ProductTable& products, StorageGate& gate,
                        std::size_t byte_limit) {
  e_ = rel.Size();
  const int e = e_;
  const std::size_t cells = static_cast<std::size_t>(e) * e;
  rel_ = rel;
  base_ = rel;
  CloseRelation(base_, products, gate);

  // Per pair: its extension id, and its place in the depth-first visit.
  std::vector<std::int32_t> order;
  std::vector<std::int32_t> low;
  std::vector<std::uint8_t> on_stack;
  if (!gate.Grant(StorageKind::kFactorTable)) FatalError(FatalCode::kVariables);
  try {
    ext_.assign(cells, -1);
    order.assign(cells, -1);
    low.assign(cells, 0);
    on_stack.assign(cells, 0);
  } catch (const std::bad_alloc&) {
    FatalError(FatalCode::kVariables);
  }
  store_.Reset(e, byte_limit);
  distance_.clear();
  generators_.clear();
  stored_.clear();

  const std::int64_t base_extra = CountPairs(base_) - CountPairs(rel_);
  std::int64_t open_pairs = 0;
  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) open_pairs += rel_.Get(i, j) ? 0 : 1;
  }

  // The pairs of the base outside rel all extend rel to the base itself.
  if (base_extra > 0) {
    for (int i = 0, named = 0; i < e; ++i) {
      for (int j = 0; j < e; ++j) {
        if (!base_.Get(i, j) || rel_.Get(i, j)) continue;
        if (!named++ && !gate.Grant(StorageKind::kExtension)) ExtensionUnavailable(i, j, "");
        ext_[static_cast<std::size_t>(i) * e + j] = 0;
      }
    }
    distance_.push_back(base_extra);
    generators_.push_back(base_extra);
    stored_.push_back(-1);
  }

  // The base's columns, for the links (x, a) of the base in front of a pair (a, b).
  ElementRelation base_columns(e);
  for (int r = 0; r < e; ++r) {
    for (int c = 0; c < e; ++c) {
      if (base_.Get(r, c)) base_columns.Set(c, r);
    }
  }
  const int w = base_.WordsPerRow();

  // The direct consequences of (a, b) outside the base: its products on the right and on
  // the left, then (x, b) for every x above a and (a, y) for every y below b in the base.
  // `step` walks through them; the result is the next pair's index, or -1 at the end.
  const auto next_consequence = [&](int a, int b, int& step) -> std::int64_t {
    while (step < 4 * e) {
      int x = -1;
      int y = -1;
      if (step < e) {
        x = products.Right(a)[step];
        y = products.Right(b)[step];
        ++step;
      } else if (step < 2 * e) {
        x = products.Left(a)[step - e];
        y = products.Left(b)[step - e];
        ++step;
      } else if (step < 3 * e) {
        const int found = NextBit(base_columns.Row(a), w, step - 2 * e);
        if (found < 0) {
          step = 3 * e;
          continue;
        }
        x = found;
        y = b;
        step = 2 * e + found + 1;
      } else {
        const int found = NextBit(base_.Row(b), w, step - 3 * e);
        if (found < 0) {
          step = 4 * e;
          continue;
        }
        x = a;
        y = found;
        step = 3 * e + found + 1;
      }
      if ((x | y) < 0 || base_.Get(x, y) || (x == a && y == b)) continue;
      return static_cast<std::int64_t>(x) * e + y;
    }
    return -1;
  };

  ClosureWorkspace work(products, gate);
  work.SetBase(base_);
  std::vector<int> changed;
  std::vector<std::uint32_t> members;

  // Closes the base plus one group of pairs that generate each other. The group's direct
  // consequences outside it have their extensions already: when one of them holds the
  // group's own pair, it is the group's extension; otherwise the largest becomes the
  // starting relation (closed, so it owes nothing) and the others not inside it are taken
  // in whole. Every pair met later that has an extension brings that extension in too.
  std::vector<std::int32_t> stamp;
  std::int32_t stamp_now = 0;
  std::vector<std::pair<std::int64_t, std::uint32_t>> known;  // (distance, consequence)
  const auto close_group = [&](const std::vector<std::uint32_t>& group) {
    const std::uint32_t first = *std::min_element(group.begin(), group.end());
    const int fi = static_cast<int>(first / static_cast<std::uint32_t>(e));
    const int fj = static_cast<int>(first % static_cast<std::uint32_t>(e));
    int equal = -1;
    stamp.resize(distance_.size(), 0);
    ++stamp_now;
    known.clear();
    for (std::size_t g = 0; g < group.size() && equal < 0; ++g) {
      const int a = static_cast<int>(group[g] / static_cast<std::uint32_t>(e));
      const int b = static_cast<int>(group[g] % static_cast<std::uint32_t>(e));
      int step = 0;
      for (std::int64_t q = next_consequence(a, b, step); q >= 0; q = next_consequence(a, b, step)) {
        const std::int32_t x = ext_[static_cast<std::size_t>(q)];
        if (x < 0 || stamp[static_cast<std::size_t>(x)] == stamp_now) continue;
        stamp[static_cast<std::size_t>(x)] = stamp_now;
        if (ExtensionHas(x, fi, fj)) {
          equal = x;
          break;
        }
        known.emplace_back(distance_[static_cast<std::size_t>(x)], static_cast<std::uint32_t>(q));
      }
    }
    const auto take_in_whole = [&](std::int32_t x) {
      const std::int32_t id = stored_[static_cast<std::size_t>(x)];
      for (int k = 0; k < store_.RowCount(id); ++k) work.AbsorbRow(store_.RowIndex(id, k), store_.RowBits(id, k));
    };
    auto take_in = [&](int x, int y) {
      const std::int32_t known_ext = ext_[static_cast<std::size_t>(x) * e + y];
      if (known_ext < 0) return true;
      if (ExtensionHas(known_ext, fi, fj)) {
        equal = known_ext;
        return false;
      }
      take_in_whole(known_ext);
      return true;
    };
    if (equal < 0) {
      std::sort(known.begin(), known.end(), [](const auto& l, const auto& r) { return l.first > r.first; });
      for (std::size_t k = 0; k < known.size(); ++k) {
        const std::uint32_t q = known[k].second;
        const std::int32_t x = ext_[q];
        if (k == 0) {
          const std::int32_t id = stored_[static_cast<std::size_t>(x)];
          for (int r = 0; r < store_.RowCount(id); ++r) work.OverlayClosedRow(store_.RowIndex(id, r), store_.RowBits(id, r));
        } else if (!work.Has(static_cast<int>(q / static_cast<std::uint32_t>(e)), static_cast<int>(q % static_cast<std::uint32_t>(e)))) {
          take_in_whole(x);
        }
      }
      for (const std::uint32_t p : group) {
        work.Add(static_cast<int>(p / static_cast<std::uint32_t>(e)), static_cast<int>(p % static_cast<std::uint32_t>(e)),
                 take_in);
      }
      work.Drain(take_in);
    }
    int x = equal;
    if (x < 0) {
      work.ChangedRows(changed);
      const auto row_bits = [&](int r) { return work.Row(r); };
      const std::uint64_t hash = store_.Hash(changed, row_bits);
      int id = store_.Find(changed, row_bits, hash);
      if (id < 0) {
        if (!gate.Grant(StorageKind::kExtension)) ExtensionUnavailable(fi, fj, "");
        id = store_.Add(changed, row_bits, hash, work.Added());
        if (id < 0) {
          char detail[400];
          const double held = static_cast<double>(store_.BytesUsed()) / kMiB;
          const double per = store_.Count() > 0 ? static_cast<double>(store_.BytesUsed()) / store_.Count() : 0.0;
          std::snprintf(detail, sizeof detail,
                        "The factorization of %d elements stopped: its %d distinct single-inclusion extensions "
                        "so far take %.0f MiB, the limit is %.0f MiB, and up to %lld generating pairs remain "
                        "(about %.0f MiB more at the same size).\n",
                        e, store_.Count(), held, static_cast<double>(byte_limit) / kMiB,
                        static_cast<long long>(open_pairs), per * static_cast<double>(open_pairs) / kMiB);
          ExtensionUnavailable(fi, fj, detail);
        }
        stored_.push_back(id);
        distance_.push_back(base_extra + work.Added());
        generators_.push_back(0);
        x = static_cast<int>(stored_.size() - 1);
      } else {
        // The store's ids follow the extension ids, after the base when it has one.
        x = id + (base_extra > 0 ? 1 : 0);
      }
    }
    for (const std::uint32_t p : group) ext_[p] = x;
    generators_[static_cast<std::size_t>(x)] += static_cast<std::int64_t>(group.size());
    open_pairs -= static_cast<std::int64_t>(group.size());
    work.Restore();
  };

  // Tarjan's strongly connected components over the consequence graph, iteratively; a
  // component is complete only after every component it reaches, so its consequences
  // outside it have their extensions already.
  struct Frame {
    std::uint32_t node;
    int step;
  };
  std::vector<Frame> frames;
  std::vector<std::uint32_t> stack;
  std::int32_t counter = 0;
  for (std::size_t root = 0; root < cells; ++root) {
    const int ri = static_cast<int>(root / e);
    const int rj = static_cast<int>(root % e);
    if (base_.Get(ri, rj) || order[root] >= 0) continue;
    order[root] = low[root] = counter++;
    stack.push_back(static_cast<std::uint32_t>(root));
    on_stack[root] = 1;
    frames.push_back(Frame{static_cast<std::uint32_t>(root), 0});
    while (!frames.empty()) {
      const std::size_t top = frames.size() - 1;
      const std::uint32_t v = frames[top].node;
      const int a = static_cast<int>(v / static_cast<std::uint32_t>(e));
      const int b = static_cast<int>(v % static_cast<std::uint32_t>(e));
      bool descended = false;
      int step = frames[top].step;
      for (std::int64_t q = next_consequence(a, b, step); q >= 0; q = next_consequence(a, b, step)) {
        if (order[q] < 0) {
          frames[top].step = step;
          order[q] = low[q] = counter++;
          stack.push_back(static_cast<std::uint32_t>(q));
          on_stack[q] = 1;
          frames.push_back(Frame{static_cast<std::uint32_t>(q), 0});
          descended = true;
          break;
        }
        if (on_stack[q]) low[v] = std::min(low[v], order[q]);
      }
      if (descended) continue;
      if (low[v] == order[v]) {
        members.clear();
        std::uint32_t p;
        do {
          p = stack.back();
          stack.pop_back();
          on_stack[p] = 0;
          members.push_back(p);
        } while (p != v);
        close_group(members);
      }
      frames.pop_back();
      if (!frames.empty()) {
        const std::uint32_t parent = frames.back().node;
        low[parent] = std::min(low[parent], low[v]);
      }
    }
  }
}

}  // namespace quorel
