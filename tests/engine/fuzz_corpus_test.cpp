// The fuzzer's corpus as a regression suite: every saved input (the seed files of
// malformed and real networks, and the inputs the fuzzer kept because they reached new
// code) runs through the whole analysis, decoded exactly as the fuzzer decodes it, and
// must end the way a run may end: with a completion code, or with a fatal error that
// leaves its message on the diagnostics channel. Crashes, leaks and undefined behaviour
// show in the sanitizer build.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../../fuzz/fuzz_input.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

std::vector<std::filesystem::path> CorpusFiles() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(QUOREL_SOURCE_DIR) + "/fuzz/corpus")) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Completion codes a run can end with: 0, 1, 3 and 5 from the driver, 29 from the samplers
// and 31 to 36 from the statistic matrices.
bool IsCompletionCode(int code) { return code == 0 || code == 1 || code == 3 || code == 5 || code == 29 || (code >= 31 && code <= 36); }

TEST(FuzzCorpus, EveryInputEndsAsARunMayEnd) {
  const std::vector<std::filesystem::path> files = CorpusFiles();
  ASSERT_GE(files.size(), 40u) << "the seed corpus is missing";
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    const std::string bytes = testing::ReadWholeFile(path.string());
    const fuzzing::FuzzCase c =
        fuzzing::DecodeFuzzInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    const testing::RunCapture run =
        testing::RunOnText(c.data, c.options, [&](AnalysisState& state) { fuzzing::PrepareState(c, state); });
    if (run.fatal) {
      // Every fatal path this corpus reaches writes a message (FatalError codes 1 to 10,
      // the reader's and the factorization's own messages).
      EXPECT_FALSE(run.errors.empty());
      EXPECT_TRUE(std::find(run.messages.begin(), run.messages.end(), "QUOREL complete.") == run.messages.end());
    } else {
      EXPECT_TRUE(IsCompletionCode(run.code)) << run.code;
      ASSERT_FALSE(run.messages.empty());
      if (run.code == 0) {
        EXPECT_EQ(run.messages.back(), "QUOREL complete.");
      }
    }
  }
}

// The seeds of malformed fixed matrices end the way the reader promises (the data reader's
// own refusals are tested with it, data_reader_test.cpp).
TEST(FuzzCorpus, MalformedSeedsEndAsTheReaderPromises) {
  const char* const kUnread = "ERROR: Could not read fixed matrix.  2 x 2 matrix expected immediately \n";
  const struct {
    const char* file;
    const char* errors_start;  // start of the diagnostics text
  } cases[] = {{"fixed-bad-number", kUnread}, {"fixed-ends-early", kUnread},
               {"fixed-nan", "ERROR: fixed matrix value not found\n"}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.file);
    const std::string bytes = testing::ReadWholeFile(std::string(QUOREL_SOURCE_DIR) + "/fuzz/corpus/" + k.file);
    ASSERT_FALSE(bytes.empty());
    const fuzzing::FuzzCase c =
        fuzzing::DecodeFuzzInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    AnalysisOptions as_data = c.options;  // the data reader's own words, without the layout note
    as_data.DataFormat = InputFormat::kData;
    const testing::RunCapture run =
        testing::RunOnText(c.data, as_data, [&](AnalysisState& state) { fuzzing::PrepareState(c, state); });
    EXPECT_TRUE(run.fatal);
    EXPECT_EQ(run.errors.substr(0, std::string(k.errors_start).size()), k.errors_start);
  }
}

}  // namespace
}  // namespace quorel
