#pragma once

#include <string_view>

namespace quorel {

// Where the engine sends its status lines: option warnings, data-format errors with the
// format help, and the completion line. The engine never prints them itself.
class StatusSink {
 public:
  virtual ~StatusSink() = default;

  // Adds `text` to the end of the list, one list line per line-feed-separated piece: the
  // text is cut at every line feed (which is dropped) and every piece is added in order,
  // the one after the last line feed too, even when it is empty.
  virtual void AddStatusMessage(std::string_view text) = 0;

  // Empties the list (the start of a run).
  virtual void ClearStatusMessages() = 0;
};

}  // namespace quorel
