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
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_harness.hpp"

namespace quorel {
namespace {

const std::string kSourceDir = QUOREL_SOURCE_DIR;

struct Excerpt {
  int line = 0;         // the opening fence's line in the guide, from 1
  std::string command;  // "quorel ...", or empty for a file of the repository
  std::string file;
  std::vector<std::string> lines;

  std::string Where() const {
    return "docs/guide.md:" + std::to_string(line) + " (" + (command.empty() ? "repository" : command) + " ; file: " +
           file + ")";
  }
};

struct Guide {
  std::vector<Excerpt> excerpts;
  std::vector<std::string> shell_lines;  // every line of the ```sh blocks
  std::vector<std::string> faults;       // breaches of the convention, with their lines
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

Guide ReadGuide() {
  const std::vector<std::string> lines = SplitLines(testing::ReadWholeFile(kSourceDir + "/docs/guide.md"));
  Guide guide;
  const auto fault = [&guide](std::size_t index, const std::string& what) {
    guide.faults.push_back("docs/guide.md:" + std::to_string(index + 1) + ": " + what);
  };
  // <!-- excerpt: [quorel ARGUMENTS ;] file: NAME -->
  const std::regex comment(R"(<!-- excerpt:\s*(?:(quorel .*?)\s*;\s*)?file:\s*(\S.*?)\s*-->)");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("```", 0) != 0) {
      if (IsComment(lines[i]) && (i + 1 >= lines.size() || lines[i + 1].rfind("```", 0) != 0)) {
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
      if (info == "sh") guide.shell_lines.insert(guide.shell_lines.end(), body.begin(), body.end());
    } else if (!commented) {
      fault(i, "program output without an excerpt comment (label other blocks, e.g. ```sh)");
    } else if (const std::string c = Trim(lines[i - 1]); !std::regex_match(c, match, comment)) {
      fault(i - 1, "not read as <!-- excerpt: quorel ARGUMENTS ; file: NAME --> or <!-- excerpt: file: NAME -->");
    } else if (body.empty()) {
      fault(i, "an empty excerpt");
    } else {
      guide.excerpts.push_back(Excerpt{static_cast<int>(i + 1), match[1], match[2], body});
    }
    i = close;
  }
  EXPECT_FALSE(lines.empty()) << "docs/guide.md is missing or empty";
  return guide;
}

// Runs a quoted command in a fresh scratch directory in which `examples` and `tests` lead to
// the repository's; its exit status.
int RunQuoted(const std::string& command, const testing::ScratchDirectory& dir) {
  std::filesystem::create_directory_symlink(kSourceDir + "/examples", dir.File("examples"));
  std::filesystem::create_directory_symlink(kSourceDir + "/tests", dir.File("tests"));
  const std::string shell = "cd '" + dir.Path() + "' && '" + QUOREL_BINARY + "'" + command.substr(6) +
                            " > stdout 2> stderr";
  const int status = std::system(shell.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The rules that keep every quoted block checkable: output blocks carry their source, and the
// reader is shown each command that produced one.
TEST(GuideExcerpts, EveryOutputBlockNamesACommandTheReaderIsShown) {
  const Guide guide = ReadGuide();
  for (const std::string& fault : guide.faults) ADD_FAILURE() << fault;
  // The guide is mostly about the report; a handful of blocks would mean the convention was
  // lost (blocks labelled, or comments no longer read) rather than that the guide was cut.
  EXPECT_GE(guide.excerpts.size(), 20u) << "docs/guide.md quotes hardly any output";
  for (const Excerpt& excerpt : guide.excerpts) {
    bool shown = excerpt.command.empty();
    for (const std::string& line : guide.shell_lines) shown = shown || Trim(line) == "build/" + excerpt.command;
    EXPECT_TRUE(shown) << excerpt.Where() << ": the command is not shown in a ```sh block as build/" << excerpt.command;
  }
}

TEST(GuideExcerpts, EveryExcerptAppearsInTheOutputItNames) {
  const Guide guide = ReadGuide();
  ASSERT_FALSE(guide.excerpts.empty());
  std::map<std::string, std::unique_ptr<testing::ScratchDirectory>> runs;
  for (const Excerpt& excerpt : guide.excerpts) {
    std::string path = kSourceDir + "/" + excerpt.file;
    if (!excerpt.command.empty()) {
      std::unique_ptr<testing::ScratchDirectory>& dir = runs[excerpt.command];
      if (!dir) {
        dir = std::make_unique<testing::ScratchDirectory>();
        EXPECT_EQ(RunQuoted(excerpt.command, *dir), 0)
            << excerpt.command << "\nstandard error:\n" << testing::ReadWholeFile(dir->File("stderr"));
      }
      path = dir->File(excerpt.file);
    }
    if (!std::filesystem::is_regular_file(path)) {
      ADD_FAILURE() << excerpt.Where() << ": the command wrote no such output";
      continue;
    }
    // A JSON document as python3 -m json.tool prints it.
    std::vector<std::string> output = SplitLines(testing::ReadWholeFile(path));
    if (path.ends_with(".json")) {
      try {
        output = SplitLines(nlohmann::ordered_json::parse(testing::ReadWholeFile(path)).dump(4, ' ', true));
      } catch (const nlohmann::json::exception& error) {
        ADD_FAILURE() << excerpt.Where() << ": not a JSON document: " << error.what();
        continue;
      }
    }
    // The excerpt as consecutive whole lines, trailing blanks aside; else the longest run of
    // its leading lines found, for the message.
    std::size_t best = 0, best_at = 0;
    for (std::size_t at = 0; at < output.size() && best < excerpt.lines.size(); ++at) {
      std::size_t k = 0;
      while (k < excerpt.lines.size() && at + k < output.size() &&
             TrimRight(output[at + k]) == TrimRight(excerpt.lines[k])) {
        ++k;
      }
      if (k > best) best = k, best_at = at;
    }
    if (best == excerpt.lines.size()) continue;
    ADD_FAILURE() << excerpt.Where() << ": the block no longer occurs in the output. Its first " << best << " of "
                  << excerpt.lines.size() << " lines match at output line " << best_at + 1 << "; then the guide has\n  ["
                  << excerpt.lines[best] << "]\nwhere the output has\n  ["
                  << (best_at + best < output.size() ? output[best_at + best] : std::string("(end of output)")) << "]";
  }
}

}  // namespace
}  // namespace quorel
