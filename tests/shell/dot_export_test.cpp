// Hasse diagrams, the words that label them, and the diagram files of a run.

#include "views/dot_export.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

#include "views/element_words.hpp"
#include "views/hasse_diagram.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::ElementsAre;
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

// A class of mutually included elements is one node listing them, linked to the classes it
// covers (here 1 below {2, 3}); quotes in a word are escaped; transposes' names are marked.
TEST(HasseDiagram, DotListsClassesAndCoveringEdges) {
  const std::string dot = HasseDot(BuildHasseDiagram(Relation(3, {{1, 2}, {2, 1}, {1, 0}, {2, 0}})), "x", {"A", "B", "A\"B"});
  EXPECT_THAT(dot, HasSubstr("c2 [label=\"2: B\\n3: A\\\"B\"];"));
  EXPECT_THAT(dot, HasSubstr("c1 -> c2;"));
  EXPECT_EQ(std::count(dot.begin(), dot.end(), '>'), 1);
  EXPECT_THAT(GeneratorNames({"marriage", "business", "again"}, {0, 1, 0}, {-1, -1, 1}),
              ElementsAre("marriage", "business", "business'"));
}

TEST(DotCommand, WritesEveryDiagramOfEveryProblem) {
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("two.dat"), testing::ExampleNetwork("padgett_florentine.dat") +
                                                   testing::ExampleNetwork("knoke_bureaucracies.dat"));
  ASSERT_EQ(testing::RunQuorel(dir, "-q --data two.dat --sample-size 20 --cutoffs '0.05 0.1' --dot figs/sub --json r.json"), 0);
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

  // The partial order's picture is the diagram of the partial order the JSON document holds,
  // its nodes labelled by their words.
  const nlohmann::json problem = nlohmann::json::parse(testing::ReadWholeFile(dir.File("r.json")))["problems"][0];
  const int e = static_cast<int>(problem["partial_order"].size());
  ElementRelation order(e);
  std::vector<std::string> words;
  for (int u = 0; u < e; ++u) {
    words.push_back(problem["semigroup"]["elements"][u]["letters"]);
    for (int l = 0; l < e; ++l) {
      if (problem["partial_order"][u].get<std::string>()[l] == '1') order.Set(u, l);
    }
  }
  const std::string dot = testing::ReadWholeFile((figs / "p1-partial-order.dot").string());
  EXPECT_THAT(dot, HasSubstr("c7 [label=\"7: AAA\"];\n"));
  EXPECT_THAT(dot, HasSubstr(" -> "));
  EXPECT_EQ(dot, HasseDot(BuildHasseDiagram(order), "p1-partial-order", words));
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
