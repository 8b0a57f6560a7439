#pragma once

#include <string>
#include <string_view>

#include "core/network.hpp"
#include "formats/input_error.hpp"
#include "formats/tie_rule.hpp"

namespace quorel {

// Reads a GraphML document: the nodes of its graph in document order are the actors (their
// ids the names), each edge a tie of the relation its attribute `relation_attribute` names
// (empty: the first of relation, type, label and layer the document declares for edges;
// one relation when it declares none). Throws InputError.
Network ReadGraphMl(std::string_view text, TieRule& ties, const std::string& relation_attribute);

// True when the document's root element is <graphml>.
bool LooksLikeGraphMl(std::string_view text);

}  // namespace quorel
