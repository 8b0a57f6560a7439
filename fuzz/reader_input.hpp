// How the network-reader fuzzer reads its bytes, shared with the test that replays its
// corpus: one byte of reading options, then the text of the file.
//
//   0: bits 0-2 the layout (modulo 5: recognised by content, DL, Pajek, GraphML, CSV);
//      bit 3 a threshold is given; bits 4-7 the threshold, (value - 4) / 2
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/input_format.hpp"
#include "core/network.hpp"
#include "formats/read_settings.hpp"

namespace quorel::fuzzing {

struct ReaderCase {
  InputFormat format = InputFormat::kAuto;
  ReadSettings settings;
  std::string text;
};

inline ReaderCase DecodeReaderInput(const std::uint8_t* bytes, std::size_t size) {
  ReaderCase c;
  if (size == 0) return c;
  static const InputFormat kFormats[5] = {InputFormat::kAuto, InputFormat::kDl, InputFormat::kPajek,
                                          InputFormat::kGraphMl, InputFormat::kCsv};
  c.format = kFormats[(bytes[0] & 7) % 5];
  if (bytes[0] & 8) c.settings.threshold = ((bytes[0] >> 4) - 4) / 2.0;
  c.text.assign(reinterpret_cast<const char*>(bytes + 1), size - 1);
  return c;
}

// What every network a reader returns must be, whatever its input: the analysis relies
// on each of these. Empty when it is; else what is wrong.
inline std::string NetworkFault(const Network& network) {
  const std::size_t n = static_cast<std::size_t>(network.actor_count);
  if (network.actor_count < 1 || network.actor_count > 181) return "actor count out of range";
  if (network.relations.empty() || network.relations.size() > 32767) return "relation count out of range";
  for (const std::vector<std::uint8_t>& relation : network.relations) {
    if (relation.size() != n * n) return "a relation is not N x N";
    for (const std::uint8_t cell : relation) {
      if (cell > 1) return "a cell is neither 0 nor 1";
    }
  }
  if (!network.actor_names.empty() && network.actor_names.size() != n) return "names for some actors only";
  if (!network.relation_names.empty() && network.relation_names.size() != network.relations.size()) {
    return "names for some relations only";
  }
  if (network.non_directional.has_value() && network.non_directional->size() != network.relations.size()) {
    return "a non-directionality vector of another length";
  }
  return {};
}

}  // namespace quorel::fuzzing
