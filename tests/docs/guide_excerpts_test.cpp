// docs/guide.md quotes the program's output. This test runs again every command the guide
// quotes and holds each quoted block against what the command prints now, so the guide
// cannot drift from the program.
//
// The convention, as the guide's Markdown source writes it:
//
//   <!-- excerpt: quorel --data examples/padgett_florentine.dat --report padgett.out ; file: padgett.out -->
//   ```
//   lines copied from padgett.out
//   ```
//
// - A fenced block without an info string holds program output, and the line right before its
//   opening fence is the excerpt comment naming where it comes from. Commands, code and
//   anything else shown for its own sake go in blocks with an info string (```sh, ```python).
// - The command starts with `quorel`, which stands for the binary under test. It is run by the
//   shell, once per distinct command, in a fresh scratch directory in which `examples` and
//   `tests` lead to the repository's directories: the guide's relative paths work and nothing
//   is written into the source tree. It must end with exit status 0.
// - `file:` is `stdout`, `stderr`, or a file the command wrote, relative to that directory. The
//   JSON document is a single line, so a name ending in `.json` is read as
//   `python3 -m json.tool` prints the file: four blanks per level, keys in document order.
// - Without a command (`<!-- excerpt: file: examples/padgett_florentine.dat -->`) the file is
//   read from the repository.
// - The block's lines must occur in the output as consecutive whole lines. Trailing blanks are
//   ignored on both sides (the report ends some lines with blanks, editors strip them);
//   everything else, tabs included, must match.
// - Every quoted command is also shown to the reader in a ```sh block, as `build/quorel ...`.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_harness.hpp"

