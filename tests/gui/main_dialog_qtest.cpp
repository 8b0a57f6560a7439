// The options panel on the offscreen platform, alone and in the window: its number fields,
// its defaults, runs and how they end, and its runs against the command line's reports.
#include <QSpinBox>
#include <optional>
#include <tuple>

#include "shell/gui/number_fields.hpp"
#include "gui_test_support.hpp"

using namespace quorel;
using namespace quorel::testing;

class MainDialogTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { PrepareApplicationWithScratchSettings(); }
  void numberFields_data();
  void numberFields();
  void opensWithTheDefaults();

  void runEndings_data();
  void runEndings();
  void badNumberKeepsRunDisabledAndResetsNothing();
  void optionsGiveTheCommandLinesReports();
};

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
  if (data != "-") QVERIFY(WriteFile(dir.filePath("Quorel.dat"), data));
  MainDialog d;
  d.SetDirectory(dir.path());
  Button(d, control)->click();
  QVERIFY(RunEnds(d, status));
  QCOMPARE(d.MessageLines().first(), first);
  if (status == 2) {
    // The run never started: one line, and no report.
    QCOMPARE(d.MessageLines().size(), 1);
    QVERIFY(!QFile::exists(dir.filePath("Quorel.out")));
  } else {
    // A fatal error: the reader's message in the list, among the errors and as the reason
    // the window gives, not only on standard error; no completion line.
    QVERIFY(!d.MessageLines().contains(QStringLiteral("QUOREL complete.")));
    QVERIFY(d.ErrorLines().contains(first));
    QCOMPARE(d.StatusText(), QStringLiteral("The run stopped at an error: ") + first);
  }
}

// A typo in a number field marks it and keeps Run disabled with the reason beside it; no
// other control changes, and once the number is mended the run takes every control.
void MainDialogTest::badNumberKeepsRunDisabledAndResetsNothing() {
  QTemporaryDir dir;
  QVERIFY(WriteFile(dir.filePath("Quorel.dat"), ""));
  MainDialog d;
  d.SetDirectory(dir.path());
  Button(d, 1012)->click();
  Field(d, kSampleSize)->setText(QStringLiteral("1O00"));
  Button(d, 1022)->click();
  Field(d, 1033)->setText(QStringLiteral("0.5"));
  Button(d, 1023)->click();
  const QString reason = QStringLiteral("Size of random sample: \"1O00\" is not a whole number.");
  QCOMPARE(d.RunBlockReason(), reason);
  QVERIFY(!Button(d, kRunButton)->isEnabled());
  d.OnRun();
  QVERIFY(!d.RunUnderWay());
  QVERIFY(!d.DoDataExchange(true));
  QCOMPARE(d.Options().m_SampleSize, 1000);  // nothing taken from the controls
  QCOMPARE(d.Options().m_Diagonal, 1);
  QCOMPARE(Field(d, kSampleSize)->text(), QStringLiteral("1O00"));  // nothing put back either
  QCOMPARE(Field(d, 1033)->text(), QStringLiteral("0.5"));
  QVERIFY(Button(d, 1022)->isChecked());

  Field(d, 1019)->setText(QStringLiteral("x"));  // two bad fields: the first is named
  QCOMPARE(d.RunBlockReason(), reason);
  Field(d, 1019)->setText(QStringLiteral("0.01"));
  Field(d, kSampleSize)->setText(QStringLiteral("1000"));
  QVERIFY(d.RunBlockReason().isEmpty());
  QVERIFY(RunEnds(d));
  QCOMPARE(d.MessageLines(), (QStringList{"EMPTY DATA FILE", "QUOREL complete."}));
  QVERIFY(QFile::exists(dir.filePath("Quorel.out")));  // the report, beside Quorel.dat
  QCOMPARE(d.Options().m_MeasureControl, 1);
  QCOMPARE(d.Options().m_Diagonal, 2);
  QCOMPARE(d.Options().m_CutoffList, std::string("0.5"));
  QCOMPARE(d.Options().m_FactorOmega, 1);
}

