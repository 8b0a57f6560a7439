#include "core/message_list.hpp"

namespace quorel {

void MessageList::AddStatusMessage(std::string_view text) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t feed = text.find('\n', start);
    if (feed == std::string_view::npos) {
      AddLine(std::string(text.substr(start)));
      return;
    }
    AddLine(std::string(text.substr(start, feed - start)));
    start = feed + 1;
  }
}

void MessageList::AddLine(std::string line) {
  lines_.push_back(std::move(line));
  if (listener_) listener_(lines_.back());
}

}  // namespace quorel
