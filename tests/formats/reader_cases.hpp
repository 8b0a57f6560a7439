// What the reader tests share: a network written as rows of digits, a text with the network
// it gives, and a malformed text with the line and reason it is refused with.

#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/network.hpp"
#include "formats/input_error.hpp"
#include "formats/read_settings.hpp"

namespace quorel {

// A network on n actors from its relations as rows of digits, blanks between rows optional:
// "01 10" is the relation on two actors where each is tied to the other. Which relations are
// non-directional is left unsaid when `non_directional` is empty.
inline Network Net(int n, const std::vector<std::string>& relations, std::vector<std::string> actors = {},
                   std::vector<std::string> relation_names = {},
                   std::vector<std::uint8_t> non_directional = {}) {
  Network network;
  network.actor_count = n;
  for (const std::string& rows : relations) {
    std::vector<std::uint8_t> cells;
    for (const char ch : rows) {
      if (ch != ' ') cells.push_back(ch == '1' ? 1 : 0);
    }
    network.relations.push_back(std::move(cells));
  }
  network.actor_names = std::move(actors);
  network.relation_names = std::move(relation_names);
  if (!non_directional.empty()) network.non_directional = std::move(non_directional);
  return network;
}

// A failed comparison shows the network as it is written above.
inline void PrintTo(const Network& network, std::ostream* os) {
  for (const std::vector<std::uint8_t>& cells : network.relations) {
    *os << '{';
    for (std::size_t k = 0; k < cells.size(); ++k) *os << (k > 0 && k % network.actor_count == 0 ? " " : "") << int{cells[k]};
    *os << "} ";
  }
  for (const std::string& name : network.actor_names) *os << name << ',';
  *os << " / ";
  for (const std::string& name : network.relation_names) *os << name << ',';
  if (network.non_directional) {
    *os << " / non-directional ";
    for (const std::uint8_t mark : *network.non_directional) *os << int{mark};
  }
}

namespace testing {

// A well-formed text and the network it gives, read with `settings`.
struct ReadCase {
  const char* name;
  std::string text;
  Network network;
  ReadSettings settings = {};
};

// A malformed text: refused on `line` (0 when none applies) with `reason` in the message.
struct Refusal {
  const char* name;
  std::string text;
  int line;
  std::string reason;
  ReadSettings settings = {};
};

// The settings of a case that needs one: a tie threshold, or GraphML's relation attribute.
inline ReadSettings Threshold(double threshold) {
  ReadSettings settings;
  settings.threshold = threshold;
  return settings;
}
inline ReadSettings RelationAttribute(std::string name) {
  ReadSettings settings;
  settings.relation_attribute = std::move(name);
  return settings;
}

inline void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
inline void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

template <class Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

template <class Read>
void ExpectRefused(const Refusal& c, Read read) {
  try {
    read();
    ADD_FAILURE() << "read";
  } catch (const InputError& error) {
    EXPECT_EQ(error.Line(), c.line) << error.what();
    EXPECT_THAT(error.what(), ::testing::HasSubstr(c.reason));
  }
}

}  // namespace testing
}  // namespace quorel
