// The program's window on the offscreen platform: opening files, running, cancelling,
// errors shown in the window, the results, the settings kept between sessions and the
// scripted run with its picture.
#include <QComboBox>
#include <QElapsedTimer>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QMimeData>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "shell/gui/application.hpp"
#include "shell/gui/elements_model.hpp"
#include "shell/gui/elements_panel.hpp"
#include "shell/gui/hasse_view.hpp"
#include "shell/gui/main_dialog.hpp"
#include "shell/gui/pairs_panel.hpp"
#include "shell/gui/phase_progress.hpp"
#include "shell/gui/report_viewer.hpp"
#include "shell/gui/results_view.hpp"
#include "shell/gui/run_settings_panel.hpp"
#include "shell/gui/workbench_window.hpp"
#include "gui_test_support.hpp"

using namespace quorel;
using testing::Example;
using testing::ReadFile;

namespace {

bool RunToTheEnd(WorkbenchWindow& window) {
  QSignalSpy finished(&window, &WorkbenchWindow::runFinished);
  window.Run();
  return testing::Waited(finished);
}

QLineEdit* Field(WorkbenchWindow& w, int id) { return qobject_cast<QLineEdit*>(w.Panel()->Control(id)); }

// A copy of an example in `dir`, so that the report lands beside it there.
QString CopyOf(const QTemporaryDir& dir, const char* example) {
  const QString path = dir.filePath(QString::fromUtf8(example));
  QFile::copy(Example(example), path);
  return path;
}

}  // namespace

class WorkbenchTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase();
  void init();
  void opensAFileAndRuns();
  void nothingRunsWithoutADataFile();
  void filesAndOutputsReachTheRun();
  void cancelStopsALongRunWithinASecond();
  void malformedFileShowsTheReasonInTheWindow();
  void optionsAndRecentFilesAreKept();
  void reportViewerPagesAndFinds();
  void droppedFileIsOpened();
  void diagramsAreDrawnWithAndWithoutGraphviz();
  void severalNetworksInAFileAreEachShown();
  void screenshotOptionWritesAPicture();

 private:
  QTemporaryDir settings_;
};

void WorkbenchTest::initTestCase() {
  PrepareApplication(*qApp);
  testing::UseScratchSettings(settings_);
}

void WorkbenchTest::init() { QSettings().clear(); }  // each case from the defaults

void WorkbenchTest::opensAFileAndRuns() {
  QTemporaryDir dir;
  const QString data = CopyOf(dir, "padgett_florentine.dat");
  WorkbenchWindow w;
  QVERIFY(w.OpenDataFile(data));
  QCOMPARE(w.Settings()->ReportFile(), dir.filePath("padgett_florentine.out"));
  QVERIFY(w.windowTitle().startsWith(QStringLiteral("padgett_florentine.dat")));
  QCOMPARE(w.Panel()->StatusText(), QStringLiteral("Reads %1 and writes the report %2")
                                        .arg(data, dir.filePath("padgett_florentine.out")));
  Field(w, 1010)->setText(QStringLiteral("100"));
  w.show();
  QVERIFY(RunToTheEnd(w));
  QCOMPARE(w.ExitStatus(), 0);
  QVERIFY(w.ProblemLines().isEmpty());
  QVERIFY(ReadFile(dir.filePath("padgett_florentine.out")).startsWith("PARTIAL ALGEBRAS"));

  // Every result page has been filled from the run.
  ResultsView& results = *w.Results();
  const int elements = results.Elements()->Model()->rowCount();
  QVERIFY(elements > 2);
  QCOMPARE(results.Pairs()->Model()->rowCount(), elements * (elements - 1) / 2);
  QVERIFY(results.Pairs()->Model()->Table().HasStatistics());
  QVERIFY(results.Diagrams()->DiagramCount() >= 3);  // the partial order, Omega and lower Omega
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
}

void WorkbenchTest::nothingRunsWithoutADataFile() {
  WorkbenchWindow w;
  w.Settings()->SetDataFile(QString());
  QVERIFY(w.Panel()->RunBlockReason().startsWith(QStringLiteral("Open a data file")));
  w.Run();
  QVERIFY(!w.RunUnderWay());
  w.Settings()->SetDataFile(QStringLiteral("/no/such/file.dat"));
  QVERIFY(w.Panel()->RunBlockReason().contains(QStringLiteral("does not exist")));
  QVERIFY(!w.OpenDataFile(QStringLiteral("/no/such/file.dat")));
  QVERIFY(w.ProblemLines().last().contains(QStringLiteral("not a readable file")));
}

