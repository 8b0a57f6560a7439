#include "shell/gui/run_settings_panel.hpp"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>

namespace quorel {

namespace {

QString FromPath(const std::string& path) { return QFile::decodeName(path.c_str()); }
std::string ToPath(const QString& path) { return QFile::encodeName(path.trimmed()).toStdString(); }

}  // namespace

QString DefaultReportPath(const QString& data_path) {
  const QFileInfo data(data_path);
  // Never the data file itself: a data file named *.out gets *.out.out.
  if (data.suffix() == QStringLiteral("out")) return data_path + QStringLiteral(".out");
  return data.dir().filePath(data.completeBaseName() + QStringLiteral(".out"));
}

std::optional<std::uint64_t> ParseSeed(const QString& text) {
  bool ok = false;
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty() || !trimmed.front().isDigit()) return std::nullopt;
  const qulonglong value = trimmed.toULongLong(&ok, 10);
  if (!ok) return std::nullopt;
  return static_cast<std::uint64_t>(value);
}

QString DataFileFilter() {
  return QStringLiteral(
      "Networks (*.dat *.txt *.dl *.csv *.net *.paj *.graphml *.xml);;"
      "Data files (*.dat *.txt);;DL files (*.dl);;CSV (*.csv);;Pajek networks (*.net *.paj);;"
      "GraphML documents (*.graphml *.xml);;All files (*)");
}

RunSettingsPanel::RunSettingsPanel(QWidget* parent) : QGroupBox(QStringLiteral("Files and outputs"), parent) {
  setObjectName(QStringLiteral("runSettings"));
  auto* form = new QFormLayout(this);
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  data_ = AddPathRow(QStringLiteral("&Data file"), QStringLiteral("dataFile"), QStringLiteral("choose a network"),
                     [this] { ChooseDataFile(); });
  report_ = AddPathRow(QStringLiteral("&Report"), QStringLiteral("reportFile"), QStringLiteral("beside the data file"),
                       [this] { ChooseReportFile(); });
  connect(data_, &QLineEdit::textEdited, this, [this](const QString& path) {
    if (!report_chosen_) report_->setText(path.trimmed().isEmpty() ? QString() : DefaultReportPath(path.trimmed()));
  });
  connect(report_, &QLineEdit::textEdited, this, [this] { report_chosen_ = !report_->text().trimmed().isEmpty(); });

  non_directional_ = new QLineEdit(this);
  non_directional_->setObjectName(QStringLiteral("nonDirectional"));
  non_directional_->setPlaceholderText(QStringLiteral("names or numbers, comma-separated"));
  non_directional_->setToolTip(
      QStringLiteral("Relations of a DL, CSV, Pajek or GraphML input to read as non-directional"));
  auto* non_directional_label = new QLabel(QStringLiteral("&Non-directional"), this);
  non_directional_label->setBuddy(non_directional_);
  form->addRow(non_directional_label, non_directional_);

  auto* numbers = new QHBoxLayout;
  seed_ = new QLineEdit(QStringLiteral("0"), this);
  seed_->setObjectName(QStringLiteral("seed"));
  seed_->setToolTip(QStringLiteral("Start of the random stream: the same seed gives the same report"));
  threads_ = new QSpinBox(this);
  threads_->setObjectName(QStringLiteral("threads"));
  threads_->setRange(0, 1024);
  threads_->setSpecialValueText(QStringLiteral("every core"));
  numbers->addWidget(seed_, 1);
  numbers->addWidget(new QLabel(QStringLiteral("&Threads"), this));
  qobject_cast<QLabel*>(numbers->itemAt(1)->widget())->setBuddy(threads_);
  numbers->addWidget(threads_);
  auto* seed_label = new QLabel(QStringLiteral("&Seed"), this);
  seed_label->setBuddy(seed_);
  form->addRow(seed_label, numbers);

  json_ = AddPathRow(QStringLiteral("&JSON"), QStringLiteral("jsonFile"), QStringLiteral("not written"), [this] {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("JSON document"), StartFolder(),
                                                      QStringLiteral("JSON (*.json)"));
    if (!path.isEmpty()) json_->setText(path);
  });
  tables_ = AddPathRow(QStringLiteral("T&ables folder"), QStringLiteral("tablesFolder"), QStringLiteral("not written"),
                       [this] {
                         const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Tables folder"), StartFolder());
                         if (!dir.isEmpty()) tables_->setText(dir);
                       });
  diagrams_ = AddPathRow(QStringLiteral("Dia&grams folder"), QStringLiteral("diagramsFolder"),
                         QStringLiteral("not written"), [this] {
                           const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Diagrams folder"), StartFolder());
                           if (!dir.isEmpty()) diagrams_->setText(dir);
                         });
  for (QLineEdit* edit : findChildren<QLineEdit*>()) connect(edit, &QLineEdit::textChanged, this, &RunSettingsPanel::changed);
  connect(threads_, &QSpinBox::valueChanged, this, &RunSettingsPanel::changed);
}

