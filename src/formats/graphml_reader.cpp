#include "formats/graphml_reader.hpp"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "core/text_classes.hpp"
#include "formats/data_reader.hpp"

namespace quorel {

namespace {

constexpr std::size_t kMaxRelations = 32767;

bool Named(const pugi::xml_node& node, const char* name) { return std::string_view(node.name()) == name; }

// An attribute of edges (<key for="edge"> or for="all"), with the value an edge without its
// <data> takes.
struct EdgeKey {
  std::string id;
  std::string name;  // attr.name; the id when absent
  std::optional<std::string> default_value;
  int line = 0;
};

// One relation as its edges build it up.
struct Relation {
  std::vector<std::uint8_t> cells;
  bool directed = false;  // some edge of the relation is directed
};

class GraphMlParser {
 public:
  GraphMlParser(std::string_view text, TieRule& ties, const std::string& relation_attribute)
      : text_(text), ties_(ties), relation_attribute_(relation_attribute) {}

  Network Parse() {
    // The default options keep the node offsets; a document type declaration is skipped,
    // never loaded, so no outside file is read.
    const pugi::xml_parse_result parsed = document_.load_buffer(text_.data(), text_.size());
    if (!parsed) throw InputError(LineAt(parsed.offset), std::string("the XML is malformed: ") + parsed.description());
    const pugi::xml_node root = document_.document_element();
    if (!Named(root, "graphml")) {
      throw InputError(Line(root), "the root element is <" + std::string(root.name()) + ">, not <graphml>");
    }
    ReadKeys(root);
    ChooseKeys();
    const pugi::xml_node graph = root.child("graph");
    if (!graph) throw InputError(Line(root), "the document holds no <graph>");
    if (const pugi::xml_node second = graph.next_sibling("graph")) {
      throw InputError(Line(second), "a second <graph>: only a document of one graph is read");
    }
    const std::string edge_default = graph.attribute("edgedefault").as_string("directed");
    if (edge_default != "directed" && edge_default != "undirected") {
      throw InputError(Line(graph), "edgedefault=\"" + edge_default + "\" is neither \"directed\" nor \"undirected\"");
    }
    undirected_default_ = edge_default == "undirected";
    ReadNodes(graph);
    // Edges may refer to nodes that come after them: they are read once all nodes are known.
    for (const pugi::xml_node edge : graph.children("edge")) ReadEdge(edge);
    return Finish();
  }

 private:
  int LineAt(std::ptrdiff_t offset) const {
    if (offset < 0) return 0;
    const auto end = text_.begin() + std::min(static_cast<std::size_t>(offset), text_.size());
    return 1 + static_cast<int>(std::count(text_.begin(), end, '\n'));
  }
  int Line(const pugi::xml_node& node) const { return LineAt(node.offset_debug()); }

  void ReadKeys(const pugi::xml_node& root) {
    for (const pugi::xml_node key : root.children("key")) {
      const std::string domain = key.attribute("for").as_string("all");
      if (domain != "edge" && domain != "all") continue;
      EdgeKey edge_key{key.attribute("id").as_string(), key.attribute("attr.name").as_string(), std::nullopt, Line(key)};
      if (edge_key.id.empty()) throw InputError(Line(key), "a <key> without an id");
      if (edge_key.name.empty()) edge_key.name = edge_key.id;
      if (const pugi::xml_node value = key.child("default")) edge_key.default_value = std::string(Trim(value.child_value()));
      edge_keys_.push_back(std::move(edge_key));
    }
  }

  // The edge key named `name`: by attr.name, else by id (in any case when `any_case`).
  const EdgeKey* FindKey(const std::string& name, bool any_case) const {
    auto same = [&](const std::string& text) { return any_case ? Lower(text) == Lower(name) : text == name; };
    for (const EdgeKey& key : edge_keys_) {
      if (same(key.name)) return &key;
    }
    for (const EdgeKey& key : edge_keys_) {
      if (same(key.id)) return &key;
    }
    return nullptr;
  }

