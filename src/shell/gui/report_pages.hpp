#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace quorel {

// A text file cut into pages of a fixed number of lines, read a page at a time, so that a
// report of tens of megabytes opens at once and is never held whole. Opening reads the file
// once to find where the pages start.
class ReportPages {
 public:
  static constexpr int kLinesPerPage = 2000;

  // False when the file cannot be read (then there are no pages).
  bool Open(const QString& path);
  void Close();

  const QString& Path() const { return path_; }
  int PageCount() const { return static_cast<int>(starts_.size()); }
  std::int64_t Size() const { return size_; }

  // The text of page `page` (from 0), decoded as UTF-8; empty outside the pages.
  QString Page(int page) const;

  // The first page from `from` on (wrapping round to the start) whose text holds `text`,
  // case ignored; -1 when none does.
  int FindPage(const QString& text, int from) const;

 private:
  QString path_;
  std::int64_t size_ = 0;
  std::vector<std::int64_t> starts_;  // the byte where each page starts
};

}  // namespace quorel
