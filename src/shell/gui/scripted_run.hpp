#pragma once

#include <QString>

namespace quorel {

class WorkbenchWindow;

// A run without a person at the window, for scripts, continuous integration and the
// pictures of the documentation: open the file, run it with the saved or default options,
// show a page of the results and take a picture of the window.
struct ScriptedRun {
  QString data_file;
  QString screenshot;    // the PNG to write; empty: none
  QString page;          // elements, pairs, diagrams or report
  QString pairs_filter;  // as typed in the pairs page's filter line
  QString pairs_sort;    // a column's name, '-' first for descending
};

// Whether the page, the filter and the sort column make sense; the reason when not.
bool CheckScriptedRun(const ScriptedRun& script, QString& problem);

// Runs `script` in `window` (shown) and gives the run's exit status, or 74 when the
// picture could not be written. What happens is told on standard error.
int RunScripted(WorkbenchWindow& window, const ScriptedRun& script);

}  // namespace quorel
