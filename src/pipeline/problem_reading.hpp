#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "core/network.hpp"
#include "formats/read_settings.hpp"

namespace quorel {

struct AnalysisState;
struct AnalysisOptions;
class NetworkReader;
class StatusSink;

// How the options say networks are read from layouts other than a data file.
ReadSettings ReadSettingsOf(const AnalysisOptions& options);

// Gets `reader` ready to read options.DataPath in options.DataFormat. False when the file
// could not be read. A malformed DL file or edge list ends the run as malformed data does:
// "ERROR: FILE:LINE: reason" on `err`, then fatal error 1 ("ABORT QUOREL").
bool OpenInput(NetworkReader& reader, const AnalysisOptions& options, std::FILE* err);

// Reads the next network into `network` and makes it the problem in work (LoadNetwork).
// Returns 1 when a problem was read; -1 when there is none (the end of the data, or the
// matrix list could not be created or grown: the data ends there); 0 when the data is
// malformed or its non-directionality vector found no storage (the messages, the format
// help among them, have been shown).
std::int16_t ReadProblem(AnalysisState& state, NetworkReader& reader, StatusSink& sink, Network& network,
                         std::vector<std::int16_t>& ident);

// Makes `network` the problem in work: its dimensions, vector and names go into the state,
// and its matrices into the matrix list in input order, each distinct matrix once (of the
// same directionality, when the vector is present). `ident` records for each input matrix
// the slot of the held matrix it repeats, -1 for one kept in turn; the vector in the state
// follows the kept matrices to their slots. Returns 1, or -1 when the matrix list could not
// be created or grown (its messages shown).
std::int16_t LoadNetwork(AnalysisState& state, StatusSink& sink, const Network& network,
                         std::vector<std::int16_t>& ident);

}  // namespace quorel
