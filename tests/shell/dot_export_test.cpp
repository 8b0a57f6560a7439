// Hasse diagrams, the words that label them, and the diagram files of a run. The diagrams
// of whole runs are pinned byte for byte with the golden reports.

#include "views/dot_export.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "views/element_words.hpp"
#include "views/hasse_diagram.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

// A relation from its pairs (upper, lower): element `lower` included in element `upper`;
// reflexive.
ElementRelation Relation(int e, const std::vector<std::pair<int, int>>& pairs) {
  ElementRelation m(e);
  for (int k = 0; k < e; ++k) m.Set(k, k);
  for (const auto& [upper, lower] : pairs) m.Set(upper, lower);
  return m;
}

// Omega need not be transitive: the diagram keeps the pairs no chain of others gives, between
// the classes of mutually included elements.
TEST(HasseDiagram, KeepsOnlyCoveringPairsAndMergesMutualInclusions) {
  struct Case {
    int e;
    std::vector<std::pair<int, int>> pairs;  // (upper, lower)
    std::vector<std::vector<int>> classes;
    std::set<std::pair<int, int>> covers;  // (lower class, upper class)
  };
  for (const Case& c : {Case{3, {{1, 0}, {2, 1}}, {{0}, {1}, {2}}, {{0, 1}, {1, 2}}},
                        Case{4, {{1, 0}, {2, 0}, {3, 1}, {3, 2}, {3, 0}}, {{0}, {1}, {2}, {3}}, {{0, 1}, {0, 2}, {1, 3}, {2, 3}}},
                        Case{4, {{1, 3}, {3, 1}, {1, 0}, {2, 1}, {2, 3}, {2, 0}, {3, 0}}, {{0}, {1, 3}, {2}}, {{0, 1}, {1, 2}}},
                        Case{3, {{0, 1}, {1, 2}, {2, 0}}, {{0, 1, 2}}, {}}}) {
    const HasseDiagram d = BuildHasseDiagram(Relation(c.e, c.pairs));
    EXPECT_EQ(d.Classes, c.classes) << c.e;
    EXPECT_EQ(std::set(d.Covers.begin(), d.Covers.end()), c.covers) << c.e;
  }
}

// However the order is shaped, covers climb, the lone classes (and only they) form a grid,
// and the picture is neither a strip nor a tower: with unit-sized nodes, at most four times
// as wide as tall or as tall as wide.
TEST(HasseDiagram, LayoutClimbsAndStaysCompact) {
  struct Case {
    const char* shape;
    int e;
    std::vector<std::pair<int, int>> pairs;  // (upper, lower)
    int lone;
  };
  std::vector<std::pair<int, int>> star, two_parts;
  for (int u = 1; u <= 60; ++u) star.emplace_back(u, 0);
  for (int u = 1; u <= 4; ++u) two_parts.emplace_back(u, 0);
  two_parts.emplace_back(6, 5);
  for (const Case& c : {Case{"all lone", 40, {}, 40}, Case{"one below sixty", 61, star, 0},
                        Case{"two parts and thirty lone", 37, two_parts, 30}, Case{"chain", 3, {{1, 0}, {2, 1}}, 0}}) {
    const HasseDiagram d = BuildHasseDiagram(Relation(c.e, c.pairs));
    const std::size_t classes = d.Classes.size();
    const HasseLayout layout = LayOutHasse(d, std::vector<double>(classes, 0.75), std::vector<double>(classes, 0.5));
    ASSERT_EQ(layout.Level.size(), classes) << c.shape;
    for (const auto& [lower, upper] : d.Covers) EXPECT_GT(layout.Level[upper], layout.Level[lower]) << c.shape;
    EXPECT_EQ(static_cast<int>(layout.Isolated.size()), c.lone) << c.shape;
    std::map<int, int> per_level;
    for (const int level : layout.Level) ++per_level[level];
    int widest = 0;
    for (const auto& [level, count] : per_level) widest = std::max(widest, count);
    const int levels = per_level.rbegin()->first + 1;
    EXPECT_EQ(static_cast<int>(per_level.size()), levels) << c.shape;  // no empty level
    EXPECT_LE(widest, 4 * levels) << c.shape;
    EXPECT_LE(levels, 4 * widest) << c.shape;
  }
}

