#include "shell/command_line.hpp"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "pipeline/analysis_state.hpp"
#include "core/error.hpp"
#include "core/message_list.hpp"
#include "core/text_channel.hpp"
#include "core/text_classes.hpp"
#include "quorel/option_words.hpp"
#include "formats/file_text.hpp"
#include "formats/relation_marking.hpp"
#include "core/option_checks.hpp"
#include "views/dot_export.hpp"
#include "views/json_export.hpp"
#include "views/sink_fanout.hpp"
#include "views/table_export.hpp"
#include "shell/run_command.hpp"
#include "shell/interruption.hpp"
#include "shell/launched_processes.hpp"
#include "shell/memory_limit.hpp"
#include "shell/run_recording.hpp"
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
    "The data file may also be a DL file, a Pajek network, a GraphML document or a\n"
    "CSV or TSV edge list or adjacency matrix (see --input-format); 'quorel check'\n"
    "says what a file holds and what in it looks unintended, 'quorel convert'\n"
    "writes any of them as a data file.";

const char* const kConvertDescription =
    "Writes INPUT as a data file OUTPUT. INPUT is a data file (copied normalised:\n"
    "the label line, \"N NR\" with the non-directionality vector when there is one,\n"
    "each matrix as rows of digits), or a DL, Pajek, GraphML or CSV file, which\n"
    "becomes one problem labelled with its file name, keeping which relations are\n"
    "non-directional.";

const char* const kConvertExitStatuses =
    "\nExit status: 0 written; 1 the input is malformed (nothing written); 2 the input\n"
    "could not be read or the output not opened; 64 a command line that cannot be\n"
    "understood; 74 the output could not be written completely.\n";

const char* const kCheckDescription =
    "Each FILE is read as the analysis would read it, and one line is printed for\n"
    "each thing that is probably not meant, as FILE:LINE: warning: ... (or error:):\n"
    "values that are not single 0/1 digits in a data file (read digit by digit),\n"
    "rows whose count of cells differs from N, relations marked non-directional\n"
    "that are not symmetric, numeric label lines where a fixed matrix was probably\n"
    "meant, duplicate actor names, valued cells, and anything the reader refuses.\n"
    "Then what each problem holds: label, N, relations and their directionality,\n"
    "with actors tied to no one as a note, and as a note the most elements and the\n"
    "memory an analysis with the default options would need. No analysis is run.\n"
    "\nExit status: 0 nothing to warn about; 1 warnings or errors; 64 a command line\n"
    "that cannot be understood.\n";

CLI::Validator InputFormatNames() {
  std::map<std::string, InputFormat> formats;
  std::string names;
  for (const auto& [word, format] : InputFormatWords()) {
    formats.emplace(word, format);
    names.append(names.empty() ? "{" : ",").append(word);
  }
  return CLI::CheckedTransformer(formats, CLI::ignore_case).description(names + "}");
}

// The options that say how an input is read, shared by the analysis, convert and check.
struct ReadingChoices {
  InputFormat format = InputFormat::kAuto;
  ReadSettings settings;
  double threshold = 0.0;
  CLI::Option* threshold_option = nullptr;
  std::string relation_names;
  std::string actor_names_file;

  void AddTo(CLI::App& app, const std::string& what) {
    app.add_option("--input-format", format,
                   "Layout of " + what + ": auto (default: recognised by its content), data, dl, pajek, graphml or csv")
        ->transform(InputFormatNames());
    threshold_option = app.add_option("--threshold", threshold,
                                      "A valued cell (DL, Pajek, GraphML, CSV) is a tie when above X (default 0);\n"
                                      "giving it also admits negative values")
                           ->type_name("X");
    app.add_option("--relation-attribute", settings.relation_attribute,
                   "GraphML: the edge attribute that names the relation (default: the first of\n"
                   "relation, type, label and layer present)")
        ->type_name("NAME");
    app.add_option("--non-directional", settings.non_directional,
                   "Mark relations non-directional, as a data file's vector does: names or\n"
                   "1-based numbers, comma-separated")
        ->type_name("LIST");
    app.add_option("--relation-names", relation_names,
                   "Names for the relations, comma-separated, one per relation (a data file names none)")
        ->type_name("LIST");
    app.add_option("--actor-names", actor_names_file, "Names for the actors: a text file of one name per line")
        ->type_name("FILE");
  }

