#include "shell/gui/report_viewer.hpp"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

namespace quorel {

ReportViewer::ReportViewer(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("reportViewer"));
  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("reportText"));
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  find_ = new QLineEdit(this);
  find_->setObjectName(QStringLiteral("reportFind"));
  find_->setPlaceholderText(QStringLiteral("Find in the report (Enter: next)"));
  find_->setClearButtonEnabled(true);
  where_ = new QLabel(this);
  previous_ = new QToolButton(this);
  previous_->setText(QStringLiteral("< Page"));
  next_ = new QToolButton(this);
  next_->setText(QStringLiteral("Page >"));
  auto* bar = new QHBoxLayout;
  bar->addWidget(find_, 1);
  bar->addWidget(previous_);
  bar->addWidget(where_);
  bar->addWidget(next_);
  auto* column = new QVBoxLayout(this);
  column->addLayout(bar);
  column->addWidget(text_, 1);
  connect(find_, &QLineEdit::returnPressed, this, [this] {
    if (!FindNext(find_->text())) where_->setText(QStringLiteral("not found"));
  });
  connect(previous_, &QToolButton::clicked, this, [this] { ShowPage(page_ - 1); });
  connect(next_, &QToolButton::clicked, this, [this] { ShowPage(page_ + 1); });
  Clear();
}

bool ReportViewer::Open(const QString& path) {
  if (!pages_.Open(path)) {
    Clear();
    return false;
  }
  page_ = -1;
  ShowPage(0);
  return true;
}

void ReportViewer::Clear() {
  pages_.Close();
  page_ = -1;
  text_->clear();
  where_->clear();
  previous_->setEnabled(false);
  next_->setEnabled(false);
}

void ReportViewer::ShowPage(int page) {
  if (page < 0 || page >= pages_.PageCount() || page == page_) return;
  page_ = page;
  text_->setPlainText(pages_.Page(page));
  where_->setText(QStringLiteral("page %1 of %2").arg(page + 1).arg(pages_.PageCount()));
  previous_->setEnabled(page > 0);
  next_->setEnabled(page + 1 < pages_.PageCount());
}

bool ReportViewer::FindNext(const QString& text) {
  if (text.isEmpty() || page_ < 0) return false;
  if (text_->find(text)) return true;
  // On through the following pages, and round to the start of this one.
  const int found = pages_.FindPage(text, (page_ + 1) % pages_.PageCount());
  if (found < 0) return false;
  if (found != page_) ShowPage(found);
  text_->moveCursor(QTextCursor::Start);
  return text_->find(text);
}

QString ReportViewer::PageText() const { return text_->toPlainText(); }
QString ReportViewer::SelectedText() const { return text_->textCursor().selectedText(); }

}  // namespace quorel
