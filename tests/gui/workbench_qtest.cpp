// The program's window on the offscreen platform: opening files, running, cancelling,
// errors shown in the window, the results (the pairs against the command line's tables),
// the recent files kept between sessions and the scripted run with its picture.
#include <QComboBox>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QImage>
#include <QMessageBox>
#include <QMimeData>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "shell/gui/hasse_view.hpp"
#include "shell/gui/phase_progress.hpp"
#include "shell/gui/run_settings_panel.hpp"
#include "gui_test_support.hpp"

using namespace quorel;
using namespace quorel::testing;

class WorkbenchTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() { settings_ = PrepareApplicationWithScratchSettings(); }
  void init() { QSettings().clear(); }  // each case from the defaults
  void opensAnExampleAndShowsEveryResult();
  void problemsAreShownInTheWindow();
  void cancelStopsALongRunWithinASecond();
  void reportViewerPagesAndFinds();
  void openedAndDroppedFilesAreRecentFiles();
  void severalNetworksInAFileAreEachShown();
  void screenshotOptionWritesAPicture();

 private:
  QString settings_;  // the scratch folder of the settings
};

// An example opened and run: the report beside it, and every result page filled from the
// run. The pairs table, exported whole, holds the numbers of the command line's pairs table
// (written by the same run through the tables folder option), column for column. The
// diagrams are the window's own drawing when dot cannot be found (a box per class and a
// line per cover), and with dot Graphviz's picture.
void WorkbenchTest::opensAnExampleAndShowsEveryResult() {
  QTemporaryDir dir;
  const QString data = CopyOf(dir, "padgett_florentine.dat"), report = dir.filePath("padgett_florentine.out");
  WorkbenchWindow w;
  QVERIFY(Opened(w, data, 100));
  Button(*w.Panel(), 1008)->click();  // permute each pair: every statistic
  w.findChild<QLineEdit*>(QStringLiteral("tablesFolder"))->setText(dir.filePath("tables"));
  QCOMPARE(w.Settings()->ReportFile(), report);
  QVERIFY(w.windowTitle().startsWith(QStringLiteral("padgett_florentine.dat")));
  QCOMPARE(w.Panel()->StatusText(), QStringLiteral("Reads %1 and writes the report %2").arg(data, report));
  w.show();
  QVERIFY(RunEnds(w));
  QVERIFY(w.ProblemLines().isEmpty());
  QVERIFY(ReadFile(report).startsWith("PARTIAL ALGEBRAS"));

  ResultsView& results = *w.Results();
  const int elements = results.Elements()->Model()->rowCount();
  QVERIFY(elements > 2);
  QCOMPARE(results.Pairs()->Model()->rowCount(), elements * (elements - 1) / 2);
  QVERIFY(results.Pairs()->Model()->Table().HasStatistics());
  QVERIFY(results.Report()->PageText().startsWith(QStringLiteral("PARTIAL ALGEBRAS")));
  QTest::keyClick(w.Panel(), Qt::Key_Escape);  // the options panel is not a dialog to dismiss
  QVERIFY(w.Panel()->isVisible());
  // A selected element shows its matrix, actors by actors, with their names.
  results.Elements()->SelectElement(0);
  const MatrixModel& matrix = *results.Elements()->Matrix();
  QCOMPARE(matrix.rowCount(), 16);
  QVERIFY(!matrix.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString().isEmpty());
  int ties = 0;
  for (int r = 0; r < matrix.rowCount(); ++r) {
    for (int c = 0; c < matrix.columnCount(); ++c) ties += matrix.index(r, c).data().toString() == "1";
  }
  QCOMPARE(ties, results.Elements()->Model()->index(0, ElementsModel::kTies).data().toInt());

  QString error;  // the pairs table beside the command line's
  QVERIFY2(results.Pairs()->ExportCsv(dir.filePath("shown.csv"), error), qPrintable(error));
  const QList<QStringList> exported = ReadCsv(dir.filePath("shown.csv"));
  const QList<QStringList> tables = ReadCsv(dir.filePath("tables/1/pairs.csv"));
  QCOMPARE(exported.size(), tables.size());
  QList<std::pair<QString, QString>> same{
      {"first", "i"}, {"second", "j"}, {"first_word", "word_i"}, {"mcnemar_proportion", "mcnemar_z_proportions"},
      {"kappa_proportion", "kappa_proportions"}, {"standardized_kappa_proportion", "standardized_kappa_proportions"}};
  for (const char* column : {"n11", "n10", "n01", "n00", "likelihood_ratio", "theta", "fisher_p", "mcnemar_z",
                             "binomial_p", "kappa", "estvar", "standardized_kappa"}) same.emplaceBack(column, column);
  for (const auto& [ours, theirs] : same) {
    const qsizetype a = exported.first().indexOf(ours), b = tables.first().indexOf(theirs);
    QVERIFY2(a >= 0 && b >= 0, qPrintable(ours));
    for (qsizetype row = 1; row < exported.size(); ++row) {
      const QString x = exported[row][a], y = tables[row][b];
      bool numbers = false;
      const double u = x.toDouble(&numbers), v = y.toDouble();
      if (numbers) QVERIFY2(std::abs(u - v) <= 1e-6 * std::max(1.0, std::abs(v)), qPrintable(ours + ": " + x + " " + y));
      else QCOMPARE(x, y);
    }
  }

  results.ShowTab(ResultsView::kDiagrams);
  HasseView& diagrams = *results.Diagrams();
  QVERIFY(diagrams.DiagramCount() >= 3);
  QCOMPARE(diagrams.Title(0), QStringLiteral("Partial order"));
  QCOMPARE(diagrams.Title(1), QStringLiteral("Omega (closed), alpha 0.05"));
  QCOMPARE(diagrams.Title(2), QStringLiteral("Lower Omega (closed), alpha 0.05"));
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QByteArray());
  QVERIFY(!HasseView::CanUseGraphviz());
  diagrams.ShowDiagram(1);
  QCOMPARE(diagrams.DrawnBy(), QStringLiteral("own"));
  const QList<QGraphicsItem*> items = diagrams.Scene()->items();
  const auto drawn = [&items](int type) {
    return int(std::count_if(items.begin(), items.end(), [type](const QGraphicsItem* i) { return i->type() == type; }));
  };
  QCOMPARE(drawn(QGraphicsPathItem::Type), diagrams.ClassCount(1));
  QCOMPARE(drawn(QGraphicsLineItem::Type), diagrams.CoverCount(1));
  qputenv("PATH", path);

  if (!HasseView::CanUseGraphviz()) QSKIP("no dot on PATH, or built without Qt SVG");
  QSignalSpy shown(&diagrams, &HasseView::diagramShown);
  diagrams.ShowDiagram(0);
  QVERIFY(Waited(shown, 60000));
  QCOMPARE(diagrams.DrawnBy(), QStringLiteral("graphviz"));
}

