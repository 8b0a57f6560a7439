#include "shell/gui/scripted_run.hpp"

#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "shell/command_line.hpp"
#include "shell/gui/elements_panel.hpp"
#include "shell/gui/hasse_view.hpp"
#include "shell/gui/main_dialog.hpp"
#include "shell/gui/pair_filter.hpp"
#include "shell/gui/pairs_panel.hpp"
#include "shell/gui/results_view.hpp"
#include "shell/gui/workbench_window.hpp"

namespace quorel {

namespace {

const QStringList kPages{QStringLiteral("elements"), QStringLiteral("pairs"), QStringLiteral("diagrams"),
                         QStringLiteral("report")};

// Lets the event loop run for `milliseconds`, or until `sender` gives `signal`.
template <class Sender, class Signal>
void WaitFor(Sender* sender, Signal signal, int milliseconds) {
  QEventLoop loop;
  QObject::connect(sender, signal, &loop, &QEventLoop::quit);
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

void Settle(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

void SortPairs(PairsPanel& pairs, const QString& text) {
  const bool descending = text.startsWith(QLatin1Char('-'));
  const std::optional<PairColumn> column = FindPairColumn((descending ? text.mid(1) : text).toStdString());
  if (column) pairs.SortBy(*column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

}  // namespace

bool CheckScriptedRun(const ScriptedRun& script, QString& problem) {
  if (!kPages.contains(script.page)) {
    problem = QStringLiteral("--show takes %1, not '%2'").arg(kPages.join(QStringLiteral(", ")), script.page);
    return false;
  }
  std::string error;
  if (!ParsePairFilter(script.pairs_filter.toStdString(), error)) {
    problem = QStringLiteral("--pairs-filter: %1").arg(QString::fromStdString(error));
    return false;
  }
  const QString sort = script.pairs_sort.startsWith(QLatin1Char('-')) ? script.pairs_sort.mid(1) : script.pairs_sort;
  if (!sort.isEmpty() && !FindPairColumn(sort.toStdString())) {
    problem = QStringLiteral("--pairs-sort: no column is called '%1'").arg(sort);
    return false;
  }
  return true;
}

int RunScripted(WorkbenchWindow& window, const ScriptedRun& script) {
  if (!window.OpenDataFile(script.data_file)) {
    std::fprintf(stderr, "quorel-gui: cannot read '%s'\n", qPrintable(script.data_file));
    return kExitIncomplete;
  }
  if (const QString blocked = window.Panel()->RunBlockReason(); !blocked.isEmpty()) {
    std::fprintf(stderr, "quorel-gui: cannot run: %s\n", qPrintable(blocked));
    return kExitIncomplete;
  }
  window.Run();
  if (window.RunUnderWay()) WaitFor(&window, &WorkbenchWindow::runFinished, 24 * 3600 * 1000);
  std::fprintf(stderr, "quorel-gui: %s\n", qPrintable(window.Panel()->StatusText()));

  ResultsView& results = *window.Results();
  const int page = static_cast<int>(kPages.indexOf(script.page));
  results.ShowTab(static_cast<ResultsView::Tab>(page));
  if (!script.pairs_sort.isEmpty()) SortPairs(*results.Pairs(), script.pairs_sort);
  if (!script.pairs_filter.isEmpty()) results.Pairs()->SetFilterText(script.pairs_filter);
  if (page == ResultsView::kElements) results.Elements()->SelectElement(0);
  HasseView& diagrams = *results.Diagrams();
  if (page == ResultsView::kDiagrams && diagrams.DiagramCount() > 0 && diagrams.DrawnBy().isEmpty()) {
    WaitFor(&diagrams, &HasseView::diagramShown, 60000);
  }
  Settle(300);  // the layout and the last repaints

  int status = window.ExitStatus();
  if (!script.screenshot.isEmpty()) {
    if (window.grab().save(script.screenshot, "PNG")) {
      std::fprintf(stderr, "quorel-gui: wrote %s\n", qPrintable(script.screenshot));
    } else {
      std::fprintf(stderr, "quorel-gui: the picture '%s' could not be written\n", qPrintable(script.screenshot));
      status = kExitReportWrite;
    }
  }
  window.close();
  return status;
}

}  // namespace quorel
