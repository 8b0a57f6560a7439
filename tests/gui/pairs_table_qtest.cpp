// The pairs table: its filter language, its values against the command line's tables, and
// sorting and filtering the 170,236 pairs of the large example fast enough to keep the
// window responsive.
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>
#include <cmath>

#include "shell/gui/application.hpp"
#include "shell/gui/main_dialog.hpp"
#include "shell/gui/pair_filter.hpp"
#include "shell/gui/pairs_panel.hpp"
#include "shell/gui/report_viewer.hpp"
#include "shell/gui/results_view.hpp"
#include "shell/gui/workbench_window.hpp"
#include "gui_test_support.hpp"

using namespace quorel;

namespace {

bool RunToTheEnd(WorkbenchWindow& window) {
  QSignalSpy finished(&window, &WorkbenchWindow::runFinished);
  window.Run();
  return testing::Waited(finished);
}

void SetField(WorkbenchWindow& w, int id, const QString& text) {
  qobject_cast<QLineEdit*>(w.Panel()->Control(id))->setText(text);
}

// A CSV file as rows of fields (no field of these files is quoted).
QList<QStringList> ReadCsv(const QString& path) {
  QList<QStringList> rows;
  for (const QByteArray& line : testing::ReadFile(path).split('\n')) {
    if (!line.isEmpty()) rows << QString::fromUtf8(line).split(QLatin1Char(','));
  }
  return rows;
}

// Milliseconds `work` takes.
template <class Work>
qint64 Timed(Work work) {
  QElapsedTimer clock;
  clock.start();
  work();
  return clock.elapsed();
}

}  // namespace

class PairsTableTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase();
  void init() { QSettings().clear(); }  // each case from the defaults
  void filterText_data();
  void filterText();
  void exportAgreesWithTheCommandLinesTables();
  void largeNetworkSortsAndFiltersQuickly();

 private:
  QTemporaryDir settings_;
};

void PairsTableTest::initTestCase() {
  PrepareApplication(*qApp);
  testing::UseScratchSettings(settings_);
}

void PairsTableTest::filterText_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("conditions");  // -1: not a filter
  QTest::addColumn<QString>("error");
  QTest::newRow("empty: every pair") << "" << 0 << "";
  QTest::newRow("blanks only") << "  " << 0 << "";
  QTest::newRow("one condition") << "kappa proportion < 0.05" << 1 << "";
  QTest::newRow("case and underscores") << "Kappa_Proportion<=0.05" << 1 << "";
  QTest::newRow("joined by and") << "theta < 0.01 and n11 >= 3 AND kappa != 0" << 3 << "";
  QTest::newRow("exponent") << "fisher p < 1e-3" << 1 << "";
  QTest::newRow("unknown column") << "kapa < 0.05" << -1 << "no column is called \"kapa\"";
  QTest::newRow("text column") << "first word = 1" << -1 << "no column is called \"first word\"";
  QTest::newRow("not a number") << "kappa < 0.o5" << -1 << "\"0.o5\" is not a number";
  QTest::newRow("no comparison") << "kappa" << -1 << "\"kappa\" compares nothing";
  QTest::newRow("nothing after and") << "kappa < 1 and" << -1 << "\"1 and\" is not a number";
  QTest::newRow("nothing before and") << "and kappa < 1" << -1 << "no column is called \"and kappa\"";
}

void PairsTableTest::filterText() {
  QFETCH(QString, text);
  QFETCH(int, conditions);
  QFETCH(QString, error);
  std::string reason;
  const std::optional<PairFilter> filter = ParsePairFilter(text.toStdString(), reason);
  QCOMPARE(filter.has_value(), conditions >= 0);
  if (filter) QCOMPARE(int(filter->conditions.size()), conditions);
  if (!filter) QVERIFY2(QString::fromStdString(reason).startsWith(error), reason.c_str());
}

// The window's table, exported whole, holds the numbers of the command line's pairs table
// (written by the same run through the tables folder option), column for column.
void PairsTableTest::exportAgreesWithTheCommandLinesTables() {
  QTemporaryDir dir;
  const QString data = dir.filePath("padgett_florentine.dat");
  QVERIFY(QFile::copy(testing::Example("padgett_florentine.dat"), data));
  WorkbenchWindow w;
  QVERIFY(w.OpenDataFile(data));
  SetField(w, 1010, QStringLiteral("100"));
  qobject_cast<QAbstractButton*>(w.Panel()->Control(1008))->click();  // permute each pair: every statistic
  w.findChild<QLineEdit*>(QStringLiteral("tablesFolder"))->setText(dir.filePath("tables"));
  QVERIFY(RunToTheEnd(w));
  QCOMPARE(w.ExitStatus(), 0);
  QString error;
  QVERIFY2(w.Results()->Pairs()->ExportCsv(dir.filePath("shown.csv"), error), qPrintable(error));

  const QList<QStringList> shown = ReadCsv(dir.filePath("shown.csv"));
  const QList<QStringList> tables = ReadCsv(dir.filePath("tables/1/pairs.csv"));
  QCOMPARE(shown.size(), tables.size());
  const QList<std::pair<QString, QString>> same{
      {"first", "i"}, {"second", "j"}, {"first_word", "word_i"}, {"n11", "n11"}, {"n10", "n10"}, {"n01", "n01"},
      {"n00", "n00"}, {"likelihood_ratio", "likelihood_ratio"}, {"theta", "theta"}, {"fisher_p", "fisher_p"},
      {"mcnemar_z", "mcnemar_z"}, {"mcnemar_proportion", "mcnemar_z_proportions"}, {"binomial_p", "binomial_p"},
      {"kappa", "kappa"}, {"estvar", "estvar"}, {"kappa_proportion", "kappa_proportions"},
      {"standardized_kappa", "standardized_kappa"},
      {"standardized_kappa_proportion", "standardized_kappa_proportions"}};
  for (const auto& [ours, theirs] : same) {
    const qsizetype a = shown.first().indexOf(ours), b = tables.first().indexOf(theirs);
    QVERIFY2(a >= 0 && b >= 0, qPrintable(ours));
    for (qsizetype row = 1; row < shown.size(); ++row) {
      const QString x = shown[row][a], y = tables[row][b];
      bool numbers = false;
      const double u = x.toDouble(&numbers), v = y.toDouble();
      if (numbers) QVERIFY2(std::abs(u - v) <= 1e-6 * std::max(1.0, std::abs(v)), qPrintable(ours + ": " + x + " " + y));
      else QCOMPARE(x, y);
    }
  }
}

