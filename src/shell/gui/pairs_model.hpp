#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "shell/gui/pair_filter.hpp"
#include "shell/gui/pair_table.hpp"

namespace quorel {

// The pairs table as a model: every pair of a network, sorted by one column and filtered,
// through an index of its own so that a network with hundreds of thousands of pairs sorts
// and filters in a few tens of milliseconds. Pairs without a value in the sort column come
// last, whichever the direction.
class PairsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit PairsModel(QObject* parent = nullptr);

  void SetTable(PairTable table);
  void SetFilter(PairFilter filter);
  const PairTable& Table() const { return table_; }
  // The pairs shown, in the order shown.
  const std::vector<int>& Rows() const { return rows_; }
  int PairAt(int row) const { return rows_[static_cast<std::size_t>(row)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void sort(int column, Qt::SortOrder order) override;

 private:
  void Reorder();
  void Refilter();

  PairTable table_;
  PairFilter filter_;
  int sort_column_ = -1;
  Qt::SortOrder sort_order_ = Qt::AscendingOrder;
  std::vector<int> order_;  // every pair, in the sort order
  std::vector<int> rows_;   // those the filter lets through
};

}  // namespace quorel
