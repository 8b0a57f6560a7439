#include "shell/gui/main_dialog.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdio>
#include <vector>

#include "shell/command_line.hpp"
#include "shell/gui/about_dialog.hpp"
#include "shell/gui/analysis_runner.hpp"
#include "shell/gui/application.hpp"
#include "shell/gui/dialog_exchange.hpp"
#include "shell/gui/main_dialog_template.hpp"
#include "shell/gui/number_fields.hpp"

namespace quorel {

namespace {

QString FromView(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QRect ToQRect(const PixelRect& r) { return QRect(r.x, r.y, r.width, r.height); }

// The dialog's font: 9-point Arial or a font with its metrics, else the platform's sans serif.
QFont DialogFont(const QFont& platform) {
  QFont font = platform;
  font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                    QStringLiteral("Helvetica"), platform.family()});
  font.setPointSize(9);
  return font;
}

void CheckRadio(QButtonGroup* group, int index) {
  if (QAbstractButton* button = group->button(index)) {
    button->setChecked(true);
    return;
  }
  // An index outside the group checks none of its buttons.
  group->setExclusive(false);
  for (QAbstractButton* button : group->buttons()) button->setChecked(false);
  group->setExclusive(true);
}

}  // namespace

MainDialog::MainDialog(QWidget* parent) : QDialog(parent), runner_(new AnalysisRunner(this)) {
  setWindowTitle(QStringLiteral("Quorel"));
  setWindowIcon(ApplicationIcon());
  setFont(DialogFont(font()));
  const QFontMetrics metrics(font());
  units_ = BaseUnitsOfFont(metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")),
                           metrics.height());

  area_ = new QWidget(this);
  area_->setObjectName(QStringLiteral("dialogArea"));
  BuildControls(area_);

  // Below the dialog's own area: where the run is, and the progress of the sampling.
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("status"));
  status_->setWordWrap(true);
  status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  status_->setFixedHeight(2 * metrics.lineSpacing());
  status_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setFixedWidth(ToPixels(DialogRect{0, 0, 80, 0}, units_).width);
  progress_->hide();
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_->setObjectName(QStringLiteral("cancel"));
  cancel_->setAutoDefault(false);
  cancel_->setToolTip(QStringLiteral("Stop the analysis; the report keeps what was complete"));
  cancel_->hide();
  connect(cancel_, &QPushButton::clicked, this, &MainDialog::OnCancel);
  // Why Run is disabled: a number field without a number, or a file the run needs.
  field_problem_ = new QLabel(this);
  field_problem_->setObjectName(QStringLiteral("runBlockedReason"));
  field_problem_->setWordWrap(true);
  field_problem_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  field_problem_->setStyleSheet(QStringLiteral("color: #b00000;"));
  field_problem_->hide();

  auto* strip = new QHBoxLayout;
  const PixelRect margin = ToPixels(DialogRect{0, 0, 7, 4}, units_);
  strip->setContentsMargins(margin.width, 0, margin.width, margin.height);
  strip->addWidget(status_, 1);
  strip->addWidget(progress_);
  strip->addWidget(cancel_);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(area_);
  auto* problem_row = new QHBoxLayout;
  problem_row->setContentsMargins(margin.width, 0, margin.width, 0);
  problem_row->addWidget(field_problem_);
  column->addLayout(problem_row);
  column->addLayout(strip);
  column->setSizeConstraint(QLayout::SetFixedSize);
  BuildWindowMenu();

  connect(runner_, &AnalysisRunner::messagesCleared, list_, &QListWidget::clear);
  connect(runner_, &AnalysisRunner::messageAdded, this, [this](const QString& line) {
    AddMessage(line);
    if (line.startsWith(QStringLiteral("ERROR"))) AddError(line);
  });
  connect(runner_, &AnalysisRunner::diagnosticAdded, this, [this](const QString& line) {
    AddMessage(line);
    AddError(line);
  });
  connect(runner_, &AnalysisRunner::problemStarted, this, [this](int number, const QString& label) {
    phase_.ProblemStarted(number, label.toStdString());
    ShowPhase();
  });
  connect(runner_, &AnalysisRunner::stepStarted, this, [this](int step) {
    phase_.StepStarted(static_cast<Step>(step));
    ShowPhase();
  });
  connect(runner_, &AnalysisRunner::cutoffLevelStarted, this, [this](float alpha) {
    phase_.CutoffLevelStarted(alpha);
    ShowPhase();
  });
  connect(runner_, &AnalysisRunner::samplingAdvanced, this, [this](qint64 done, qint64 total) {
    phase_.Sampling(done, total);
    ShowPhase();
  });
  connect(runner_, &AnalysisRunner::samplingOver, this, [this] {
    phase_.SamplingOver();
    ShowPhase();
  });
  connect(runner_, &AnalysisRunner::finished, this, &MainDialog::FinishRun);

  // Opening: the controls show the members, the message list is empty.
  DoDataExchange(false);
  list_->clear();
  SetDirectory(QString());
  for (QLineEdit* field : {max_word_length_, sample_size_, min_kappa_}) {
    connect(field, &QLineEdit::textChanged, this, &MainDialog::CheckFields);
  }
  CheckFields();
}