  void ChooseKeys() {
    if (!relation_attribute_.empty()) {
      relation_key_ = FindKey(relation_attribute_, false);
      if (relation_key_ == nullptr) {
        std::string declared;
        for (const EdgeKey& key : edge_keys_) declared += (declared.empty() ? "" : ", ") + key.name;
        throw InputError(0, "the relation attribute \"" + relation_attribute_ + "\" is not declared for edges; " +
                                (declared.empty() ? std::string("the document declares no edge attributes")
                                                  : "the edge attributes are " + declared));
      }
    } else {
      for (const char* name : {"relation", "type", "label", "layer"}) {
        if ((relation_key_ = FindKey(name, true)) != nullptr) break;
      }
    }
    for (const char* name : {"weight", "value"}) {
      weight_key_ = FindKey(name, true);
      if (weight_key_ == relation_key_) weight_key_ = nullptr;
      if (weight_key_ != nullptr) break;
    }
  }

  void ReadNodes(const pugi::xml_node& graph) {
    for (const pugi::xml_node child : graph.children()) {
      if (child.type() != pugi::node_element) continue;
      if (Named(child, "hyperedge")) throw InputError(Line(child), "hyperedges are not read; only edges of two nodes");
      if (Named(child, "locator")) throw InputError(Line(child), "the graph is a <locator> of another document; it is not read");
      if (!Named(child, "node")) continue;
      const std::string id = child.attribute("id").as_string();
      if (id.empty()) throw InputError(Line(child), "a <node> without an id");
      if (child.child("graph")) throw InputError(Line(child.child("graph")), "node \"" + id + "\" holds a nested graph; nested graphs are not read");
      if (child.child("port")) throw InputError(Line(child.child("port")), "node \"" + id + "\" has ports; ports are not read");
      if (actors_.size() == static_cast<std::size_t>(kMaxActors)) {
        throw InputError(Line(child), "more than " + std::to_string(kMaxActors) + " nodes (N x N may not exceed 32767)");
      }
      if (!actors_.emplace(id, static_cast<int>(actors_.size())).second) {
        throw InputError(Line(child), "a second node with the id \"" + id + "\"");
      }
      network_.actor_names.push_back(id);
    }
    if (actors_.empty()) throw InputError(Line(graph), "the graph has no nodes");
    network_.actor_count = static_cast<int>(actors_.size());
  }

  int Actor(const pugi::xml_node& edge, const char* end) const {
    const pugi::xml_attribute id = edge.attribute(end);
    if (!id) throw InputError(Line(edge), std::string("an <edge> without a ") + end);
    const auto found = actors_.find(id.as_string());
    if (found == actors_.end()) {
      throw InputError(Line(edge), std::string("the edge's ") + end + " \"" + id.as_string() + "\" is no node of the graph");
    }
    return found->second;
  }

  // The edge's value of `key`: its <data>, else the key's default.
  std::optional<std::string> Value(const pugi::xml_node& edge, const EdgeKey& key) const {
    for (const pugi::xml_node data : edge.children("data")) {
      if (key.id == data.attribute("key").as_string()) return std::string(Trim(data.child_value()));
    }
    return key.default_value;
  }

  void ReadEdge(const pugi::xml_node& edge) {
    const int line = Line(edge);
    if (edge.attribute("sourceport") || edge.attribute("targetport")) throw InputError(line, "the edge names ports; ports are not read");
    if (edge.child("graph")) throw InputError(Line(edge.child("graph")), "the edge holds a nested graph; nested graphs are not read");
    const int source = Actor(edge, "source");
    const int target = Actor(edge, "target");
    bool directed = !undirected_default_;
    if (const pugi::xml_attribute attribute = edge.attribute("directed")) {
      const std::string value = attribute.as_string();
      if (value != "true" && value != "false") {
        throw InputError(line, "directed=\"" + value + "\" is neither \"true\" nor \"false\"");
      }
      directed = value == "true";
    }
    std::string name;
    if (relation_key_ != nullptr) {
      const std::optional<std::string> value = Value(edge, *relation_key_);
      if (!value.has_value()) {
        throw InputError(line, "the edge gives no " + relation_key_->name + " and its <key> has no <default>");
      }
      if (value->empty()) throw InputError(line, "the edge's " + relation_key_->name + " is empty");
      name = *value;
    }
    const std::optional<std::string> weight = weight_key_ != nullptr ? Value(edge, *weight_key_) : std::nullopt;
    const bool tie = weight.has_value() ? ties_.IsTie(*weight, line) : ties_.IsTie(1.0, line);

    Relation& relation = RelationNamed(name, line);
    relation.directed = relation.directed || directed;
    if (!tie) return;
    const auto n = static_cast<std::size_t>(network_.actor_count);
    relation.cells[static_cast<std::size_t>(source) * n + target] = 1;
    if (!directed) relation.cells[static_cast<std::size_t>(target) * n + source] = 1;
  }

