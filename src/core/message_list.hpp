#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/status_sink.hpp"

namespace quorel {

// The run's message list: the lines in the order they were added (never sorted).
// An optional listener sees every line as it is added, so a shell can show it at once.
class MessageList final : public StatusSink {
 public:
  using Listener = std::function<void(const std::string& line)>;

  explicit MessageList(Listener listener = {}) : listener_(std::move(listener)) {}

  void AddStatusMessage(std::string_view text) override;
  void ClearStatusMessages() override { lines_.clear(); }

  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  void AddLine(std::string line);

  std::vector<std::string> lines_;
  Listener listener_;
};

}  // namespace quorel
