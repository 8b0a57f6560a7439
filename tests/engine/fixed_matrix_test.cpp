#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "formats/fixed_matrix_reader.hpp"
#include "core/storage_gate.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

struct FixedRead {
  std::int16_t result = 0;
  FixedMatrixRecord fixed;
  std::string errors;
};

FixedRead ReadFixedText(const std::string& text, int n, StorageGate gate = {}) {
  std::FILE* in = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::fputs(text.c_str(), in);
  std::rewind(in);
  FixedRead read;
  read.result = ReadFixed(in, err, gate, read.fixed, n);
  std::rewind(err);
  char buffer[512] = {};
  read.errors.assign(buffer, std::fread(buffer, 1, sizeof buffer - 1, err));
  std::fclose(in);
  std::fclose(err);
  return read;
}

std::vector<std::pair<int, int>> CellsOf(const CellGroup& group) {
  std::vector<std::pair<int, int>> cells;
  for (const CellNode& cell : group.Cells) cells.emplace_back(cell.Row, cell.Col);
  return cells;
}

TEST(FixedMatrix, CellsAreGroupedByValueInRowMajorOrder) {
  const FixedRead read = ReadFixedText("1 2 1\n2 1 2\n1 2 1\n", 3);
  ASSERT_EQ(read.result, 1);
  ASSERT_EQ(read.fixed.GroupCount, 2);
  EXPECT_EQ(read.fixed.MaxGroupSize, 5);
  EXPECT_EQ(read.fixed.Groups[0].Value, 1.0f);
  EXPECT_EQ(read.fixed.Groups[0].Count, 5);
  EXPECT_EQ(CellsOf(read.fixed.Groups[0]),
            (std::vector<std::pair<int, int>>{{0, 0}, {0, 2}, {1, 1}, {2, 0}, {2, 2}}));
  EXPECT_EQ(read.fixed.Groups[1].Value, 2.0f);
  EXPECT_EQ(CellsOf(read.fixed.Groups[1]), (std::vector<std::pair<int, int>>{{0, 1}, {1, 0}, {1, 2}, {2, 1}}));
  EXPECT_EQ(read.fixed.Scratch.size(), 5u);
}

TEST(FixedMatrix, EqualFloatsAreOneValue) {
  // 0.5 and 0.50 are one number; texts differing beyond single precision are one value;
  // 0 and -0 compare equal.
  const FixedRead read = ReadFixedText("0.5 0.50 0.1000000001 0.1000000002 0 -0 1e3 1000\n7", 3);
  ASSERT_EQ(read.result, 1);
  EXPECT_EQ(read.fixed.GroupCount, 5);
}

TEST(FixedMatrix, SingleValueMakesOneGroupWithTheDiagonal) {
  const FixedRead read = ReadFixedText("4 4\n4 4", 2);
  ASSERT_EQ(read.result, 1);
  ASSERT_EQ(read.fixed.GroupCount, 1);
  EXPECT_EQ(read.fixed.Groups[0].Count, 4);
}

TEST(FixedMatrix, MissingOrMalformedNumberFailsWithThreeLines) {
  const std::string message =
      "ERROR: Could not read fixed matrix.  3 x 3 matrix expected immediately \n\tafter network relations.\n";
  for (const char* text : {"1 2 1 2 1 2 1 2", "1 2 1 2 1 2 1 2 x", "1, 2, 1, 2, 1, 2, 1, 2, 1", ""}) {
    const FixedRead read = ReadFixedText(text, 3);
    EXPECT_EQ(read.result, 0) << text;
    EXPECT_EQ(read.errors, message) << text;
  }
}

TEST(FixedMatrix, StorageFailuresHaveTheirOwnMessages) {
  struct Case {
    StorageKind kind;
    const char* message;
  };
  for (const Case& c : {Case{StorageKind::kFixedWork, "ERROR: Unable to allocate memory in ReadFixed()\n"},
                        Case{StorageKind::kFixedGroups, "ERROR: Unable to allocate memory in make_groups\n"},
                        Case{StorageKind::kFixedNode, "ERROR: Unable to allocate memory in InsertElement()\n"},
                        Case{StorageKind::kFixedScratch, "ERROR: Unable to allocate memory in MakeGroups\n"}}) {
    StorageGate gate;
    gate.FailAt(c.kind, 1);
    const FixedRead read = ReadFixedText("1 2\n2 1\n", 2, gate);
    EXPECT_EQ(read.result, -1);
    EXPECT_EQ(read.errors, c.message);
  }
}

TEST(FixedMatrix, IsReadAfterTheRelationsAndPrintedInSectionOne) {
  AnalysisOptions options;
  options.m_FixedSupplied = 1;
  const testing::RunCapture run = testing::RunOnText("label\n2 1\n0 1 1 0\n1 0.5\n-2 1\nnext\n1 1\n1\n7\n", options);
  ASSERT_FALSE(run.fatal) << run.errors;
  EXPECT_THAT(run.report, HasSubstr("\nFixed matrix:\n 1.00  0.50 \n-2.00  1.00 \n\n"));
  EXPECT_THAT(run.report, HasSubstr("\nFixed matrix:\n 7.00 \n\n"));
}

TEST(FixedMatrix, StorageFailureEndsTheRunNormally) {
  AnalysisOptions options;
  options.m_FixedSupplied = 1;
  const testing::RunCapture run = testing::RunOnText("label\n1 1\n1\n7\n", options, [](AnalysisState& state) {
    state.Storage.FailAt(StorageKind::kFixedGroups, 1);
  });
  EXPECT_FALSE(run.fatal);
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.report, "");
  EXPECT_EQ(run.errors, "ERROR: Unable to allocate memory in make_groups\n");
}

TEST(FixedMatrix, MalformedNumberAborts) {
  AnalysisOptions options;
  options.m_FixedSupplied = 1;
  const testing::RunCapture run = testing::RunOnText("label\n1 1\n1\nseven\n", options);
  EXPECT_TRUE(run.fatal);
  EXPECT_THAT(run.errors, HasSubstr("ABORT QUOREL\n"));
}

}  // namespace
}  // namespace quorel