// The large example's 170,236 pairs: each sort and filter ends within a fraction of a
// second, and what is shown is right.
void PairsTableTest::largeNetworkSortsAndFiltersQuickly() {
  QTemporaryDir dir;
  const QString data = dir.filePath("sampson_monastery.dat");
  QVERIFY(QFile::copy(testing::Example("sampson_monastery.dat"), data));
  WorkbenchWindow w;
  QVERIFY(w.OpenDataFile(data));
  SetField(w, 1010, QStringLiteral("10"));
  w.show();
  QVERIFY(RunToTheEnd(w));
  QCOMPARE(w.ExitStatus(), 0);
  w.Results()->ShowTab(ResultsView::kPairs);
  PairsPanel& panel = *w.Results()->Pairs();
  const PairsModel& model = *panel.Model();
  const PairTable& table = model.Table();
  QCOMPARE(table.Size(), 170236);

  const qint64 sort_number = Timed([&] { panel.SortBy(PairColumn::kKappaProportion, Qt::AscendingOrder); });
  for (int row = 1; row < model.rowCount(); ++row) {
    const double before = table.Number(PairColumn::kKappaProportion, model.PairAt(row - 1));
    const double here = table.Number(PairColumn::kKappaProportion, model.PairAt(row));
    QVERIFY(std::isnan(here) || before <= here);
  }
  const qint64 sort_descending = Timed([&] { panel.SortBy(PairColumn::kKappa, Qt::DescendingOrder); });
  QVERIFY(table.Number(PairColumn::kKappa, model.PairAt(0)) >= table.Number(PairColumn::kKappa, model.PairAt(1)));
  const qint64 sort_text = Timed([&] { panel.SortBy(PairColumn::kSecondWord, Qt::AscendingOrder); });

  const qint64 filter = Timed([&] { QVERIFY(panel.SetFilterText(QStringLiteral("kappa proportion < 0.05 and n11 > 0"))); });
  int expected = 0;
  for (int pair = 0; pair < table.Size(); ++pair) {
    expected += table.Number(PairColumn::kKappaProportion, pair) < 0.05 && table.Number(PairColumn::kN11, pair) > 0;
  }
  QCOMPARE(model.rowCount(), expected);
  QVERIFY(expected > 0 && expected < table.Size());
  const qint64 sort_filtered = Timed([&] { panel.SortBy(PairColumn::kTheta, Qt::AscendingOrder); });
  QCOMPARE(model.rowCount(), expected);
  const qint64 unfilter = Timed([&] { QVERIFY(panel.SetFilterText(QString())); });
  QCOMPARE(model.rowCount(), table.Size());

  // The view draws its first screen of rows promptly too.
  QTableView* view = panel.View();
  const qint64 repaint = Timed([&] {
    view->viewport()->repaint();
    QCoreApplication::processEvents();
  });
  // Its report of some 25 MB opens at once, a page at a time.
  ReportViewer& report = *w.Results()->Report();
  const qint64 open_report = Timed([&] { QVERIFY(report.Open(dir.filePath("sampson_monastery.out"))); });
  QVERIFY(report.PageCount() > 100);
  qInfo("report of %lld bytes: opened in %lld ms (%d pages)", QFileInfo(dir.filePath("sampson_monastery.out")).size(),
        open_report, report.PageCount());
  QVERIFY(open_report < 1000);
  qInfo("170236 pairs: sort by a number %lld ms, descending %lld ms, by a word %lld ms; filter %lld ms "
        "(%d pairs kept), sort the filtered %lld ms, filter cleared %lld ms, repaint %lld ms",
        sort_number, sort_descending, sort_text, filter, expected, sort_filtered, unfilter, repaint);
  for (const qint64 ms : {sort_number, sort_descending, filter, sort_filtered, unfilter, repaint}) QVERIFY(ms < 250);
  QVERIFY(sort_text < 1000);
}

QTEST_MAIN(PairsTableTest)
#include "pairs_table_qtest.moc"
