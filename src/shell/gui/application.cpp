#include "shell/gui/application.hpp"

#include <QApplication>
#include <clocale>

// The resources of apps/quorel_gui.qrc live in a static library; naming them here keeps the
// linker from dropping them.
static void InitialiseResources() { Q_INIT_RESOURCE(quorel_gui); }

namespace quorel {

QIcon ApplicationIcon() {
  InitialiseResources();
  QIcon icon;
  for (int size : {16, 32, 48, 256}) icon.addFile(QStringLiteral(":/icons/quorel-%1.png").arg(size), QSize(size, size));
  return icon;
}

void PrepareApplication(QApplication& app) {
  std::setlocale(LC_NUMERIC, "C");
  app.setWindowIcon(ApplicationIcon());
}

}  // namespace quorel
