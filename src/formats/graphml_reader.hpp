#pragma once

#include <string>
#include <string_view>

#include "core/network.hpp"
#include "formats/input_error.hpp"
#include "formats/tie_rule.hpp"

namespace quorel {

// Reads a GraphML document of one <graph> (a second one is refused, so that a document
// holding a graph per relation is not read as its first relation only). The nodes in
// document order are the actors, their ids the actor names. Each edge is a tie of the
// relation given by its value of the edge attribute `relation_attribute` (matched by
// attr.name, else by key id; a <default> stands in for a missing <data>). With
// `relation_attribute` empty, the first of relation, type, label and layer the document
// declares for edges (in any case) is taken; when it declares none, there is one relation.
// The relations are the distinct values in order of first appearance, and are named by
// them. An edge's weight (attribute weight, else value; 1 when missing) becomes a tie or
// no tie through `ties`. An edge is directed as its directed="true|false" says, else as
// the graph's edgedefault (directed when absent); an undirected edge is a tie both ways,
// and a relation whose edges are all undirected is non-directional (`non_directional` is
// set for every relation). Hyperedges, ports and nested graphs are refused. Throws
// InputError with the line of the element at fault.
Network ReadGraphMl(std::string_view text, TieRule& ties, const std::string& relation_attribute);

// True when the root element, after an XML declaration, comments and blanks, is
// <graphml>; the document is not parsed.
bool LooksLikeGraphMl(std::string_view text);

}  // namespace quorel
