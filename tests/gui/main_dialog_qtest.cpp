// The desktop dialog on the offscreen platform: its number fields, its defaults, runs and how
// they end.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <optional>
#include <tuple>

#include "shell/gui/application.hpp"
#include "shell/gui/main_dialog.hpp"
#include "shell/gui/main_dialog_template.hpp"
#include "shell/gui/number_fields.hpp"

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

}  // namespace

class MainDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase();
  void numberFields_data();
  void numberFields();
  void opensWithTheDefaults();

  void runEndings_data();
  void runEndings();
  void badNumberIsReportedAndTheRunGoesOn();
  void runWritesTheCommandLinesReportOnce();
};

void MainDialogTest::initTestCase() { PrepareApplication(*qApp); }

void MainDialogTest::numberFields_data() {
  QTest::addColumn<bool>("whole");  // a whole-number field, else a decimal one
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("valid");
  QTest::addColumn<double>("value");
  QTest::newRow("plain") << true << "1000" << true << 1000.0;
  QTest::newRow("blanks and tabs around") << true << " \t12 \t" << true << 12.0;
  QTest::newRow("minus sign") << true << "-3" << true << -3.0;
  QTest::newRow("largest") << true << "2147483647" << true << 2147483647.0;
  QTest::newRow("beyond 32 bits") << true << "2147483648" << false << 0.0;
  QTest::newRow("empty") << true << "" << false << 0.0;
  QTest::newRow("trailing letters") << true << "12a" << false << 0.0;
  QTest::newRow("decimal") << true << "1.5" << false << 0.0;
  QTest::newRow("default MinKappa") << false << "0.01" << true << double{0.01f};
  QTest::newRow("leading point") << false << ".5" << true << 0.5;
  QTest::newRow("exponent, decimal") << false << "1e-3" << true << double{0.001f};
  QTest::newRow("signs and blanks") << false << " -0.25 " << true << -0.25;
  QTest::newRow("decimal comma") << false << "0,5" << false << 0.0;
  QTest::newRow("infinity") << false << "inf" << false << 0.0;
  QTest::newRow("hexadecimal float") << false << "0x1p3" << false << 0.0;
  QTest::newRow("beyond a float") << false << "1e39" << false << 0.0;
}

void MainDialogTest::numberFields() {
  QFETCH(bool, whole);
  QFETCH(QString, text);
  QFETCH(bool, valid);
  QFETCH(double, value);
  const std::optional<double> parsed = whole ? std::optional<double>(ParseIntegerField(text.toStdString()))
                                             : std::optional<double>(ParseFloatField(text.toStdString()));
  QCOMPARE(parsed.has_value(), valid);
  if (valid) QCOMPARE(*parsed, value);
}

// A fresh dialog shows the defaults: whatever the members held, the controls read back
// as AnalysisOptions{}.
void MainDialogTest::opensWithTheDefaults() {
  const auto members = [](const AnalysisOptions& o) {
    return std::tie(o.m_Transposes, o.m_GeneratorProductsOnly, o.m_MaxWordLength, o.m_PermutationStrategy,
                    o.m_MeasureControl, o.m_SampleSize, o.m_FixedSupplied, o.m_MinKappa, o.m_Diagonal, o.m_FactorOmega,
                    o.m_FactorLowerOmega, o.m_FullFactorOutput, o.m_Reapply, o.m_CutoffList);
  };
  MainDialog d;
  d.Options() = AnalysisOptions{.m_Transposes = 1, .m_GeneratorProductsOnly = 1, .m_MaxWordLength = 4,
                                .m_PermutationStrategy = 0, .m_MeasureControl = 6, .m_SampleSize = 250,
                                .m_FixedSupplied = 1, .m_MinKappa = 0.125f, .m_Diagonal = 2, .m_FactorOmega = 1,
                                .m_FactorLowerOmega = 1, .m_FullFactorOutput = 1, .m_Reapply = 1,
                                .m_CutoffList = "0.1 0.05 0.01"};
  QVERIFY(d.DoDataExchange(true));
  QVERIFY(members(d.Options()) == members(AnalysisOptions{}));
}

