#include "shell/gui/workbench_window.hpp"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QVBoxLayout>

#include "shell/gui/about_dialog.hpp"
#include "shell/gui/application.hpp"
#include "shell/gui/gui_settings.hpp"
#include "shell/gui/main_dialog.hpp"
#include "shell/gui/pairs_panel.hpp"
#include "shell/gui/phase_progress.hpp"
#include "shell/gui/recent_files.hpp"
#include "shell/gui/results_view.hpp"
#include "shell/gui/run_settings_panel.hpp"

namespace quorel {

WorkbenchWindow::WorkbenchWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("workbench"));
  setWindowIcon(ApplicationIcon());
  setAcceptDrops(true);

  panel_ = new MainDialog(this);
  panel_->setWindowFlags(Qt::Widget);  // a panel of this window, not a window of its own
  if (QWidget* bar = panel_->layout()->menuBar()) bar->hide();
  settings_ = new RunSettingsPanel(this);
  progress_ = new PhaseProgress(this);
  problems_box_ = new QGroupBox(QStringLiteral("Problems of the last run"), this);
  problems_box_->setObjectName(QStringLiteral("problemsBox"));
  problems_ = new QPlainTextEdit(problems_box_);
  problems_->setObjectName(QStringLiteral("problems"));
  problems_->setReadOnly(true);
  problems_->setMaximumHeight(8 * fontMetrics().lineSpacing());
  (new QVBoxLayout(problems_box_))->addWidget(problems_);
  problems_box_->hide();

  auto* left = new QWidget;
  auto* left_column = new QVBoxLayout(left);
  left_column->addWidget(panel_, 0, Qt::AlignLeft);
  left_column->addWidget(progress_);
  left_column->addWidget(problems_box_);
  left_column->addWidget(settings_);
  left_column->addStretch(1);
  auto* scroll = new QScrollArea;
  scroll->setWidget(left);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setMinimumWidth(panel_->sizeHint().width() + 40);
  results_ = new ResultsView;
  auto* split = new QSplitter(Qt::Horizontal);
  split->addWidget(scroll);
  split->addWidget(results_);
  split->setStretchFactor(1, 1);
  setCentralWidget(split);

  BuildMenus();
  ConnectRun();
  LoadSettings();
  UpdateTitle();
}

WorkbenchWindow::~WorkbenchWindow() = default;

void WorkbenchWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, settings_, &RunSettingsPanel::ChooseDataFile);
  recent_menu_ = file->addMenu(QStringLiteral("Open &Recent"));
  recent_menu_->setObjectName(QStringLiteral("recentMenu"));
  file->addAction(QStringLiteral("Save Report &As..."), QKeySequence::SaveAs, settings_,
                  &RunSettingsPanel::ChooseReportFile);
  file->addSeparator();
  file->addAction(QStringLiteral("&Export Pairs as CSV..."), results_->Pairs(), &PairsPanel::ChooseExportFile);
  file->addSeparator();
  file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, &QWidget::close);
  QMenu* run = menuBar()->addMenu(QStringLiteral("&Analysis"));
  run->addAction(QStringLiteral("&Run"), QKeySequence(Qt::CTRL | Qt::Key_R), this, &WorkbenchWindow::Run);
  run->addAction(QStringLiteral("&Cancel"), QKeySequence(Qt::CTRL | Qt::Key_Period), this, &WorkbenchWindow::Cancel);
  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  QAction* about = help->addAction(QStringLiteral("&About Quorel..."), this, [this] {
    AboutDialog dialog(this);
    dialog.exec();
  });
  about->setMenuRole(QAction::AboutRole);
  RebuildRecentMenu();
}

void WorkbenchWindow::ConnectRun() {
  panel_->SetRunPreparation([this](AnalysisOptions& options, RunOutputs& outputs) { settings_->Apply(options, outputs); });
  const auto check_settings = [this] { panel_->SetRunBlocked(settings_->Problem()); };
  connect(settings_, &RunSettingsPanel::changed, this, check_settings);
  connect(settings_, &RunSettingsPanel::changed, this, &WorkbenchWindow::UpdateTitle);
  connect(settings_, &RunSettingsPanel::dataFileChosen, this, &WorkbenchWindow::OpenDataFile);
  check_settings();

  AnalysisRunner* runner = panel_->Runner();
  connect(panel_, &MainDialog::runStarted, this, &WorkbenchWindow::RunStarted);
  connect(panel_, &MainDialog::runFinished, this, &WorkbenchWindow::RunEnded);
  connect(panel_, &MainDialog::errorAdded, this, &WorkbenchWindow::ShowProblemLine);
  connect(runner, &AnalysisRunner::problemStarted, progress_, [this](int number) { progress_->ProblemStarted(number); });
  connect(runner, &AnalysisRunner::stepStarted, progress_, [this](int step) { progress_->StepStarted(static_cast<Step>(step)); });
  connect(runner, &AnalysisRunner::samplingAdvanced, progress_, &PhaseProgress::SamplingAdvanced);
  connect(runner, &AnalysisRunner::resultsProblemStarted, results_, &ResultsView::ProblemStarted);
  connect(runner, &AnalysisRunner::elementsReady, results_, &ResultsView::TakeElements);
  connect(runner, &AnalysisRunner::pairsReady, results_, &ResultsView::TakePairs);
  connect(runner, &AnalysisRunner::levelReady, results_, &ResultsView::TakeLevel);
}

