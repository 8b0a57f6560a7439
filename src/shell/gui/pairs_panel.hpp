#pragma once

#include <QWidget>

#include "shell/gui/pairs_model.hpp"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace quorel {

// The pairs table with its filter line, the count of pairs shown and CSV export.
class PairsPanel : public QWidget {
  Q_OBJECT

 public:
  explicit PairsPanel(QWidget* parent = nullptr);

  // `element_count`: the semigroup's size, to say why a large one's table is empty.
  void SetTable(PairTable table, int element_count = 0);
  // Filters by `text` (see ParsePairFilter); false, with the reason shown beside the line
  // and the table as it was, when the text is not a filter.
  bool SetFilterText(const QString& text);
  QString FilterProblem() const;
  // Sorts by a column, as a click on its header does.
  void SortBy(PairColumn column, Qt::SortOrder order);
  // Writes the pairs shown, in the order shown; false with the reason.
  bool ExportCsv(const QString& path, QString& error) const;
  void ChooseExportFile();

  PairsModel* Model() const { return model_; }
  QTableView* View() const { return view_; }

 private:
  void ShowCount();

  PairsModel* model_ = nullptr;
  QTableView* view_ = nullptr;
  QLineEdit* filter_ = nullptr;
  QLabel* problem_ = nullptr;
  QLabel* count_ = nullptr;
  QPushButton* export_ = nullptr;
};

}  // namespace quorel
