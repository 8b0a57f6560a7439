#include "measures/proportion_interval.hpp"

#include <boost/math/special_functions/beta.hpp>

namespace quorel {

ProportionInterval ClopperPearson(long k, long n, double confidence) {
  const double tail = (1.0 - confidence) / 2.0;
  ProportionInterval interval;
  const double successes = static_cast<double>(k);
  const double failures = static_cast<double>(n - k);
  // The lower bound is the tail quantile of Beta(k, n - k + 1), the upper the upper-tail
  // quantile of Beta(k + 1, n - k); none below no success, none above all.
  if (k > 0) interval.low = boost::math::ibeta_inv(successes, failures + 1.0, tail);
  if (k < n) interval.high = boost::math::ibeta_inv(successes + 1.0, failures, 1.0 - tail);
  return interval;
}

}  // namespace quorel