// A run marks what its elements are: here A is the identity, B the empty relation.
TEST(DotCommand, MarksTheIdentityAndTheEmptyRelation) {
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("x.dat"), "x\n2 2\n1 0 0 1\n0 0 0 0\n");
  ASSERT_EQ(testing::RunQuorel(dir, "-q --data x.dat --sample-size 5 --relation-names self,none --dot figs"), 0);
  const std::string dot = testing::ReadWholeFile(dir.File("figs/p1-partial-order.dot"));
  EXPECT_THAT(dot, HasSubstr("c1 [label=\"1: self\", style=\"filled\", fillcolor=\"#dbe7f3\", shape=ellipse];"));
  EXPECT_THAT(dot, HasSubstr("c2 [label=\"2: none\", style=\"filled,dashed\""));
  EXPECT_THAT(dot, HasSubstr("label=\"A = self, B = none\\l"));
}

TEST(DotCommand, WritesEveryDiagramOfEveryProblem) {
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("two.dat"), testing::ExampleNetwork("padgett_florentine.dat") +
                                                   testing::ExampleNetwork("knoke_bureaucracies.dat"));
  ASSERT_EQ(testing::RunQuorel(dir, "-q --data two.dat --sample-size 20 --cutoffs '0.05 0.1' --dot figs/sub"), 0);
  const std::filesystem::path figs = dir.File("figs/sub");
  const bool graphviz = !FindOnPath("dot").empty();
  for (const char* name : {"p1-partial-order", "p1-omega-1", "p1-omega-2", "p1-lower-omega-1", "p1-lower-omega-2",
                           "p2-partial-order", "p2-omega-1", "p2-lower-omega-2"}) {
    const std::string path = (figs / name).string();
    EXPECT_THAT(testing::ReadWholeFile(path + ".dot"), HasSubstr(std::string("digraph \"") + name + "\"")) << name;
    if (graphviz) { EXPECT_THAT(testing::ReadWholeFile(path + ".svg"), HasSubstr("<svg")) << name; }
  }
  EXPECT_FALSE(std::filesystem::exists(figs / "p3-partial-order.dot"));
  EXPECT_FALSE(FindOnPath("sh").empty());
}

TEST(DotCommand, DrawingFailuresAndUnusableDirectoriesAreWarnings) {
  testing::ScratchDirectory dir;
  AnalysisOptions options;
  options.m_SampleSize = 5;
  std::FILE* warnings = std::tmpfile();
  DotExport failing(dir.File("figs"), "/bin/false", warnings);
  testing::WriteWholeFile(dir.File("blocker"), "a file, not a directory");
  DotExport blocked(dir.File("blocker/figs"), "", warnings);
  const testing::RunCapture run = testing::RunOnText("x\n2 1\n0 1 0 0\n", options, [&](AnalysisState& state) {
    state.Results = &failing;
  });
  EXPECT_EQ(run.code, 0);
  EXPECT_FALSE(run.fatal);
  EXPECT_TRUE(std::filesystem::exists(dir.File("figs/p1-partial-order.dot")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("figs/p1-partial-order.svg")));
  testing::RunOnText("x\n2 1\n0 1 0 0\n", options, [&](AnalysisState& state) { state.Results = &blocked; });
  EXPECT_TRUE(blocked.Written().empty());
  const std::string text = testing::DrainAndClose(warnings);
  EXPECT_THAT(text, HasSubstr("p1-partial-order.dot' could not be drawn as SVG: dot ended with status 1"));
  EXPECT_THAT(text, HasSubstr("blocker/figs' for the diagrams could not be made"));
}

}  // namespace
}  // namespace quorel
