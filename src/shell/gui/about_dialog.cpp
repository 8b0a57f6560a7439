#include "shell/gui/about_dialog.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/gui/application.hpp"

namespace quorel {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Quorel"));
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("icon"));
  const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(ApplicationIcon().pixmap(QSize(side, side), devicePixelRatioF()));
  icon->setAlignment(Qt::AlignTop);
  auto* text = new QLabel(QStringLiteral("Quorel Version " QUOREL_VERSION), this);
  text->setObjectName(QStringLiteral("version"));
  text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* button_column = new QVBoxLayout;
  button_column->addWidget(ok);
  button_column->addStretch();
  auto* row = new QHBoxLayout(this);
  row->addWidget(icon);
  row->addSpacing(fontMetrics().averageCharWidth() * 2);
  row->addWidget(text, 1);
  row->addSpacing(fontMetrics().averageCharWidth() * 4);
  row->addLayout(button_column);
  row->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace quorel
