#include "shell/gui/time_left.hpp"

#include <cmath>

namespace quorel {

std::optional<double> SecondsLeft(std::int64_t done, std::int64_t total, double elapsed_seconds) {
  // Before a hundredth of the work, or half a second, the pace says little.
  if (total <= 0 || done <= 0 || done > total || elapsed_seconds < 0.5) return std::nullopt;
  if (done * 100 < total) return std::nullopt;
  return elapsed_seconds * static_cast<double>(total - done) / static_cast<double>(done);
}

std::string DescribeTimeLeft(double seconds) {
  if (seconds < 1.0) return "less than a second left";
  const auto whole = static_cast<std::int64_t>(std::ceil(seconds));
  const std::int64_t hours = whole / 3600, minutes = whole / 60 % 60, rest = whole % 60;
  std::string text = "about ";
  if (hours > 0) text += std::to_string(hours) + " h " + std::to_string(minutes) + " min";
  else if (minutes > 0) text += std::to_string(minutes) + " min " + std::to_string(rest) + " s";
  else text += std::to_string(rest) + " s";
  return text + " left";
}

}  // namespace quorel
