#include "shell/gui/pairs_panel.hpp"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace quorel {

PairsPanel::PairsPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pairsPanel"));
  model_ = new PairsModel(this);
  view_ = new QTableView(this);
  view_->setObjectName(QStringLiteral("pairsTable"));
  view_->setModel(model_);
  // The report's order until a header is clicked.
  view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  view_->setSortingEnabled(true);
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  view_->horizontalHeader()->setDefaultSectionSize(view_->fontMetrics().horizontalAdvance(QStringLiteral("-0.00000e-000")));
  for (PairColumn words : {PairColumn::kFirstWord, PairColumn::kSecondWord}) {
    view_->horizontalHeader()->resizeSection(static_cast<int>(words), view_->fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMM")));
  }
  for (int counts = static_cast<int>(PairColumn::kFirst); counts <= static_cast<int>(PairColumn::kN00); ++counts) {
    if (counts == static_cast<int>(PairColumn::kFirstWord) || counts == static_cast<int>(PairColumn::kSecondWord)) continue;
    view_->horizontalHeader()->resizeSection(counts, view_->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
  }
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setAlternatingRowColors(true);
  // On the screen the kappas stand right after the words, the association most looked for;
  // the columns keep their order in the model and the exported file.
  int place = static_cast<int>(PairColumn::kSecondWord) + 1;
  for (PairColumn kappa : {PairColumn::kKappa, PairColumn::kKappaProportion, PairColumn::kStandardizedKappa,
                           PairColumn::kStandardizedKappaProportion}) {
    QHeaderView* header = view_->horizontalHeader();
    header->moveSection(header->visualIndex(static_cast<int>(kappa)), place++);
  }
  filter_ = new QLineEdit(this);
  filter_->setObjectName(QStringLiteral("pairsFilter"));
  filter_->setPlaceholderText(QStringLiteral("Filter, e.g.  kappa proportion < 0.05 and n11 >= 2"));
  filter_->setClearButtonEnabled(true);
  problem_ = new QLabel(this);
  problem_->setObjectName(QStringLiteral("pairsFilterProblem"));
  problem_->setStyleSheet(QStringLiteral("color: #b00000;"));
  count_ = new QLabel(this);
  count_->setObjectName(QStringLiteral("pairsCount"));
  export_ = new QPushButton(QStringLiteral("Export CSV..."), this);
  export_->setObjectName(QStringLiteral("pairsExport"));
  auto* bar = new QHBoxLayout;
  bar->addWidget(filter_, 1);
  bar->addWidget(count_);
  bar->addWidget(export_);
  auto* column = new QVBoxLayout(this);
  column->addLayout(bar);
  column->addWidget(problem_);
  column->addWidget(view_, 1);
  problem_->hide();
  connect(filter_, &QLineEdit::returnPressed, this, [this] { SetFilterText(filter_->text()); });
  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (text.isEmpty()) SetFilterText(text);
  });
  connect(export_, &QPushButton::clicked, this, &PairsPanel::ChooseExportFile);
  ShowCount();
}

void PairsPanel::SetTable(PairTable table, int element_count) {
  model_->SetTable(std::move(table));
  ShowCount();
  if (element_count > kMaxTabledElements) {
    count_->setText(QStringLiteral("%1 elements: too many pairs to show here; the tables folder has them").arg(element_count));
  }
}

bool PairsPanel::SetFilterText(const QString& text) {
  if (filter_->text() != text) filter_->setText(text);
  std::string error;
  std::optional<PairFilter> filter = ParsePairFilter(text.toStdString(), error);
  if (!filter) {
    problem_->setText(QStringLiteral("Not a filter: %1").arg(QString::fromStdString(error)));
    problem_->show();
    filter_->setStyleSheet(QStringLiteral("QLineEdit { background: #ffe0e0; }"));
    return false;
  }
  problem_->clear();
  problem_->hide();
  filter_->setStyleSheet(QString());
  model_->SetFilter(std::move(*filter));
  ShowCount();
  return true;
}

QString PairsPanel::FilterProblem() const { return problem_->text(); }

void PairsPanel::SortBy(PairColumn column, Qt::SortOrder order) {
  view_->sortByColumn(static_cast<int>(column), order);
  if (model_->rowCount() > 0) view_->scrollTo(model_->index(0, static_cast<int>(column)));
}

bool PairsPanel::ExportCsv(const QString& path, QString& error) const {
  std::string reason;
  if (WritePairsCsv(model_->Table(), model_->Rows(), QFile::encodeName(path).toStdString(), reason)) return true;
  error = QString::fromLocal8Bit(reason);
  return false;
}

void PairsPanel::ChooseExportFile() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export the pairs shown"), QString(),
                                                    QStringLiteral("CSV (*.csv)"));
  if (path.isEmpty()) return;
  QString error;
  if (!ExportCsv(path, error)) {
    QMessageBox::warning(this, QStringLiteral("Quorel"), QStringLiteral("%1 could not be written: %2").arg(path, error));
  }
}

void PairsPanel::ShowCount() {
  const int shown = model_->rowCount(), all = model_->Table().Size();
  count_->setText(shown == all ? QStringLiteral("%1 pairs").arg(all) : QStringLiteral("%1 of %2 pairs").arg(shown).arg(all));
  export_->setEnabled(shown > 0);
}

}  // namespace quorel
