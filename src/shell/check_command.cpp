#include "shell/check_command.hpp"

#include <sstream>

#include "core/error.hpp"
#include "formats/data_file_lint.hpp"
#include "formats/file_text.hpp"
#include "formats/network_reader.hpp"
#include "formats/relation_marking.hpp"
#include "pipeline/memory_estimate.hpp"
#include "shell/memory_limit.hpp"

namespace quorel {

namespace {

const char* LevelName(FindingLevel level) {
  switch (level) {
    case FindingLevel::kNote: return "note";
    case FindingLevel::kError: return "error";
    default: return "warning";
  }
}

class CheckReport {
 public:
  CheckReport(std::FILE* out, std::string path) : out_(out), path_(std::move(path)) {}

  void Say(const Finding& finding) {
    if (finding.line > 0) {
      std::fprintf(out_, "%s:%d: %s: %s\n", path_.c_str(), finding.line, LevelName(finding.level), finding.text.c_str());
    } else {
      std::fprintf(out_, "%s: %s: %s\n", path_.c_str(), LevelName(finding.level), finding.text.c_str());
    }
    if (finding.level != FindingLevel::kNote) troubled_ = true;
  }
  void Say(FindingLevel level, const std::string& text) { Say(Finding{0, level, text}); }
  void Describe(const std::string& text) { std::fprintf(out_, "%s: %s\n", path_.c_str(), text.c_str()); }
  bool Troubled() const { return troubled_; }

 private:
  std::FILE* out_;
  std::string path_;
  bool troubled_ = false;
};

std::string WithoutPrefix(const std::string& line, const std::string& prefix) {
  return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : line;
}

// A reading failure as the command line shows it, one finding per line; a line that
// already names the file and its line keeps that place.
void SayFailure(CheckReport& report, const std::string& path, const std::string& message) {
  std::istringstream lines(message);
  for (std::string line; std::getline(lines, line);) {
    line = WithoutPrefix(line, "ERROR: ");
    if (line.empty()) continue;
    const std::string place = path + ":";
    if (line.rfind(place, 0) == 0) {
      const std::string rest = line.substr(place.size());
      char* end = nullptr;
      const long number = std::strtol(rest.c_str(), &end, 10);
      if (end != rest.c_str() && *end == ':') {
        report.Say(Finding{static_cast<int>(number), FindingLevel::kError, WithoutPrefix(end + 1, " ")});
        continue;
      }
      line = WithoutPrefix(rest, " ");
    }
    report.Say(FindingLevel::kError, line);
  }
}

std::string Directionality(const Network& network, int relation) {
  const bool marked = network.non_directional.has_value() && (*network.non_directional)[relation] != 0;
  return marked ? "non-directional" : "directional";
}

// What a problem holds, one line, then its notes and warnings.
void SayNetwork(CheckReport& report, const Network& network, int number) {
  const std::string problem = "problem " + std::to_string(number);
  std::string text = problem + " \"" + network.label + "\": " + std::to_string(network.actor_count) +
                     (network.actor_count == 1 ? " actor, " : " actors, ") + std::to_string(network.relation_count()) +
                     (network.relation_count() == 1 ? " relation:" : " relations:");
  for (int k = 0; k < network.relation_count(); ++k) {
    text += (k == 0 ? " " : ", ") + DescribeRelation(network, k) + " " + Directionality(network, k);
  }
  report.Describe(text);

  for (int k = 0; k < network.relation_count(); ++k) {
    if (const std::optional<std::string> note = AsymmetryNote(network, k)) {
      report.Say(FindingLevel::kWarning, problem + ": " + *note);
    }
  }
  for (std::size_t a = 0; a < network.actor_names.size(); ++a) {
    for (std::size_t b = 0; b < a; ++b) {
      if (network.actor_names[a] == network.actor_names[b]) {
        report.Say(FindingLevel::kWarning, problem + ": actors " + std::to_string(b + 1) + " and " +
                                               std::to_string(a + 1) + " have the same name \"" +
                                               network.actor_names[a] + "\"");
        break;
      }
    }
  }
  std::string isolates;
  int isolated = 0;
  for (int a = 0; a < network.actor_count; ++a) {
    bool tied = false;
    for (int k = 0; k < network.relation_count() && !tied; ++k) {
      for (int b = 0; b < network.actor_count && !tied; ++b) tied = network.tie(k, a, b) || network.tie(k, b, a);
    }
    if (!tied) isolates += (isolated++ == 0 ? "" : ", ") + DescribeActor(network, a);
  }
  if (isolated > 0) {
    report.Say(FindingLevel::kNote, problem + ": " + (isolated == 1 ? "actor " : "actors ") + isolates +
                                        (isolated == 1 ? " has" : " have") + " no tie in any relation");
  }
}

// What an analysis with the default options would need: the most elements the default
// maximum word length allows, their storage at the peak, and the rate at which it grows.
void SayMemory(CheckReport& report, const Network& network, int number) {
  const AnalysisOptions defaults;
  const int generators = network.relation_count();
  ProblemSize size{network.actor_count, generators, generators, 0};
  size.elements = MostElements(network.actor_count, generators, defaults);
  const std::uint64_t peak = EstimatePeakBytes(size, defaults);
  // The bytes per E^2 when E is large: the statistic matrices, the multiplication table,
  // the partial order and the samplers' pair table.
  constexpr int kLargeE = 20000;
  const ProblemSize large{network.actor_count, generators, generators, kLargeE};
  const double per_square = static_cast<double>(EstimatePeakBytes(large, defaults)) / kLargeE / kLargeE;
  char rate[32];
  std::snprintf(rate, sizeof rate, "%.0f", per_square);
  report.Say(FindingLevel::kNote, "problem " + std::to_string(number) + ": memory: at most " +
                                      std::to_string(size.elements) + " elements with the default options, needing at most " +
                                      DescribeBytes(peak) + "; E elements need about " + rate + " E^2 bytes");
}

bool CheckFile(const CheckRequest& request, const std::string& path, std::FILE* out) {
  CheckReport report(out, path);
  std::string text;
  if (!ReadFileText(path, text)) {
    report.Say(FindingLevel::kError, "cannot be read");
    return false;
  }
  const InputFormat format = ResolveInputFormat(request.format, WithoutByteOrderMark(text));
  if (format == InputFormat::kData) {
    for (const Finding& finding : LintDataFile(text, request.fixed_matrix)) report.Say(finding);
  }
  std::vector<std::string> warnings;
  try {
    const std::vector<Network> networks =
        ReadNetworkFile(path, format, &warnings, request.fixed_matrix, request.settings);
    for (const std::string& warning : warnings) report.Say(FindingLevel::kWarning, WithoutPrefix(warning, "WARNING: "));
    for (std::size_t k = 0; k < networks.size(); ++k) {
      SayNetwork(report, networks[k], static_cast<int>(k + 1));
      SayMemory(report, networks[k], static_cast<int>(k + 1));
    }
    if (networks.empty()) report.Say(FindingLevel::kWarning, "holds no network");
  } catch (const Error& error) {
    for (const std::string& warning : warnings) report.Say(FindingLevel::kWarning, WithoutPrefix(warning, "WARNING: "));
    SayFailure(report, path, error.what());
  }
  return !report.Troubled();
}

}  // namespace

int RunCheck(const CheckRequest& request, std::FILE* out) {
  bool clean = true;
  for (const std::string& path : request.paths) clean = CheckFile(request, path, out) && clean;
  std::fflush(out);
  return clean ? 0 : 1;
}

}  // namespace quorel
