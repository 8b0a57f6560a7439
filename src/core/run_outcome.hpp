#pragma once

#include <cstdint>
#include <string>

namespace quorel {

// How one run ended.
struct RunOutcome {
  std::int16_t code = 0;         // the completion code (meaningless after a fatal error)
  bool fatal = false;            // the run was ended by a fatal error
  bool interrupted = false;      // the run was asked to stop (a signal, the dialog's Cancel)
  bool report_failed = false;    // the report could not be written completely
  std::string report_error;      // why, when report_failed
};

}  // namespace quorel
