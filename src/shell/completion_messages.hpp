#pragma once

#include <cstdint>

namespace quorel {

class StatusSink;

// Shows the message lines of a completion code: the memory line for codes above 20, then
// the code's own line (none for codes without one).
void ShowCompletion(StatusSink& sink, std::int16_t code);

}  // namespace quorel
