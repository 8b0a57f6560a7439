// The network-reader fuzzer's corpus as a regression suite: every saved input is read as
// the fuzzer reads it, and either is refused with a line and a reason or gives a network
// the analysis can hold. Crashes and undefined behaviour show in the sanitizer build.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "../../fuzz/reader_input.hpp"
#include "formats/input_error.hpp"
#include "formats/network_reader.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

TEST(ReaderCorpus, EveryInputIsReadWholeOrRefusedWithItsLine) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(QUOREL_SOURCE_DIR) + "/fuzz/reader-corpus")) {
    files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 12u) << "the seed corpus is missing";
  int read = 0, refused = 0;
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    const std::string bytes = testing::ReadWholeFile(path.string());
    const fuzzing::ReaderCase c =
        fuzzing::DecodeReaderInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    const InputFormat format = ResolveInputFormat(c.format, WithoutByteOrderMark(c.text));
    if (format == InputFormat::kData) continue;
    std::vector<std::string> warnings;
    try {
      EXPECT_EQ(fuzzing::NetworkFault(ReadSingleNetwork(c.text, format, "fuzz.net", c.settings, warnings)), "");
      ++read;
    } catch (const InputError& error) {
      EXPECT_GE(error.Line(), 0);
      EXPECT_STRNE(error.what(), "");
      ++refused;
    }
  }
  // The seeds hold well-formed files of every layout and damaged ones.
  EXPECT_GE(read, 5);
  EXPECT_GE(refused, 5);
}

}  // namespace
}  // namespace quorel
