#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

class QGroupBox;
class QMenu;
class QPlainTextEdit;

namespace quorel {

class MainDialog;
class PhaseProgress;
class ResultsView;
class RunSettingsPanel;

// The program's window. On the left the analysis options, the Run and Cancel buttons and
// the message list (the main panel), the files a run reads and writes, a progress bar for
// each phase and the problems of the last run; on the right the results. A data file is
// opened from the File menu, the recent files, by dropping it on the window or from the
// command line. The options, the recent files, the last folder and the window's geometry
// are remembered between sessions.
class WorkbenchWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit WorkbenchWindow(QWidget* parent = nullptr);
  ~WorkbenchWindow() override;

  // Makes `path` the data file (the report beside it unless one was chosen); false with a
  // message in the problems panel when it is not a readable file.
  bool OpenDataFile(const QString& path);
  void SetReportFile(const QString& path);

  void Run();
  void Cancel();
  bool RunUnderWay() const;
  int ExitStatus() const;  // of the last run

  QStringList RecentFiles() const { return recent_; }
  QStringList ProblemLines() const;

  MainDialog* Panel() const { return panel_; }
  RunSettingsPanel* Settings() const { return settings_; }
  PhaseProgress* Progress() const { return progress_; }
  ResultsView* Results() const { return results_; }

 Q_SIGNALS:
  void runFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenus();
  void ConnectRun();
  void RebuildRecentMenu();
  void ShowProblemLine(const QString& line);
  void RunStarted();
  void RunEnded();
  void UpdateTitle();
  void LoadSettings();
  void SaveSettings();

  MainDialog* panel_ = nullptr;
  RunSettingsPanel* settings_ = nullptr;
  PhaseProgress* progress_ = nullptr;
  ResultsView* results_ = nullptr;
  QGroupBox* problems_box_ = nullptr;
  QPlainTextEdit* problems_ = nullptr;
  QMenu* recent_menu_ = nullptr;
  QStringList recent_;
};

}  // namespace quorel
