#include "views/hasse_diagram.hpp"

#include <algorithm>

#include "omega/closure.hpp"

namespace quorel {

namespace {

// A DOT double-quoted string's contents: quotes and backslashes escaped.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char ch : text) {
    if (ch == '"' || ch == '\\') out.push_back('\\');
    out.push_back(ch);
  }
  out.push_back('"');
  return out;
}

}  // namespace

HasseDiagram BuildHasseDiagram(const ElementRelation& relation) {
  const int e = relation.Size();
  ElementRelation order = relation;
  for (int k = 0; k < e; ++k) order.Set(k, k);
  TransitiveClosure(order);

  HasseDiagram diagram;
  std::vector<int> class_of(static_cast<std::size_t>(e), -1);
  for (int a = 0; a < e; ++a) {
    if (class_of[a] >= 0) continue;
    const int id = static_cast<int>(diagram.Classes.size());
    diagram.Classes.emplace_back();
    for (int b = a; b < e; ++b) {
      if (class_of[b] < 0 && order.Get(a, b) && order.Get(b, a)) {
        class_of[b] = id;
        diagram.Classes.back().push_back(b);
      }
    }
  }

  // below(u, l): class l lies strictly below class u. The quotient of a transitive
  // relation is transitive, so l is covered by u when no class strictly below u has l
  // strictly below it.
  const int count = static_cast<int>(diagram.Classes.size());
  ElementRelation below(count);
  for (int u = 0; u < count; ++u) {
    const int top = diagram.Classes[u].front();
    for (int l = 0; l < count; ++l) {
      if (l != u && order.Get(top, diagram.Classes[l].front())) below.Set(u, l);
    }
  }
  const int words = below.WordsPerRow();
  std::vector<BitWord> reach(static_cast<std::size_t>(words));
  for (int u = 0; u < count; ++u) {
    std::fill(reach.begin(), reach.end(), BitWord{0});
    for (int m = 0; m < count; ++m) {
      if (!below.Get(u, m)) continue;
      for (int w = 0; w < words; ++w) reach[w] |= below.Row(m)[w];
    }
    for (int l = 0; l < count; ++l) {
      if (below.Get(u, l) && ((reach[l >> 6] >> (l & 63)) & 1u) == 0) diagram.Covers.emplace_back(l, u);
    }
  }
  return diagram;
}

std::string HasseDot(const HasseDiagram& diagram, const std::string& name,
                     const std::vector<std::string>& element_words) {
  std::string dot = "digraph " + Quoted(name) + " {\n";
  dot += "  rankdir=BT;\n  node [shape=box, fontname=\"Helvetica\", fontsize=10];\n  edge [arrowhead=none];\n";
  for (std::size_t c = 0; c < diagram.Classes.size(); ++c) {
    std::string label;
    for (const int k : diagram.Classes[c]) {
      if (!label.empty()) label += "\n";
      label += std::to_string(k + 1);
      const auto at = static_cast<std::size_t>(k);
      if (at < element_words.size() && !element_words[at].empty()) label += ": " + element_words[at];
    }
    // Line breaks inside a label are DOT's escape \n, written after the quoting.
    std::string quoted = Quoted(label);
    std::string text;
    for (const char ch : quoted) text += ch == '\n' ? std::string("\\n") : std::string(1, ch);
    dot += "  c" + std::to_string(c + 1) + " [label=" + text + "];\n";
  }
  for (const auto& [lower, upper] : diagram.Covers) {
    dot += "  c" + std::to_string(lower + 1) + " -> c" + std::to_string(upper + 1) + ";\n";
  }
  dot += "}\n";
  return dot;
}

}  // namespace quorel
