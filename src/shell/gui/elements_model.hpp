#pragma once

#include <QAbstractTableModel>
#include <memory>

#include "shell/gui/problem_results.hpp"

namespace quorel {

// The elements of the semigroup: number, word, word in relation names, ties and density.
// Sorting goes through QSortFilterProxyModel, which the numbers sort right in (they are
// given as numbers, not text).
class ElementsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kNumber, kWord, kNamedWord, kTies, kDensity, kColumnCount };

  explicit ElementsModel(QObject* parent = nullptr);
  void SetElements(std::shared_ptr<const ElementsPart> elements);
  const std::shared_ptr<const ElementsPart>& Elements() const { return elements_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::shared_ptr<const ElementsPart> elements_;
};

// One element's matrix, actors by actors, a tie shown as 1 on a dark cell.
class MatrixModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit MatrixModel(QObject* parent = nullptr);
  // `element` < 0: no matrix.
  void Show(std::shared_ptr<const ElementsPart> elements, int element);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::shared_ptr<const ElementsPart> elements_;
  int element_ = -1;
};

}  // namespace quorel
