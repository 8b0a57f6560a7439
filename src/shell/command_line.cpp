#include "shell/command_line.hpp"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>
#include <memory>

#include "pipeline/analysis_state.hpp"
#include "core/message_list.hpp"
#include "views/dot_export.hpp"
#include "views/json_export.hpp"
#include "views/sink_fanout.hpp"
#include "shell/run_command.hpp"
#include "shell/step_timer.hpp"
#include "shell/terminal_progress.hpp"

#include <unistd.h>

namespace quorel {

namespace {

const char* const kDescription =
    "Quorel: algebraic analysis of complete multiple networks.\n"
    "Reads the problem specifications of the data file (Quorel.dat in the working\n"
    "directory unless --data names another), builds the semigroup of compound\n"
    "relations, their partial order, measures of association with P-values from\n"
    "random samples, Omega at each cutoff level and its factorizations, and writes\n"
    "the report (Quorel.out unless --report names another). Status lines go to\n"
    "standard output, diagnostics to standard error.\n"
    "The data file may also be a DL file of full matrices or a CSV edge list with\n"
    "source, target and relation columns (see --input-format); 'quorel convert'\n"
    "writes either as a data file.";

const char* const kConvertDescription =
    "Writes INPUT as a data file OUTPUT. INPUT is a data file (copied normalised:\n"
    "the label line, \"N NR\" with the non-directionality vector when there is one,\n"
    "each matrix as rows of digits), a DL file of full matrices, or a CSV edge list;\n"
    "a DL file or an edge list becomes one problem labelled with its file name.";

const char* const kConvertExitStatuses =
    "\nExit status: 0 written; 1 the input is malformed (nothing written); 2 the input\n"
    "could not be read or the output not opened; 64 a command line that cannot be\n"
    "understood; 74 the output could not be written completely.\n";

CLI::Validator InputFormatNames() {
  const std::map<std::string, InputFormat> formats{
      {"auto", InputFormat::kAuto}, {"data", InputFormat::kData}, {"dl", InputFormat::kDl},
      {"csv", InputFormat::kCsv},   {"pajek", InputFormat::kPajek}, {"graphml", InputFormat::kGraphMl}};
  return CLI::CheckedTransformer(formats, CLI::ignore_case).description("{auto,data,dl,csv,pajek,graphml}");
}

const char* const kExitStatuses =
    "\nExit status: 0 complete; 1 a fatal error (malformed data, storage exhausted);\n"
    "2 the run ended early with another completion code; 64 a command line that\n"
    "cannot be understood; 74 the report could not be written completely.\n";

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine result;
  AnalysisOptions& o = result.options;
  CLI::App app{kDescription, "quorel"};
  app.footer(kExitStatuses);
  app.set_version_flag("--version", std::string("quorel ") + QUOREL_VERSION);

  bool transposes = false, products_only = false, fixed = false, factor_omega = false;
  bool factor_lower = false, full_factor = false, reapply = false;
  app.add_flag("--transposes", transposes, "Add the transposes of the input matrices as generators");
  app.add_flag("--generator-products-only", products_only, "Build only the powers of each generator");
  app.add_flag("--fixed-matrix", fixed, "A fixed matrix follows the relations of every problem");
  app.add_flag("--factor-omega", factor_omega, "Factorize Omega at every cutoff level");
  app.add_flag("--factor-lower-omega", factor_lower, "Factorize lower Omega at every cutoff level");
  app.add_flag("--full-factor-output", full_factor, "List every single-inclusion extension");
  app.add_flag("--reapply", reapply,
               "Check the options on the first network only; later networks keep its cutoffs and control");

  app.add_option("--max-word-length", o.m_MaxWordLength, "Maximum word length (default 2)")
      ->check(CLI::Range(0, 32767));
  app.add_option("--sample-size", o.m_SampleSize, "Size of the random sample (default 1000)")
      ->check(CLI::Range(0, 32767));
  app.add_option("--min-kappa", o.m_MinKappa, "MinKappa threshold of Omega (default 0.01)");
  app.add_option("--cutoffs", o.m_CutoffList,
                 "List of cutoff probabilities, e.g. \"0.05, 0.01\" (default \"0.05\")");

  const std::map<std::string, int> strategies{{"pairs", 0}, {"generators", 1}};
  app.add_option("--permutation-strategy", o.m_PermutationStrategy,
                 "pairs (permute each pair of matrices) or generators (default)")
      ->transform(CLI::CheckedTransformer(strategies, CLI::ignore_case));
  const std::map<std::string, int> controls{{"MA", 0}, {"MB", 1}, {"MC", 2}, {"MD", 3},
                                            {"ME", 4}, {"MF", 5}, {"MG", 6}};
  app.add_option("--measure-control", o.m_MeasureControl,
                 "MA density (default), MB directed graph structure, MC density and outdegrees,\n"
                 "MD mutual/asymmetric/null ties, ME outdegree distribution, MF fixed matrix,\n"
                 "MG fixed matrix and outdegrees")
      ->transform(CLI::CheckedTransformer(controls, CLI::ignore_case));
  const std::map<std::string, int> diagonals{{"exclude-all", 0}, {"exclude-generators", 1}, {"include-all", 2}};
  app.add_option("--diagonal", o.m_Diagonal, "exclude-all, exclude-generators (default) or include-all")
      ->transform(CLI::CheckedTransformer(diagonals, CLI::ignore_case));