// The seed, the threads and the non-directional relations set in the window give the
// command line's report for the same settings, run after run.
void WorkbenchTest::filesAndOutputsReachTheRun() {
  QTemporaryDir dir;
  const QString data = dir.filePath("two.dl");
  QVERIFY(testing::WriteFile(data, "dl n=4 nm=2\nformat = fullmatrix\nlabels:\nann,bob,cid,dan\n"
                                   "matrix labels:\nfriend,advice\ndata:\n"
                                   "0 1 1 0\n1 0 0 1\n1 0 0 1\n0 1 1 0\n0 1 0 0\n0 0 1 0\n1 0 0 1\n0 0 1 0\n"));
  WorkbenchWindow w;
  QVERIFY(w.OpenDataFile(data));
  w.SetReportFile(dir.filePath("window.out"));
  Field(w, 1010)->setText(QStringLiteral("50"));
  auto* seed = w.findChild<QLineEdit*>(QStringLiteral("seed"));
  auto* non_directional = w.findChild<QLineEdit*>(QStringLiteral("nonDirectional"));
  w.findChild<QSpinBox*>(QStringLiteral("threads"))->setValue(1);
  const auto command_line_report = [&](const QStringList& arguments) {
    QProcess cli;
    cli.start(QStringLiteral(QUOREL_BINARY), QStringList{"--quiet", "--data", data, "--report",
                                                         dir.filePath("cli.out"), "--sample-size", "50",
                                                         "--threads", "1"} + arguments);
    return cli.waitForFinished(300000) && cli.exitCode() == 0 ? ReadFile(dir.filePath("cli.out")) : QByteArray("failed");
  };
  const QList<std::pair<QString, QString>> settings{{"5", ""}, {"5", "friend"}, {"6", "friend"}};
  QByteArray previous;
  for (const auto& [seed_text, relations] : settings) {
    seed->setText(seed_text);
    non_directional->setText(relations);
    QVERIFY(RunToTheEnd(w));
    QCOMPARE(w.ExitStatus(), 0);
    const QByteArray report = ReadFile(dir.filePath("window.out"));
    QStringList arguments{"--seed", seed_text};
    if (!relations.isEmpty()) arguments << "--non-directional" << relations;
    QVERIFY2(report == command_line_report(arguments), qPrintable(seed_text + " " + relations));
    QVERIFY(report != previous);  // each setting changes the report
    previous = report;
  }
  // The actors' names reach the matrix grid.
  w.Results()->Elements()->SelectElement(0);
  QCOMPARE(w.Results()->Elements()->Matrix()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
           QStringLiteral("cid"));
  QCOMPARE(w.Results()->Elements()->Model()->index(0, ElementsModel::kNamedWord).data().toString(),
           QStringLiteral("friend"));
}

// A run of the large example with many samples: closing the window asks first; Cancel
// stops it during its sampling within a second, says so, and leaves the report of what was
// complete; then it runs again.
void WorkbenchTest::cancelStopsALongRunWithinASecond() {
  QTemporaryDir dir;
  WorkbenchWindow w;
  QVERIFY(w.OpenDataFile(CopyOf(dir, "sampson_monastery.dat")));
  Field(w, 1010)->setText(QStringLiteral("30000"));
  w.findChild<QLineEdit*>(QStringLiteral("tablesFolder"))->setText(dir.filePath("tables"));
  w.show();
  QSignalSpy finished(&w, &WorkbenchWindow::runFinished);
  w.Run();
  QVERIFY(w.RunUnderWay());
  QTRY_COMPARE_WITH_TIMEOUT(w.Progress()->Current(), int(PhaseProgress::kSampling), 120000);
  QTest::qWait(500);
  // Closing the window asks first; "No" leaves the run going.
  QString asked;
  testing::WhenModalOpens([&asked](QWidget* box) { asked = qobject_cast<QMessageBox*>(box)->text(); },
                          QMessageBox::No);
  QVERIFY(!w.close());
  QVERIFY(asked.startsWith(QStringLiteral("An analysis is running.")));
  QVERIFY(w.RunUnderWay());
  QElapsedTimer stopping;
  stopping.start();
  w.Cancel();
  QVERIFY(testing::Waited(finished, 10000));
  const qint64 took = stopping.elapsed();
  qInfo("cancelled during the sampling: the run ended %lld ms after Cancel", took);
  QVERIFY2(took < 1000, qPrintable(QString::number(took)));
  QCOMPARE(w.ExitStatus(), 2);
  QVERIFY2(w.Panel()->StatusText().startsWith(QStringLiteral("Cancelled during")), qPrintable(w.Panel()->StatusText()));
  QVERIFY(w.Panel()->StatusText().endsWith(QStringLiteral(
      "The report %1 and the tables keep the results that were complete.").arg(dir.filePath("sampson_monastery.out"))));
  QVERIFY(ReadFile(dir.filePath("sampson_monastery.out")).startsWith("PARTIAL ALGEBRAS"));
  QVERIFY(w.Results()->Elements()->Model()->rowCount() > 0);  // the phases before it are shown

  // And it runs again, to the end this time.
  Field(w, 1010)->setText(QStringLiteral("2"));
  Field(w, 1007)->setText(QStringLiteral("1"));
  QVERIFY(RunToTheEnd(w));
  QCOMPARE(w.ExitStatus(), 0);
}

