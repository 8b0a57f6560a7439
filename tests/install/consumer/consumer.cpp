// Reads a data file, analyses its networks as `quorel` would with the options given, and
// writes the report and a few numbers: usage: consumer DATA REPORT
#include <quorel/quorel.hpp>

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  try {
    quorel::Options options;
    options.sample_size = 100;
    options.factor_omega = true;
    options.permutation_strategy = quorel::PermutationStrategy::kPairs;
    const std::vector<quorel::Result> results = quorel::Analyze(quorel::ReadNetworks(argv[1]), options);
    std::ofstream report(argv[2]);
    quorel::WriteReport(report, results);
    const quorel::Result& first = results.front();
    std::printf("elements %d kappa(1,2) %.6f proportion %.4f\n", first.element_count(), first.kappa(0, 1),
                first.kappa_proportion(0, 1));
  } catch (const quorel::Error& error) {
    std::fprintf(stderr, "consumer: %s\n", error.what());
    return 1;
  }
  return 0;
}