// A run that stops at an error, or cannot start, says why in the window: the reader's
// reason for a malformed file, and the missing data file.
void WorkbenchTest::problemsAreShownInTheWindow() {
  QTemporaryDir dir;
  const QString data = dir.filePath("broken.dl");
  QVERIFY(WriteFile(data, "dl n=3 nm=1\ndata:\n0 1 1\n1 0 q\n"));
  WorkbenchWindow w;
  QVERIFY(w.OpenDataFile(data));
  QVERIFY(RunEnds(w, 1));
  const QString reason = QStringLiteral("ERROR: %1:4: \"q\" is not a number").arg(data);
  QVERIFY2(w.ProblemLines().contains(reason), qPrintable(w.ProblemLines().join('\n')));
  QVERIFY(w.Panel()->MessageLines().contains(reason));
  QCOMPARE(w.Panel()->StatusText(), QStringLiteral("The run stopped at an error: ") + reason);
  QVERIFY(w.findChild<QWidget*>(QStringLiteral("problemsBox"))->isVisibleTo(&w));

  w.Settings()->SetDataFile(QString());
  QVERIFY(w.Panel()->RunBlockReason().startsWith(QStringLiteral("Open a data file")));
  w.Run();
  QVERIFY(!w.RunUnderWay());
  w.Settings()->SetDataFile(QStringLiteral("/no/such/file.dat"));
  QVERIFY(w.Panel()->RunBlockReason().contains(QStringLiteral("does not exist")));
  QVERIFY(!w.OpenDataFile(QStringLiteral("/no/such/file.dat")));
  QVERIFY(w.ProblemLines().last().contains(QStringLiteral("not a readable file")));
}

