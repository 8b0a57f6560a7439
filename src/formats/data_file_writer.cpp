#include "formats/data_file_writer.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace quorel {

namespace {

// The shortest of "%g" and "%.9g" that reads back as the same float.
std::string FloatText(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  if (std::strtof(text, nullptr) != value) std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

}  // namespace

void WriteDataFile(const Network& network, std::ostream& out, const std::vector<float>& fixed_matrix) {
  const int n = network.actor_count;
  std::string text = network.label + "\n";
  text += std::to_string(n) + " " + std::to_string(network.relation_count());
  if (network.non_directional.has_value()) {
    text += " 1\n";
    for (std::size_t k = 0; k < network.non_directional->size(); ++k) {
      if (k != 0) text += ' ';
      text += std::to_string((*network.non_directional)[k]);
    }
  }
  text += "\n";
  for (int k = 0; k < network.relation_count(); ++k) {
    text += "\n";
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) {
        if (c != 0) text += ' ';
        text += network.tie(k, r, c) ? '1' : '0';
      }
      text += '\n';
    }
  }
  if (!fixed_matrix.empty()) {
    text += "\n";
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) {
        if (c != 0) text += ' ';
        text += FloatText(fixed_matrix[static_cast<std::size_t>(r) * n + c]);
      }
      text += '\n';
    }
  }
  out << text;
}

}  // namespace quorel
