#pragma once

#include <QDialog>

namespace quorel {

// "About Quorel": the application icon, the version line and OK.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace quorel