  app.add_option("--data", o.DataPath, "Data file (default Quorel.dat)");
  app.add_option("--input-format", o.DataFormat,
                 "Layout of the data file: auto (default: recognised by its content), data, dl or csv")
      ->transform(InputFormatNames());
  app.add_option("--report", o.ReportPath, "Report file (default Quorel.out)");
  app.add_option("--seed", o.Seed, "Start of the random stream (default 0)");
  app.add_option("--threads", o.Threads, "Worker threads for the sampling (default: all cores)")
      ->check(CLI::Range(1, 1024));
  app.add_option("--json", result.json_path, "Also write every result of the run as one JSON document to FILE")
      ->type_name("FILE");
  app.add_option("--dot", result.dot_dir,
                 "Write Graphviz diagrams (partial order, closed Omega and lower Omega) into DIR,\n"
                 "and SVG drawings of them when Graphviz's dot program is on PATH")
      ->type_name("DIR");
  app.add_flag("-q,--quiet", result.quiet, "No progress lines");
  app.add_flag("--timings", result.timings,
               "After the run, the wall-clock time of each step of each problem on standard error");

  ConvertRequest& c = result.conversion;
  CLI::App* convert =
      app.add_subcommand("convert", "Write a DL file or CSV edge list (or a data file) as a data file; see convert --help");
  convert->footer(std::string("\n") + kConvertDescription + "\n" + kConvertExitStatuses);
  convert->add_option("INPUT", c.InputPath, "The file to convert")->required();
  convert->add_option("OUTPUT", c.OutputPath, "The data file to write (replaced when it exists)")->required();
  convert->add_option("--input-format", c.Format, "Layout of INPUT: auto (default), data, dl or csv")
      ->transform(InputFormatNames());
  convert->add_flag("--fixed-matrix", c.FixedMatrix,
                    "A fixed matrix follows the relations of every problem of the data file");
  app.require_subcommand(0, 1);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    result.exit_now = true;
    if (e.get_exit_code() == 0) {  // help or version
      result.exit_status = app.exit(e);
    } else {
      std::fprintf(stderr, "quorel: %s\nTry 'quorel --help' for more information.\n", e.what());
      result.exit_status = kExitUsage;
    }
    return result;
  }
  result.convert = convert->parsed();
  o.m_Transposes = transposes;
  o.m_GeneratorProductsOnly = products_only;
  o.m_FixedSupplied = fixed;
  o.m_FactorOmega = factor_omega;
  o.m_FactorLowerOmega = factor_lower;
  o.m_FullFactorOutput = full_factor;
  o.m_Reapply = reapply;
  return result;
}

int RunCommandLine(int argc, const char* const* argv) {
  CommandLine command = ParseCommandLine(argc, argv);
  if (command.exit_now) return command.exit_status;
  if (command.convert) return RunConvert(command.conversion);

  AnalysisState state;
  state.Random = RandomSource(command.options.Seed);
  if (command.quiet) state.ProgressFile = nullptr;
  TerminalProgress bar(stderr, command.options.m_PermutationStrategy == kPermutePairs ? "pairs" : "samples");
  if (!command.quiet && isatty(fileno(stderr))) state.Progress = &bar;
  StepTimer timer(state.Progress);
  if (command.timings) state.Progress = &timer;
  MessageList messages([](const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
  });
  SinkFanout observers;
  std::unique_ptr<JsonExport> json;
  std::unique_ptr<DotExport> dot;
  if (!command.json_path.empty()) {
    json = std::make_unique<JsonExport>(command.options, QUOREL_VERSION);
    observers.Add(json.get());
  }
  if (!command.dot_dir.empty()) {
    dot = std::make_unique<DotExport>(command.dot_dir, FindOnPath("dot"), stderr);
    observers.Add(dot.get());
  }
  if (!observers.Empty()) state.Results = &observers;
  const RunOutcome outcome = OnRun(state, command.options, messages);
  std::fflush(stdout);
  if (command.timings) timer.Print(stderr);
  bool json_failed = false;
  if (json != nullptr) {
    std::string error;
    json_failed = !json->Write(command.json_path, outcome, error);
    if (json_failed) {
      std::fprintf(stderr, "quorel: the JSON file '%s' could not be written: %s\n", command.json_path.c_str(),
                   error.c_str());
    }
  }
  if (outcome.fatal) return kExitFatal;
  if (outcome.report_failed) {
    std::fprintf(stderr, "quorel: the report '%s' could not be written completely: %s\n",
                 command.options.ReportPath.c_str(), outcome.report_error.c_str());
    return kExitReportWrite;
  }
  switch (outcome.code) {
    case 0: return json_failed ? kExitReportWrite : kExitSuccess;
    case 3:
      std::fprintf(stderr, "quorel: the data file '%s' could not be opened for reading\n",
                   command.options.DataPath.c_str());
      break;
    case 5:
      std::fprintf(stderr, "quorel: the report '%s' could not be opened for writing\n",
                   command.options.ReportPath.c_str());
      break;
    default: break;
  }
  return kExitIncomplete;
}

}  // namespace quorel
