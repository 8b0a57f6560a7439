#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/network.hpp"

namespace quorel {

// How a network's actors and relations are named in messages: "3 (bob)", or "3" when the
// input names none. Numbers are 1-based, as users count.
std::string DescribeActor(const Network& network, int actor);
std::string DescribeRelation(const Network& network, int relation);

// The first actor pair, in row order, tied from r to c in `relation` but not back; nothing
// when the relation is symmetric. Cost: O(N^2).
std::optional<std::pair<int, int>> FirstAsymmetricPair(const Network& network, int relation);

// "relation 2 (friendship) is marked non-directional but is not symmetric: ..." for a
// relation marked non-directional whose matrix is not symmetric; nothing otherwise.
std::optional<std::string> AsymmetryNote(const Network& network, int relation);

// Gives the network the names the user supplies, for a data file (which names nothing) or
// in place of a file's own: `relations` one per relation, `actors` one per actor; an empty
// list leaves those names as read. Throws InputError (no line) when a list's length is not
// the network's count.
void NameNetwork(Network& network, const std::vector<std::string>& relations, const std::vector<std::string>& actors);

// The names of a list given on the command line: comma-separated, blanks around each
// trimmed ("advice, friendship").
std::vector<std::string> SplitNameList(std::string_view list);

// Marks the relations that `list` names non-directional, as a data file's vector does:
// entries are relation names or 1-based numbers, separated by commas. A network without a
// vector gets one (every other relation directional). A warning is added for each marked
// relation that is not symmetric. Throws InputError (no line) for an entry that names no
// relation of the network.
void MarkNonDirectional(Network& network, std::string_view list, std::vector<std::string>& warnings);

}  // namespace quorel
