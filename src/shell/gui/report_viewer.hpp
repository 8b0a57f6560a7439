#pragma once

#include <QWidget>

#include "shell/gui/report_pages.hpp"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace quorel {

// The text report, read-only, a page at a time, with find: Find next looks on from the
// cursor, through the following pages, and round to the start.
class ReportViewer : public QWidget {
  Q_OBJECT

 public:
  explicit ReportViewer(QWidget* parent = nullptr);

  // Shows the report at `path` from its first page; false when it cannot be read.
  bool Open(const QString& path);
  void Clear();

  // Selects the next match of `text` after the cursor; false when the report holds none.
  bool FindNext(const QString& text);

  int Page() const { return page_; }
  int PageCount() const { return pages_.PageCount(); }
  QString PageText() const;
  QString SelectedText() const;

 private:
  void ShowPage(int page);

  ReportPages pages_;
  int page_ = -1;
  QPlainTextEdit* text_ = nullptr;
  QLineEdit* find_ = nullptr;
  QLabel* where_ = nullptr;
  QToolButton* previous_ = nullptr;
  QToolButton* next_ = nullptr;
};

}  // namespace quorel
