// The storage gate's memory budget: what it grants, what it refuses before anything is
// allocated, what it counts as in use and when that is given back.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/storage_gate.hpp"

namespace quorel {
namespace {

// Up to the budget exactly, then refused; the first refusal is kept with its bytes and request
// number, and a refused request holds nothing.
TEST(StorageGateBudget, GrantsUpToTheBudgetExactlyAndKeepsTheFirstRefusal) {
  StorageGate gate;
  gate.SetBudget(100);
  ASSERT_TRUE(gate.Grant(StorageKind::kStatistic, 40));
  ASSERT_TRUE(gate.Grant(StorageKind::kStatistic, 40));
  EXPECT_FALSE(gate.Grant(StorageKind::kStatistic, 40));
  EXPECT_TRUE(gate.Grant(StorageKind::kPartialOrder, 20));
  EXPECT_EQ(gate.InUse(), 100u);
  EXPECT_FALSE(gate.Grant(StorageKind::kOmega, 1));
  ASSERT_TRUE(gate.Refusal().has_value());
  const MemoryRefusal& refusal = *gate.Refusal();
  EXPECT_EQ(refusal.kind, StorageKind::kStatistic);
  EXPECT_EQ(refusal.request, 3u);
  EXPECT_EQ(refusal.needed, 40u);
  EXPECT_EQ(refusal.in_use, 80u);
  EXPECT_EQ(refusal.budget, 100u);
}

TEST(StorageGateBudget, NoBudgetGrantsAnySizeAndRequestsWithoutBytesAreNotCounted) {
  StorageGate gate;
  EXPECT_TRUE(gate.Grant(StorageKind::kStatistic, UINT64_MAX / 2));
  gate.SetBudget(10);
  gate.ReleaseAll();
  EXPECT_TRUE(gate.Grant(StorageKind::kQueueNode));
  EXPECT_EQ(gate.InUse(), 0u);
  EXPECT_FALSE(gate.Grant(StorageKind::kStatistic, UINT64_MAX)) << "no overflow past the budget";
}

TEST(StorageGateBudget, ReleaseByKindAndByBytesGivesBackOnlyWhatThatKindHolds) {
  StorageGate gate;
  gate.SetBudget(1000);
  ASSERT_TRUE(gate.Grant(StorageKind::kSamplerBuffer, 300));
  ASSERT_TRUE(gate.Grant(StorageKind::kSamplerBuffer, 200));
  ASSERT_TRUE(gate.Grant(StorageKind::kStatistic, 400));
  gate.Release(StorageKind::kSamplerBuffer);
  EXPECT_EQ(gate.InUse(), 400u);
  gate.Release(StorageKind::kStatistic, 100);
  EXPECT_EQ(gate.Charged(StorageKind::kStatistic), 300u);
  gate.Release(StorageKind::kStatistic, 5000);  // never below nothing
  EXPECT_EQ(gate.InUse(), 0u);
  EXPECT_EQ(gate.PeakInUse(), 900u);
}

TEST(StorageGateBudget, AHoldGivesItsBytesBackWhenItEndsAndAMovedHoldOnlyOnce) {
  StorageGate gate;
  gate.SetBudget(100);
  {
    ASSERT_TRUE(gate.Grant(StorageKind::kScratchRelation, 60));
    StorageHold first(gate, StorageKind::kScratchRelation, 60);
    StorageHold second = std::move(first);
    EXPECT_FALSE(gate.Grant(StorageKind::kScratchRelation, 60)) << "while the hold lives";
  }
  EXPECT_EQ(gate.InUse(), 0u);
  EXPECT_TRUE(gate.Grant(StorageKind::kScratchRelation, 60));
}

TEST(StorageGateBudget, FailAtStillCountsEveryRequestAndComesBeforeTheBudget) {
  StorageGate gate;
  gate.SetBudget(100);
  gate.FailAt(StorageKind::kOmega, 2);
  EXPECT_TRUE(gate.Grant(StorageKind::kOmega, 10));
  EXPECT_FALSE(gate.Grant(StorageKind::kOmega, 10));
  EXPECT_FALSE(gate.Refusal().has_value()) << "FailAt is not the budget";
  EXPECT_EQ(gate.Requests(StorageKind::kOmega), 2u);
}

TEST(StorageGateBudget, ObtainRefusedByTheBudgetLeavesTheVectorAsItWas) {
  StorageGate gate;
  gate.SetBudget(4 * 100);
  std::vector<float> cells{1.0f};
  EXPECT_FALSE(gate.Obtain(StorageKind::kStatistic, cells, 101, 0.0f));
  EXPECT_EQ(cells, std::vector<float>{1.0f});
  EXPECT_TRUE(gate.Obtain(StorageKind::kStatistic, cells, 100, 0.0f));
  EXPECT_EQ(gate.InUse(), 400u);
}

}  // namespace
}  // namespace quorel