// The options set in the window, on its panel and among the run's settings (the seed, the
// threads, the non-directional relations), give the command line's report for the same
// options, run after run without a restart; the actors' and relations' names reach the
// results. A JSON document asked for is written, and the next session opens with these
// options.
void MainDialogTest::optionsGiveTheCommandLinesReports() {
  QTemporaryDir dir;
  const QString data = dir.filePath("two.dl"), report = dir.filePath("window.out"), json = dir.filePath("run.json");
  QVERIFY(WriteFile(data, "dl n=4 nm=2\nformat = fullmatrix\nlabels:\nann,bob,cid,dan\n"
                          "matrix labels:\nfriend,advice\ndata:\n"
                          "0 1 1 0\n1 0 0 1\n1 0 0 1\n0 1 1 0\n0 1 0 0\n0 0 1 0\n1 0 0 1\n0 0 1 0\n"));
  WorkbenchWindow w;
  MainDialog& panel = *w.Panel();
  QVERIFY(Opened(w, data, 200));
  w.SetReportFile(report);
  auto* seed = w.findChild<QLineEdit*>(QStringLiteral("seed"));
  seed->setText(QStringLiteral("5"));
  w.findChild<QSpinBox*>(QStringLiteral("threads"))->setValue(1);
  w.findChild<QLineEdit*>(QStringLiteral("jsonFile"))->setText(json);
  for (const int id : {1005, 1008, 1013, 1022, 1023}) Button(panel, id)->click();
  Field(panel, 1007)->setText(QStringLiteral("3"));
  Field(panel, 1019)->setText(QStringLiteral("0.05"));
  Field(panel, 1033)->setText(QStringLiteral("0.05, 0.01"));
  // A run to the end, and the command line's run under `arguments` and the options that stay.
  const QStringList kept{"--threads", "1", "--min-kappa", "0.05", "--diagonal", "include-all", "--factor-omega",
                         "--cutoffs", "0.05, 0.01"};
  QByteArrayList reports, command_line_reports;
  const auto ran = [&](const QStringList& arguments) {
    if (!RunEnds(w)) return false;
    reports << ReadFile(report);
    command_line_reports << CommandLineReport(data, dir.filePath("cli.out"), kept + arguments);
    return true;
  };
  QVERIFY(ran({"--seed", "5", "--transposes", "--max-word-length", "3", "--permutation-strategy", "pairs",
               "--measure-control", "MC", "--sample-size", "200"}));
  QVERIFY(ReadFile(report).startsWith("PARTIAL ALGEBRAS FOR COMPLETE NETWORKS"));
  QCOMPARE(panel.MessageLines().last(), QStringLiteral("QUOREL complete."));

  // Other options: the button is Run still, and the controls are as they were left.
  QCOMPARE(Button(panel, kRunButton)->text(), QStringLiteral("Run"));
  QCOMPARE(Field(panel, 1007)->text(), QStringLiteral("3"));
  for (const int id : {1005, 1009, 1011}) Button(panel, id)->click();
  Field(panel, 1007)->setText(QStringLiteral("2"));
  Field(panel, kSampleSize)->setText(QStringLiteral("100"));
  const QStringList other{"--max-word-length", "2", "--permutation-strategy", "generators", "--measure-control",
                          "MA", "--sample-size", "100"};
  QVERIFY(ran(QStringList{"--seed", "5"} + other));
  w.findChild<QLineEdit*>(QStringLiteral("nonDirectional"))->setText(QStringLiteral("friend"));
  QVERIFY(ran(QStringList{"--seed", "5", "--non-directional", "friend"} + other));
  seed->setText(QStringLiteral("6"));
  QVERIFY(ran(QStringList{"--seed", "6", "--non-directional", "friend"} + other));
  QCOMPARE(reports, command_line_reports);
  QCOMPARE(QSet<QByteArray>(reports.begin(), reports.end()).size(), reports.size());  // each change of setting tells

  // The actors' names reach the matrix grid, the relations' names the elements.
  w.Results()->Elements()->SelectElement(0);
  QCOMPARE(w.Results()->Elements()->Matrix()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
           QStringLiteral("cid"));
  QCOMPARE(w.Results()->Elements()->Model()->index(0, ElementsModel::kNamedWord).data().toString(),
           QStringLiteral("friend"));
  QVERIFY(ReadFile(json).contains("\"seed\":6"));

  w.close();
  WorkbenchWindow next;
  QCOMPARE(Field(*next.Panel(), kSampleSize)->text(), QStringLiteral("100"));
  QCOMPARE(Field(*next.Panel(), 1007)->text(), QStringLiteral("2"));
  QCOMPARE(next.findChild<QLineEdit*>(QStringLiteral("seed"))->text(), QStringLiteral("6"));
  QCOMPARE(next.findChild<QSpinBox*>(QStringLiteral("threads"))->value(), 1);
  QCOMPARE(next.findChild<QLineEdit*>(QStringLiteral("nonDirectional"))->text(), QStringLiteral("friend"));
  QCOMPARE(next.findChild<QLineEdit*>(QStringLiteral("jsonFile"))->text(), json);
}

QTEST_MAIN(MainDialogTest)
#include "main_dialog_qtest.moc"
