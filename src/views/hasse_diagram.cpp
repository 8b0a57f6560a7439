#include "views/hasse_diagram.hpp"

#include <algorithm>
#include <cmath>
#include <deque>

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

HasseLayout LayOutHasse(const HasseDiagram& diagram, const std::vector<double>& width,
                        const std::vector<double>& height) {
  // Graphviz's default gaps between the nodes of a rank and between ranks, in inches, and
  // the width to height the picture aims at.
  constexpr double kNodeSep = 0.25;
  constexpr double kRankSep = 0.5;
  constexpr double kAspect = 1.6;

  const int count = static_cast<int>(diagram.Classes.size());
  HasseLayout layout;
  layout.Level.assign(static_cast<std::size_t>(count), 0);
  if (count == 0) return layout;
  auto slot_width = [&](int c) { return width[static_cast<std::size_t>(c)] + kNodeSep; };
  auto slot_height = [&](int c) { return height[static_cast<std::size_t>(c)] + kRankSep; };

  std::vector<std::vector<int>> lower(static_cast<std::size_t>(count)), joined(static_cast<std::size_t>(count));
  std::vector<int> pending(static_cast<std::size_t>(count), 0);
  std::vector<std::vector<int>> upper(static_cast<std::size_t>(count));
  for (const auto& [l, u] : diagram.Covers) {
    lower[u].push_back(l);
    upper[l].push_back(u);
    joined[l].push_back(u);
    joined[u].push_back(l);
    ++pending[u];
  }
  // The height of each class above the bottom of its part: the longest chain of covers
  // beneath it.
  std::vector<int> natural(static_cast<std::size_t>(count), 0);
  std::deque<int> ready;
  for (int c = 0; c < count; ++c) {
    if (pending[c] == 0) ready.push_back(c);
  }
  while (!ready.empty()) {
    const int c = ready.front();
    ready.pop_front();
    for (const int u : upper[c]) {
      natural[u] = std::max(natural[u], natural[c] + 1);
      if (--pending[u] == 0) ready.push_back(u);
    }
  }

  // The connected parts, each from its first class; lone classes go to the grid.
  std::vector<std::vector<int>> parts;
  std::vector<bool> seen(static_cast<std::size_t>(count), false);
  for (int c = 0; c < count; ++c) {
    if (seen[c]) continue;
    seen[c] = true;
    if (joined[c].empty()) {
      layout.Isolated.push_back(c);
      continue;
    }
    std::vector<int> part{c};
    for (std::size_t next = 0; next < part.size(); ++next) {
      for (const int other : joined[part[next]]) {
        if (!seen[other]) {
          seen[other] = true;
          part.push_back(other);
        }
      }
    }
    std::sort(part.begin(), part.end(), [&](int a, int b) {
      return natural[a] != natural[b] ? natural[a] < natural[b] : a < b;
    });
    parts.push_back(std::move(part));
  }

  double widest = 0, total_width = 0;
  for (int c = 0; c < count; ++c) {
    widest = std::max(widest, slot_width(c));
    total_width += slot_width(c);
  }

  // Sets the classes out for rows at most `limit` inches wide (or the widest block), into
  // `levels` and the grid's columns; gives the picture's estimated width and height.
  // Each part, and the grid, is a block of levels with local numbers; a class goes on the
  // lowest level above its lower covers that has room. Blocks go side by side while the row
  // has room, then a new row starts above the tallest block.
  std::vector<int> local(static_cast<std::size_t>(count), 0);
  auto arrange = [&](double limit, std::vector<int>& levels, int& grid_columns) {
    int base = 0, row_levels = 0;
    double row_width = 0, picture_width = 0;
    auto place = [&](const std::vector<int>& classes, int block_levels, double block_width) {
      if (row_width > 0 && row_width + block_width > limit) {
        base += row_levels;
        row_levels = 0;
        row_width = 0;
      }
      row_width += block_width;
      picture_width = std::max(picture_width, row_width);
      row_levels = std::max(row_levels, block_levels);
      for (const int c : classes) levels[c] = base + local[c];
    };
    std::vector<double> used;
    for (const std::vector<int>& part : parts) {
      used.clear();
      for (const int c : part) {
        int level = 0;
        for (const int l : lower[c]) level = std::max(level, local[l] + 1);
        while (level < static_cast<int>(used.size()) && used[level] + slot_width(c) > limit) ++level;
        if (level >= static_cast<int>(used.size())) used.resize(static_cast<std::size_t>(level) + 1, 0.0);
        used[level] += slot_width(c);
        local[c] = level;
      }
      place(part, static_cast<int>(used.size()), *std::max_element(used.begin(), used.end()));
    }
    if (!layout.Isolated.empty()) {
      const int m = static_cast<int>(layout.Isolated.size());
      double cell = 0;
      for (const int c : layout.Isolated) cell = std::max(cell, slot_width(c));
      // As wide as the row's room allows; beside taller blocks, no shorter than they are.
      const bool beside = row_width > 0 && row_width + cell <= limit;
      int columns = std::min(m, std::max(1, static_cast<int>((beside ? limit - row_width : limit) / cell)));
      if (beside && row_levels > (m + columns - 1) / columns) columns = (m + row_levels - 1) / row_levels;
      grid_columns = columns;
      for (int k = 0; k < m; ++k) local[layout.Isolated[k]] = k / columns;
      place(layout.Isolated, (m + columns - 1) / columns, columns * cell);
    }
    std::vector<double> level_height(static_cast<std::size_t>(base + row_levels), 0.0);
    for (int c = 0; c < count; ++c) level_height[levels[c]] = std::max(level_height[levels[c]], slot_height(c));
    double picture_height = 0;
    for (const double h : level_height) picture_height += h;
    return std::pair(picture_width, picture_height);
  };

  // Rows from the widest block to all in one, each a seventh wider than the last: the one
  // whose picture wastes least, its area counted larger by how far its shape is from the
  // aimed one.
  double best = 0;
  bool first = true;
  std::vector<int> levels(static_cast<std::size_t>(count), 0);
  for (double limit = widest;; limit *= 8.0 / 7.0) {
    int columns = 0;
    const auto [w, h] = arrange(limit, levels, columns);
    const double miss = w * h * std::exp(std::abs(std::log(w / h / kAspect)));
    if (first || miss < best) {
      first = false;
      best = miss;
      layout.Level = levels;
      layout.GridColumns = columns;
    }
    if (limit >= total_width) break;
  }
  return layout;
}