  // Relations are numbered in the order their names first appear.
  Relation& RelationNamed(const std::string& name, int line) {
    const auto [place, added] = relation_numbers_.emplace(name, relations_.size());
    if (added) {
      if (relations_.size() == kMaxRelations) throw InputError(line, "more than 32767 relations");
      relations_.push_back(Relation{std::vector<std::uint8_t>(Cells(), 0), false});
      relation_names_.push_back(name);
    }
    return relations_[place->second];
  }

  std::size_t Cells() const { return static_cast<std::size_t>(network_.actor_count) * network_.actor_count; }

  Network Finish() {
    std::vector<std::uint8_t> non_directional;
    if (relations_.empty()) {
      // No edges: one relation without ties, non-directional when the graph's edges would be.
      network_.relations.emplace_back(Cells(), 0);
      non_directional.push_back(undirected_default_ ? 1 : 0);
    }
    for (Relation& relation : relations_) {
      network_.relations.push_back(std::move(relation.cells));
      non_directional.push_back(relation.directed ? 0 : 1);
    }
    if (relation_key_ != nullptr) network_.relation_names = std::move(relation_names_);
    network_.non_directional = std::move(non_directional);
    return std::move(network_);
  }

  std::string_view text_;
  TieRule& ties_;
  const std::string& relation_attribute_;
  pugi::xml_document document_;
  std::vector<EdgeKey> edge_keys_;
  const EdgeKey* relation_key_ = nullptr;
  const EdgeKey* weight_key_ = nullptr;
  bool undirected_default_ = false;
  std::map<std::string, int> actors_;
  std::map<std::string, std::size_t> relation_numbers_;
  std::vector<Relation> relations_;
  std::vector<std::string> relation_names_;
  Network network_;
};

// `text` from `at` past blanks, comments, processing instructions (the XML declaration) and
// a document type declaration; npos when one of them is not closed.
std::size_t SkipProlog(std::string_view text, std::size_t at) {
  for (;;) {
    while (at < text.size() && IsWhiteSpace(static_cast<unsigned char>(text[at]))) ++at;
    const std::string_view rest = text.substr(std::min(at, text.size()));
    std::size_t end = std::string_view::npos;
    if (rest.rfind("<?", 0) == 0) {
      end = text.find("?>", at + 2);
      if (end != std::string_view::npos) end += 2;
    } else if (rest.rfind("<!--", 0) == 0) {
      end = text.find("-->", at + 4);
      if (end != std::string_view::npos) end += 3;
    } else if (rest.rfind("<!DOCTYPE", 0) == 0) {
      // Closed by ">", after the declarations in brackets when there are any.
      end = text.find_first_of("[>", at);
      if (end != std::string_view::npos && text[end] == '[') end = text.find(']', end);
      if (end != std::string_view::npos) end = text.find('>', end);
      if (end != std::string_view::npos) end += 1;
    } else {
      return at;
    }
    if (end == std::string_view::npos) return end;
    at = end;
  }
}

}  // namespace

Network ReadGraphMl(std::string_view text, TieRule& ties, const std::string& relation_attribute) {
  return GraphMlParser(text, ties, relation_attribute).Parse();
}

bool LooksLikeGraphMl(std::string_view text) {
  const std::size_t at = SkipProlog(text, 0);
  if (at == std::string_view::npos || text.substr(at, 8) != "<graphml") return false;
  return at + 8 == text.size() || IsWhiteSpace(static_cast<unsigned char>(text[at + 8])) || text[at + 8] == '>' ||
         text[at + 8] == '/';
}

}  // namespace quorel
