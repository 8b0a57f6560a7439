#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <map>

#include "core/analysis_options.hpp"
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

class AnalysisRunner;

// The program's window: every analysis option, the Run button and the message list. The
// option members start at their defaults; the controls show them when the window opens.
// Run copies the controls into the members, runs the analysis on a thread of its own with
// the controls disabled, shows the message lines as they come, and then leaves the window
// with its record on the screen until the user closes it: one window, one run.
class MainDialog : public QDialog {
  Q_OBJECT

 public:
  explicit MainDialog(QWidget* parent = nullptr);
  ~MainDialog() override;

  // The option members, the analysis's view of the window.
  AnalysisOptions& Options() { return options_; }

  // The directory of Quorel.dat and Quorel.out (the working directory unless set).
  void SetDirectory(const QString& directory);

  // save = false: the members into the controls. save = true: the controls into the members
  // in the order of exchange; a number field that holds no number is reported to the user,
  // ends the exchange there and gives false (the members keep the values they have).
  bool DoDataExchange(bool save);

  // The Run command (the Run button).
  void OnRun();

  bool RunUnderWay() const { return running_; }
  bool RunDone() const { return run_done_; }

  // The program's exit status once the window has closed: 0 without a run or after a
  // complete one, as the command line's otherwise (1 after a fatal error).
  int ExitStatus() const { return exit_status_; }

  QStringList MessageLines() const;
  QString StatusText() const { return status_text_; }

  // The control with dialog id `id` (1000 to 1033), or null.
  QWidget* Control(int id) const;

  // The window's menu: the window commands, a separator, "&About Quorel...".
  QMenu* WindowMenu() const { return window_menu_; }

  // The dialog units of the window's font.
  DialogBaseUnits BaseUnits() const { return units_; }

 Q_SIGNALS:
  void runFinished();

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
  QListWidget* list_ = nullptr;
  QMenu* window_menu_ = nullptr;
  QAction* close_action_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QString status_text_;

  AnalysisRunner* runner_ = nullptr;
  RunPhase phase_;
  bool running_ = false;
  bool run_done_ = false;
  int exit_status_ = 0;
};

}  // namespace quorel
