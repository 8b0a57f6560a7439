#pragma once

#include <QString>
#include <QStringList>

namespace quorel {

// The recent data files, newest first: `path` moves to the front (or joins there), and the
// list keeps at most `limit` files.
inline constexpr int kRecentFileLimit = 8;
QStringList WithRecentFile(QStringList recent, const QString& path, int limit = kRecentFileLimit);

}  // namespace quorel
