#pragma once

// What the window's tests share: files, settings kept apart from the user's, and waiting
// for the ends of runs and for dialogs.
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace quorel::testing {

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QString Example(const char* name) {
  return QStringLiteral(QUOREL_SOURCE_DIR "/examples/") + QString::fromUtf8(name);
}

// Settings go to a scratch folder for the life of the test program, never to the user's.
inline void UseScratchSettings(const QTemporaryDir& folder) {
  QStandardPaths::setTestModeEnabled(true);
  QCoreApplication::setOrganizationName(QStringLiteral("QuorelTests"));
  QCoreApplication::setApplicationName(QStringLiteral("quorel-gui-tests"));
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
  QSettings().clear();
}

// Waits for `signal` unless it has come already; false after `ms` milliseconds.
inline bool Waited(QSignalSpy& spy, int ms = 300000) { return spy.count() > 0 || spy.wait(ms); }

// Waits for the next modal dialog, hands it to `examine` and closes it with `result`.
inline void WhenModalOpens(std::function<void(QWidget*)> examine, int result = 0) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, poll, [poll, examine, result] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      poll->stop();
      poll->deleteLater();
      examine(modal);
      qobject_cast<QDialog*>(modal)->done(result);
    }
  });
  poll->start(10);
}

}  // namespace quorel::testing
