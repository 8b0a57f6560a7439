#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quorel {

// The time the rest of a step will take, at the pace it has kept so far: none until a
// share of it is done that makes the pace worth a guess.
std::optional<double> SecondsLeft(std::int64_t done, std::int64_t total, double elapsed_seconds);

// "about 3 min 20 s left", "about 45 s left", "less than a second left".
std::string DescribeTimeLeft(double seconds);

}  // namespace quorel
