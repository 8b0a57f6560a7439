#pragma once

namespace quorel {

// Where the true share of random versions reaching a statistic lies, seen from k of n
// samples: the exact (Clopper-Pearson) interval, from quantiles of the beta distribution.
// It holds the share with at least the confidence asked for, whatever that share is, so it
// is wide for few samples and for shares near 0 or 1.
struct ProportionInterval {
  double low = 0.0;
  double high = 1.0;
};

// The interval of k successes in n trials, 0 <= k <= n, n > 0; bounds to full double
// precision. Cost: a few beta-function inversions.
ProportionInterval ClopperPearson(long k, long n, double confidence = 0.95);

}  // namespace quorel