MainDialog::~MainDialog() {
  // A run still going when the panel goes stops at its next check.
  runner_->Cancel();
  runner_->Wait();
}

void MainDialog::BuildControls(QWidget* area) {
  // First every control with its label, then the places, once the units are wide enough
  // for the widest label.
  std::vector<std::pair<QWidget*, const ControlTemplate*>> made;
  QGroupBox* group_box = nullptr;
  QButtonGroup* radios = nullptr;
  QLabel* pending_label = nullptr;
  for (const ControlTemplate& control : kMainDialogControls) {
    const QString label = FromView(control.label);
    QWidget* widget = nullptr;
    switch (control.kind) {
      case ControlKind::kCheckBox:
      case ControlKind::kCheckBoxLabelLeft: {
        auto* box = new QCheckBox(label, area);
        if (control.kind == ControlKind::kCheckBoxLabelLeft) box->setLayoutDirection(Qt::RightToLeft);
        widget = box;
        break;
      }
      case ControlKind::kLabel:
        pending_label = new QLabel(label, area);
        pending_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        widget = pending_label;
        break;
      case ControlKind::kEdit:
      case ControlKind::kCentredEdit: {
        auto* edit = new QLineEdit(area);
        if (control.kind == ControlKind::kCentredEdit) edit->setAlignment(Qt::AlignCenter);
        if (pending_label != nullptr) pending_label->setBuddy(edit);
        widget = edit;
        break;
      }
      case ControlKind::kGroupBox:
        group_box = new QGroupBox(label, area);
        radios = new QButtonGroup(this);
        radios->setObjectName(FromView(control.name));
        if (control.name == "permutationStrategy") permutation_strategy_ = radios;
        if (control.name == "measureControl") measure_control_ = radios;
        if (control.name == "diagonal") diagonal_ = radios;
        widget = group_box;
        break;
      case ControlKind::kRadio: {
        auto* radio = new QRadioButton(label, group_box);
        radios->addButton(radio, static_cast<int>(radios->buttons().size()));
        widget = radio;
        break;
      }
      case ControlKind::kPushButton: {
        auto* button = new QPushButton(label, area);
        button->setAutoDefault(false);
        widget = button;
        break;
      }
      case ControlKind::kListBox: {
        auto* list = new QListWidget(area);
        list->setSortingEnabled(false);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setUniformItemSizes(true);
        widget = list;
        break;
      }
    }
    if (control.kind != ControlKind::kLabel) pending_label = nullptr;
    widget->setObjectName(FromView(control.name));
    if (control.id != kNoId) controls_[control.id] = widget;
    made.emplace_back(widget, &control);
  }

  for (const auto& [widget, control] : made) {
    if (control->label.empty()) continue;
    int needed = widget->sizeHint().width();
    if (control->kind == ControlKind::kGroupBox) {
      needed = widget->fontMetrics().horizontalAdvance(FromView(control->label)) + 2 * units_.x;
    }
    units_ = WidenToFit(units_, needed, control->rect.width);
  }
  for (const auto& [widget, control] : made) {
    QRect place = ToQRect(ToPixels(control->rect, units_));
    // A radio button is a child of its group box and placed at its dialog position.
    if (control->kind == ControlKind::kRadio) place.translate(-widget->parentWidget()->geometry().topLeft());
    widget->setGeometry(place);
  }
  area->setFixedSize(ToQRect(ToPixels(kMainDialogArea, units_)).size());

  const auto check = [this](int id) { return qobject_cast<QCheckBox*>(controls_.at(id)); };
  const auto edit = [this](int id) { return qobject_cast<QLineEdit*>(controls_.at(id)); };
  transposes_ = check(1005);
  generator_products_only_ = check(1006);
  max_word_length_ = edit(1007);
  sample_size_ = edit(1010);
  fixed_supplied_ = check(1018);
  min_kappa_ = edit(1019);
  factor_omega_ = check(1023);
  factor_lower_omega_ = check(1024);
  full_factor_output_ = check(1025);
  reapply_ = check(1026);
  cutoff_list_ = edit(1033);
  run_ = qobject_cast<QPushButton*>(controls_.at(kRunButton));
  list_ = qobject_cast<QListWidget*>(controls_.at(kMessageList));

  // A click on a check box sets its member at once.
  const std::pair<QCheckBox*, std::int32_t AnalysisOptions::*> boxes[] = {
      {transposes_, &AnalysisOptions::m_Transposes},
      {generator_products_only_, &AnalysisOptions::m_GeneratorProductsOnly},
      {fixed_supplied_, &AnalysisOptions::m_FixedSupplied},
      {factor_omega_, &AnalysisOptions::m_FactorOmega},
      {factor_lower_omega_, &AnalysisOptions::m_FactorLowerOmega},
      {full_factor_output_, &AnalysisOptions::m_FullFactorOutput},
      {reapply_, &AnalysisOptions::m_Reapply}};
  for (const auto& [box, member] : boxes) {
    connect(box, &QCheckBox::clicked, this,
            [this, box = box, member = member] { options_.*member = box->isChecked() ? 1 : 0; });
  }
  connect(run_, &QPushButton::clicked, this, &MainDialog::OnRun);
}

