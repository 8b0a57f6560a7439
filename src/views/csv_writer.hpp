#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace quorel {

// Appends `text` to `line` as one CSV field: unchanged, or, when it holds a comma, a double
// quote, a carriage return or a line feed, between double quotes with every double quote
// doubled (the quoting of RFC 4180).
void AppendCsvField(std::string& line, std::string_view text);

// The shortest decimal that reads back as the same value (0.05f is "0.05", not
// "0.0500000007"); empty when the value is not a finite number.
std::string ShortestDecimal(float value);
std::string ShortestDecimal(double value);

// Writes one CSV file row by row: comma-separated fields, each row ended by a line feed.
// The rows go to "<path>.partial", which Commit renames to `path`, so a file under its own
// name is always whole; a writer dropped before Commit removes what it wrote.
class CsvWriter {
 public:
  CsvWriter() = default;
  ~CsvWriter();
  CsvWriter(const CsvWriter&) = delete;
  CsvWriter& operator=(const CsvWriter&) = delete;

  // Starts the file with its header row; false, with the system's reason, when it cannot
  // be opened.
  bool Open(const std::string& path, const std::vector<std::string>& header, std::string& error);
  bool IsOpen() const { return file_ != nullptr; }

  // The fields of the row in work, left to right.
  CsvWriter& Text(std::string_view text);
  CsvWriter& Integer(long long value);
  CsvWriter& Float(float value);    // shortest decimal; empty when not finite
  CsvWriter& Double(double value);  // shortest decimal; empty when not finite
  CsvWriter& Flag(bool value) { return Integer(value ? 1 : 0); }
  CsvWriter& Blank() { return Text({}); }
  // Fields already in CSV form, e.g. the front of a row formed earlier.
  CsvWriter& Formed(std::string_view fields);
  void EndRow();

  // Closes the file and gives it its name; false (and nothing left behind), with the
  // reason, when it could not be written completely.
  bool Commit(std::string& error);
  // Closes and removes the file.
  void Abandon();

 private:
  void Separate();

  std::FILE* file_ = nullptr;
  std::string path_;
  std::string partial_;
  std::string row_;
  bool row_started_ = false;
  int error_ = 0;  // the first write error's errno
};

}  // namespace quorel
