// quorel-gui: the desktop window. Open a network, set the options, run, read the results,
// change the options and run again.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "shell/command_line.hpp"
#include "shell/gui/application.hpp"
#include "shell/gui/run_settings_panel.hpp"
#include "shell/gui/scripted_run.hpp"
#include "shell/gui/workbench_window.hpp"

namespace {

struct GuiOptions {
  QCommandLineOption directory{QStringLiteral("dir"),
                               QStringLiteral("Read DIR/Quorel.dat and write the report DIR/Quorel.out."),
                               QStringLiteral("DIR")};
  QCommandLineOption run{QStringLiteral("run"),
                         QStringLiteral("Open FILE, run it with the saved (or default) options, show the results and "
                                        "exit with the run's exit status (see --screenshot)."),
                         QStringLiteral("FILE")};
  QCommandLineOption screenshot{QStringLiteral("screenshot"),
                                QStringLiteral("With --run: write a picture of the window to PNG after the run, "
                                               "then exit."),
                                QStringLiteral("PNG")};
  QCommandLineOption show{QStringLiteral("show"),
                          QStringLiteral("With --run: the results page shown after the run: elements (default), "
                                         "pairs, diagrams or report."),
                          QStringLiteral("PAGE")};
  QCommandLineOption pairs_filter{QStringLiteral("pairs-filter"),
                                  QStringLiteral("With --run: filter the pairs table, e.g. \"kappa proportion < "
                                                 "0.05\", and show it."),
                                  QStringLiteral("EXPR")};
  QCommandLineOption pairs_sort{QStringLiteral("pairs-sort"),
                                QStringLiteral("With --run: sort the pairs table by COLUMN (ascending; a leading "
                                               "'-' for descending), e.g. \"-kappa\"."),
                                QStringLiteral("COLUMN")};
};

void DescribeOptions(QCommandLineParser& parser, GuiOptions& options) {
  parser.setApplicationDescription(QStringLiteral(
      "Quorel: algebraic analysis of complete multiple networks, in a desktop window.\n"
      "Opens FILE (or Quorel.dat in the working directory, when there is one) and writes the\n"
      "report beside it. The message list is also written to standard output.\n"
      "Exit status: 0 no run, or a complete one; 1 a fatal error; 2 the run ended with\n"
      "another completion code or was cancelled; 64 a command line that cannot be understood;\n"
      "74 the report could not be written completely."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOptions({options.directory, options.run, options.screenshot, options.show, options.pairs_filter,
                     options.pairs_sort});
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The network to open."), QStringLiteral("[FILE]"));
}

int Usage(const QString& reason) {
  std::fprintf(stderr, "quorel-gui: %s\nTry 'quorel-gui --help' for more information.\n", qPrintable(reason));
  return quorel::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setOrganizationName(QStringLiteral("Quorel"));
  QCoreApplication::setApplicationName(QStringLiteral("quorel-gui"));
  QCoreApplication::setApplicationVersion(QStringLiteral(QUOREL_VERSION));
  GuiOptions options;

  // Help and version first, so that they work where no display can be opened.
  {
    QStringList arguments;
    for (int k = 0; k < argc; ++k) arguments << QString::fromLocal8Bit(argv[k]);
    QCommandLineParser early;
    DescribeOptions(early, options);
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
  DescribeOptions(parser, options);
  if (!parser.parse(app.arguments())) return Usage(parser.errorText());
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) return Usage(QStringLiteral("unexpected argument '%1'").arg(files.at(1)));
  if (parser.isSet(options.run) && !files.isEmpty()) return Usage(QStringLiteral("give the file once, with --run"));
  for (const QCommandLineOption* only_with_run :
       {&options.screenshot, &options.show, &options.pairs_filter, &options.pairs_sort}) {
    if (parser.isSet(*only_with_run) && !parser.isSet(options.run)) {
      return Usage(QStringLiteral("--%1 goes with --run").arg(only_with_run->names().first()));
    }
  }

  quorel::ScriptedRun script;
  if (parser.isSet(options.run)) {
    script.data_file = parser.value(options.run);
    script.screenshot = parser.value(options.screenshot);
    script.page = parser.isSet(options.show) ? parser.value(options.show)
                  : parser.isSet(options.pairs_filter) || parser.isSet(options.pairs_sort) ? QStringLiteral("pairs")
                                                                                            : QStringLiteral("elements");
    script.pairs_filter = parser.value(options.pairs_filter);
    script.pairs_sort = parser.value(options.pairs_sort);
    QString problem;
    if (!quorel::CheckScriptedRun(script, problem)) return Usage(problem);
  }

  quorel::WorkbenchWindow window;
  if (parser.isSet(options.directory)) {
    const QString dir = parser.value(options.directory);
    if (!QFileInfo(dir).isDir()) return Usage(QStringLiteral("'%1' is not a directory").arg(dir));
    // The fixed names of old, whether or not the data file is there yet.
    window.Settings()->SetDataFile(QFileInfo(QDir(dir).filePath(QStringLiteral("Quorel.dat"))).absoluteFilePath());
    window.SetReportFile(QDir(dir).filePath(QStringLiteral("Quorel.out")));
  } else if (!files.isEmpty()) {
    if (!window.OpenDataFile(files.first())) return Usage(QStringLiteral("cannot read '%1'").arg(files.first()));
  } else if (!parser.isSet(options.run) && QFileInfo(QStringLiteral("Quorel.dat")).isFile()) {
    window.OpenDataFile(QStringLiteral("Quorel.dat"));
    window.SetReportFile(QStringLiteral("Quorel.out"));
  }
  window.show();

  if (!parser.isSet(options.run)) {
    app.exec();
    return window.ExitStatus();
  }
  return quorel::RunScripted(window, script);
}
