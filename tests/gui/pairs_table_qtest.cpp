// The pairs table: its filter language, and sorting and filtering the 170,236 pairs of the
// large example fast enough to keep the window responsive.
#include <QTableView>
#include <cmath>

#include "shell/gui/pair_filter.hpp"
#include "gui_test_support.hpp"

using namespace quorel;
using namespace quorel::testing;

class PairsTableTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { PrepareApplicationWithScratchSettings(); }
  void filterText_data();
  void filterText();
  void largeNetworkSortsAndFiltersQuickly();
};

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

// The large example's 170,236 pairs: each sort and filter ends within a fraction of a
// second, and what is shown is right.
void PairsTableTest::largeNetworkSortsAndFiltersQuickly() {
  QTemporaryDir dir;
  WorkbenchWindow w;
  QVERIFY(Opened(w, CopyOf(dir, "sampson_monastery.dat"), 10));
  w.show();
  QVERIFY(RunEnds(w));
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
