#pragma once

// The textbook forms of Omega, closure and factorization, on plain E x E byte matrices:
// squaring for transitivity, full passes with a first-in first-out queue for products,
// one stored copy of every single-inclusion extension, and the literal search for atoms.
// The fast kernels of src/omega are compared against these.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "core/element_relation.hpp"
#include "views/report_printers.hpp"
#include "measures/statistic_matrices.hpp"
#include "omega/z_table.hpp"

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

inline ElementRelation FromBytes(const Bytes& b, int e) {
  ElementRelation m(e);
  for (int r = 0; r < e; ++r)
    for (int c = 0; c < e; ++c)
      if (b[r * e + c]) m.Set(r, c);
  return m;
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

inline long CellDistance(const Bytes& a, const Bytes& b) {
  long d = 0;
  for (std::size_t i = 0; i < a.size(); ++i) d += a[i] != b[i];
  return d;
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

inline void PrintTable(std::FILE* out, const Bytes& m, int e) { PrintElementTable(out, FromBytes(m, e)); }

inline void BuildLowerOmega(std::FILE* out, const Bytes& omega, Bytes& lower, const Bytes& po, int e, const Mult& mult) {
  lower = LowerOmega(omega, po, e, mult);
  std::fputs("LOWER OMEGA RELATION: \n", out);
  PrintTable(out, lower, e);
  CloseRelation(lower, e, mult);
  std::fputs("CLOSURE OF LOWER OMEGA RELATION:\n", out);
  PrintTable(out, lower, e);
  if (Contains(omega, lower)) std::fputs("Closure of Lower Omega is contained in Omega\n", out);
}

inline void BuildOmega(std::FILE* out, Bytes& omega, Bytes& lower, const StatisticMatrices& s, float alpha,
                       float min_kappa, const Bytes& po, int e, int strategy, bool generator_products_only,
                       const Mult& mult) {
  const double z = ZOfAlpha(alpha);
  omega.assign(static_cast<std::size_t>(e) * e, 0);
  for (int i = 0; i < e; ++i) {
    omega[i * e + i] = 1;
    for (int j = i + 1; j < e; ++j) {
      const int up = i * e + j, lo = j * e + i;
      if (s.L[lo] < alpha && s.StdKappa[lo] < alpha) {
        const bool directional = strategy == 0 ? s.McNemarZ[lo] < alpha : s.PValue[lo] < alpha;
        if (directional) {
          if (s.McNemarZ[up] < 0.0) omega[up] = 1;
          else omega[lo] = 1;
        } else if (s.Kappa[up] - z * std::sqrt(static_cast<double>(s.Estvar[up])) > min_kappa) {
          omega[up] = omega[lo] = 1;
        }
      }
      if (po[up]) omega[up] = 1;
      if (po[lo]) omega[lo] = 1;
    }
  }
  std::fprintf(out, "\tAlpha = %6.4f\n", alpha);
  std::fprintf(out, "\tZ(Alpha) = %7.5f\n", z);
  std::fprintf(out, "\tMinkappa = %6.4f\n", min_kappa);
  std::fputs("\nOMEGA :\n", out);
  PrintTable(out, omega, e);
  if (!generator_products_only) {
    BuildLowerOmega(out, omega, lower, po, e, mult);
    CloseRelation(omega, e, mult);
    std::fputs("\nPARTIAL ALGEBRAIC CLOSURE OF OMEGA:\n", out);
    PrintTable(out, omega, e);
  }
  std::fputs("\n4. Factorisation of the closure of OMEGA and OMEGA_L.\n", out);
}

// The factor table: one stored copy of M(i, j) per pair outside rel (empty when none).
using Extensions = std::vector<Bytes>;

inline void PrintInducedInclusions(std::FILE* out, const Bytes& m, const Bytes& rel, int e) {
  std::fputs("   ", out);
  int count = 4;
  for (int r = 0; r < e; ++r)
    for (int c = 0; c < e; ++c) {
      if (m[r * e + c] == rel[r * e + c]) continue;
      const int n = std::fprintf(out, " (%1d, %1d) ", r + 1, c + 1);
      count += n;
      if (count > 80 - n) {
        std::fputs("\n   ", out);
        count = 4;
      }
    }
  std::fputs("\n\n", out);
}

inline Extensions BuildFactorTable(std::FILE* out, bool full, const Bytes& rel, int e, const Mult& mult) {
  Extensions table(rel.size());
  for (int i = 0; i < e; ++i)
    for (int j = 0; j < e; ++j) {
      if (rel[i * e + j]) continue;
      Bytes& m = table[i * e + j];
      m = rel;
      m[i * e + j] = 1;
      CloseRelation(m, e, mult);
      if (full) {
        std::fprintf(out, "%1d, %1d\n", i + 1, j + 1);
        PrintInducedInclusions(out, m, rel, e);
        std::fputs("\n", out);
      }
    }
  return table;
}

using Pairs = std::vector<std::pair<int, int>>;

inline bool IsNewCandidate(const Extensions& t, int i, int j, const Pairs& atoms, const Pairs& candidates, int e) {
  const Bytes& m = t[i * e + j];
  for (const auto& [a, b] : atoms)
    if (Contains(m, t[a * e + b])) return false;
  for (const auto& [a, b] : candidates)
    if (m == t[a * e + b]) return false;
  return true;
}

inline Pairs FindAtoms(const Extensions& t, const Bytes& rel, int e) {
  Pairs atoms;
  for (long d = 1; d <= static_cast<long>(e) * e && atoms.empty(); ++d)
    for (int i = 0; i < e; ++i)
      for (int j = 0; j < e; ++j) {
        const Bytes& m = t[i * e + j];
        if (m.empty() || CellDistance(rel, m) != d) continue;
        bool seen = false;
        for (const auto& [a, b] : atoms) seen = seen || m == t[a * e + b];
        if (!seen) atoms.emplace_back(i, j);
      }
  const Pairs first = atoms;
  Pairs candidates;
  for (int i = 0; i < e; ++i)
    for (int j = 0; j < e; ++j)
      if (!t[i * e + j].empty() && IsNewCandidate(t, i, j, first, candidates, e)) candidates.emplace_back(i, j);
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
  for (int i = 0; i < e; ++i)
    for (int j = 0; j < e; ++j) {
      const Bytes& m = t[i * e + j];
      const int v = m.empty() ? rel[first * e + second] : m[first * e + second];
      mc[i * e + j] = v == 0;
    }
  Bytes u = rel;
  for (std::size_t k = 0; k < u.size(); ++k) u[k] = rel[k] || mc[k];
  return !TransitiveClosure(u, e);
}

inline void Factorize(std::FILE* out, const Bytes& rel, int e, bool full, bool is_omega, const Mult& mult) {
  std::fputs(is_omega ? "\nFACTORIZATION OF OMEGA AT LEVEL ALPHA:" : "\nFACTORIZATION OF LOWER OMEGA RELATION AT LEVEL ALPHA:",
             out);
  std::fputs("\n", out);
  if (full) std::fputs("\nGenerating and Induced Inclusions\n", out);
  const Extensions t = BuildFactorTable(out, full, rel, e, mult);
  const Pairs atoms = FindAtoms(t, rel, e);
  if (atoms.size() == 1) std::fputs("\nTHERE IS 1 ATOM.\n", out);
  else std::fprintf(out, "\nTHERE ARE %1d ATOMS.\n", static_cast<int>(atoms.size()));
  Bytes mc;
  int k = 0;
  for (const auto& [a, b] : atoms) {
    ++k;
    const bool unique = MeetComplement(a, b, mc, rel, t, e);
    std::fprintf(out, "\nATOM #%1d\n", k);
    std::fprintf(out, "Generating Inclusion: %2d,%2d\n", a + 1, b + 1);
    std::fputs("Induced Inclusions: \n", out);
    PrintInducedInclusions(out, t[a * e + b], rel, e);
    std::fprintf(out, unique ? "Atom %1d has a unique maximal " : "Atom %1d has NO unique maximal ", k);
    std::fputs("meet-complement.\n", out);
    std::fputs("\nMatrix of Meet-Complements\n", out);
    PrintTable(out, mc, e);
  }
  std::fputs("\n\n\n", out);
}

}  // namespace quorel::omega_oracle
