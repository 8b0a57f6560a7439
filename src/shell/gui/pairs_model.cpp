#include "shell/gui/pairs_model.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace quorel {

PairsModel::PairsModel(QObject* parent) : QAbstractTableModel(parent) {}

void PairsModel::SetTable(PairTable table) {
  beginResetModel();
  table_ = std::move(table);
  order_.resize(static_cast<std::size_t>(table_.Size()));
  std::iota(order_.begin(), order_.end(), 0);
  Reorder();
  Refilter();
  endResetModel();
}

void PairsModel::SetFilter(PairFilter filter) {
  beginResetModel();
  filter_ = std::move(filter);
  Refilter();
  endResetModel();
}

void PairsModel::sort(int column, Qt::SortOrder order) {
  if (column >= kPairColumnCount) return;
  Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  sort_column_ = column;  // below 0: the report's order
  sort_order_ = order;
  Reorder();
  Refilter();
  Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void PairsModel::Reorder() {
  std::iota(order_.begin(), order_.end(), 0);
  if (sort_column_ < 0) return;
  const auto column = static_cast<PairColumn>(sort_column_);
  const bool descending = sort_order_ == Qt::DescendingOrder;
  if (!ColumnInfo(column).numeric) {
    std::vector<std::string> keys(order_.size());
    for (std::size_t p = 0; p < keys.size(); ++p) keys[p] = table_.Text(column, static_cast<int>(p));
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
      return descending ? keys[static_cast<std::size_t>(b)] < keys[static_cast<std::size_t>(a)]
                        : keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
    });
    return;
  }
  // The column's values once, then the index sorted by them.
  std::vector<double> keys(order_.size());
  for (std::size_t p = 0; p < keys.size(); ++p) keys[p] = table_.Number(column, static_cast<int>(p));
  std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
    const double x = keys[static_cast<std::size_t>(a)], y = keys[static_cast<std::size_t>(b)];
    if (std::isnan(x) || std::isnan(y)) return !std::isnan(x) && std::isnan(y);
    return descending ? y < x : x < y;
  });
}

void PairsModel::Refilter() {
  rows_.clear();
  if (filter_.conditions.empty()) {
    rows_ = order_;
    return;
  }
  for (int pair : order_) {
    if (filter_.Accepts(table_, pair)) rows_.push_back(pair);
  }
}

int PairsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int PairsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kPairColumnCount; }

QVariant PairsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const auto column = static_cast<PairColumn>(index.column());
  if (role == Qt::DisplayRole) {
    // Five significant digits on the screen; the CSV export and the tooltip have them all.
    const int pair = PairAt(index.row());
    const double value = table_.Number(column, pair);
    if (column > PairColumn::kN00 && !std::isnan(value)) return QString::number(value, 'g', 5);
    return QString::fromStdString(table_.Text(column, pair));
  }
  if (role == Qt::ToolTipRole) return QString::fromStdString(table_.Text(column, PairAt(index.row())));
  if (role == Qt::TextAlignmentRole && ColumnInfo(column).numeric) return int(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant PairsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= kPairColumnCount) return {};
  // One word a line, so that the narrow number columns keep their whole names.
  return QString::fromUtf8(ColumnInfo(static_cast<PairColumn>(section)).title).replace(QLatin1Char(' '), QLatin1Char('\n'));
}

}  // namespace quorel