// A run of the large example with many samples: Run is disabled while it goes, closing the
// window asks first; Cancel stops it during its sampling within a second, says so, and
// leaves the report of what was complete; then it runs again.
void WorkbenchTest::cancelStopsALongRunWithinASecond() {
  QTemporaryDir dir;
  WorkbenchWindow w;
  QVERIFY(Opened(w, CopyOf(dir, "sampson_monastery.dat"), 30000));
  w.findChild<QLineEdit*>(QStringLiteral("tablesFolder"))->setText(dir.filePath("tables"));
  w.show();
  QSignalSpy finished(&w, &WorkbenchWindow::runFinished);
  w.Run();
  QVERIFY(w.RunUnderWay());
  QVERIFY(!Button(*w.Panel(), kRunButton)->isEnabled());
  QTRY_COMPARE_WITH_TIMEOUT(w.Progress()->Current(), int(PhaseProgress::kSampling), 120000);
  QTest::qWait(500);
  // Closing the window asks first; "No" leaves the run going.
  QString asked;
  WhenModalOpens([&asked](QWidget* box) { asked = qobject_cast<QMessageBox*>(box)->text(); }, QMessageBox::No);
  QVERIFY(!w.close());
  QVERIFY(asked.startsWith(QStringLiteral("An analysis is running.")));
  QVERIFY(w.RunUnderWay());
  const qint64 took = Timed([&] {
    w.Cancel();
    QVERIFY(Waited(finished, 10000));
  });
  qInfo("cancelled during the sampling: the run ended %lld ms after Cancel", took);
  QVERIFY2(took < 1000, qPrintable(QString::number(took)));
  QCOMPARE(w.ExitStatus(), 2);
  QVERIFY2(w.Panel()->StatusText().startsWith(QStringLiteral("Cancelled during")), qPrintable(w.Panel()->StatusText()));
  QVERIFY(w.Panel()->StatusText().endsWith(QStringLiteral(
      "The report %1 and the tables keep the results that were complete.").arg(dir.filePath("sampson_monastery.out"))));
  QVERIFY(ReadFile(dir.filePath("sampson_monastery.out")).startsWith("PARTIAL ALGEBRAS"));
  QVERIFY(w.Results()->Elements()->Model()->rowCount() > 0);  // the phases before it are shown

  // And it runs again, to the end this time.
  Field(*w.Panel(), kSampleSize)->setText(QStringLiteral("2"));
  Field(*w.Panel(), 1007)->setText(QStringLiteral("1"));
  QVERIFY(RunEnds(w));
}

// A report of many pages opens at its first page; find goes on through the pages.
void WorkbenchTest::reportViewerPagesAndFinds() {
  QTemporaryDir dir;
  QByteArray text;
  for (int line = 1; line <= 3 * ReportPages::kLinesPerPage + 5; ++line) text += "line " + QByteArray::number(line) + "\n";
  text += "the needle\n";
  QVERIFY(WriteFile(dir.filePath("report.out"), text));
  ReportViewer viewer;
  QVERIFY(viewer.Open(dir.filePath("report.out")));
  QCOMPARE(viewer.PageCount(), 4);
  QVERIFY(viewer.PageText().startsWith(QStringLiteral("line 1\n")));
  QCOMPARE(viewer.PageText().count(QLatin1Char('\n')), ReportPages::kLinesPerPage);
  QVERIFY(viewer.FindNext(QStringLiteral("NEEDLE")));
  QCOMPARE(viewer.Page(), 3);
  const QList<QToolButton*> turns = viewer.findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);  // back, on
  QVERIFY(turns.size() == 2 && turns[0]->isEnabled() && !turns[1]->isEnabled());  // at the last page
  QCOMPARE(viewer.SelectedText(), QStringLiteral("needle"));
  QVERIFY(viewer.FindNext(QStringLiteral("line 2001")));  // round to the start
  QCOMPARE(viewer.Page(), 1);
  QVERIFY(!viewer.FindNext(QStringLiteral("haystack")));
}

