#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

#include "core/analysis_options.hpp"
#include "shell/gui/analysis_runner.hpp"
#include "shell/gui/dialog_units.hpp"
#include "shell/gui/run_phase.hpp"

class QAction;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QWidget;

namespace quorel {

// The analysis options, the Run and Cancel buttons and the message list: the main panel of
// the program's window, or a window of its own. The option members start at their
// defaults; the controls show them when the panel opens. A number field that holds no
// number is marked, with the reason beside it, and keeps Run disabled; nothing is ever
// changed behind the user's back. Run copies the controls into the members and runs the
// analysis on a thread of its own with the controls disabled, showing the message lines as
// they come; Cancel stops it within a second; afterwards the options can be changed and
// the analysis run again.
class MainDialog : public QDialog {
  Q_OBJECT

 public:
  explicit MainDialog(QWidget* parent = nullptr);
  ~MainDialog() override;

  // The option members, the analysis's view of the window.
  AnalysisOptions& Options() { return options_; }

  // The directory of Quorel.dat and Quorel.out (the working directory unless set).
  void SetDirectory(const QString& directory);

  // save = false: the members into the controls. save = true: the controls into the
  // members; when a number field holds no number nothing is taken, the field has the focus
  // and the result is false.
  bool DoDataExchange(bool save);

  // The Run command (the Run button): nothing while a field holds no number or the run is
  // blocked.
  void OnRun();
  // The Cancel button: the run under way stops at its next check.
  void OnCancel();

  // Called by Run after the controls are in the members: the window around the panel
  // completes the options (data file, report, seed, ...) and names the further outputs.
  using RunPreparation = std::function<void(AnalysisOptions& options, RunOutputs& outputs)>;
  void SetRunPreparation(RunPreparation prepare) { prepare_ = std::move(prepare); }
  // A reason the run cannot start that lies outside the panel (empty: none); shown beside
  // Run, which stays disabled.
  void SetRunBlocked(const QString& reason);
  // The line below the list before the first run: what Run will read and write.
  void ShowReadiness(const QString& text);
  // Why Run is disabled now (empty when it is not).
  QString RunBlockReason() const;

  // When a run is under way: asks whether to stop it, and stops it and waits when the user
  // agrees. True when nothing is running any more.
  bool StopRunForClosing();

  AnalysisRunner* Runner() const { return runner_; }
  bool RunUnderWay() const { return running_; }
  bool RunDone() const { return run_done_; }

  // The exit status of the last run: 0 without a run or after a complete one, as the
  // command line's otherwise (1 after a fatal error, 2 after a cancelled run).
  int ExitStatus() const { return exit_status_; }

  QStringList MessageLines() const;
  QString StatusText() const { return status_text_; }
  // The diagnostics of the last run (the data format's messages, storage failures).
  QStringList ErrorLines() const { return error_lines_; }

  // The control with dialog id `id` (1000 to 1033), or null.
  QWidget* Control(int id) const;

  // The window's menu: the window commands, a separator, "&About Quorel...".
  QMenu* WindowMenu() const { return window_menu_; }

  // The dialog units of the window's font.
  DialogBaseUnits BaseUnits() const { return units_; }

 Q_SIGNALS:
  void runStarted();
  void runFinished();
  void errorAdded(const QString& line);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 public Q_SLOTS:
  void reject() override;

 private:
  void BuildControls(QWidget* area);
  void BuildWindowMenu();
  void ShowAbout();
  void AddMessage(const QString& line);
  void ShowPhase();
  void FinishRun();
  void SetStatus(const QString& text);
  void SetOptionControlsEnabled(bool enabled);
  void CheckFields();
  void UpdateRunButton();
  void AddError(const QString& line);
  QString DescribeEnding(const RunOutcome& outcome) const;
  QString PathOf(const QString& name) const;

  AnalysisOptions options_;
  QString directory_;
  DialogBaseUnits units_{};
  QWidget* area_ = nullptr;
  std::map<int, QWidget*> controls_;
  QCheckBox* transposes_ = nullptr;
  QCheckBox* generator_products_only_ = nullptr;
  QLineEdit* max_word_length_ = nullptr;
  QButtonGroup* permutation_strategy_ = nullptr;
  QButtonGroup* measure_control_ = nullptr;
  QLineEdit* sample_size_ = nullptr;
  QCheckBox* fixed_supplied_ = nullptr;
  QLineEdit* min_kappa_ = nullptr;
  QButtonGroup* diagonal_ = nullptr;
  QCheckBox* factor_omega_ = nullptr;
  QCheckBox* factor_lower_omega_ = nullptr;
  QCheckBox* full_factor_output_ = nullptr;
  QCheckBox* reapply_ = nullptr;
  QLineEdit* cutoff_list_ = nullptr;
  QPushButton* run_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLabel* field_problem_ = nullptr;
  QListWidget* list_ = nullptr;
  QMenu* window_menu_ = nullptr;
  QAction* close_action_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QString status_text_;

  AnalysisRunner* runner_ = nullptr;
  RunPreparation prepare_;
  RunOutputs outputs_;      // of the run under way or last run
  QString field_reason_;    // the first number field without a number, and why
  QString blocked_reason_;  // from the window around the panel
  QStringList error_lines_;
  bool cancel_asked_ = false;
  RunPhase phase_;
  bool running_ = false;
  bool run_done_ = false;
  int exit_status_ = 0;
};

}  // namespace quorel
