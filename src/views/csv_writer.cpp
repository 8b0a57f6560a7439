#include "views/csv_writer.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

namespace quorel {

namespace {

template <class Real>
std::string Shortest(Real value) {
  if (!std::isfinite(value)) return {};
  char text[40];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  if (ec != std::errc()) return {};
  return std::string(text, end);
}

}  // namespace

void AppendCsvField(std::string& line, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    line.append(text);
    return;
  }
  line.push_back('"');
  for (const char ch : text) {
    if (ch == '"') line.push_back('"');
    line.push_back(ch);
  }
  line.push_back('"');
}

std::string ShortestDecimal(float value) { return Shortest(value); }
std::string ShortestDecimal(double value) { return Shortest(value); }

CsvWriter::~CsvWriter() { Abandon(); }

bool CsvWriter::Open(const std::string& path, const std::vector<std::string>& header, std::string& error) {
  Abandon();
  path_ = path;
  partial_ = path + ".partial";
  file_ = std::fopen(partial_.c_str(), "wb");
  if (file_ == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  error_ = 0;
  row_.clear();
  row_started_ = false;
  for (const std::string& name : header) Text(name);
  EndRow();
  return true;
}

void CsvWriter::Separate() {
  if (row_started_) row_.push_back(',');
  row_started_ = true;
}

CsvWriter& CsvWriter::Text(std::string_view text) {
  Separate();
  AppendCsvField(row_, text);
  return *this;
}

CsvWriter& CsvWriter::Integer(long long value) {
  Separate();
  char text[24];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  row_.append(text, end);
  return *this;
}

CsvWriter& CsvWriter::Float(float value) {
  Separate();
  row_ += ShortestDecimal(value);
  return *this;
}

CsvWriter& CsvWriter::Double(double value) {
  Separate();
  row_ += ShortestDecimal(value);
  return *this;
}

CsvWriter& CsvWriter::Formed(std::string_view fields) {
  Separate();
  row_.append(fields);
  return *this;
}

void CsvWriter::EndRow() {
  row_.push_back('\n');
  if (file_ != nullptr && error_ == 0 && std::fwrite(row_.data(), 1, row_.size(), file_) != row_.size()) {
    error_ = errno != 0 ? errno : EIO;
  }
  row_.clear();
  row_started_ = false;
}

bool CsvWriter::Commit(std::string& error) {
  if (file_ == nullptr) {
    error = "the file was not open";
    return false;
  }
  errno = 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (error_ == 0 && !closed) error_ = errno != 0 ? errno : EIO;
  if (error_ == 0 && std::rename(partial_.c_str(), path_.c_str()) != 0) error_ = errno;
  if (error_ == 0) return true;
  error = std::strerror(error_);
  std::remove(partial_.c_str());
  return false;
}

void CsvWriter::Abandon() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  file_ = nullptr;
  std::remove(partial_.c_str());
}

}  // namespace quorel
