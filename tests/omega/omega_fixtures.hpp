#pragma once

// Inputs for the Omega tests and benchmarks: multiplication tables and relations drawn at
// random, and semigroups of real networks (Boolean products of random relations).

#include <cstdint>
#include <unordered_map>
#include <random>
#include <string>
#include <vector>

#include "core/element_relation.hpp"

namespace quorel::omega_fixtures {

using Mult = std::vector<std::int16_t>;

// Every product an element at random, or -1 with probability `undefined`.
inline Mult RandomMult(std::mt19937& gen, int e, double undefined) {
  Mult mult(static_cast<std::size_t>(e) * e);
  std::uniform_int_distribution<int> element(0, e - 1);
  std::bernoulli_distribution missing(undefined);
  for (auto& cell : mult) cell = missing(gen) ? std::int16_t{-1} : static_cast<std::int16_t>(element(gen));
  return mult;
}

// A reflexive relation with each off-diagonal pair present with probability `density`.
inline ElementRelation RandomReflexive(std::mt19937& gen, int e, double density) {
  ElementRelation m(e);
  std::bernoulli_distribution pair(density);
  for (int r = 0; r < e; ++r)
    for (int c = 0; c < e; ++c)
      if (r == c || pair(gen)) m.Set(r, c);
  return m;
}

// The semigroup of a network: its elements are the distinct Boolean products of the
// generators, formed breadth-first by appending generators until `max_elements` are found
// or no word of the next length is new. A product that is not among the elements is -1.
// The partial order holds (r, c) when relation c is included in relation r.
struct Semigroup {
  int e = 0;
  bool complete = false;  // every product of two elements is an element
  Mult mult;
  ElementRelation partial_order;
};

inline Semigroup SemigroupOfNetwork(std::mt19937& gen, int actors, int generators, double density,
                                    int max_elements) {
  using Matrix = std::string;  // N x N cells, 0 or 1
  const auto product = [actors](const Matrix& a, const Matrix& b) {
    Matrix c(a.size(), 0);
    for (int r = 0; r < actors; ++r)
      for (int k = 0; k < actors; ++k)
        if (a[r * actors + k])
          for (int s = 0; s < actors; ++s) c[r * actors + s] |= b[k * actors + s];
    return c;
  };
  std::bernoulli_distribution tie(density);
  std::vector<Matrix> elements;
  std::unordered_map<Matrix, int> index;
  for (int g = 0; g < generators; ++g) {
    Matrix m(static_cast<std::size_t>(actors) * actors, 0);
    for (auto& cell : m) cell = tie(gen) ? 1 : 0;
    if (index.emplace(m, static_cast<int>(elements.size())).second) elements.push_back(m);
  }
  const int g_count = static_cast<int>(elements.size());
  std::size_t level_start = 0;
  while (static_cast<int>(elements.size()) < max_elements) {
    const std::size_t level_end = elements.size();
    for (std::size_t a = level_start; a < level_end && static_cast<int>(elements.size()) < max_elements; ++a)
      for (int g = 0; g < g_count && static_cast<int>(elements.size()) < max_elements; ++g) {
        Matrix p = product(elements[a], elements[static_cast<std::size_t>(g)]);
        if (index.emplace(p, static_cast<int>(elements.size())).second) elements.push_back(std::move(p));
      }
    if (elements.size() == level_end) break;
    level_start = level_end;
  }
  Semigroup s;
  s.complete = true;
  s.e = static_cast<int>(elements.size());
  s.mult.assign(static_cast<std::size_t>(s.e) * s.e, -1);
  for (int a = 0; a < s.e; ++a)
    for (int c = 0; c < s.e; ++c) {
      const auto found = index.find(product(elements[a], elements[c]));
      if (found != index.end()) {
        s.mult[static_cast<std::size_t>(a) * s.e + c] = static_cast<std::int16_t>(found->second);
      } else {
        s.complete = false;
      }
    }
  s.partial_order.Reset(s.e);
  for (int r = 0; r < s.e; ++r)
    for (int c = 0; c < s.e; ++c) {
      bool inside = true;
      for (std::size_t k = 0; k < elements[r].size() && inside; ++k) inside = !elements[c][k] || elements[r][k];
      if (inside) s.partial_order.Set(r, c);
    }
  return s;
}

}  // namespace quorel::omega_fixtures
