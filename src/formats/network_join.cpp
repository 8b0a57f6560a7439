#include "formats/network_join.hpp"

#include <filesystem>

#include "formats/input_error.hpp"

namespace quorel {

namespace {

// Names every relation of `network`, unnamed ones after `file`.
void NameRelations(Network& network, const std::string& file) {
  if (network.relation_names.size() == static_cast<std::size_t>(network.relation_count())) return;
  const std::string stem = std::filesystem::path(file).stem().string();
  network.relation_names.clear();
  for (int k = 0; k < network.relation_count(); ++k) {
    network.relation_names.push_back(network.relation_count() == 1 ? stem : stem + ":" + std::to_string(k + 1));
  }
}

// The directionality of every relation, directional where the file says nothing.
std::vector<std::uint8_t> Directionality(const Network& network) {
  return network.non_directional.value_or(
      std::vector<std::uint8_t>(static_cast<std::size_t>(network.relation_count()), 0));
}

}  // namespace

void JoinRelations(Network& joined, const std::string& joined_file, Network part, const std::string& part_file) {
  if (part.actor_count != joined.actor_count) {
    throw InputError(0, "has " + std::to_string(part.actor_count) + " actors, " + joined_file + " has " +
                            std::to_string(joined.actor_count) +
                            ": the relations of several files must be on the same actors");
  }
  if (!part.actor_names.empty() && !joined.actor_names.empty()) {
    for (int a = 0; a < joined.actor_count; ++a) {
      if (part.actor_names[a] != joined.actor_names[a]) {
        throw InputError(0, "names actor " + std::to_string(a + 1) + " \"" + part.actor_names[a] + "\", " +
                                joined_file + " names it \"" + joined.actor_names[a] +
                                "\": the relations of several files must be on the same actors, in the same order");
      }
    }
  }
  if (joined.actor_names.empty()) joined.actor_names = part.actor_names;
  NameRelations(joined, joined_file);
  NameRelations(part, part_file);
  if (joined.non_directional.has_value() || part.non_directional.has_value()) {
    std::vector<std::uint8_t> directionality = Directionality(joined);
    const std::vector<std::uint8_t> more = Directionality(part);
    directionality.insert(directionality.end(), more.begin(), more.end());
    joined.non_directional = std::move(directionality);
  }
  for (std::size_t k = 0; k < part.relations.size(); ++k) {
    joined.relations.push_back(std::move(part.relations[k]));
    joined.relation_names.push_back(part.relation_names[k]);
  }
}

}  // namespace quorel
