#include "shell/gui/elements_panel.hpp"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace quorel {

ElementsPanel::ElementsPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("elementsPanel"));
  model_ = new ElementsModel(this);
  sorted_ = new QSortFilterProxyModel(this);
  sorted_->setSourceModel(model_);
  sorted_->setSortRole(Qt::UserRole);
  view_ = new QTableView(this);
  view_->setObjectName(QStringLiteral("elementsTable"));
  view_->setModel(sorted_);
  view_->setSortingEnabled(true);
  view_->sortByColumn(ElementsModel::kNumber, Qt::AscendingOrder);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->verticalHeader()->hide();
  view_->horizontalHeader()->setStretchLastSection(true);
  matrix_ = new MatrixModel(this);
  grid_ = new QTableView(this);
  grid_->setObjectName(QStringLiteral("matrixGrid"));
  grid_->setModel(matrix_);
  grid_->horizontalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  caption_ = new QLabel(QStringLiteral("Select an element to see its matrix."), this);
  caption_->setObjectName(QStringLiteral("matrixCaption"));
  caption_->setWordWrap(true);

  auto* right = new QWidget(this);
  auto* right_column = new QVBoxLayout(right);
  right_column->setContentsMargins(0, 0, 0, 0);
  right_column->addWidget(caption_);
  right_column->addWidget(grid_, 1);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(view_);
  split->addWidget(right);
  split->setStretchFactor(1, 1);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(split);
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &ElementsPanel::ShowSelected);
}

void ElementsPanel::SetElements(std::shared_ptr<const ElementsPart> elements) {
  model_->SetElements(std::move(elements));
  view_->resizeColumnsToContents();
  ShowSelected();
}

void ElementsPanel::SelectElement(int element) {
  const QModelIndex at = sorted_->mapFromSource(model_->index(element, 0));
  view_->selectionModel()->select(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view_->scrollTo(at);
}

int ElementsPanel::SelectedElement() const {
  const QModelIndexList rows = view_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : sorted_->mapToSource(rows.first()).row();
}

void ElementsPanel::ShowSelected() {
  const int element = SelectedElement();
  const std::shared_ptr<const ElementsPart>& elements = model_->Elements();
  matrix_->Show(elements, element);
  if (element < 0 || !elements) {
    caption_->setText(QStringLiteral("Select an element to see its matrix."));
  } else if (elements->matrices.empty()) {
    caption_->setText(QStringLiteral("The network is too large to keep every matrix for the grid."));
  } else {
    caption_->setText(QStringLiteral("Element %1, %2: %3 ties (cell row, column: the row's actor is tied to the column's)")
                          .arg(element + 1)
                          .arg(QString::fromStdString(elements->named_words[static_cast<std::size_t>(element)]))
                          .arg(elements->ties[static_cast<std::size_t>(element)]));
  }
}

}  // namespace quorel