void WorkbenchTest::malformedFileShowsTheReasonInTheWindow() {
  QTemporaryDir dir;
  const QString data = dir.filePath("broken.dl");
  QVERIFY(testing::WriteFile(data, "dl n=3 nm=1\ndata:\n0 1 1\n1 0 q\n"));
  WorkbenchWindow w;
  QVERIFY(w.OpenDataFile(data));
  QVERIFY(RunToTheEnd(w));
  QCOMPARE(w.ExitStatus(), 1);
  const QString reason = QStringLiteral("ERROR: %1:4: \"q\" is not a number").arg(data);
  QVERIFY2(w.ProblemLines().contains(reason), qPrintable(w.ProblemLines().join('\n')));
  QVERIFY(w.Panel()->MessageLines().contains(reason));
  QCOMPARE(w.Panel()->StatusText(), QStringLiteral("The run stopped at an error: ") + reason);
  QVERIFY(w.findChild<QWidget*>(QStringLiteral("problemsBox"))->isVisibleTo(&w));
}

// The options of one session, the outputs asked for and the recent files are there in the
// next; a JSON document asked for is written.
void WorkbenchTest::optionsAndRecentFilesAreKept() {
  QTemporaryDir dir;
  const QString json = dir.filePath("run.json");
  {
    WorkbenchWindow w;
    QVERIFY(w.OpenDataFile(CopyOf(dir, "padgett_florentine.dat")));
    QVERIFY(w.OpenDataFile(CopyOf(dir, "kapferer_mine.dat")));
    QCOMPARE(w.RecentFiles().first(), dir.filePath("kapferer_mine.dat"));
    QCOMPARE(w.RecentFiles().size(), 2);
    QVERIFY(w.OpenDataFile(dir.filePath("padgett_florentine.dat")));
    Field(w, 1010)->setText(QStringLiteral("50"));
    w.findChild<QLineEdit*>(QStringLiteral("seed"))->setText(QStringLiteral("7"));
    w.findChild<QSpinBox*>(QStringLiteral("threads"))->setValue(1);
    w.findChild<QLineEdit*>(QStringLiteral("jsonFile"))->setText(json);
    QVERIFY(RunToTheEnd(w));
    QCOMPARE(w.ExitStatus(), 0);
    QVERIFY(ReadFile(json).contains("\"seed\":7"));
    w.close();
  }
  WorkbenchWindow w;
  QCOMPARE(w.RecentFiles(), (QStringList{dir.filePath("padgett_florentine.dat"), dir.filePath("kapferer_mine.dat")}));
  QCOMPARE(Field(w, 1010)->text(), QStringLiteral("50"));
  QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("seed"))->text(), QStringLiteral("7"));
  QCOMPARE(w.findChild<QSpinBox*>(QStringLiteral("threads"))->value(), 1);
  QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("jsonFile"))->text(), json);
}

// A report of many pages opens at its first page; find goes on through the pages.
void WorkbenchTest::reportViewerPagesAndFinds() {
  QTemporaryDir dir;
  QByteArray text;
  for (int line = 1; line <= 3 * ReportPages::kLinesPerPage + 5; ++line) text += "line " + QByteArray::number(line) + "\n";
  text += "the needle\n";
  QVERIFY(testing::WriteFile(dir.filePath("report.out"), text));
  ReportViewer viewer;
  QVERIFY(viewer.Open(dir.filePath("report.out")));
  QCOMPARE(viewer.PageCount(), 4);
  QVERIFY(viewer.PageText().startsWith(QStringLiteral("line 1\n")));
  QCOMPARE(viewer.PageText().count(QLatin1Char('\n')), ReportPages::kLinesPerPage);
  QVERIFY(viewer.FindNext(QStringLiteral("NEEDLE")));
  QCOMPARE(viewer.Page(), 3);
  QCOMPARE(viewer.SelectedText(), QStringLiteral("needle"));
  QVERIFY(viewer.FindNext(QStringLiteral("line 2001")));  // round to the start
  QCOMPARE(viewer.Page(), 1);
  QVERIFY(!viewer.FindNext(QStringLiteral("haystack")));
}

