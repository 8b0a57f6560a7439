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
#include <string>
#include <vector>

#include "support/run_harness.hpp"

namespace quorel {
namespace {

const std::string kSourceDir = QUOREL_SOURCE_DIR;
constexpr const char* kCommentOpen = "<!-- excerpt:";
constexpr const char* kCommentClose = "-->";

struct Excerpt {
  int line = 0;         // the opening fence's line in the guide, from 1
  std::string command;  // "quorel ...", or empty for a file of the repository
  std::string file;
  std::vector<std::string> lines;
};

struct Guide {
  std::vector<Excerpt> excerpts;
  std::vector<std::string> shell_lines;  // every line of the ```sh blocks
  std::vector<std::string> faults;       // breaches of the convention, with their lines
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string TrimRight(const std::string& s) {
  const std::size_t end = s.find_last_not_of(" \t\r");
  return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

std::string Trim(const std::string& s) {
  const std::string right = TrimRight(s);
  const std::size_t begin = right.find_first_not_of(" \t");
  return begin == std::string::npos ? std::string() : right.substr(begin);
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Reads "<!-- excerpt: [COMMAND ;] file: NAME -->" into `excerpt`; false when malformed.
bool ParseComment(const std::string& line, Excerpt& excerpt) {
  const std::string text = Trim(line);
  if (!StartsWith(text, kCommentOpen) || !EndsWith(text, kCommentClose)) return false;
  const std::string body =
      Trim(text.substr(std::char_traits<char>::length(kCommentOpen),
                       text.size() - std::char_traits<char>::length(kCommentOpen) -
                           std::char_traits<char>::length(kCommentClose)));
  const std::size_t file = body.rfind("file:");
  if (file == std::string::npos) return false;
  excerpt.file = Trim(body.substr(file + 5));
  std::string command = Trim(body.substr(0, file));
  if (!command.empty()) {
    if (command.back() != ';') return false;
    command = Trim(command.substr(0, command.size() - 1));
    if (!StartsWith(command, "quorel ")) return false;
  }
  excerpt.command = command;
  return !excerpt.file.empty();
}

Guide ParseGuide(const std::string& text) {
  Guide guide;
  const std::vector<std::string> lines = SplitLines(text);
  const auto fault = [&guide](std::size_t index, const std::string& what) {
    guide.faults.push_back("docs/guide.md:" + std::to_string(index + 1) + ": " + what);
  };
  const auto is_comment = [&lines](std::size_t index) { return StartsWith(Trim(lines[index]), kCommentOpen); };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!StartsWith(lines[i], "```")) {
      if (is_comment(i) && (i + 1 >= lines.size() || !StartsWith(lines[i + 1], "```"))) {
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
    const std::vector<std::string> body(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                        lines.begin() + static_cast<std::ptrdiff_t>(close));
    const bool commented = i > 0 && is_comment(i - 1);
    if (info.empty()) {
      Excerpt excerpt;
      excerpt.line = static_cast<int>(i + 1);
      excerpt.lines = body;
      if (!commented) {
        fault(i, "program output without an excerpt comment (label other blocks, e.g. ```sh)");
      } else if (!ParseComment(lines[i - 1], excerpt)) {
        fault(i - 1, "not read as <!-- excerpt: quorel ARGUMENTS ; file: NAME --> or <!-- excerpt: file: NAME -->");
      } else if (body.empty()) {
        fault(i, "an empty excerpt");
      } else {
        guide.excerpts.push_back(excerpt);
      }
    } else {
      if (commented) fault(i - 1, "an excerpt comment before a ```" + info + " block, which is not checked");
      if (info == "sh") guide.shell_lines.insert(guide.shell_lines.end(), body.begin(), body.end());
    }
    i = close;
  }
  return guide;
}

Guide ReadGuide() {
  const std::string text = testing::ReadWholeFile(kSourceDir + "/docs/guide.md");
  EXPECT_FALSE(text.empty()) << "docs/guide.md is missing or empty";
  return ParseGuide(text);
}

// One run of a quoted command in its own scratch directory.
struct CommandRun {
  testing::ScratchDirectory dir;
  int status = -1;
};

std::unique_ptr<CommandRun> RunQuoted(const std::string& command) {
  auto run = std::make_unique<CommandRun>();
  namespace fs = std::filesystem;
  fs::create_directory_symlink(kSourceDir + "/examples", run->dir.File("examples"));
  fs::create_directory_symlink(kSourceDir + "/tests", run->dir.File("tests"));
  const std::string shell = "cd '" + run->dir.Path() + "' && '" + QUOREL_BINARY + "'" +
                            command.substr(std::string("quorel").size()) + " > stdout 2> stderr";
  const int status = std::system(shell.c_str());
  run->status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The lines of an output as an excerpt quotes them; a JSON document as python3 -m json.tool
// prints it. Sets `missing` when there is no such output.
std::vector<std::string> OutputLines(const std::string& path, bool& missing) {
  missing = !std::filesystem::is_regular_file(path);
  if (missing) return {};
  const std::string text = testing::ReadWholeFile(path);
  if (EndsWith(path, ".json")) return SplitLines(nlohmann::ordered_json::parse(text).dump(4, ' ', true));
  return SplitLines(text);
}

// Where the excerpt occurs as consecutive whole lines (trailing blanks aside), or -1. When it
// does not occur, `best` and `best_at` tell the longest run of its leading lines found and
// where, for the failure message.
long FindExcerpt(const std::vector<std::string>& output, const std::vector<std::string>& excerpt, std::size_t& best,
                 std::size_t& best_at) {
  best = 0;
  best_at = 0;
  for (std::size_t at = 0; at < output.size(); ++at) {
    std::size_t k = 0;
    while (k < excerpt.size() && at + k < output.size() && TrimRight(output[at + k]) == TrimRight(excerpt[k])) ++k;
    if (k == excerpt.size()) return static_cast<long>(at);
    if (k > best) {
      best = k;
      best_at = at;
    }
  }
  return -1;
}

std::string Describe(const Excerpt& excerpt) {
  return "docs/guide.md:" + std::to_string(excerpt.line) + " (" +
         (excerpt.command.empty() ? std::string("repository") : excerpt.command) + " ; file: " + excerpt.file + ")";
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
    if (excerpt.command.empty()) continue;
    bool shown = false;
    for (const std::string& line : guide.shell_lines) shown = shown || Trim(line) == "build/" + excerpt.command;
    EXPECT_TRUE(shown) << Describe(excerpt) << ": the command is not shown in a ```sh block as build/"
                       << excerpt.command;
  }
}

TEST(GuideExcerpts, EveryExcerptAppearsInTheOutputItNames) {
  const Guide guide = ReadGuide();
  ASSERT_FALSE(guide.excerpts.empty());
  std::map<std::string, std::unique_ptr<CommandRun>> runs;
  for (const Excerpt& excerpt : guide.excerpts) {
    std::string path = kSourceDir + "/" + excerpt.file;
    if (!excerpt.command.empty()) {
      std::unique_ptr<CommandRun>& run = runs[excerpt.command];
      if (!run) {
        run = RunQuoted(excerpt.command);
        EXPECT_EQ(run->status, 0) << excerpt.command << "\nstandard error:\n"
                                  << testing::ReadWholeFile(run->dir.File("stderr"));
      }
      path = run->dir.File(excerpt.file);
    }
    bool missing = false;
    std::vector<std::string> output;
    try {
      output = OutputLines(path, missing);
    } catch (const nlohmann::json::exception& error) {
      ADD_FAILURE() << Describe(excerpt) << ": not a JSON document: " << error.what();
      continue;
    }
    if (missing) {
      ADD_FAILURE() << Describe(excerpt) << ": the command wrote no such output";
      continue;
    }
    std::size_t best = 0;
    std::size_t best_at = 0;
    if (FindExcerpt(output, excerpt.lines, best, best_at) >= 0) continue;
    if (best == 0) {
      ADD_FAILURE() << Describe(excerpt) << ": the block no longer occurs in the output; its first line\n  ["
                    << excerpt.lines[0] << "]\nis nowhere in it";
      continue;
    }
    ADD_FAILURE() << Describe(excerpt) << ": the block no longer occurs in the output.\n"
                  << "Its first " << best << " of " << excerpt.lines.size() << " lines match at output line "
                  << best_at + 1 << "; then the guide has\n  [" << excerpt.lines[best] << "]\nwhere the output has\n  ["
                  << (best_at + best < output.size() ? output[best_at + best] : std::string("(end of output)")) << "]";
  }
}

}  // namespace
}  // namespace quorel