// The data files opened, from the menu or dropped on the window, are the recent files,
// newest first and each once, in this session and the next; a dropped file's report is
// beside it, and what is not a file is refused.
void WorkbenchTest::openedAndDroppedFilesAreRecentFiles() {
  QTemporaryDir dir;
  const QString padgett = CopyOf(dir, "padgett_florentine.dat"), kapferer = CopyOf(dir, "kapferer_mine.dat");
  const QString zachary = CopyOf(dir, "zachary_karate.dat");
  WorkbenchWindow w;
  QVERIFY(w.OpenDataFile(padgett));
  QVERIFY(w.OpenDataFile(kapferer));
  QCOMPARE(w.RecentFiles(), (QStringList{kapferer, padgett}));
  const auto entered = [&w](QMimeData& mime) {
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(&w, &enter);
    return enter.isAccepted();
  };
  QMimeData files, text;
  files.setUrls({QUrl::fromLocalFile(zachary)});
  QVERIFY(entered(files));
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&w, &drop);
  QCOMPARE(w.Settings()->DataFile(), zachary);
  QCOMPARE(w.Settings()->ReportFile(), dir.filePath("zachary_karate.out"));
  QCOMPARE(w.RecentFiles().first(), zachary);
  text.setText(QStringLiteral("padgett"));  // not a file: refused
  QVERIFY(!entered(text));

  QVERIFY(w.OpenDataFile(padgett));
  w.close();
  QCOMPARE(WorkbenchWindow().RecentFiles(), (QStringList{padgett, zachary, kapferer}));
}

// A data file of two networks: each network's results, chosen from a list.
void WorkbenchTest::severalNetworksInAFileAreEachShown() {
  QTemporaryDir dir;
  const QString data = dir.filePath("two.dat");
  QVERIFY(WriteFile(data, "first\n2 1\n0 1\n1 0\n"
                          "second\n3 2\n0 1 0\n0 0 1\n1 0 0\n0 1 1\n0 0 0\n1 0 0\n"));
  WorkbenchWindow w;
  QVERIFY(Opened(w, data, 20));
  QVERIFY(RunEnds(w));
  ResultsView& results = *w.Results();
  QCOMPARE(results.ProblemCount(), 2);
  auto* choice = w.findChild<QComboBox*>(QStringLiteral("networkChoice"));
  QCOMPARE(choice->itemText(1), QStringLiteral("Network 2: second"));
  QCOMPARE(choice->currentIndex(), 1);
  QCOMPARE(results.Elements()->Matrix()->rowCount(), 0);
  results.Elements()->SelectElement(0);
  QCOMPARE(results.Elements()->Matrix()->rowCount(), 3);
  results.ShowProblem(0);
  results.Elements()->SelectElement(0);
  QCOMPARE(results.Elements()->Matrix()->rowCount(), 2);
  const int elements = results.Elements()->Model()->rowCount();
  QCOMPARE(results.Pairs()->Model()->rowCount(), elements * (elements - 1) / 2);
}

// quorel-gui --run FILE --screenshot PNG, on the offscreen platform: the picture is written
// and the program ends with the run's status.
void WorkbenchTest::screenshotOptionWritesAPicture() {
  QTemporaryDir dir;
  const QString data = CopyOf(dir, "padgett_florentine.dat"), picture = dir.filePath("window.png");
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), settings_);  // not the user's settings
  const auto exit_code = [&environment](const QStringList& arguments) {
    QProcess gui;
    gui.setProcessEnvironment(environment);
    gui.start(QStringLiteral(QUOREL_GUI_BINARY), arguments);
    return gui.waitForFinished(300000) ? gui.exitCode() : -1;
  };
  QCOMPARE(exit_code({"--run", data, "--screenshot", picture, "--pairs-filter", "kappa proportion < 0.05"}), 0);
  const QImage image(picture);
  QVERIFY(image.width() > 800 && image.height() > 500);
  QVERIFY(WriteFile(dir.filePath("broken.dat"), "a label and nothing after it"));
  QCOMPARE(exit_code({"--run", dir.filePath("broken.dat")}), 1);
}

QTEST_MAIN(WorkbenchTest)
#include "workbench_qtest.moc"
