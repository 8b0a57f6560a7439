#include "shell/gui/elements_model.hpp"

#include <QBrush>
#include <QColor>

namespace quorel {

ElementsModel::ElementsModel(QObject* parent) : QAbstractTableModel(parent) {}

void ElementsModel::SetElements(std::shared_ptr<const ElementsPart> elements) {
  beginResetModel();
  elements_ = std::move(elements);
  endResetModel();
}

int ElementsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !elements_ ? 0 : elements_->ElementCount();
}

int ElementsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant ElementsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !elements_) return {};
  const int k = index.row();
  const auto at = static_cast<std::size_t>(k);
  if (role == Qt::DisplayRole) {
    switch (index.column()) {
      case kNumber: return k + 1;
      case kWord: return QString::fromStdString(elements_->words[at]);
      case kNamedWord: return QString::fromStdString(elements_->named_words[at]);
      case kTies: return elements_->ties[at];
      case kDensity: return QString::number(elements_->Density(k), 'f', 3);
      default: return {};
    }
  }
  if (role == Qt::UserRole) {  // what the column sorts by
    if (index.column() == kDensity) return elements_->Density(k);
    return data(index, Qt::DisplayRole);
  }
  return {};
}

QVariant ElementsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  static const char* const kTitles[kColumnCount] = {"Element", "Word", "Word in relations", "Ties", "Density"};
  return section >= 0 && section < kColumnCount ? QString::fromUtf8(kTitles[section]) : QVariant();
}

MatrixModel::MatrixModel(QObject* parent) : QAbstractTableModel(parent) {}

void MatrixModel::Show(std::shared_ptr<const ElementsPart> elements, int element) {
  beginResetModel();
  elements_ = std::move(elements);
  element_ = elements_ && element < static_cast<int>(elements_->matrices.size()) ? element : -1;
  endResetModel();
}

int MatrixModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || element_ < 0 ? 0 : elements_->ActorCount();
}

int MatrixModel::columnCount(const QModelIndex& parent) const { return rowCount(parent); }

QVariant MatrixModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || element_ < 0) return {};
  const std::vector<std::uint8_t>& cells = elements_->matrices[static_cast<std::size_t>(element_)];
  const bool tie = cells[static_cast<std::size_t>(index.row()) * elements_->ActorCount() + index.column()] != 0;
  switch (role) {
    case Qt::DisplayRole: return tie ? QStringLiteral("1") : QString();
    case Qt::BackgroundRole: return tie ? QBrush(QColor(40, 70, 120)) : QBrush(Qt::white);
    case Qt::ForegroundRole: return QBrush(tie ? Qt::white : Qt::black);
    case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
    default: return {};
  }
}

QVariant MatrixModel::headerData(int section, Qt::Orientation, int role) const {
  if (role != Qt::DisplayRole || element_ < 0) return {};
  if (section < 0 || section >= elements_->ActorCount()) return {};
  return QString::fromStdString(elements_->actor_names[static_cast<std::size_t>(section)]);
}

}  // namespace quorel
