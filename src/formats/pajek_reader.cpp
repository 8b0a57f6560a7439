#include "formats/pajek_reader.hpp"

namespace quorel {

Network ReadPajek(std::string_view, TieRule&) { throw InputError(0, "Pajek files are not read yet"); }

bool LooksLikePajek(std::string_view) { return false; }

}  // namespace quorel
