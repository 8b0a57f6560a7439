#pragma once

// What the window's tests share: the window and its result pages, files, settings kept
// apart from the user's, the controls of the options panel, runs to their end and the
// command line's report to hold them to, and waiting for dialogs.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QtTest>  // with the whole of Qt Core
#include <functional>

#include "shell/gui/application.hpp"
#include "shell/gui/elements_model.hpp"
#include "shell/gui/elements_panel.hpp"
#include "shell/gui/main_dialog.hpp"
#include "shell/gui/main_dialog_template.hpp"
#include "shell/gui/pairs_panel.hpp"
#include "shell/gui/report_viewer.hpp"
#include "shell/gui/results_view.hpp"
#include "shell/gui/workbench_window.hpp"

namespace quorel::testing {

inline constexpr int kSampleSize = 1010;  // the field of the size of the random sample

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A CSV file as rows of fields (no field of the files written here is quoted).
inline QList<QStringList> ReadCsv(const QString& path) {
  QList<QStringList> rows;
  for (const QByteArray& line : ReadFile(path).split('\n')) {
    if (!line.isEmpty()) rows << QString::fromUtf8(line).split(QLatin1Char(','));
  }
  return rows;
}

inline QString Example(const char* name) {
  return QStringLiteral(QUOREL_SOURCE_DIR "/examples/") + QString::fromUtf8(name);
}

// A copy of an example in `dir`, so that the report lands beside it there; empty when it
// could not be copied.
inline QString CopyOf(const QTemporaryDir& dir, const char* example) {
  const QString path = dir.filePath(QString::fromUtf8(example));
  return QFile::copy(Example(example), path) ? path : QString();
}

// The application prepared as the program prepares it, with its settings in a scratch
// folder for the life of the test program, never in the user's; the folder.
inline QString PrepareApplicationWithScratchSettings() {
  static QTemporaryDir folder;
  PrepareApplication(*qApp);
  QStandardPaths::setTestModeEnabled(true);
  QCoreApplication::setOrganizationName(QStringLiteral("QuorelTests"));
  QCoreApplication::setApplicationName(QStringLiteral("quorel-gui-tests"));
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
  QSettings().clear();
  return folder.path();
}

// The options panel's controls by dialog id: the number fields, and the check boxes, radio
// buttons and Run button.
inline QLineEdit* Field(MainDialog& panel, int id) { return qobject_cast<QLineEdit*>(panel.Control(id)); }
inline QAbstractButton* Button(MainDialog& panel, int id) { return qobject_cast<QAbstractButton*>(panel.Control(id)); }

// Makes `data` the window's data file, with `samples` for the size of the random sample.
inline bool Opened(WorkbenchWindow& window, const QString& data, int samples) {
  if (!window.OpenDataFile(data)) return false;
  Field(*window.Panel(), kSampleSize)->setText(QString::number(samples));
  return true;
}

// Waits for `signal` unless it has come already; false after `ms` milliseconds.
inline bool Waited(QSignalSpy& spy, int ms = 300000) { return spy.count() > 0 || spy.wait(ms); }

inline MainDialog& PanelOf(MainDialog& dialog) { return dialog; }
inline MainDialog& PanelOf(WorkbenchWindow& window) { return *window.Panel(); }

// Presses Run and waits for the end (the window's, once its results are shown); true when
// the run ended with exit status `status`, otherwise says how it ended.
template <class Window>
bool RunEnds(Window& window, int status = 0) {
  QSignalSpy finished(&window, &Window::runFinished);
  Button(PanelOf(window), kRunButton)->click();
  if (!Waited(finished)) {
    qWarning("the run did not end");
    return false;
  }
  if (window.ExitStatus() == status) return true;
  qWarning("exit status %d, not %d: %s", window.ExitStatus(), status, qPrintable(PanelOf(window).StatusText()));
  return false;
}

// The command line's report of `data` under `arguments`, written to `report`.
inline QByteArray CommandLineReport(const QString& data, const QString& report, const QStringList& arguments) {
  QProcess cli;
  cli.start(QStringLiteral(QUOREL_BINARY), QStringList{"--quiet", "--data", data, "--report", report} + arguments);
  if (!cli.waitForFinished(300000) || cli.exitCode() != 0) return "the command line failed";
  return ReadFile(report);
}

// Milliseconds `work` takes.
template <class Work>
qint64 Timed(Work work) {
  QElapsedTimer clock;
  clock.start();
  work();
  return clock.elapsed();
}

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
