// The desktop dialog on the offscreen platform: what it shows when it opens, the exchange
// with the option members, runs and how they end, and the About box.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <functional>
#include <unistd.h>

#include "shell/gui/application.hpp"
#include "shell/gui/main_dialog.hpp"
#include "shell/gui/main_dialog_template.hpp"

using namespace quorel;

namespace {

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QCheckBox* Box(MainDialog& d, int id) { return qobject_cast<QCheckBox*>(d.Control(id)); }
QLineEdit* Field(MainDialog& d, int id) { return qobject_cast<QLineEdit*>(d.Control(id)); }
QAbstractButton* Radio(MainDialog& d, int id) { return qobject_cast<QAbstractButton*>(d.Control(id)); }
QButtonGroup* Group(MainDialog& d, const char* name) { return d.findChild<QButtonGroup*>(QString::fromLatin1(name)); }

// Presses Run and waits for the end of the run.
bool RunToTheEnd(MainDialog& dialog) {
  QSignalSpy finished(&dialog, &MainDialog::runFinished);
  qobject_cast<QPushButton*>(dialog.Control(kRunButton))->click();
  return finished.count() > 0 || finished.wait(300000);
}

// Waits for the next modal dialog, hands it to `examine` and closes it.
void WhenModalOpens(std::function<void(QWidget*)> examine) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, poll, [poll, examine] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      poll->stop();
      poll->deleteLater();
      examine(modal);
      qobject_cast<QDialog*>(modal)->done(0);
    }
  });
  poll->start(10);
}

// What the process writes to standard output while `body` runs.
QByteArray StandardOutputOf(const std::function<void()>& body) {
  std::fflush(stdout);
  QTemporaryFile capture;
  if (!capture.open()) return {};
  const int saved = dup(STDOUT_FILENO);
  dup2(capture.handle(), STDOUT_FILENO);
  body();
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  capture.seek(0);
  return capture.readAll();
}

}  // namespace

class MainDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase();

  void freshDialogShowsTheDefaults();
  void exchangeGoesBothWays();

  void runThatCannotStart_data();
  void runThatCannotStart();
  void emptyDataFileCompletes();
  void badNumberIsReportedAndTheRunGoesOn();
  void runWritesTheCommandLinesReport();
  void malformedDataEndsWithAFatalError();

  void aboutBoxFromTheWindowMenu();
};

void MainDialogTest::initTestCase() { PrepareApplication(*qApp); }

void MainDialogTest::freshDialogShowsTheDefaults() {
  MainDialog d;
  QCOMPARE(d.windowTitle(), QStringLiteral("Quorel"));
  QVERIFY(!d.windowIcon().isNull());
  for (int id : {1005, 1006, 1018, 1023, 1024, 1025, 1026}) QVERIFY2(!Box(d, id)->isChecked(), qPrintable(QString::number(id)));
  QCOMPARE(Field(d, 1007)->text(), QStringLiteral("2"));
  QCOMPARE(Field(d, 1010)->text(), QStringLiteral("1000"));
  QCOMPARE(Field(d, 1019)->text(), QStringLiteral("0.01"));
  QCOMPARE(Field(d, 1033)->text(), QStringLiteral("0.05"));
  QVERIFY(Radio(d, 1009)->isChecked());  // Permute generator matrices
  QVERIFY(Radio(d, 1011)->isChecked());  // Density
  QVERIFY(Radio(d, 1021)->isChecked());  // Exclude for Generators only
  QCOMPARE(d.MessageLines(), QStringList());
  QVERIFY(!qobject_cast<QListWidget*>(d.Control(kMessageList))->isSortingEnabled());
  // Each radio button is in its group box, at its index.
  QCOMPARE(qobject_cast<QGroupBox*>(Radio(d, 1014)->parentWidget())->title(), QStringLiteral("Measure control"));
  QCOMPARE(Group(d, "measureControl")->id(Radio(d, 1014)), 3);
  QCOMPARE(Group(d, "diagonal")->id(Radio(d, 1022)), 2);
}

