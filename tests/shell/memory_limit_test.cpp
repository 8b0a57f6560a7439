// --memory-limit's sizes, the default budget from the system's available memory, and the
// line a refusal adds to a run's messages.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "shell/memory_limit.hpp"

namespace quorel {
namespace {

struct SizeCase {
  const char* text;
  std::optional<std::uint64_t> bytes;
};

class MemorySize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(MemorySize, ReadsBytesAndBinaryMultiplesAndRefusesAnythingElse) {
  EXPECT_EQ(ParseMemorySize(GetParam().text), GetParam().bytes) << GetParam().text;
}

constexpr std::uint64_t kKiB = 1024;
INSTANTIATE_TEST_SUITE_P(
    Texts, MemorySize,
    ::testing::Values(SizeCase{"1073741824", 1073741824u}, SizeCase{"512K", 512 * kKiB},
                      SizeCase{"512k", 512 * kKiB}, SizeCase{"3M", 3 * kKiB * kKiB},
                      SizeCase{"2G", 2 * kKiB * kKiB * kKiB}, SizeCase{"2GiB", 2 * kKiB * kKiB * kKiB},
                      SizeCase{"2gb", 2 * kKiB * kKiB * kKiB}, SizeCase{"1T", kKiB * kKiB * kKiB * kKiB},
                      SizeCase{"0", 0u}, SizeCase{"NONE", 0u},
                      SizeCase{"18446744073709551615", UINT64_MAX},
                      // Not sizes: empty, signs, fractions, blanks, unknown or repeated units, overflow.
                      SizeCase{"", std::nullopt}, SizeCase{"-1G", std::nullopt},
                      SizeCase{"1.5G", std::nullopt}, SizeCase{"1 G", std::nullopt},
                      SizeCase{"G", std::nullopt}, SizeCase{"12X", std::nullopt}, SizeCase{"1GG", std::nullopt},
                      SizeCase{"1Gi", std::nullopt},
                      SizeCase{"18446744073709551616", std::nullopt}, SizeCase{"16777216T", std::nullopt}));

TEST(MemAvailable, IsReadFromItsLineInKibibytes) {
  const char* const meminfo =
      "MemTotal:       24576000 kB\nMemFree:         1000000 kB\nMemAvailable:   20000000 kB\nBuffers: 1 kB\n";
  EXPECT_EQ(MemAvailableOf(meminfo), std::optional<std::uint64_t>(20000000ull * 1024));
  EXPECT_EQ(MemAvailableOf("MemTotal: 100 kB\nMemFree: 50 kB\n"), std::nullopt);
}

TEST(DefaultBudget, LeavesATenthOr256MiBWhicheverIsLargerButAtLeastHalf) {
  constexpr std::uint64_t kMiB = 1024 * 1024;
  EXPECT_EQ(DefaultMemoryBudget(20480 * kMiB), 18432 * kMiB);  // a tenth
  EXPECT_EQ(DefaultMemoryBudget(1024 * kMiB), 768 * kMiB);     // 256 MiB
  EXPECT_EQ(DefaultMemoryBudget(300 * kMiB), 150 * kMiB);      // half
  EXPECT_EQ(DefaultMemoryBudget(0), 0u);                       // no budget when it cannot be told
}

TEST(RefusalLine, NamesTheStorageItsBytesWhatIsInUseAndTheBudget) {
  const MemoryRefusal refusal{StorageKind::kPartialOrder, 1, 2254857830u, 512u * 1024 * 1024, 1024u * 1024 * 1024};
  EXPECT_EQ(MemoryRefusalLine(refusal),
            "quorel: the storage for the partial order needs 2.1 GiB (2254857830 bytes) with 512.0 MiB in use, but "
            "the memory budget is 1.0 GiB (--memory-limit); a shorter --max-word-length, --generator-products-only "
            "or a larger --memory-limit would reduce it.");
  const MemoryRefusal factors{StorageKind::kFactorTable, 1, 100, 0, 50};
  EXPECT_THAT(MemoryRefusalLine(factors), ::testing::HasSubstr("leaving out --factor-omega"));
}

}  // namespace
}  // namespace quorel