QLineEdit* RunSettingsPanel::AddPathRow(const QString& label, const QString& name, const QString& placeholder,
                                        const std::function<void()>& choose) {
  auto* row = new QHBoxLayout;
  auto* edit = new QLineEdit(this);
  edit->setObjectName(name);
  edit->setPlaceholderText(placeholder);
  auto* button = new QToolButton(this);
  button->setObjectName(name + QStringLiteral("Choose"));
  button->setText(QStringLiteral("..."));
  connect(button, &QToolButton::clicked, this, choose);
  row->addWidget(edit, 1);
  row->addWidget(button);
  auto* caption = new QLabel(label, this);
  caption->setBuddy(edit);
  static_cast<QFormLayout*>(layout())->addRow(caption, row);
  return edit;
}

QString RunSettingsPanel::StartFolder() const {
  if (!DataFile().isEmpty()) return QFileInfo(DataFile()).absolutePath();
  return start_folder_;
}

void RunSettingsPanel::ChooseDataFile() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open a network"), StartFolder(), DataFileFilter());
  if (!path.isEmpty()) {
    SetDataFile(path);
    Q_EMIT dataFileChosen(path);
  }
}

void RunSettingsPanel::ChooseReportFile() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save the report as"),
                                                    ReportFile().isEmpty() ? StartFolder() : ReportFile(),
                                                    QStringLiteral("Reports (*.out *.txt);;All files (*)"));
  if (!path.isEmpty()) SetReportFile(path);
}

void RunSettingsPanel::SetDataFile(const QString& path) {
  data_->setText(QDir::toNativeSeparators(path));
  if (!report_chosen_) report_->setText(QDir::toNativeSeparators(DefaultReportPath(path)));
}

void RunSettingsPanel::SetReportFile(const QString& path) {
  report_chosen_ = true;
  report_->setText(QDir::toNativeSeparators(path));
}

QString RunSettingsPanel::DataFile() const { return QDir::fromNativeSeparators(data_->text().trimmed()); }
QString RunSettingsPanel::ReportFile() const { return QDir::fromNativeSeparators(report_->text().trimmed()); }

QString RunSettingsPanel::Problem() const {
  if (DataFile().isEmpty()) return QStringLiteral("Open a data file to run (File > Open, or drop one on the window).");
  if (!QFileInfo(DataFile()).isFile()) return QStringLiteral("The data file %1 does not exist.").arg(DataFile());
  if (ReportFile().isEmpty()) return QStringLiteral("Name the report file.");
  if (QFileInfo(ReportFile()).absoluteFilePath() == QFileInfo(DataFile()).absoluteFilePath()) {
    return QStringLiteral("The report would overwrite the data file.");
  }
  if (!ParseSeed(seed_->text())) return QStringLiteral("Seed: \"%1\" is not a whole number from 0 up.").arg(seed_->text());
  return {};
}

void RunSettingsPanel::Apply(AnalysisOptions& options, RunOutputs& outputs) const {
  options.DataPath = ToPath(DataFile());
  options.ReportPath = ToPath(ReportFile());
  options.NonDirectional = non_directional_->text().trimmed().toStdString();
  options.Seed = ParseSeed(seed_->text()).value_or(0);
  options.Threads = threads_->value();
  outputs.json_path = ToPath(QDir::fromNativeSeparators(json_->text()));
  outputs.tables_dir = ToPath(QDir::fromNativeSeparators(tables_->text()));
  outputs.diagrams_dir = ToPath(QDir::fromNativeSeparators(diagrams_->text()));
}

void RunSettingsPanel::Show(const AnalysisOptions& options, const RunOutputs& outputs) {
  non_directional_->setText(QString::fromStdString(options.NonDirectional));
  seed_->setText(QString::number(options.Seed));
  threads_->setValue(options.Threads);
  json_->setText(FromPath(outputs.json_path));
  tables_->setText(FromPath(outputs.tables_dir));
  diagrams_->setText(FromPath(outputs.diagrams_dir));
}

}  // namespace quorel
