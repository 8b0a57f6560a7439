#pragma once

#include <cstdint>
#include <vector>

#include "algebra/word_table.hpp"
#include "support/byte_matrices.hpp"

namespace quorel::testing {

// The semigroup built literally: every candidate formed cell by cell and searched by a
// linear scan, every cell of the multiplication table formed and searched the same way.
struct ReferenceSemigroup {
  std::vector<ByteMatrix> elements;
  std::vector<std::int16_t> mult;  // E x E
  std::vector<WordEntry> words;
  bool complete = true;
  std::vector<std::int8_t> order;  // E x E partial order
};

inline ReferenceSemigroup BuildReferenceSemigroup(const std::vector<ByteMatrix>& generators, int n, int m,
                                                  bool products_only = false) {
  ReferenceSemigroup s;
  const int g = static_cast<int>(generators.size());
  s.elements = generators;
  std::vector<std::vector<std::int16_t>> right(g, std::vector<std::int16_t>(g, -1));
  for (int k = 0; k < g; ++k) s.words.push_back(WordEntry{-1, static_cast<std::int16_t>(k)});
  auto find_or_add = [&](const ByteMatrix& product, int node, int generator, bool add) {
    int f = ByteFind(s.elements, static_cast<int>(s.elements.size()), product);
    if (f < 0 && add) {
      f = static_cast<int>(s.elements.size());
      s.elements.push_back(product);
      s.words.push_back(WordEntry{static_cast<std::int16_t>(node), static_cast<std::int16_t>(generator)});
      right.emplace_back(g, -1);
    }
    return f;
  };
  if (products_only) {
    std::vector<std::vector<int>> powers(1, std::vector<int>(g));
    for (int k = 0; k < g; ++k) powers[0][k] = k;
    for (int l = 1; l <= m; ++l) {
      powers.emplace_back(g);
      for (int k = 0; k < g; ++k) {
        const ByteMatrix product = ByteProduct(s.elements[powers[l - 1][k]], s.elements[k], n);
        powers[l][k] = find_or_add(product, -1, -1, true);
      }
    }
    const int e = static_cast<int>(s.elements.size());
    s.mult.assign(static_cast<std::size_t>(e) * e, -1);
    for (int k = g; k < e; ++k) s.words[k] = WordEntry{-1, -1};
    for (int l = 1; l <= m; ++l) {
      for (int k = 0; k < g; ++k) {
        s.mult[powers[l - 1][k] * e + k] = static_cast<std::int16_t>(powers[l][k]);
        if (powers[l][k] >= g && s.words[powers[l][k]].Node == -1) {
          s.words[powers[l][k]] = WordEntry{static_cast<std::int16_t>(powers[l - 1][k]), static_cast<std::int16_t>(k)};
        }
      }
    }
  } else {
    int start = 0;
    int end = g;
    for (int stage = 1; stage <= m; ++stage) {
      for (int i = start; i < end; ++i) {
        for (int j = 0; j < g; ++j) {
          right[i][j] = static_cast<std::int16_t>(find_or_add(ByteProduct(s.elements[i], s.elements[j], n), i, j, true));
        }
      }
      start = end;
      end = static_cast<int>(s.elements.size());
      if (start == end) break;
    }
    const int e = static_cast<int>(s.elements.size());
    for (int i = start; i < end; ++i) {
      for (int j = 0; j < g; ++j) {
        right[i][j] = static_cast<std::int16_t>(find_or_add(ByteProduct(s.elements[i], s.elements[j], n), i, j, false));
        if (right[i][j] < 0) s.complete = false;
      }
    }
    s.mult.assign(static_cast<std::size_t>(e) * e, -1);
    for (int i = 0; i < e; ++i) {
      for (int j = 0; j < g; ++j) s.mult[i * e + j] = right[i][j];
      for (int j = g; j < e; ++j) {
        s.mult[i * e + j] = static_cast<std::int16_t>(ByteFind(s.elements, e, ByteProduct(s.elements[i], s.elements[j], n)));
      }
    }
  }
  const int e = static_cast<int>(s.elements.size());
  s.order.assign(static_cast<std::size_t>(e) * e, 0);
  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) s.order[i * e + j] = ByteContains(s.elements[i], s.elements[j]) ? 1 : 0;
  }
  return s;
}

}  // namespace quorel::testing
