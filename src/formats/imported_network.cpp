#include "formats/imported_network.hpp"

#include <cstdio>
#include <cstdlib>

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

std::string DataFileText(const ImportedNetwork& network) {
  const int n = network.N;
  std::string text = network.Label + "\n";
  text += std::to_string(n) + " " + std::to_string(network.Relations.size());
  if (!network.NonDirectional.empty()) {
    text += " 1\n";
    for (std::size_t k = 0; k < network.NonDirectional.size(); ++k) {
      if (k != 0) text += ' ';
      text += std::to_string(network.NonDirectional[k]);
    }
  }
  text += "\n";
  for (const std::vector<std::uint8_t>& cells : network.Relations) {
    text += "\n";
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) {
        if (c != 0) text += ' ';
        text += cells[static_cast<std::size_t>(r) * n + c] != 0 ? '1' : '0';
      }
      text += '\n';
    }
  }
  if (!network.FixedMatrix.empty()) {
    text += "\n";
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) {
        if (c != 0) text += ' ';
        text += FloatText(network.FixedMatrix[static_cast<std::size_t>(r) * n + c]);
      }
      text += '\n';
    }
  }
  return text;
}

std::string DescribeInputError(const std::string& file, const InputError& error) {
  if (error.Line() <= 0) return file + ": " + error.what();
  return file + ":" + std::to_string(error.Line()) + ": " + error.what();
}

}  // namespace quorel
