// The CSV tables of a run that ends early, the quoting of fields, and the folders and names
// the command line gives them. Complete tables are pinned byte for byte with the golden
// reports.

#include "views/table_export.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "formats/csv_dialect.hpp"
#include "views/csv_writer.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

// A table read back by the input reader's CSV rules (RFC 4180 quoting): the header, then
// rows with as many fields, the last one ended.
struct Table {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;

  const std::string& At(std::size_t row, const std::string& column) const {
    static const std::string missing = "(no column)";
    const auto at = std::find(header.begin(), header.end(), column);
    return at == header.end() ? missing : rows[row][static_cast<std::size_t>(at - header.begin())];
  }
};

Table ReadTable(const std::string& path) {
  const std::string text = testing::ReadWholeFile(path);
  EXPECT_TRUE(!text.empty() && text.back() == '\n') << path;
  Table table;
  for (CsvRow& row : SplitCsvRows(text, ',')) {
    (table.header.empty() ? table.header : table.rows.emplace_back()) = std::move(row.fields);
    EXPECT_EQ(table.rows.empty() ? table.header.size() : table.rows.back().size(), table.header.size()) << path;
  }
  return table;
}

// A run that ends in a fatal error keeps whole tables of what it reached: here the
// statistics, with no cutoff level.
TEST(TableExport, FatalErrorLeavesWholeTablesOfWhatWasReached) {
  testing::ScratchDirectory dir;
  TableExport tables(dir.File("t"), stderr);
  AnalysisOptions options;
  options.m_SampleSize = 5;
  const testing::RunCapture run =
      testing::RunOnText(testing::ExampleNetwork("knoke_bureaucracies.dat"), options, [&](AnalysisState& state) {
                           state.Results = &tables;
                           state.Storage.FailAt(StorageKind::kOmega, 1);
                         });
  ASSERT_TRUE(run.fatal);
  tables.Finish();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("t/1")), {}), 5);  // no .partial left
  const Table pairs = ReadTable(dir.File("t/1/pairs.csv"));
  EXPECT_EQ(pairs.header.back(), "included_j_in_i");
  EXPECT_FALSE(pairs.rows.empty());
  EXPECT_TRUE(ReadTable(dir.File("t/1/omega.csv")).rows.empty());
}

TEST(CsvWriter, QuotesOnlyFieldsThatNeedIt) {
  for (const auto& [text, field] : std::vector<std::pair<std::string, std::string>>{
           {"A'.B", "A'.B"}, {"", ""}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""},
           {"two\nlines", "\"two\nlines\""}, {"cr\r", "\"cr\r\""}}) {
    std::string line;
    AppendCsvField(line, text);
    EXPECT_EQ(line, field);
  }
}

// Through the command line: one folder per problem, and relation names holding commas and
// quotes come back whole in the words' names (a transpose marked with ').
TEST(TableCommand, OneFolderPerProblemAndNamesQuoted) {
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("two.dat"), testing::ExampleNetwork("padgett_florentine.dat") +
                                                   testing::ExampleNetwork("knoke_bureaucracies.dat"));
  ASSERT_EQ(testing::RunQuorel(dir, "-q --data two.dat --sample-size 5 --tables out/t"), 0)
      << testing::ReadWholeFile(dir.File("stderr.txt"));
  EXPECT_EQ(testing::ReadWholeFile(dir.File("stderr.txt")), "");  // every file written, no warning
  for (const char* folder : {"out/t/1", "out/t/2"}) {
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File(folder)), {}), 5) << folder;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("out/t/3")));
  // The record of the run beside them, with what reproduces it.
  EXPECT_THAT(testing::ReadWholeFile(dir.File("out/t/run.json")), ::testing::HasSubstr("\"sha256\": \""));

  testing::WriteWholeFile(dir.File("named.csv"),
                          "source,target,relation\n"
                          "a,b,\"likes, a lot\"\nb,c,\"likes, a lot\"\nc,a,\"says \"\"hi\"\"\"\n");
  ASSERT_EQ(testing::RunQuorel(dir, "-q --data named.csv --transposes --sample-size 5 --tables named"), 0)
      << testing::ReadWholeFile(dir.File("stderr.txt"));
  const Table elements = ReadTable(dir.File("named/1/elements.csv"));
  ASSERT_GE(elements.rows.size(), 4u);
  EXPECT_EQ(elements.At(0, "word_names"), "likes, a lot");
  EXPECT_EQ(elements.At(1, "word_names"), "says \"hi\"");
  EXPECT_EQ(elements.At(3, "word_names"), "says \"hi\"'");
  std::set<std::string> compounds;
  for (std::size_t r = 0; r < elements.rows.size(); ++r) compounds.insert(elements.At(r, "word_names"));
  EXPECT_TRUE(compounds.count("likes, a lot.says \"hi\"") == 1);
  EXPECT_THAT(testing::ReadWholeFile(dir.File("named/1/elements.csv")), HasSubstr("\"says \"\"hi\"\"'\""));
}

}  // namespace
}  // namespace quorel