void MainDialog::BuildWindowMenu() {
  auto* bar = new QMenuBar(this);
  layout()->setMenuBar(bar);
  window_menu_ = bar->addMenu(QStringLiteral("&Quorel"));
  window_menu_->setObjectName(QStringLiteral("windowMenu"));
  QAction* minimize = window_menu_->addAction(QStringLiteral("Mi&nimize"), this, &QWidget::showMinimized);
  minimize->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  close_action_ = window_menu_->addAction(QStringLiteral("&Close"), this, &QWidget::close);
  close_action_->setShortcut(QKeySequence::Close);
  window_menu_->addSeparator();
  QAction* about = window_menu_->addAction(QStringLiteral("&About Quorel..."), this, &MainDialog::ShowAbout);
  about->setMenuRole(QAction::AboutRole);
  about->setObjectName(QStringLiteral("about"));
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event) {
  // A right click on the window's background opens the window menu there too; a panel of a
  // larger window leaves that to the window.
  if (isWindow()) window_menu_->exec(event->globalPos());
}

void MainDialog::ShowAbout() {
  AboutDialog about(this);
  about.exec();
}

void MainDialog::SetDirectory(const QString& directory) {
  directory_ = directory;
  options_.DataPath = QFile::encodeName(PathOf(QStringLiteral("Quorel.dat"))).toStdString();
  options_.ReportPath = QFile::encodeName(PathOf(QStringLiteral("Quorel.out"))).toStdString();
  ShowReadiness(QStringLiteral("Reads Quorel.dat and writes the report Quorel.out in %1")
                    .arg(QDir::toNativeSeparators(QDir(directory_.isEmpty() ? QDir::currentPath() : directory_).absolutePath())));
}

QString MainDialog::PathOf(const QString& name) const {
  return directory_.isEmpty() ? name : QDir(directory_).filePath(name);
}

bool MainDialog::DoDataExchange(bool save) {
  if (!save) {
    const DialogControls c = ControlsFromMembers(options_);
    transposes_->setChecked(c.transposes);
    generator_products_only_->setChecked(c.generator_products_only);
    max_word_length_->setText(QString::fromStdString(c.max_word_length));
    CheckRadio(permutation_strategy_, c.permutation_strategy);
    CheckRadio(measure_control_, c.measure_control);
    sample_size_->setText(QString::fromStdString(c.sample_size));
    fixed_supplied_->setChecked(c.fixed_supplied);
    min_kappa_->setText(QString::fromStdString(c.min_kappa));
    CheckRadio(diagonal_, c.diagonal);
    factor_omega_->setChecked(c.factor_omega);
    factor_lower_omega_->setChecked(c.factor_lower_omega);
    full_factor_output_->setChecked(c.full_factor_output);
    reapply_->setChecked(c.reapply);
    cutoff_list_->setText(QString::fromStdString(c.cutoff_list));
    return true;
  }
  DialogControls c;
  c.transposes = transposes_->isChecked();
  c.generator_products_only = generator_products_only_->isChecked();
  c.max_word_length = max_word_length_->text().toStdString();
  c.permutation_strategy = permutation_strategy_->checkedId();
  c.measure_control = measure_control_->checkedId();
  c.sample_size = sample_size_->text().toStdString();
  c.fixed_supplied = fixed_supplied_->isChecked();
  c.min_kappa = min_kappa_->text().toStdString();
  c.diagonal = diagonal_->checkedId();
  c.factor_omega = factor_omega_->isChecked();
  c.factor_lower_omega = factor_lower_omega_->isChecked();
  c.full_factor_output = full_factor_output_->isChecked();
  c.reapply = reapply_->isChecked();
  c.cutoff_list = cutoff_list_->text().toStdString();
  const std::optional<ExchangeFailure> failure = MembersFromControls(c, options_);
  if (!failure) return true;

  if (auto* field = qobject_cast<QLineEdit*>(Control(failure->control))) {
    field->setFocus();
    field->selectAll();
  }
  return false;
}

