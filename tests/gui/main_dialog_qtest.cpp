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
#include <optional>
#include <tuple>

#include "shell/gui/application.hpp"
#include "shell/gui/main_dialog.hpp"
#include "shell/gui/main_dialog_template.hpp"
#include "shell/gui/number_fields.hpp"
#include "gui_test_support.hpp"

using namespace quorel;

namespace {

using testing::ReadFile;

void WriteFile(const QString& path, const QByteArray& bytes) { QVERIFY(testing::WriteFile(path, bytes)); }

QCheckBox* Box(MainDialog& d, int id) { return qobject_cast<QCheckBox*>(d.Control(id)); }
QLineEdit* Field(MainDialog& d, int id) { return qobject_cast<QLineEdit*>(d.Control(id)); }
QAbstractButton* Radio(MainDialog& d, int id) { return qobject_cast<QAbstractButton*>(d.Control(id)); }
QPushButton* RunButton(MainDialog& d) { return qobject_cast<QPushButton*>(d.Control(kRunButton)); }

// Presses Run and waits for the end of the run.
bool RunToTheEnd(MainDialog& dialog) {
  QSignalSpy finished(&dialog, &MainDialog::runFinished);
  RunButton(dialog)->click();
  return testing::Waited(finished);
}

// The command line's report of the example under `arguments`, run in `dir`.
QByteArray CommandLineReport(const QString& dir, const QStringList& arguments) {
  QProcess cli;
  cli.setWorkingDirectory(dir);
  cli.start(QStringLiteral(QUOREL_BINARY), QStringList{"--quiet"} + arguments);
  if (!cli.waitForFinished(300000) || cli.exitCode() != 0) return "the command line failed";
  return ReadFile(dir + QStringLiteral("/Quorel.out"));
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
  void badNumberKeepsRunDisabledAndResetsNothing();
  void runTwiceWithOtherOptionsGivesTheCommandLinesReports();
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
  QTest::newRow("malformed matrix") << QByteArray("lab\n3 1\n0 1 x\n1 0 0\n0 0 0\n") << 1011
                                    << "ERROR: input matrix 1 not of dimension 3 x 3" << 1;
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
    // A fatal error: the reader's message in the list, among the errors and as the reason
    // the window gives, not only on standard error; no completion line.
    QVERIFY(!d.MessageLines().contains(QStringLiteral("QUOREL complete.")));
    QVERIFY(d.MessageLines().contains(first));
    QVERIFY(d.ErrorLines().contains(first));
    QCOMPARE(d.StatusText(), QStringLiteral("The run stopped at an error: ") + first);
  }
}

// A typo in a number field marks it and keeps Run disabled with the reason beside it; no
// other control changes, and once the number is mended the run takes every control.
void MainDialogTest::badNumberKeepsRunDisabledAndResetsNothing() {
  QTemporaryDir dir;
  WriteFile(dir.filePath("Quorel.dat"), "");
  MainDialog d;
  d.SetDirectory(dir.path());
  Radio(d, 1012)->click();
  Field(d, 1010)->setText(QStringLiteral("1O00"));
  Radio(d, 1022)->click();
  Field(d, 1033)->setText(QStringLiteral("0.5"));
  Box(d, 1023)->click();
  const QString reason = QStringLiteral("Size of random sample: \"1O00\" is not a whole number.");
  QCOMPARE(d.RunBlockReason(), reason);
  QVERIFY(!RunButton(d)->isEnabled());
  d.OnRun();
  QVERIFY(!d.RunUnderWay());
  QVERIFY(!d.DoDataExchange(true));
  QCOMPARE(d.Options().m_SampleSize, 1000);  // nothing taken from the controls
  QCOMPARE(d.Options().m_Diagonal, 1);
  QCOMPARE(Field(d, 1010)->text(), QStringLiteral("1O00"));  // nothing put back either
  QCOMPARE(Field(d, 1033)->text(), QStringLiteral("0.5"));
  QVERIFY(Radio(d, 1022)->isChecked());

  Field(d, 1019)->setText(QStringLiteral("x"));  // two bad fields: the first is named
  QCOMPARE(d.RunBlockReason(), reason);
  Field(d, 1019)->setText(QStringLiteral("0.01"));
  Field(d, 1010)->setText(QStringLiteral("1000"));
  QVERIFY(d.RunBlockReason().isEmpty());
  QVERIFY(RunToTheEnd(d));
  QCOMPARE(d.MessageLines(), (QStringList{"EMPTY DATA FILE", "QUOREL complete."}));
  QCOMPARE(d.ExitStatus(), 0);
  QCOMPARE(d.Options().m_MeasureControl, 1);
  QCOMPARE(d.Options().m_Diagonal, 2);
  QCOMPARE(d.Options().m_CutoffList, std::string("0.5"));
  QCOMPARE(d.Options().m_FactorOmega, 1);
}

// The options set in the dialog give the command line's report; afterwards other options
// run again without a restart.
void MainDialogTest::runTwiceWithOtherOptionsGivesTheCommandLinesReports() {
  const QString example = testing::Example("padgett_florentine.dat");
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
  RunButton(d)->click();
  QVERIFY(d.RunUnderWay());
  QVERIFY(!RunButton(d)->isEnabled());
  QVERIFY(testing::Waited(finished));
  QCOMPARE(d.ExitStatus(), 0);
  QCOMPARE(d.MessageLines().last(), QStringLiteral("QUOREL complete."));
  const QByteArray first = ReadFile(gui_dir.filePath("Quorel.out"));
  QVERIFY(first.startsWith("PARTIAL ALGEBRAS FOR COMPLETE NETWORKS"));
  QVERIFY(first == CommandLineReport(cli_dir.path(), {"--transposes", "--max-word-length", "3",
                                                      "--permutation-strategy", "pairs", "--measure-control", "MC",
                                                      "--sample-size", "200", "--min-kappa", "0.05", "--diagonal",
                                                      "include-all", "--factor-omega", "--cutoffs", "0.05, 0.01"}));

  // Run again, with other options: the button is Run still, and the controls are as left.
  QCOMPARE(RunButton(d)->text(), QStringLiteral("Run"));
  QCOMPARE(Field(d, 1007)->text(), QStringLiteral("3"));
  Box(d, 1005)->click();
  Field(d, 1007)->setText(QStringLiteral("2"));
  Radio(d, 1009)->click();
  Radio(d, 1011)->click();
  Field(d, 1010)->setText(QStringLiteral("100"));
  QVERIFY(RunToTheEnd(d));
  QCOMPARE(d.ExitStatus(), 0);
  const QByteArray second = ReadFile(gui_dir.filePath("Quorel.out"));
  QVERIFY(second != first);
  QVERIFY(second == CommandLineReport(cli_dir.path(), {"--max-word-length", "2", "--permutation-strategy",
                                                       "generators", "--measure-control", "MA", "--sample-size",
                                                       "100", "--min-kappa", "0.05", "--diagonal", "include-all",
                                                       "--factor-omega", "--cutoffs", "0.05, 0.01"}));
}

QTEST_MAIN(MainDialogTest)
#include "main_dialog_qtest.moc"