void MainDialogTest::runEndings_data() {
  QTest::addColumn<QByteArray>("data");  // "-": no data file
  QTest::addColumn<int>("control");
  QTest::addColumn<QString>("first");  // the first message line
  QTest::addColumn<int>("status");
  const QByteArray network = "label\n1 1\n0\n";
  QTest::newRow("Fixed matrix without one") << network << 1016 << "??? Fixed matrix required." << 2;
  QTest::newRow("no data file") << QByteArray("-") << 1011 << "??? Input file open failure." << 2;
  QTest::newRow("malformed") << QByteArray("a label and nothing after it") << 1011
                             << "ERROR: Unexpected End_Of_File after label" << 1;
}

void MainDialogTest::runEndings() {
  QFETCH(QByteArray, data);
  QFETCH(int, control);
  QFETCH(QString, first);
  QFETCH(int, status);
  QTemporaryDir dir;
  if (data != "-") WriteFile(dir.filePath("Quorel.dat"), data);
  MainDialog d;
  d.SetDirectory(dir.path());
  Radio(d, control)->click();
  QVERIFY(RunToTheEnd(d));
  QCOMPARE(d.MessageLines().first(), first);
  QCOMPARE(d.ExitStatus(), status);
  if (status == 2) {
    // The run never started: one line, and no report.
    QCOMPARE(d.MessageLines().size(), 1);
    QVERIFY(!QFile::exists(dir.filePath("Quorel.out")));
  } else {
    // A fatal error: the reader's message and its format help, no completion line.
    QVERIFY(!d.MessageLines().contains(QStringLiteral("QUOREL complete.")));
    QVERIFY2(d.StatusText().contains(QStringLiteral("ABORT QUOREL")), qPrintable(d.StatusText()));
  }
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
  QCOMPARE(reported, QStringLiteral("Size of random sample: \"1O00\" is not a whole number.\n"
                                    "The run goes on with 1000 for it, and these settings keep the values they had "
                                    "before: MinKappa, Diagonal inclusion/exclusion and List of Cutoff Probabilities."));
  QCOMPARE(d.MessageLines(), (QStringList{"EMPTY DATA FILE", "QUOREL complete."}));
  QCOMPARE(d.ExitStatus(), 0);
  QVERIFY(QFile::exists(dir.filePath("Quorel.out")));
  QCOMPARE(ReadFile(dir.filePath("Quorel.out")), QByteArray());
  QCOMPARE(d.Options().m_MeasureControl, 1);
  QCOMPARE(d.Options().m_SampleSize, 1000);
  QCOMPARE(d.Options().m_Diagonal, 1);
  QCOMPARE(d.Options().m_CutoffList, std::string("0.05"));
  QCOMPARE(d.Options().m_FactorOmega, 1);
}

// The options set in the dialog give the command line's report; while the run is under way
// the window cannot be closed, and after it Run has become Close: one run per start.
void MainDialogTest::runWritesTheCommandLinesReportOnce() {
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
  d.show();
  QSignalSpy finished(&d, &MainDialog::runFinished);
  auto* run = qobject_cast<QPushButton*>(d.Control(kRunButton));
  run->click();
  QVERIFY(d.RunUnderWay());
  QVERIFY(!d.close());
  QVERIFY(finished.count() > 0 || finished.wait(300000));
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
  // The same status lines (quiet, the command leaves out those that only say the run went
  // well), and the same report byte for byte.
  const QStringList cli_lines = QString::fromLocal8Bit(cli.readAllStandardOutput()).split('\n');
  QStringList shown = d.MessageLines();
  shown.removeAll(QStringLiteral("Calculating statistical upper triangle matrices..."));
  shown.removeAll(QStringLiteral("QUOREL complete."));
  QCOMPARE(shown, cli_lines.mid(0, cli_lines.size() - 1));
  const QByteArray report = ReadFile(gui_dir.filePath("Quorel.out"));
  QVERIFY(report.startsWith("PARTIAL ALGEBRAS FOR COMPLETE NETWORKS"));
  QVERIFY(report == ReadFile(cli_dir.filePath("Quorel.out")));

  const QStringList lines = d.MessageLines();
  d.OnRun();
  QCOMPARE(d.MessageLines(), lines);
  QCOMPARE(run->text(), QStringLiteral("Close"));
  run->click();
  QVERIFY(!d.isVisible());
  QCOMPARE(d.result(), int(QDialog::Accepted));
}

QTEST_MAIN(MainDialogTest)
#include "main_dialog_qtest.moc"
