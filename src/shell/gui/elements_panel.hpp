#pragma once

#include <QWidget>
#include <memory>

#include "shell/gui/elements_model.hpp"

class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace quorel {

// The elements, sortable, and beside them the matrix of the one selected as a grid with
// the actors' names.
class ElementsPanel : public QWidget {
  Q_OBJECT

 public:
  explicit ElementsPanel(QWidget* parent = nullptr);

  void SetElements(std::shared_ptr<const ElementsPart> elements);
  void SelectElement(int element);  // from 0
  int SelectedElement() const;      // -1: none

  ElementsModel* Model() const { return model_; }
  MatrixModel* Matrix() const { return matrix_; }
  QTableView* View() const { return view_; }

 private:
  void ShowSelected();

  ElementsModel* model_ = nullptr;
  QSortFilterProxyModel* sorted_ = nullptr;
  MatrixModel* matrix_ = nullptr;
  QTableView* view_ = nullptr;
  QTableView* grid_ = nullptr;
  QLabel* caption_ = nullptr;
};

}  // namespace quorel