void MainDialogTest::exchangeGoesBothWays() {
  MainDialog d;
  AnalysisOptions& m = d.Options();
  m.m_Transposes = 1;
  m.m_MaxWordLength = 5;
  m.m_MeasureControl = 4;
  m.m_MinKappa = 0.125f;
  m.m_Diagonal = 2;
  m.m_CutoffList = "0.1 0.05 0.01";
  QVERIFY(d.DoDataExchange(false));
  QVERIFY(Box(d, 1005)->isChecked() && !Box(d, 1006)->isChecked());
  QCOMPARE(Field(d, 1007)->text(), QStringLiteral("5"));
  QVERIFY(Radio(d, 1015)->isChecked() && Radio(d, 1022)->isChecked());
  QCOMPARE(Field(d, 1019)->text(), QStringLiteral("0.125"));
  QCOMPARE(Field(d, 1033)->text(), QStringLiteral("0.1 0.05 0.01"));
  m.m_MeasureControl = 9;  // outside the group: no button checked, and -1 back
  QVERIFY(d.DoDataExchange(false));
  QCOMPARE(Group(d, "measureControl")->checkedId(), -1);

  Box(d, 1006)->setChecked(true);
  Field(d, 1007)->setText(QStringLiteral(" 3 "));
  Radio(d, 1008)->setChecked(true);
  Field(d, 1010)->setText(QStringLiteral("20"));
  Field(d, 1019)->setText(QStringLiteral(".5"));
  Radio(d, 1020)->setChecked(true);
  Box(d, 1026)->setChecked(true);
  Field(d, 1033)->setText(QStringLiteral("0.2"));
  QVERIFY(d.DoDataExchange(true));
  QCOMPARE(m.m_Transposes + m.m_GeneratorProductsOnly + m.m_Reapply, 3);
  QCOMPARE(m.m_MaxWordLength, 3);
  QCOMPARE(m.m_PermutationStrategy, 0);
  QCOMPARE(m.m_MeasureControl, -1);
  QCOMPARE(m.m_SampleSize, 20);
  QCOMPARE(m.m_MinKappa, 0.5f);
  QCOMPARE(m.m_Diagonal, 0);
  QCOMPARE(m.m_CutoffList, std::string("0.2"));
}

void MainDialogTest::runThatCannotStart_data() {
  QTest::addColumn<int>("control");
  QTest::addColumn<bool>("data_file");
  QTest::addColumn<QString>("line");
  QTest::newRow("Fixed matrix without one") << 1016 << true << "??? Fixed matrix required.";
  QTest::newRow("Outdegrees with fixed matrix without one") << 1017 << true << "??? Fixed matrix required.";
  QTest::newRow("no data file") << 1011 << false << "??? Input file open failure.";
}

void MainDialogTest::runThatCannotStart() {
  QFETCH(int, control);
  QFETCH(bool, data_file);
  QFETCH(QString, line);
  QTemporaryDir dir;
  if (data_file) WriteFile(dir.filePath("Quorel.dat"), "label\n1 1\n0\n");
  MainDialog d;
  d.SetDirectory(dir.path());
  Radio(d, control)->click();
  QVERIFY(RunToTheEnd(d));
  QCOMPARE(d.MessageLines(), QStringList{line});
  QVERIFY(!QFile::exists(dir.filePath("Quorel.out")));
  QCOMPARE(d.ExitStatus(), 2);
}

void MainDialogTest::emptyDataFileCompletes() {
  QTemporaryDir dir;
  WriteFile(dir.filePath("Quorel.dat"), "\n  \n");
  MainDialog d;
  d.SetDirectory(dir.path());
  d.show();
  QPushButton* run = qobject_cast<QPushButton*>(d.Control(kRunButton));
  const QByteArray out = StandardOutputOf([&] {
    QSignalSpy finished(&d, &MainDialog::runFinished);
    run->click();
    // While the run is under way the options cannot be changed nor the window closed.
    QVERIFY(d.RunUnderWay());
    for (int id : {1005, 1007, 1010, 1033, kRunButton}) QVERIFY(!d.Control(id)->isEnabled());
    QVERIFY(!Radio(d, 1011)->isEnabled());
    QVERIFY(d.Control(kMessageList)->isEnabled());
    QVERIFY(d.findChild<QProgressBar*>(QStringLiteral("progress"))->isVisible());
    QVERIFY(!d.close());
    QVERIFY(finished.wait(60000));
  });
  QCOMPARE(d.MessageLines(), (QStringList{"EMPTY DATA FILE", "QUOREL complete."}));
  QVERIFY(out.contains("EMPTY DATA FILE\nQUOREL complete.\n"));
  QVERIFY(QFile::exists(dir.filePath("Quorel.out")));
  QCOMPARE(ReadFile(dir.filePath("Quorel.out")), QByteArray());
  QCOMPARE(d.ExitStatus(), 0);

  // One run per start: the record stays, Run has become Close, and Close ends the window.
  QVERIFY(!d.findChild<QProgressBar*>(QStringLiteral("progress"))->isVisible());
  QVERIFY(!Field(d, 1010)->isEnabled());
  QCOMPARE(run->text(), QStringLiteral("Close"));
  QVERIFY(run->isEnabled());
  d.OnRun();  // no second run
  QCOMPARE(d.MessageLines(), (QStringList{"EMPTY DATA FILE", "QUOREL complete."}));
  run->click();
  QVERIFY(!d.isVisible());
  QCOMPARE(d.result(), int(QDialog::Accepted));
}

