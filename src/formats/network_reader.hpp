#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/input_format.hpp"
#include "core/network.hpp"
#include "formats/data_reader.hpp"
#include "formats/read_settings.hpp"

namespace quorel {

// The one network of `text` in `format` (any but a data file), labelled with the name of its
// file `path` without the directories. A byte-order mark before the text is skipped. The
// warning about valued cells, when there is one, is added to `warnings`. Throws InputError.
Network ReadSingleNetwork(std::string_view text, InputFormat format, const std::string& path,
                          const ReadSettings& settings, std::vector<std::string>& warnings);

// The networks of an input file of any layout, one at a time in file order: a data file's
// problems in turn, or the one network of a DL file or an edge list. Every network is
// announced as a data file's problem is (its number and label on the progress channel),
// and the one network of a DL file or an edge list is labelled as its file name would read
// as a label line (LabelLine).
class NetworkReader {
 public:
  // `in` stays the caller's; a copy this reader makes is its own.
  NetworkReader(std::FILE* in, const ReaderChannels& channels, ReadSettings settings = {});
  ~NetworkReader();
  NetworkReader(const NetworkReader&) = delete;
  NetworkReader& operator=(const NetworkReader&) = delete;

  // Gets the file named `path` ready to be read in `format`, or in the layout its content
  // shows when that is kAuto: a DL file or an edge list is read whole here. False when the
  // file could not be read; throws InputError when a DL file or an edge list is malformed.
  bool Open(InputFormat format, const std::string& path);

  // Adds the relations of the one network in the file at `path` (any layout but a data
  // file) to the one network already opened: several files, one relation each. Throws
  // InputError about that file when it cannot be joined (JoinRelations); false when it
  // could not be read. The first file must hold one network too (HoldsOneNetwork).
  bool Join(InputFormat format, const std::string& path);

  // True after Open when the input is a single network rather than a data file's problems.
  bool HoldsOneNetwork() const { return single_.has_value(); }

  // The next network (after Open), with the relations the settings name marked
  // non-directional (warnings for asymmetric ones on the diagnostics channel). Throws
  // InputError when the settings name a relation the network does not have.
  ReadOutcome Next(Network& network);

  // The file opened (the first, when several are joined).
  const std::string& Path() const { return path_; }

  // Problems announced so far, a malformed one included.
  int ProblemCount() const;

  // Where a data file's problems are read from, and so a fixed matrix that follows a
  // problem; a DL file or an edge list stands at its end.
  std::FILE* Stream() const { return copy_ != nullptr ? copy_ : in_; }

 private:
  ReadOutcome NextAsRead(Network& network);
  void ShowWarnings(const std::vector<std::string>& warnings) const;

  std::FILE* in_;
  std::FILE* copy_ = nullptr;  // the data file's text, when `in` cannot be rewound
  ReaderChannels channels_;
  ReadSettings settings_;
  std::optional<DataFileReader> data_;
  std::optional<Network> single_;  // the network of a DL file or an edge list, until read
  std::string path_;               // the file opened
  int single_count_ = 0;
};

// Every network of the file at `path`, in `format` or in the layout its content shows (as
// the command line recognises it), each as the analysis reads it. Writes nothing: warnings
// (a label cut to 80 characters) are added to `warnings` when it is given. With
// `fixed_matrix`, a fixed matrix follows each network's relations. `settings` say how other
// layouts are read and which relations are marked non-directional. Throws an Error
// with the text the command line shows for the failure before "ABORT QUOREL": of kind
// kMalformedInput, code 1, for malformed input (e.g. "ERROR: Could not read arguments\n");
// of kind kFile, code 3, when the file could not be read.
std::vector<Network> ReadNetworkFile(const std::filesystem::path& path, InputFormat format = InputFormat::kAuto,
                                     std::vector<std::string>* warnings = nullptr, bool fixed_matrix = false,
                                     const ReadSettings& settings = {});

}  // namespace quorel
