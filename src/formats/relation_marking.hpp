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

// Marks the relations that `list` names non-directional, as a data file's vector does:
// entries are relation names or 1-based numbers, separated by commas. A network without a
// vector gets one (every other relation directional). A warning is added for each marked
// relation that is not symmetric. Throws InputError (no line) for an entry that names no
// relation of the network.
void MarkNonDirectional(Network& network, std::string_view list, std::vector<std::string>& warnings);

}  // namespace quorel