void WorkbenchTest::droppedFileIsOpened() {
  QTemporaryDir dir;
  const QString data = CopyOf(dir, "zachary_karate.dat");
  WorkbenchWindow w;
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(data)});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&w, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&w, &drop);
  QCOMPARE(w.Settings()->DataFile(), data);
  QCOMPARE(w.Settings()->ReportFile(), dir.filePath("zachary_karate.out"));
  QCOMPARE(w.RecentFiles().first(), data);

  QMimeData text;  // not a file: refused
  text.setText(QStringLiteral("padgett"));
  QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  refused.setAccepted(false);
  QApplication::sendEvent(&w, &refused);
  QVERIFY(!refused.isAccepted());
}

// The window's own drawing when dot cannot be found: a box per class and a line per cover;
// with dot, Graphviz's picture.
void WorkbenchTest::diagramsAreDrawnWithAndWithoutGraphviz() {
  QTemporaryDir dir;
  WorkbenchWindow w;
  QVERIFY(w.OpenDataFile(CopyOf(dir, "padgett_florentine.dat")));
  Field(w, 1010)->setText(QStringLiteral("100"));
  w.show();
  QVERIFY(RunToTheEnd(w));
  w.Results()->ShowTab(ResultsView::kDiagrams);
  HasseView& diagrams = *w.Results()->Diagrams();
  QCOMPARE(diagrams.Title(0), QStringLiteral("Partial order"));
  QCOMPARE(diagrams.Title(1), QStringLiteral("Omega (closed), alpha 0.05"));
  QCOMPARE(diagrams.Title(2), QStringLiteral("Lower Omega (closed), alpha 0.05"));

  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QByteArray());
  QVERIFY(!HasseView::CanUseGraphviz());
  diagrams.ShowDiagram(1);
  QCOMPARE(diagrams.DrawnBy(), QStringLiteral("own"));
  int boxes = 0, lines = 0;
  for (const QGraphicsItem* item : diagrams.Scene()->items()) {
    boxes += item->type() == QGraphicsPathItem::Type;
    lines += item->type() == QGraphicsLineItem::Type;
  }
  QCOMPARE(boxes, diagrams.ClassCount(1));
  QCOMPARE(lines, diagrams.CoverCount(1));
  qputenv("PATH", path);

  if (!HasseView::CanUseGraphviz()) QSKIP("no dot on PATH, or built without Qt SVG");
  QSignalSpy shown(&diagrams, &HasseView::diagramShown);
  diagrams.ShowDiagram(0);
  QVERIFY(testing::Waited(shown, 60000));
  QCOMPARE(diagrams.DrawnBy(), QStringLiteral("graphviz"));
}

// A data file of two networks: each network's results, chosen from a list.
void WorkbenchTest::severalNetworksInAFileAreEachShown() {
  QTemporaryDir dir;
  const QString data = dir.filePath("two.dat");
  QVERIFY(testing::WriteFile(data, "first\n2 1\n0 1\n1 0\n"
                                   "second\n3 2\n0 1 0\n0 0 1\n1 0 0\n0 1 1\n0 0 0\n1 0 0\n"));
  WorkbenchWindow w;
  QVERIFY(w.OpenDataFile(data));
  Field(w, 1010)->setText(QStringLiteral("20"));
  QVERIFY(RunToTheEnd(w));
  QCOMPARE(w.ExitStatus(), 0);
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
  const QString data = CopyOf(dir, "padgett_florentine.dat");
  const QString picture = dir.filePath("window.png");
  QProcess gui;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), settings_.path());  // not the user's settings
  gui.setProcessEnvironment(environment);
  gui.start(QStringLiteral(QUOREL_GUI_BINARY),
            {"--run", data, "--screenshot", picture, "--pairs-filter", "kappa proportion < 0.05"});
  QVERIFY(gui.waitForFinished(300000));
  QCOMPARE(gui.exitCode(), 0);
  const QImage image(picture);
  QVERIFY(!image.isNull());
  QVERIFY(image.width() > 800 && image.height() > 500);

  QProcess broken;
  broken.setProcessEnvironment(environment);
  QVERIFY(testing::WriteFile(dir.filePath("broken.dat"), "a label and nothing after it"));
  broken.start(QStringLiteral(QUOREL_GUI_BINARY), {"--run", dir.filePath("broken.dat")});
  QVERIFY(broken.waitForFinished(300000));
  QCOMPARE(broken.exitCode(), 1);
}

QTEST_MAIN(WorkbenchTest)
#include "workbench_qtest.moc"