void MainDialog::CheckFields() {
  DialogControls c = ControlsFromMembers(options_);
  c.max_word_length = max_word_length_->text().toStdString();
  c.sample_size = sample_size_->text().toStdString();
  c.min_kappa = min_kappa_->text().toStdString();
  AnalysisOptions scratch = options_;
  const std::optional<ExchangeFailure> failure = MembersFromControls(c, scratch);
  field_reason_ = failure ? QString::fromStdString(DescribeExchangeFailure(*failure)) : QString();
  // Every field without a number is marked, not only the first.
  for (QLineEdit* field : {max_word_length_, sample_size_, min_kappa_}) {
    const bool whole = field != min_kappa_;
    const std::string text = field->text().toStdString();
    const bool bad = whole ? !ParseIntegerField(text).has_value() : !ParseFloatField(text).has_value();
    field->setStyleSheet(bad ? QStringLiteral("QLineEdit { background: #ffe0e0; border: 1px solid #c00000; }")
                             : QString());
    field->setToolTip(bad && failure && Control(failure->control) == field ? field_reason_ : QString());
  }
  UpdateRunButton();
}

void MainDialog::SetRunBlocked(const QString& reason) {
  blocked_reason_ = reason;
  UpdateRunButton();
}

void MainDialog::ShowReadiness(const QString& text) {
  if (!RunUnderWay() && !run_done_) SetStatus(text);
}

QString MainDialog::RunBlockReason() const {
  if (!field_reason_.isEmpty()) return field_reason_;
  return blocked_reason_;
}

void MainDialog::UpdateRunButton() {
  const QString reason = RunBlockReason();
  field_problem_->setText(reason);
  field_problem_->setVisible(!reason.isEmpty());
  run_->setEnabled(!running_ && reason.isEmpty());
}

void MainDialog::OnRun() {
  if (RunUnderWay() || !RunBlockReason().isEmpty()) return;
  if (!DoDataExchange(true)) return;
  RunOutputs outputs;
  if (prepare_) prepare_(options_, outputs);
  outputs_ = outputs;
  list_->clear();
  error_lines_.clear();
  cancel_asked_ = false;
  SetOptionControlsEnabled(false);
  close_action_->setEnabled(false);
  running_ = true;
  run_done_ = false;
  UpdateRunButton();
  cancel_->setEnabled(true);
  cancel_->show();
  phase_ = RunPhase(options_.m_PermutationStrategy == kPermutePairs ? "pairs" : "samples");
  progress_->setRange(0, 0);
  progress_->show();
  ShowPhase();
  Q_EMIT runStarted();
  runner_->Start(options_, outputs);
}

void MainDialog::OnCancel() {
  if (!RunUnderWay() || cancel_asked_) return;
  cancel_asked_ = true;
  runner_->Cancel();
  cancel_->setEnabled(false);
  SetStatus(QStringLiteral("Stopping: %1").arg(QString::fromStdString(phase_.Text())));
}