  // After parsing: the threshold only when given, the names split and read. False (with a
  // message) when the actor names file cannot be read.
  bool Finish() {
    if (threshold_option->count() > 0) settings.threshold = threshold;
    settings.relation_names = SplitNameList(relation_names);
    if (actor_names_file.empty()) return true;
    std::string text;
    if (!ReadFileText(actor_names_file, text)) {
      std::fprintf(stderr, "quorel: the actor names file '%s' could not be read\n", actor_names_file.c_str());
      return false;
    }
    // One name a line; blanks around a name and blank lines are not names.
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      const std::string_view name = Trim(std::string_view(text).substr(start, end - start));
      if (!name.empty()) settings.actor_names.emplace_back(name);
      start = end + 1;
    }
    return true;
  }
};

// The cutoff text is read as the dialog reads it, which the report depends on; where that
// differs from what the text says, a warning on standard error names the word and how it
// was read. With `strict` such a word, and a probability the option check calls invalid,
// refuse the command line instead (false).
bool CutoffsReadAsWritten(const std::string& text, bool given, bool strict) {
  std::vector<std::string> notes = given ? CutoffTextNotes(text) : std::vector<std::string>{};
  if (strict) {
    MessageList checks;
    ParseCutoffList(text, checks);
    for (const std::string& line : checks.Lines()) {
      if (!line.empty()) notes.push_back(line.rfind("WARNING: ", 0) == 0 ? line.substr(9) : line);
    }
  }
  for (const std::string& note : notes) {
    std::fprintf(stderr, "quorel: %s--cutoffs: %s\n", strict ? "" : "warning: ", note.c_str());
  }
  if (strict && !notes.empty()) {
    std::fprintf(stderr, "quorel: --strict refuses these option values; nothing was run.\n");
    return false;
  }
  return true;
}

