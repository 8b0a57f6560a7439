#include "formats/relation_marking.hpp"

#include <cstdlib>

#include "core/text_classes.hpp"
#include "formats/input_error.hpp"

namespace quorel {

namespace {

// The 0-based relation an entry of the list names: a name first, then a number.
int RelationNamed(const Network& network, const std::string& entry) {
  for (std::size_t k = 0; k < network.relation_names.size(); ++k) {
    if (network.relation_names[k] == entry) return static_cast<int>(k);
  }
  char* end = nullptr;
  const long number = std::strtol(entry.c_str(), &end, 10);
  if (!entry.empty() && *end == '\0' && number >= 1 && number <= network.relation_count()) {
    return static_cast<int>(number - 1);
  }
  std::string known;
  for (int k = 0; k < network.relation_count(); ++k) known += (k == 0 ? "" : ", ") + DescribeRelation(network, k);
  throw InputError(0, "--non-directional: \"" + entry + "\" is no relation of this network; its relations are " +
                          known);
}

// "1 relation", "3 relations".
std::string Counted(std::size_t count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

std::string DescribeActor(const Network& network, int actor) {
  std::string text = std::to_string(actor + 1);
  if (static_cast<std::size_t>(actor) < network.actor_names.size()) text += " (" + network.actor_names[actor] + ")";
  return text;
}

std::string DescribeRelation(const Network& network, int relation) {
  std::string text = std::to_string(relation + 1);
  if (static_cast<std::size_t>(relation) < network.relation_names.size()) {
    text += " (" + network.relation_names[relation] + ")";
  }
  return text;
}

std::optional<std::pair<int, int>> FirstAsymmetricPair(const Network& network, int relation) {
  for (int r = 0; r < network.actor_count; ++r) {
    for (int c = 0; c < network.actor_count; ++c) {
      if (network.tie(relation, r, c) && !network.tie(relation, c, r)) return std::make_pair(r, c);
    }
  }
  return std::nullopt;
}

std::optional<std::string> AsymmetryNote(const Network& network, int relation) {
  if (!network.non_directional.has_value() || (*network.non_directional)[relation] == 0) return std::nullopt;
  const std::optional<std::pair<int, int>> pair = FirstAsymmetricPair(network, relation);
  if (!pair.has_value()) return std::nullopt;
  const std::string from = DescribeActor(network, pair->first);
  const std::string to = DescribeActor(network, pair->second);
  return "relation " + DescribeRelation(network, relation) +
         " is marked non-directional but is not symmetric: " + from + " -> " + to + " is a tie, " + to + " -> " +
         from + " is not";
}

void NameNetwork(Network& network, const std::vector<std::string>& relations, const std::vector<std::string>& actors) {
  if (!relations.empty()) {
    if (relations.size() != static_cast<std::size_t>(network.relation_count())) {
      throw InputError(0, "--relation-names gives " + Counted(relations.size(), "name") + " for " +
                              Counted(static_cast<std::size_t>(network.relation_count()), "relation"));
    }
    network.relation_names = relations;
  }
  if (!actors.empty()) {
    if (actors.size() != static_cast<std::size_t>(network.actor_count)) {
      throw InputError(0, "--actor-names gives " + Counted(actors.size(), "name") + " for " +
                              Counted(static_cast<std::size_t>(network.actor_count), "actor"));
    }
    network.actor_names = actors;
  }
}

std::vector<std::string> SplitNameList(std::string_view list) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string_view::npos) comma = list.size();
    names.emplace_back(Trim(list.substr(start, comma - start)));
    start = comma + 1;
  }
  if (names.size() == 1 && names[0].empty()) names.clear();
  return names;
}

void MarkNonDirectional(Network& network, std::string_view list, std::vector<std::string>& warnings) {
  std::vector<int> marked;
  for (const std::string& entry : SplitNameList(list)) {
    if (!entry.empty()) marked.push_back(RelationNamed(network, entry));
  }
  if (marked.empty()) return;
  if (!network.non_directional.has_value()) {
    network.non_directional = std::vector<std::uint8_t>(static_cast<std::size_t>(network.relation_count()), 0);
  }
  for (const int relation : marked) (*network.non_directional)[relation] = 1;
  for (std::size_t k = 0; k < marked.size(); ++k) {
    bool repeated = false;
    for (std::size_t j = 0; j < k; ++j) repeated = repeated || marked[j] == marked[k];
    if (repeated) continue;
    if (const std::optional<std::string> note = AsymmetryNote(network, marked[k])) warnings.push_back("WARNING: " + *note);
  }
}

}  // namespace quorel