namespace quorel {
namespace {

const std::string kSourceDir = QUOREL_SOURCE_DIR;

struct Excerpt {
  std::string where;    // "docs/guide.md:LINE (COMMAND ; file: NAME)", the opening fence's line
  std::string command;  // "quorel ...", or empty for a file of the repository
  std::string file;
  std::vector<std::string> lines;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string TrimRight(const std::string& s) { return s.substr(0, s.find_last_not_of(" \t\r") + 1); }
std::string Trim(const std::string& s) {
  const std::string right = TrimRight(s);
  return right.substr(std::min(right.size(), right.find_first_not_of(" \t")));
}
bool IsComment(const std::string& line) { return Trim(line).rfind("<!-- excerpt:", 0) == 0; }
bool IsFence(const std::string& line) { return line.rfind("```", 0) == 0; }

// The guide's excerpts, with every breach of the convention reported as a failure; `shell`
// gets every line of the ```sh blocks.
std::vector<Excerpt> ReadGuide(std::vector<std::string>& shell) {
  const std::vector<std::string> lines = SplitLines(testing::ReadWholeFile(kSourceDir + "/docs/guide.md"));
  EXPECT_FALSE(lines.empty()) << "docs/guide.md is missing or empty";
  std::vector<Excerpt> excerpts;
  const auto fault = [](std::size_t index, const std::string& what) {
    ADD_FAILURE() << "docs/guide.md:" << index + 1 << ": " << what;
  };
  // <!-- excerpt: [quorel ARGUMENTS ;] file: NAME -->
  const std::regex comment(R"(<!-- excerpt:\s*(?:(quorel .*?)\s*;\s*)?file:\s*(\S.*?)\s*-->)");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!IsFence(lines[i])) {
      if (IsComment(lines[i]) && (i + 1 >= lines.size() || !IsFence(lines[i + 1]))) {
        fault(i, "an excerpt comment must stand right before the block it describes");
      }
      continue;
    }
    const std::string info = Trim(lines[i].substr(3));
    std::size_t close = i + 1;
    while (close < lines.size() && Trim(lines[close]) != "```") ++close;
    if (close == lines.size()) {
      fault(i, "a fenced block that is never closed");
      break;
    }
    const std::vector<std::string> body(lines.begin() + i + 1, lines.begin() + close);
    const bool commented = i > 0 && IsComment(lines[i - 1]);
    std::smatch match;
    if (!info.empty()) {
      if (commented) fault(i - 1, "an excerpt comment before a ```" + info + " block, which is not checked");
      if (info == "sh") shell.insert(shell.end(), body.begin(), body.end());
    } else if (!commented) {
      fault(i, "program output without an excerpt comment (label other blocks, e.g. ```sh)");
    } else if (const std::string c = Trim(lines[i - 1]); !std::regex_match(c, match, comment)) {
      fault(i - 1, "not read as <!-- excerpt: quorel ARGUMENTS ; file: NAME --> or <!-- excerpt: file: NAME -->");
    } else if (body.empty()) {
      fault(i, "an empty excerpt");
    } else {
      const std::string where = "docs/guide.md:" + std::to_string(i + 1) + " (" +
                                (match[1].length() ? match[1].str() : "repository") + " ; file: " + match[2].str() +
                                ")";
      excerpts.push_back(Excerpt{where, match[1], match[2], body});
    }
    i = close;
  }
  return excerpts;
}

// The output an excerpt names, as lines: the quoted command is run (once per distinct
// command, in `runs`) in a fresh scratch directory in which `examples` and `tests` lead to the
// repository's. A JSON document as python3 -m json.tool prints it.
std::optional<std::vector<std::string>> OutputOf(
    const Excerpt& excerpt, std::map<std::string, std::unique_ptr<testing::ScratchDirectory>>& runs) {
  std::string path = kSourceDir + "/" + excerpt.file;
  if (!excerpt.command.empty()) {
    std::unique_ptr<testing::ScratchDirectory>& dir = runs[excerpt.command];
    if (!dir) {
      dir = std::make_unique<testing::ScratchDirectory>();
      std::filesystem::create_directory_symlink(kSourceDir + "/examples", dir->File("examples"));
      std::filesystem::create_directory_symlink(kSourceDir + "/tests", dir->File("tests"));
      EXPECT_EQ(testing::RunQuorel(*dir, excerpt.command.substr(6)), 0)
          << excerpt.command << "\nstandard error:\n" << testing::ReadWholeFile(dir->File("stderr.txt"));
      std::filesystem::rename(dir->File("stdout.txt"), dir->File("stdout"));
      std::filesystem::rename(dir->File("stderr.txt"), dir->File("stderr"));
    }
    path = dir->File(excerpt.file);
  }
  if (!std::filesystem::is_regular_file(path)) {
    ADD_FAILURE() << excerpt.where << ": the command wrote no such output";
    return std::nullopt;
  }
  const std::string text = testing::ReadWholeFile(path);
  if (!path.ends_with(".json")) return SplitLines(text);
  try {
    return SplitLines(nlohmann::ordered_json::parse(text).dump(4, ' ', true));
  } catch (const nlohmann::json::exception& error) {
    ADD_FAILURE() << excerpt.where << ": not a JSON document: " << error.what();
    return std::nullopt;
  }
}

TEST(GuideExcerpts, EveryExcerptAppearsInTheOutputOfACommandTheReaderIsShown) {
  std::vector<std::string> shell;
  const std::vector<Excerpt> excerpts = ReadGuide(shell);
  // The guide is mostly about the report; a handful of blocks would mean the convention was
  // lost (blocks labelled, or comments no longer read) rather than that the guide was cut.
  EXPECT_GE(excerpts.size(), 20u) << "docs/guide.md quotes hardly any output";
  std::map<std::string, std::unique_ptr<testing::ScratchDirectory>> runs;
  for (const Excerpt& excerpt : excerpts) {
    const auto shows = [&](const std::string& line) { return Trim(line) == "build/" + excerpt.command; };
    const bool shown = excerpt.command.empty() || std::any_of(shell.begin(), shell.end(), shows);
    EXPECT_TRUE(shown) << excerpt.where << ": the command is not shown in a ```sh block as build/" << excerpt.command;
    const std::optional<std::vector<std::string>> output = OutputOf(excerpt, runs);
    if (!output) continue;
    // The excerpt as consecutive whole lines, trailing blanks aside; else the longest run of
    // its leading lines found, for the message.
    const auto same = [](const std::string& a, const std::string& b) { return TrimRight(a) == TrimRight(b); };
    std::size_t found = excerpt.lines.size();
    while (found > 0 && std::search(output->begin(), output->end(), excerpt.lines.begin(),
                                    excerpt.lines.begin() + found, same) == output->end()) {
      --found;
    }
    EXPECT_EQ(found, excerpt.lines.size())
        << excerpt.where << ": the block no longer occurs in the output; after its first " << found
        << " lines the guide has\n  [" << excerpt.lines[std::min(found, excerpt.lines.size() - 1)] << "]";
  }
}

}  // namespace
}  // namespace quorel
