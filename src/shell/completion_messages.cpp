#include "shell/completion_messages.hpp"

#include "core/status_sink.hpp"

namespace quorel {

namespace {

const char* CompletionLine(std::int16_t code) {
  switch (code) {
    case 0: return "QUOREL complete.";
    case 1: return "??? Fixed matrix required.";
    case 3: return "??? Input file open failure.";
    case 5: return "??? Output file open failure.";
    case 29: return "  for variables.";
    case 31: return "  for L and Theta.";
    case 32: return "  for McNemar and McNemar proportions.";
    case 33: return "  for Kappa and Kappa proportions.";
    case 34: return "  for Standardized Kappa and St. Kappa proportions.";
    case 35: return "  for FisherP and BinP.";
    case 36: return "  for Estvar.";
    default: return nullptr;
  }
}

}  // namespace

void ShowCompletion(StatusSink& sink, std::int16_t code) {
  if (code > 20) sink.AddStatusMessage("ERROR: NOT ENOUGH MEMORY.  Unable to allocate space");
  if (const char* line = CompletionLine(code)) sink.AddStatusMessage(line);
}

}  // namespace quorel
