#pragma once

#include <QIcon>

class QApplication;

namespace quorel {

// Readies the application object for the dialog: the icon resources, the application icon
// and numbers in the C notation for the engine. The toolkit adopts the user's locale at
// start-up, which would let the report print "0,050" where the command line prints "0.050";
// the engine's numbers must not depend on where the program runs.
void PrepareApplication(QApplication& app);

// The application icon in every size drawn for it.
QIcon ApplicationIcon();

}  // namespace quorel
