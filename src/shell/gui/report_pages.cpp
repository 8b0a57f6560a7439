#include "shell/gui/report_pages.hpp"

#include <QFile>
#include <cstring>

namespace quorel {

bool ReportPages::Open(const QString& path) {
  Close();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  path_ = path;
  size_ = file.size();
  starts_.push_back(0);
  std::int64_t lines = 0, offset = 0;
  QByteArray chunk;
  while (!(chunk = file.read(1 << 20)).isEmpty()) {
    const char* begin = chunk.constData();
    const char* end = begin + chunk.size();
    for (const char* at = begin; (at = static_cast<const char*>(std::memchr(at, '\n', end - at))) != nullptr; ++at) {
      if (++lines % kLinesPerPage == 0 && offset + (at - begin) + 1 < size_) {
        starts_.push_back(offset + (at - begin) + 1);
      }
    }
    offset += chunk.size();
  }
  return true;
}

void ReportPages::Close() {
  path_.clear();
  size_ = 0;
  starts_.clear();
}

QString ReportPages::Page(int page) const {
  if (page < 0 || page >= PageCount()) return {};
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly) || !file.seek(starts_[static_cast<std::size_t>(page)])) return {};
  const std::int64_t end = page + 1 < PageCount() ? starts_[static_cast<std::size_t>(page) + 1] : size_;
  return QString::fromUtf8(file.read(end - starts_[static_cast<std::size_t>(page)]));
}

int ReportPages::FindPage(const QString& text, int from) const {
  if (text.isEmpty() || PageCount() == 0) return -1;
  for (int k = 0; k < PageCount(); ++k) {
    const int page = (from + k) % PageCount();
    if (Page(page).contains(text, Qt::CaseInsensitive)) return page;
  }
  return -1;
}

}  // namespace quorel
