#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/input_format.hpp"

namespace quorel {

struct AnalysisState;

// An input file as data-file text.
struct ConvertedInput {
  InputFormat Format = InputFormat::kData;  // the layout found (never kAuto)
  std::string DataText;                     // the text itself for a data file
  std::vector<std::string> ActorNames;      // as the input names them, else empty
  std::vector<std::string> RelationNames;
};

// The label a DL file or an edge list gets: the file's name without its directories.
std::string InputLabel(const std::string& path);

// Turns a DL file or a CSV edge list into one problem specification labelled
// InputLabel(path); a data file's text is passed on as it is. Throws InputError.
ConvertedInput ConvertInput(std::string_view text, InputFormat format, const std::string& path);

// Before the analysis reads state.InFile (opened on `path`): when the file is a DL file or
// an edge list (or `format` says so), state.InFile is replaced by data-file text of the
// network and its actor and relation names are recorded in the state. Malformed input
// ends the run as malformed data does: "ERROR: FILE:LINE: reason" on the diagnostics
// channel, then fatal error 1 ("ABORT QUOREL"). False when the file could not be read.
bool PrepareInputFile(AnalysisState& state, InputFormat format, const std::string& path);

}  // namespace quorel
