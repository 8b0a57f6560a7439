#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/network.hpp"
#include "core/storage_gate.hpp"

namespace quorel {

class StatusSink;

// Storage limits of the data: counts are 16-bit, and a table of two relations counts
// N x N cells in 16 bits, so N x N may not exceed 32767.
inline constexpr int kMaxActors = 181;

// Shows the twelve lines that describe the data file format.
void ShowFormatHelp(StatusSink& sink);

// What a reader found when asked for the next network.
enum class ReadOutcome {
  kNetwork,         // a network was read
  kEnd,             // the input holds no further network
  kMalformed,       // the input is malformed; its messages have been shown
  kStorageFailure,  // storage for the network was not available; its messages have been shown
};

// Where a reader shows what it has to say: the channels of the analysis.
struct ReaderChannels {
  StatusSink& Messages;            // status lines: errors in a problem's outline, the format help
  std::FILE* Errors;               // diagnostics: warnings, errors in the vector and the matrices
  std::FILE* Progress = nullptr;   // "PROBLEM SPECIFICATION #k :" and the label; null: not shown
  StorageGate* Storage = nullptr;  // where storage requests may be made to fail; null: all granted
};

// Reads the problem specifications of a data file one at a time, in file order: the label
// line, the header "N NR {ND}", the non-directionality vector when ND says there is one,
// and the NR matrices. Each read stops right after the last digit of the last matrix, so
// what follows (a fixed matrix) can be read from the same file. Malformed data is shown as
// its messages followed by the format help.
class DataFileReader {
 public:
  DataFileReader(std::FILE* in, const ReaderChannels& channels);
  DataFileReader(const DataFileReader&) = delete;
  DataFileReader& operator=(const DataFileReader&) = delete;

  // Reads the next problem into `network` (names left empty: a data file has none).
  ReadOutcome Next(Network& network);

  // When the first problem's outline (label and header) cannot be read, `note` is shown on
  // the diagnostics channel before the format help: why the file was not taken for another
  // layout.
  void ExplainLayout(std::string note) { layout_note_ = std::move(note); }

  // Label lines read so far, the malformed problem's included.
  int ProblemCount() const { return problems_; }

 private:
  std::int16_t ReadLabel(std::string& label);
  std::int16_t ReadNonDirectionality(int nr, Network& network);
  bool ReadMatrix(int n, int index, std::vector<std::uint8_t>& cells);

  std::FILE* in_;
  ReaderChannels channels_;
  StorageGate own_gate_;
  StorageGate* gate_;
  void ShowOutlineHelp();

  std::int16_t problems_ = 0;  // 16-bit, as problem numbers are
  std::string layout_note_;
};

// The label that `text` gives as the label line of a data file: white space before it
// skipped, cut at the first line end, and at most 80 characters (a longer one is cut with
// a warning on `err`). Text of white space only gives an empty label.
std::string LabelLine(std::string_view text, std::FILE* err);

}  // namespace quorel