// The record of the run beside the tables; a warning when it cannot be written.
void WriteRunRecord(const std::string& path, const nlohmann::ordered_json& record) {
  std::ofstream out(path);
  out << record.dump(2) << '\n';
  out.close();
  if (!out) std::fprintf(stderr, "quorel: warning: the record of the run '%s' could not be written\n", path.c_str());
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
  CLI::Option* cutoffs_option = app.add_option("--cutoffs", o.m_CutoffList,
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
  app.add_flag("--exact-p", o.ExactP,
               "With --permutation-strategy pairs, also the exact probability of reaching each observed\n"
               "statistic under the measure control's null model, beside the sampled proportions\n"
               "(JSON and tables)");
  const std::map<std::string, bool> omega_sources{{"sampled", false}, {"exact", true}};
  app.add_option("--omega-from", o.OmegaFromExact,
                 "sampled (default) or exact: the proportions Omega is decided from; exact needs\n"
                 "--exact-p and --permutation-strategy pairs")
      ->transform(CLI::CheckedTransformer(omega_sources, CLI::ignore_case));

  std::vector<std::string> data_paths;
  app.add_option("--data", data_paths,
                 "Data file (default Quorel.dat). Given more than once, the relations of the files\n"
                 "join into one network (e.g. one adjacency-matrix CSV per relation)")
      ->type_name("FILE")
      ->allow_extra_args(false);
  ReadingChoices reading;
  reading.AddTo(app, "the data file");
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
  app.add_option("--tables", result.tables_dir,
                 "Write every result as CSV tables into DIR, one folder per problem (DIR/1, DIR/2, ...)")
      ->type_name("DIR");
  app.add_flag("-q,--quiet", result.quiet, "Only errors and warnings: no progress lines, no completion line");
  bool strict = false;
  app.add_flag("--strict", strict,
               "Refuse (exit 64) option values that would be read otherwise than they say, e.g.\n"
               "cutoffs such as 1e-3 or 5%, or probabilities outside 0..1, before anything runs");
  std::string memory_limit;
  CLI::Option* memory_option =
      app.add_option("--memory-limit", memory_limit,
                     "Most bytes of large storage a problem may hold at once: bytes, or with K, M, G or T\n"
                     "(binary multiples), or none. A step that would pass it ends the run as its storage\n"
                     "failure does, before allocating (default: the memory available now, less a tenth\n"
                     "or 256 MiB)")
          ->type_name("SIZE");
  app.add_flag("--timings", result.timings,
               "After the run, the wall-clock time of each step of each problem on standard error");

  ConvertRequest& c = result.conversion;
  CLI::App* convert =
      app.add_subcommand("convert", "Write any readable input (DL, Pajek, GraphML, CSV, a data file) as a data file; see convert --help");
  convert->footer(std::string("\n") + kConvertDescription + "\n" + kConvertExitStatuses);
  convert->add_option("INPUT", c.InputPath, "The file to convert")->required();
  convert->add_option("OUTPUT", c.OutputPath, "The data file to write (replaced when it exists)")->required();
  ReadingChoices convert_reading;
  convert_reading.AddTo(*convert, "INPUT");
  convert->add_flag("--fixed-matrix", c.FixedMatrix,
                    "A fixed matrix follows the relations of every problem of the data file");
  CheckRequest& k = result.checking;
  CLI::App* check = app.add_subcommand(
      "check", "Read data files as the analysis would and say what they hold and what looks unintended");
  check->footer(std::string("\n") + kCheckDescription);
  check->add_option("FILE", k.paths, "The files to check")->required();
  ReadingChoices check_reading;
  check_reading.AddTo(*check, "each FILE");
  check->add_flag("--fixed-matrix", k.fixed_matrix, "A fixed matrix follows the relations of every problem");
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
  if (!reading.Finish() || !convert_reading.Finish() || !check_reading.Finish()) {
    result.exit_now = true;
    result.exit_status = kExitIncomplete;
    return result;
  }
  if (o.OmegaFromExact && (!o.ExactP || o.m_PermutationStrategy != kPermutePairs)) {
    std::fprintf(stderr, "quorel: --omega-from exact needs --exact-p and --permutation-strategy pairs\n"
                         "Try 'quorel --help' for more information.\n");
    result.exit_now = true;
    result.exit_status = kExitUsage;
    return result;
  }
  if (!CutoffsReadAsWritten(o.m_CutoffList, cutoffs_option->count() > 0, strict)) {
    result.exit_now = true;
    result.exit_status = kExitUsage;
    return result;
  }
  if (memory_option->count() > 0) {
    const std::optional<std::uint64_t> size = ParseMemorySize(memory_limit);
    if (!size) {
      std::fprintf(stderr,
                   "quorel: --memory-limit: '%s' is not a size (bytes, or a whole number with K, M, G or T, or "
                   "none)\nTry 'quorel --help' for more information.\n",
                   memory_limit.c_str());
      result.exit_now = true;
      result.exit_status = kExitUsage;
      return result;
    }
    o.MemoryBudget = *size;
  } else {
    o.MemoryBudget = DefaultMemoryBudget(AvailableMemory());
  }
  result.convert = convert->parsed();
  result.check = check->parsed();
  k.format = check_reading.format;
  k.settings = check_reading.settings;
  c.Format = convert_reading.format;
  c.Settings = convert_reading.settings;
  if (!data_paths.empty()) {
    o.DataPath = data_paths.front();
    o.MoreDataPaths.assign(data_paths.begin() + 1, data_paths.end());
  }
  o.DataFormat = reading.format;
  o.Threshold = reading.settings.threshold;
  o.RelationAttribute = reading.settings.relation_attribute;
  o.NonDirectional = reading.settings.non_directional;
  o.RelationNames = reading.settings.relation_names;
  o.ActorNames = reading.settings.actor_names;
  o.m_Transposes = transposes;
  o.m_GeneratorProductsOnly = products_only;
  o.m_FixedSupplied = fixed;
  o.m_FactorOmega = factor_omega;
  o.m_FactorLowerOmega = factor_lower;
  o.m_FullFactorOutput = full_factor;
  o.m_Reapply = reapply;
  return result;
}

namespace {

// The analysis as the command runs it, alone or as the lead process of several (`processes`
// not null): it reads, writes every output and tells how the run goes.
int RunLeadAnalysis(int argc, const char* const* argv, CommandLine& command, ProcessGroup* processes) {
  const RunRecording recording(argc, argv, command.options, processes != nullptr ? processes->Share().count : 1);
  AnalysisState state;
  state.Random = RandomSource(command.options.Seed);
  state.Processes = processes;
  if (command.quiet) state.ProgressFile = nullptr;
  TerminalProgress bar(stderr, command.options.m_PermutationStrategy == kPermutePairs ? "pairs" : "samples");
  if (!command.quiet && isatty(fileno(stderr))) state.Progress = &bar;
  StepTimer timer(state.Progress);  // for --timings and the record of the run
  Interruption interruption(&timer);
  state.Progress = &interruption;
  // Quiet, the status lines that only say the run is going well are left out; errors,
  // warnings and a run that ended early still show.
  const bool quiet = command.quiet;
  MessageList messages([quiet](const std::string& line) {
    if (quiet && (line == "Calculating statistical upper triangle matrices..." || line == "QUOREL complete.")) return;
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
  });
  SinkFanout observers;
  std::unique_ptr<JsonExport> json;
  std::unique_ptr<DotExport> dot;
  if (!command.json_path.empty()) {
    // The document's parts wait beside it until the run is over.
    const std::string beside = std::filesystem::path(command.json_path).parent_path().string();
    json = std::make_unique<JsonExport>(command.options, QUOREL_VERSION, beside.empty() ? "." : beside);
    observers.Add(json.get());
  }
  if (!command.dot_dir.empty()) {
    dot = std::make_unique<DotExport>(command.dot_dir, FindOnPath("dot"), stderr);
    observers.Add(dot.get());
  }
  std::unique_ptr<TableExport> tables;
  if (!command.tables_dir.empty()) {
    tables = std::make_unique<TableExport>(command.tables_dir, stderr);
    observers.Add(tables.get());
  }
  if (!observers.Empty()) state.Results = &observers;
  const RunOutcome outcome = OnRun(state, command.options, messages);
  std::fflush(stdout);
  if (const std::optional<MemoryRefusal>& refusal = state.Storage.Refusal()) {
    std::fprintf(stderr, "%s\n", MemoryRefusalLine(*refusal).c_str());
  }
  if (command.timings) timer.Print(stderr);
  const RunRecord::Memory memory{command.options.MemoryBudget, state.EstimatedPeak, state.Storage.PeakInUse()};
  const nlohmann::ordered_json run_record = RunRecordJson(recording.Finish(timer, memory));
  if (tables != nullptr) {
    tables->Finish();
    WriteRunRecord(command.tables_dir + "/run.json", run_record);
  }
  bool json_failed = false;
  if (json != nullptr) {
    json->SetRun(run_record);
    std::string error;
    json_failed = !json->Write(command.json_path, outcome, error);
    if (json_failed) {
      std::fprintf(stderr, "quorel: the JSON file '%s' could not be written: %s\n", command.json_path.c_str(),
                   error.c_str());
    }
  }
  if (outcome.interrupted) {
    std::fprintf(stderr, "quorel: stopped by %s; the report, the JSON document and the tables hold what was complete\n",
                 interruption.Where().c_str());
    return InterruptedExitStatus(interruption.Signal());
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

// The exit status a partner process came to; it has no outputs that could fail.
int PartnerExitStatus(const RunOutcome& outcome) {
  if (outcome.fatal || outcome.interrupted) return kExitFatal;
  return outcome.code == 0 ? kExitSuccess : kExitIncomplete;
}

// A partner process of a run spread over several: the same analysis with its share of the
// sampling, and no output at all (the report goes nowhere; no views, progress or status
// lines). The lead cannot know why a partner failed, so a partner that fails says it on
// standard error, with the diagnostics and status lines it held back.
int RunPartnerAnalysis(CommandLine& command, ProcessGroup& processes) {
  AnalysisOptions options = command.options;
  options.ReportPath = "/dev/null";
  AnalysisState state;
  state.Random = RandomSource(options.Seed);
  state.ProgressFile = nullptr;
  TextChannel diagnostics;
  state.ErrFile = diagnostics.File();
  state.Processes = &processes;
  MessageList messages;
  const RunOutcome outcome = OnRun(state, options, messages);
  const int status = PartnerExitStatus(outcome);
  if (status != kExitSuccess) {
    const ProcessShare share = processes.Share();
    std::string held_back = diagnostics.Text();
    for (const std::string& line : messages.Lines()) held_back += line + "\n";
    std::fprintf(stderr, "quorel: process %d of %d of the run failed (exit status %d); every process stops:\n%s",
                 share.rank, share.count, status, held_back.c_str());
  }
  return status;
}

}  // namespace

int RunCommandLine(int argc, const char* const* argv) {
  CommandLine command = ParseCommandLine(argc, argv);
  if (command.exit_now) return command.exit_status;
  if (command.convert) return RunConvert(command.conversion);
  if (command.check) return RunCheck(command.checking, stdout);

  std::unique_ptr<LaunchedProcesses> processes;
  try {
    processes = JoinLaunchedProcesses();
  } catch (const Error& error) {
    std::string reason = error.what();
    if (!reason.empty() && reason.back() == '\n') reason.pop_back();
    std::fprintf(stderr, "quorel: %s\n", reason.c_str());
    return kExitUsage;
  }
  if (processes == nullptr) return RunLeadAnalysis(argc, argv, command, nullptr);
  // Every process runs the analysis; a failing status on any of them ends them all.
  const int status = processes->Share().rank == 0 ? RunLeadAnalysis(argc, argv, command, processes.get())
                                                  : RunPartnerAnalysis(command, *processes);
  processes->Leave(status);
  return status;
}

}  // namespace quorel
