#pragma once

#include <string>
#include <vector>

#include "core/analysis_options.hpp"
#include "shell/check_command.hpp"
#include "shell/convert_command.hpp"

namespace quorel {

// Exit statuses of the command.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFatal = 1;          // a fatal error ended the run
inline constexpr int kExitIncomplete = 2;     // the run ended with another completion code
inline constexpr int kExitUsage = 64;         // the command line could not be understood
inline constexpr int kExitReportWrite = 74;   // the report could not be written completely

struct CommandLine {
  AnalysisOptions options;
  bool quiet = false;
  bool timings = false;   // time each step of each problem, the table on standard error
  bool convert = false;   // "quorel convert": `conversion` says what to convert
  ConvertRequest conversion;
  bool check = false;     // "quorel check": `checking` says what to check
  CheckRequest checking;
  std::string json_path;  // --json: all results as one JSON document (empty: none)
  std::string dot_dir;    // --dot: Graphviz diagrams into this directory (empty: none)
  std::string tables_dir;  // --tables: CSV tables of the results into this directory (empty: none)
  bool exit_now = false;  // help or version was shown, or the command line was refused
  int exit_status = 0;    // when exit_now
};

// Reads the command line into the run options (the dialog's defaults where an option is
// not given). Help and version go to standard output; a refused command line gives a
// one-line reason and a hint to --help on standard error.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// One run of the command: parse, analyse, show the message list on standard output.
int RunCommandLine(int argc, const char* const* argv);

}  // namespace quorel
