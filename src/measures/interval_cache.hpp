#pragma once

#include <cmath>
#include <optional>
#include <vector>

#include "measures/proportion_interval.hpp"

namespace quorel {

// The 95% interval of every proportion of one run's S samples, each count's computed once:
// a proportion is k / S for one of S + 1 counts, however many pairs share it.
class IntervalCache {
 public:
  explicit IntervalCache(int samples) : samples_(samples), known_(static_cast<std::size_t>(samples > 0 ? samples + 1 : 0)) {}

  // The interval of a proportion as the statistic matrices hold it (a float k / S); none
  // without samples or for a proportion that is not a number.
  std::optional<ProportionInterval> Of(float proportion) {
    if (samples_ <= 0 || std::isnan(proportion)) return std::nullopt;
    const long k = std::lround(static_cast<double>(proportion) * samples_);
    if (k < 0 || k > samples_) return std::nullopt;
    std::optional<ProportionInterval>& known = known_[static_cast<std::size_t>(k)];
    if (!known.has_value()) known = ClopperPearson(k, samples_);
    return known;
  }

 private:
  int samples_;
  std::vector<std::optional<ProportionInterval>> known_;
};

}  // namespace quorel
