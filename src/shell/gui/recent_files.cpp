#include "shell/gui/recent_files.hpp"

#include <QFileInfo>

namespace quorel {

QStringList WithRecentFile(QStringList recent, const QString& path, int limit) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  recent.removeAll(absolute);
  recent.prepend(absolute);
  while (recent.size() > limit) recent.removeLast();
  return recent;
}

}  // namespace quorel