bool MainDialog::StopRunForClosing() {
  if (!RunUnderWay()) return true;
  const auto answer = QMessageBox::question(
      this, QStringLiteral("Quorel"),
      QStringLiteral("An analysis is running. Stop it and close the window?\n"
                     "The report keeps what was complete."),
      QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
  if (answer != QMessageBox::Yes || !RunUnderWay()) return !RunUnderWay();
  OnCancel();
  runner_->Wait();
  QCoreApplication::sendPostedEvents(this);  // the run's last signals, and its end
  if (RunUnderWay()) FinishRun();
  return true;
}

void MainDialog::AddError(const QString& line) {
  error_lines_ << line;
  Q_EMIT errorAdded(line);
}

void MainDialog::AddMessage(const QString& line) {
  auto* item = new QListWidgetItem(line, list_);
  item->setToolTip(line);
  list_->scrollToItem(item);
}

void MainDialog::ShowPhase() {
  if (!running_ || cancel_asked_) return;
  SetStatus(QString::fromStdString(phase_.Text()));
  const double share = phase_.SamplingShare();
  if (share < 0) {
    progress_->setRange(0, 0);  // busy, no measure of how far
  } else {
    progress_->setRange(0, 1000);
    progress_->setValue(static_cast<int>(share * 1000.0));
  }
}

void MainDialog::FinishRun() {
  if (!running_) return;
  runner_->Wait();
  const RunOutcome& outcome = runner_->Outcome();
  options_ = runner_->Options();  // as the run left them
  running_ = false;
  run_done_ = true;
  progress_->hide();
  cancel_->hide();

  if (outcome.interrupted) exit_status_ = kExitIncomplete;
  else if (outcome.fatal) exit_status_ = kExitFatal;
  else if (outcome.report_failed) exit_status_ = kExitReportWrite;
  else exit_status_ = outcome.code == 0 ? kExitSuccess : kExitIncomplete;
  SetStatus(DescribeEnding(outcome));
  if (outcome.report_failed) AddError(status_text_);

  // The record stays on the screen and the controls as the user left them; the options can
  // be changed and the analysis run again.
  SetOptionControlsEnabled(true);
  UpdateRunButton();
  run_->setFocus();
  close_action_->setEnabled(true);
  Q_EMIT runFinished();
}

QString MainDialog::DescribeEnding(const RunOutcome& outcome) const {
  const QString report = QDir::toNativeSeparators(QFile::decodeName(options_.ReportPath.c_str()));
  const QString data = QDir::toNativeSeparators(QFile::decodeName(options_.DataPath.c_str()));
  if (outcome.interrupted) {
    QStringList kept{QStringLiteral("The report %1").arg(report)};
    if (!outputs_.json_path.empty()) kept << QStringLiteral("the JSON document");
    if (!outputs_.tables_dir.empty()) kept << QStringLiteral("the tables");
    if (!outputs_.diagrams_dir.empty()) kept << QStringLiteral("the diagrams");
    const QString which = kept.size() == 1 ? kept.first()
                                           : kept.mid(0, kept.size() - 1).join(QStringLiteral(", ")) +
                                                 QStringLiteral(" and ") + kept.last();
    return QStringLiteral("Cancelled during %1. %2 %3 the results that were complete.")
        .arg(QString::fromStdString(phase_.Text()), which, kept.size() == 1 ? QStringLiteral("keeps") : QStringLiteral("keep"));
  }
  if (outcome.fatal) {
    // The reason, not the last line of the diagnostics (which only says the run ended).
    QString reason = runner_->LastDiagnostic();
    for (const QString& line : error_lines_) {
      if (line.startsWith(QStringLiteral("ERROR"))) {
        reason = line;
        break;
      }
    }
    return QStringLiteral("The run stopped at an error: %1").arg(reason);
  }
  if (outcome.report_failed) {
    return QStringLiteral("The report %1 could not be written completely: %2")
        .arg(report, QString::fromLocal8Bit(outcome.report_error));
  }
  switch (outcome.code) {
    case 0: return QStringLiteral("Finished. The report is %1").arg(report);
    case 1: return QStringLiteral("Nothing was run: the measure control needs a fixed matrix on the data file.");
    case 3: return QStringLiteral("The data file %1 could not be opened for reading.").arg(data);
    case 5: return QStringLiteral("The report %1 could not be opened for writing.").arg(report);
    default: return QStringLiteral("The run ended early (completion code %1).").arg(outcome.code);
  }
}

void MainDialog::SetStatus(const QString& text) {
  status_text_ = text;
  status_->setText(text);
  status_->setToolTip(text);
}

void MainDialog::SetOptionControlsEnabled(bool enabled) {
  // Everything in the dialog's area but the message list, which stays scrollable.
  for (QWidget* widget : area_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (widget != list_ && widget != run_) widget->setEnabled(enabled);
  }
}

QStringList MainDialog::MessageLines() const {
  QStringList lines;
  for (int row = 0; row < list_->count(); ++row) lines << list_->item(row)->text();
  return lines;
}

QWidget* MainDialog::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

void MainDialog::closeEvent(QCloseEvent* event) {
  // During a run the user is asked first; a cancelled run leaves a report of what was
  // complete.
  if (!StopRunForClosing()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void MainDialog::reject() {
  // Escape: a window of its own closes (asking first during a run); a panel stays.
  if (!isWindow() || !StopRunForClosing()) return;
  QDialog::reject();
}

}  // namespace quorel
