#pragma once

// The textbook forms of Omega, closure and factorization, on plain E x E byte matrices:
// squaring for transitivity, full passes with a first-in first-out queue for products,
// one stored copy of every single-inclusion extension, and the literal search for atoms.
// The fast kernels of src/omega are compared against these.

#include <cmath>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "core/element_relation.hpp"
#include "measures/statistic_matrices.hpp"

namespace quorel::omega_oracle {

using Bytes = std::vector<std::int8_t>;
using Mult = std::vector<std::int16_t>;

inline Bytes ToBytes(const ElementRelation& m) {
  const int e = m.Size();
  Bytes b(static_cast<std::size_t>(e) * e);
  for (int r = 0; r < e; ++r)
    for (int c = 0; c < e; ++c) b[r * e + c] = m.Get(r, c) ? 1 : 0;
  return b;
}

inline Bytes Product(const Bytes& a, const Bytes& b, int e) {
  Bytes c(a.size(), 0);
  for (int r = 0; r < e; ++r)
    for (int s = 0; s < e; ++s)
      for (int k = 0; k < e && !c[r * e + s]; ++k) c[r * e + s] = a[r * e + k] && b[k * e + s];
  return c;
}

inline bool Contains(const Bytes& outer, const Bytes& inner) {
  for (std::size_t i = 0; i < outer.size(); ++i)
    if (inner[i] && !outer[i]) return false;
  return true;
}

inline bool TransitiveClosure(Bytes& m, int e) {
  Bytes t = Product(m, m, e);
  if (t == m) return false;
  do {
    m = t;
    t = Product(m, m, e);
  } while (t != m);
  return true;
}

inline void Expand(Bytes& m, int e, const Mult& mult, int p, int q, std::deque<std::pair<int, int>>& queue) {
  for (int c = 0; c < e; ++c) {
    const std::pair<int, int> sides[2] = {{mult[p * e + c], mult[q * e + c]}, {mult[c * e + p], mult[c * e + q]}};
    for (const auto& [x, y] : sides) {
      if (x != -1 && y != -1 && !m[x * e + y]) {
        m[x * e + y] = 1;
        queue.emplace_back(x, y);
      }
    }
  }
}

inline void CloseRelation(Bytes& m, int e, const Mult& mult) {
  TransitiveClosure(m, e);
  while (true) {
    std::deque<std::pair<int, int>> queue;
    for (int a = 0; a < e; ++a)
      for (int b = 0; b < e; ++b)
        if (a != b && m[a * e + b]) Expand(m, e, mult, a, b, queue);
    if (queue.empty()) return;
    while (!queue.empty()) {
      const auto [p, q] = queue.front();
      Expand(m, e, mult, p, q, queue);
      queue.pop_front();
    }
    if (!TransitiveClosure(m, e)) return;
  }
}

// Omega from the measures of every pair (upper cells observed, lower cells proportions).
inline Bytes Omega(const StatisticMatrices& s, float alpha, float min_kappa, double z, const Bytes& po, int e,
                   int strategy) {
  Bytes omega(static_cast<std::size_t>(e) * e, 0);
  for (int i = 0; i < e; ++i) {
    omega[i * e + i] = 1;
    for (int j = i + 1; j < e; ++j) {
      const int up = i * e + j, lo = j * e + i;
      if (s.L[lo] < alpha && s.StdKappa[lo] < alpha) {
        const bool directional = strategy == 0 ? s.McNemarZ[lo] < alpha : s.PValue[lo] < alpha;
        if (directional) {
          omega[s.McNemarZ[up] < 0.0 ? up : lo] = 1;
        } else if (s.Kappa[up] - z * std::sqrt(static_cast<double>(s.Estvar[up])) > min_kappa) {
          omega[up] = omega[lo] = 1;
        }
      }
      omega[up] |= po[up];
      omega[lo] |= po[lo];
    }
  }
  return omega;
}

inline Bytes LowerOmega(const Bytes& omega, const Bytes& po, int e, const Mult& mult) {
  Bytes lower = po;
  for (int i = 0; i < e; ++i)
    for (int j = 0; j < e; ++j) {
      if (!omega[i * e + j] || po[i * e + j]) continue;
      Bytes t = po;
      t[i * e + j] = 1;
      CloseRelation(t, e, mult);
      if (Contains(omega, t))
        for (std::size_t k = 0; k < t.size(); ++k) lower[k] = lower[k] || t[k];
    }
  return lower;
}

// The factor table: one stored copy of M(i, j) per pair outside rel (empty when none).
using Extensions = std::vector<Bytes>;
using Pairs = std::vector<std::pair<int, int>>;

inline Extensions FactorTable(const Bytes& rel, int e, const Mult& mult) {
  Extensions table(rel.size());
  for (int k = 0; k < e * e; ++k) {
    if (rel[k]) continue;
    table[k] = rel;
    table[k][k] = 1;
    CloseRelation(table[k], e, mult);
  }
  return table;
}

inline long CellDistance(const Bytes& a, const Bytes& b) {
  long d = 0;
  for (std::size_t i = 0; i < a.size(); ++i) d += a[i] != b[i];
  return d;
}

inline Pairs FindAtoms(const Extensions& t, const Bytes& rel, int e) {
  Pairs atoms;
  const auto seen_in = [&t, e](const Pairs& list, const Bytes& m, bool inside) {
    for (const auto& [a, b] : list)
      if (inside ? Contains(m, t[a * e + b]) : m == t[a * e + b]) return true;
    return false;
  };
  for (long d = 1; d <= static_cast<long>(e) * e && atoms.empty(); ++d)
    for (int k = 0; k < e * e; ++k)
      if (!t[k].empty() && CellDistance(rel, t[k]) == d && !seen_in(atoms, t[k], false)) atoms.emplace_back(k / e, k % e);
  const Pairs first = atoms;
  Pairs candidates;
  for (int k = 0; k < e * e; ++k)
    if (!t[k].empty() && !seen_in(first, t[k], true) && !seen_in(candidates, t[k], false))
      candidates.emplace_back(k / e, k % e);
  for (const auto& p : candidates) {
    bool minimal = true;
    for (const auto& q : candidates)
      if (q != p && t[p.first * e + p.second][q.first * e + q.second]) minimal = false;
    if (minimal) atoms.push_back(p);
  }
  return atoms;
}

inline bool MeetComplement(int first, int second, Bytes& mc, const Bytes& rel, const Extensions& t, int e) {
  mc.assign(rel.size(), 0);
  for (int k = 0; k < e * e; ++k) mc[k] = (t[k].empty() ? rel[first * e + second] : t[k][first * e + second]) == 0;
  Bytes u = rel;
  for (std::size_t k = 0; k < u.size(); ++k) u[k] = rel[k] || mc[k];
  return !TransitiveClosure(u, e);
}

}  // namespace quorel::omega_oracle