namespace {

// A label's drawn size in inches at Graphviz's 10-point Helvetica, roughly: the longest
// line's characters (UTF-8 continuation bytes not counted) and the lines.
void EstimateSize(const std::string& label, double& width, double& height) {
  int longest = 0, line = 0, lines = 1;
  for (const char ch : label) {
    if (ch == '\n') {
      ++lines;
      line = 0;
    } else if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) {
      longest = std::max(longest, ++line);
    }
  }
  width = std::max(0.75, 0.08 * longest + 0.22);
  height = std::max(0.5, 0.18 * lines + 0.1);
}

std::string NodeId(int c) {
  std::string id(1, 'c');
  id.append(std::to_string(c + 1));
  return id;
}

}  // namespace

std::string HasseDot(const HasseDiagram& diagram, const std::string& name,
                     const std::vector<std::string>& element_words, const DiagramKey& key) {
  const int count = static_cast<int>(diagram.Classes.size());
  std::vector<std::string> labels;
  std::vector<double> width(static_cast<std::size_t>(count)), height(static_cast<std::size_t>(count));
  std::uint8_t marks_seen = 0;
  std::vector<std::uint8_t> marks(static_cast<std::size_t>(count), 0);
  for (int c = 0; c < count; ++c) {
    std::string label;
    for (const int k : diagram.Classes[c]) {
      if (!label.empty()) label += "\n";
      label += std::to_string(k + 1);
      const auto at = static_cast<std::size_t>(k);
      if (at < element_words.size() && !element_words[at].empty()) label += ": " + element_words[at];
      if (at < key.Marks.size()) marks[c] |= key.Marks[at];
    }
    marks_seen |= marks[c];
    EstimateSize(label, width[c], height[c]);
    labels.push_back(std::move(label));
  }
  const HasseLayout layout = LayOutHasse(diagram, width, height);
  int levels = 0;
  for (const int level : layout.Level) levels = std::max(levels, level + 1);
  std::vector<std::vector<int>> on_level(static_cast<std::size_t>(levels));
  for (int c = 0; c < count; ++c) on_level[layout.Level[c]].push_back(c);
  bool grouped = layout.Isolated.size() > 1;
  for (const std::vector<int>& level : on_level) grouped = grouped || level.size() > 1;

  std::string dot = "digraph " + Quoted(name) + " {\n";
  dot += "  rankdir=BT;\n";
  if (grouped) dot += "  newrank=true;\n";
  dot += "  node [shape=box, fontname=\"Helvetica\", fontsize=10];\n  edge [arrowhead=none];\n";
  for (int c = 0; c < count; ++c) {
    // Line breaks inside a label are DOT's escape \n, written after the quoting.
    std::string text;
    for (const char ch : Quoted(labels[c])) text += ch == '\n' ? std::string("\\n") : std::string(1, ch);
    std::string style;
    if (marks[c] & kGeneratorMark) style += ", style=\"filled";
    if (marks[c] & kEmptyMark) style += style.empty() ? ", style=\"dashed" : ",dashed";
    if (!style.empty()) style += "\"";
    if (marks[c] & kGeneratorMark) style += ", fillcolor=\"#dbe7f3\"";
    if (marks[c] & kIdentityMark) style += ", shape=ellipse";
    dot += "  " + NodeId(c) + " [label=" + text + style + "];\n";
  }
  // The lone classes in a dashed frame; each level one rank, the grid's columns held by
  // invisible edges.
  if (layout.Isolated.size() > 1) {
    dot += "  subgraph cluster_lone {\n    label=\"comparable to no other\"; style=dashed; color=gray50;"
           " fontname=\"Helvetica\"; fontsize=9;\n   ";
    for (const int c : layout.Isolated) dot.append(1, ' ').append(NodeId(c)).append(1, ';');
    dot += "\n  }\n";
  }
  for (const std::vector<int>& level : on_level) {
    if (level.size() < 2) continue;
    dot += "  { rank=same;";
    for (const int c : level) dot.append(1, ' ').append(NodeId(c)).append(1, ';');
    dot += " }\n";
  }
  std::vector<bool> climbs(static_cast<std::size_t>(levels), false);  // a cover joins level l and l + 1
  for (const auto& [lower, upper] : diagram.Covers) {
    dot += "  " + NodeId(lower) + " -> " + NodeId(upper) + ";\n";
    if (layout.Level[upper] == layout.Level[lower] + 1) climbs[layout.Level[lower]] = true;
  }
  const std::size_t columns = static_cast<std::size_t>(layout.GridColumns);
  for (std::size_t k = 0; k + columns < layout.Isolated.size(); ++k) {
    dot += "  " + NodeId(layout.Isolated[k]) + " -> " + NodeId(layout.Isolated[k + columns]) + " [style=invis];\n";
    climbs[layout.Level[layout.Isolated[k]]] = true;
  }
  // A level no edge reaches from the level below is held above it by an invisible edge
  // from the first class below it, which also keeps the rows' left edges together (the
  // first class is drawn leftmost, as its part comes first).
  int first_below = levels > 0 ? on_level[0].front() : 0;
  for (int l = 1; l < levels; ++l) {
    if (!climbs[l - 1]) {
      dot += "  " + NodeId(first_below) + " -> " + NodeId(on_level[l].front()) + " [style=invis";
      if (l - layout.Level[first_below] > 1) dot += ", minlen=" + std::to_string(l - layout.Level[first_below]);
      dot += "];\n";
    }
    first_below = std::min(first_below, on_level[l].front());
  }
  // The lone classes read left to right, row by row.
  for (std::size_t k = 0; k + 1 < layout.Isolated.size(); ++k) {
    if ((k + 1) % columns == 0) continue;
    dot += "  " + NodeId(layout.Isolated[k]) + " -> " + NodeId(layout.Isolated[k + 1]) + " [style=invis];\n";
  }

  std::vector<std::string> legend;
  const std::size_t generators = key.GeneratorNames.size();
  if (generators > 0 && generators <= 26 &&
      std::none_of(key.GeneratorNames.begin(), key.GeneratorNames.end(), [](const std::string& n) { return n.empty(); })) {
    std::string line;
    for (std::size_t g = 0; g < generators; ++g) {
      if (!line.empty()) line += ", ";
      line += std::string(1, static_cast<char>('A' + g)) + " = " + key.GeneratorNames[g];
      if (g % 4 == 3 || g + 1 == generators) {
        legend.push_back(line);
        line.clear();
      }
    }
  }
  std::string marks_line;
  auto add_mark = [&](std::uint8_t mark, const char* text) {
    if ((marks_seen & mark) == 0) return;
    if (!marks_line.empty()) marks_line += "; ";
    marks_line += text;
  };
  add_mark(kGeneratorMark, "shaded: generator");
  add_mark(kIdentityMark, "ellipse: identity relation");
  add_mark(kEmptyMark, "dashed: empty relation");
  if (!marks_line.empty()) legend.push_back(marks_line);
  if (!legend.empty()) {
    std::string text;
    for (const std::string& line : legend) text += line + "\n";
    std::string quoted;
    for (const char ch : Quoted(text)) quoted += ch == '\n' ? std::string("\\l") : std::string(1, ch);
    dot += "  label=" + quoted + "; labelloc=t; labeljust=l; fontname=\"Helvetica\"; fontsize=10;\n";
  }
  dot += "}\n";
  return dot;
}

}  // namespace quorel