void MainDialogTest::badNumberIsReportedAndTheRunGoesOn() {
  QTemporaryDir dir;
  WriteFile(dir.filePath("Quorel.dat"), "");
  MainDialog d;
  d.SetDirectory(dir.path());
  Radio(d, 1012)->click();              // before the sample size: taken
  Field(d, 1010)->setText(QStringLiteral("1O00"));
  Radio(d, 1022)->click();              // after it: not taken
  Field(d, 1033)->setText(QStringLiteral("0.5"));
  Box(d, 1023)->click();                // a check box counts at once
  QString reported;
  WhenModalOpens([&reported](QWidget* box) { reported = qobject_cast<QMessageBox*>(box)->text(); });
  QVERIFY(RunToTheEnd(d));
  QVERIFY2(reported.startsWith(QStringLiteral("Size of random sample: \"1O00\" is not a whole number.")), qPrintable(reported));
  QCOMPARE(d.MessageLines(), (QStringList{"EMPTY DATA FILE", "QUOREL complete."}));
  QCOMPARE(d.Options().m_MeasureControl, 1);
  QCOMPARE(d.Options().m_SampleSize, 1000);
  QCOMPARE(d.Options().m_Diagonal, 1);
  QCOMPARE(d.Options().m_CutoffList, std::string("0.05"));
  QCOMPARE(d.Options().m_FactorOmega, 1);
}

void MainDialogTest::runWritesTheCommandLinesReport() {
  const QString example = QStringLiteral(QUOREL_SOURCE_DIR "/examples/padgett_florentine.dat");
  QTemporaryDir gui_dir, cli_dir;
  QVERIFY(QFile::copy(example, gui_dir.filePath("Quorel.dat")));
  QVERIFY(QFile::copy(example, cli_dir.filePath("Quorel.dat")));

  MainDialog d;
  d.SetDirectory(gui_dir.path());
  Box(d, 1005)->click();
  Field(d, 1007)->setText(QStringLiteral("3"));
  Radio(d, 1008)->click();
  Radio(d, 1013)->click();
  Field(d, 1010)->setText(QStringLiteral("200"));
  Field(d, 1019)->setText(QStringLiteral("0.05"));
  Radio(d, 1022)->click();
  Box(d, 1023)->click();
  Field(d, 1033)->setText(QStringLiteral("0.05, 0.01"));
  QVERIFY(RunToTheEnd(d));
  QCOMPARE(d.ExitStatus(), 0);
  QCOMPARE(d.MessageLines().last(), QStringLiteral("QUOREL complete."));

  QProcess cli;
  cli.setWorkingDirectory(cli_dir.path());
  cli.start(QStringLiteral(QUOREL_BINARY),
            {"--quiet", "--transposes", "--max-word-length", "3", "--permutation-strategy", "pairs",
             "--measure-control", "MC", "--sample-size", "200", "--min-kappa", "0.05", "--diagonal", "include-all",
             "--factor-omega", "--cutoffs", "0.05, 0.01"});
  QVERIFY(cli.waitForFinished(300000));
  QCOMPARE(cli.exitCode(), 0);
  // The same status lines, and the same report byte for byte.
  const QStringList cli_lines = QString::fromLocal8Bit(cli.readAllStandardOutput()).split('\n');
  QCOMPARE(d.MessageLines(), cli_lines.mid(0, cli_lines.size() - 1));
  const QByteArray report = ReadFile(gui_dir.filePath("Quorel.out"));
  QVERIFY(report.startsWith("PARTIAL ALGEBRAS FOR COMPLETE NETWORKS"));
  QVERIFY(report == ReadFile(cli_dir.filePath("Quorel.out")));
}

void MainDialogTest::malformedDataEndsWithAFatalError() {
  QTemporaryDir dir;
  WriteFile(dir.filePath("Quorel.dat"), "a label and nothing after it");
  MainDialog d;
  d.SetDirectory(dir.path());
  QVERIFY(RunToTheEnd(d));
  // The reader's message and its format help; no completion line.
  QCOMPARE(d.MessageLines().first(), QStringLiteral("ERROR: Unexpected End_Of_File after label"));
  QVERIFY(!d.MessageLines().contains(QStringLiteral("QUOREL complete.")));
  QCOMPARE(d.ExitStatus(), 1);
  QVERIFY2(d.StatusText().contains(QStringLiteral("ABORT QUOREL")), qPrintable(d.StatusText()));
}

void MainDialogTest::aboutBoxFromTheWindowMenu() {
  MainDialog d;
  const QList<QAction*> items = d.WindowMenu()->actions();
  QVERIFY(items.size() >= 2);
  QVERIFY(items[items.size() - 2]->isSeparator());
  QAction* about = items.last();
  QCOMPARE(about->text(), QStringLiteral("&About Quorel..."));
  QString title, version;
  bool has_icon = false, has_ok = false;
  WhenModalOpens([&](QWidget* box) {
    title = box->windowTitle();
    version = box->findChild<QLabel*>(QStringLiteral("version"))->text();
    has_icon = !box->findChild<QLabel*>(QStringLiteral("icon"))->pixmap().isNull();
    for (QPushButton* button : box->findChildren<QPushButton*>()) has_ok |= button->text() == QStringLiteral("OK");
  });
  about->trigger();
  QCOMPARE(title, QStringLiteral("About Quorel"));
  QCOMPARE(version, QStringLiteral("Quorel Version 1.0"));
  QVERIFY(has_icon);
  QVERIFY(has_ok);
}

QTEST_MAIN(MainDialogTest)
#include "main_dialog_qtest.moc"
