// quorel-gui: the desktop dialog. One window, one run: set the options, press Run, read
// the record, close the window.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "shell/command_line.hpp"
#include "shell/gui/application.hpp"
#include "shell/gui/main_dialog.hpp"

namespace {

void DescribeOptions(QCommandLineParser& parser, QCommandLineOption& directory) {
  parser.setApplicationDescription(QStringLiteral(
      "Quorel: algebraic analysis of complete multiple networks, in a dialog window.\n"
      "Reads Quorel.dat and writes the report Quorel.out in the working directory (or in\n"
      "DIR). The message list is also written to standard output; diagnostics go to\n"
      "standard error. The window stays open after the run until it is closed.\n"
      "Exit status: 0 no run, or a complete one; 1 a fatal error; 2 the run ended with\n"
      "another completion code; 64 a command line that cannot be understood; 74 the report\n"
      "could not be written completely."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOption(directory);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setApplicationName(QStringLiteral("quorel-gui"));
  QCoreApplication::setApplicationVersion(QStringLiteral(QUOREL_VERSION));
  QCommandLineOption directory(QStringLiteral("dir"),
                               QStringLiteral("Directory of Quorel.dat and Quorel.out (default: the working directory)."),
                               QStringLiteral("DIR"));

  // Help and version first, so that they work where no display can be opened.
  {
    QStringList arguments;
    for (int k = 0; k < argc; ++k) arguments << QString::fromLocal8Bit(argv[k]);
    QCommandLineParser early;
    DescribeOptions(early, directory);
    early.parse(arguments);
    if (early.isSet(QStringLiteral("help")) || early.isSet(QStringLiteral("help-all")) ||
        early.isSet(QStringLiteral("version"))) {
      QCoreApplication core(argc, argv);  // names the program in the usage line
      if (early.isSet(QStringLiteral("version"))) early.showVersion();
      early.showHelp(0);
    }
  }

  QApplication app(argc, argv);  // takes the toolkit's own options (-platform, -style) out
  quorel::PrepareApplication(app);
  QCommandLineParser parser;
  DescribeOptions(parser, directory);
  if (!parser.parse(app.arguments()) || !parser.positionalArguments().isEmpty()) {
    const QString reason = parser.errorText().isEmpty()
                               ? QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first())
                               : parser.errorText();
    std::fprintf(stderr, "quorel-gui: %s\nTry 'quorel-gui --help' for more information.\n", qPrintable(reason));
    return quorel::kExitUsage;
  }

  quorel::MainDialog dialog;
  if (parser.isSet(directory)) {
    const QString dir = parser.value(directory);
    if (!QFileInfo(dir).isDir()) {
      std::fprintf(stderr, "quorel-gui: '%s' is not a directory\n", qPrintable(dir));
      return quorel::kExitUsage;
    }
    dialog.SetDirectory(dir);
  }
  dialog.exec();
  return dialog.ExitStatus();
}