bool WorkbenchWindow::OpenDataFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.isFile() || !info.isReadable()) {
    ShowProblemLine(QStringLiteral("%1 is not a readable file.").arg(QDir::toNativeSeparators(path)));
    return false;
  }
  settings_->SetDataFile(info.absoluteFilePath());
  recent_ = WithRecentFile(recent_, info.absoluteFilePath());
  QSettings store;
  SaveRecentFiles(store, recent_);
  store.setValue(QStringLiteral("files/lastFolder"), info.absolutePath());
  settings_->SetStartFolder(info.absolutePath());
  RebuildRecentMenu();
  UpdateTitle();
  return true;
}

void WorkbenchWindow::SetReportFile(const QString& path) { settings_->SetReportFile(QFileInfo(path).absoluteFilePath()); }

void WorkbenchWindow::RebuildRecentMenu() {
  recent_menu_->clear();
  for (const QString& path : recent_) {
    recent_menu_->addAction(QDir::toNativeSeparators(path), this, [this, path] { OpenDataFile(path); });
  }
  recent_menu_->setEnabled(!recent_.isEmpty());
}

void WorkbenchWindow::Run() { panel_->OnRun(); }
void WorkbenchWindow::Cancel() { panel_->OnCancel(); }
bool WorkbenchWindow::RunUnderWay() const { return panel_->RunUnderWay(); }
int WorkbenchWindow::ExitStatus() const { return panel_->ExitStatus(); }

QStringList WorkbenchWindow::ProblemLines() const {
  const QString text = problems_->toPlainText();
  return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void WorkbenchWindow::ShowProblemLine(const QString& line) {
  problems_->appendPlainText(line);
  problems_box_->show();
}

void WorkbenchWindow::RunStarted() {
  problems_->clear();
  problems_box_->hide();
  results_->Clear();
  progress_->Start();
  SaveSettings();
}

void WorkbenchWindow::RunEnded() {
  const bool complete = ExitStatus() == 0;
  progress_->Finish(complete);
  results_->OpenReport(settings_->ReportFile());
  if (!complete) ShowProblemLine(panel_->StatusText());
  Q_EMIT runFinished();
}

void WorkbenchWindow::UpdateTitle() {
  const QString data = settings_->DataFile();
  panel_->ShowReadiness(data.isEmpty() ? QString()
                                       : QStringLiteral("Reads %1 and writes the report %2")
                                             .arg(QDir::toNativeSeparators(data),
                                                  QDir::toNativeSeparators(settings_->ReportFile())));
  setWindowTitle(data.isEmpty() ? QStringLiteral("Quorel")
                                : QStringLiteral("%1 - Quorel").arg(QFileInfo(data).fileName()));
}

void WorkbenchWindow::LoadSettings() {
  QSettings store;
  AnalysisOptions options = panel_->Options();
  RunOutputs outputs;
  LoadOptions(store, options, outputs);
  panel_->Options() = options;
  panel_->DoDataExchange(false);
  settings_->Show(options, outputs);
  recent_ = LoadRecentFiles(store);
  settings_->SetStartFolder(store.value(QStringLiteral("files/lastFolder")).toString());
  RebuildRecentMenu();
  if (!restoreGeometry(store.value(QStringLiteral("window/geometry")).toByteArray())) resize(1360, 860);
}

void WorkbenchWindow::SaveSettings() {
  QSettings store;
  AnalysisOptions options = panel_->Options();
  // The controls as they stand; the last members when a field holds no number.
  if (!panel_->RunUnderWay() && panel_->DoDataExchange(true)) options = panel_->Options();
  RunOutputs outputs;
  settings_->Apply(options, outputs);
  SaveOptions(store, options, outputs);
  store.setValue(QStringLiteral("window/geometry"), saveGeometry());
}

void WorkbenchWindow::closeEvent(QCloseEvent* event) {
  if (!panel_->StopRunForClosing()) {
    event->ignore();
    return;
  }
  SaveSettings();
  QMainWindow::closeEvent(event);
}

void WorkbenchWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() == 1 && urls.first().isLocalFile()) event->acceptProposedAction();
}

void WorkbenchWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() == 1 && urls.first().isLocalFile() && OpenDataFile(urls.first().toLocalFile())) {
    event->acceptProposedAction();
  }
}

}  // namespace quorel
