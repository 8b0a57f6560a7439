// Hasse diagrams, the words that label them, and the diagram files of a run.

#include "views/dot_export.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <set>

#include "views/element_words.hpp"
#include "views/hasse_diagram.hpp"
#include "support/report_tables.hpp"
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

TEST(HasseDiagram, KeepsOnlyCoveringPairsAndMergesMutualInclusions) {
  struct Case {
    const char* name;
    int e;
    std::vector<std::pair<int, int>> pairs;  // (upper, lower)
    std::vector<std::vector<int>> classes;
    std::vector<std::pair<int, int>> covers;  // (lower class, upper class)
  };
  const std::vector<Case> cases = {
      {"chain with its transitive pair", 3, {{1, 0}, {2, 1}, {2, 0}}, {{0}, {1}, {2}}, {{0, 1}, {1, 2}}},
      {"chain given without the transitive pair", 3, {{1, 0}, {2, 1}}, {{0}, {1}, {2}}, {{0, 1}, {1, 2}}},
      {"diamond", 4, {{1, 0}, {2, 0}, {3, 1}, {3, 2}, {3, 0}}, {{0}, {1}, {2}, {3}},
       {{0, 1}, {0, 2}, {1, 3}, {2, 3}}},
      {"antichain", 3, {}, {{0}, {1}, {2}}, {}},
      {"mutual pair merged, quotient chain", 4, {{1, 3}, {3, 1}, {1, 0}, {2, 1}, {2, 3}, {2, 0}, {3, 0}},
       {{0}, {1, 3}, {2}}, {{0, 1}, {1, 2}}},
      {"everything equivalent", 3, {{0, 1}, {1, 2}, {2, 0}}, {{0, 1, 2}}, {}},
  };
  for (const Case& c : cases) {
    const HasseDiagram d = BuildHasseDiagram(Relation(c.e, c.pairs));
    EXPECT_EQ(d.Classes, c.classes) << c.name;
    EXPECT_EQ(std::set(d.Covers.begin(), d.Covers.end()), std::set(c.covers.begin(), c.covers.end())) << c.name;
  }
}

TEST(HasseDiagram, DotListsClassesAndCoveringEdges) {
  const HasseDiagram d = BuildHasseDiagram(Relation(3, {{1, 2}, {2, 1}, {1, 0}, {2, 0}}));
  const std::string dot = HasseDot(d, "p1-omega-1", {"A", "B", "AB"});
  EXPECT_THAT(dot, HasSubstr("digraph \"p1-omega-1\" {"));
  EXPECT_THAT(dot, HasSubstr("rankdir=BT;"));
  EXPECT_THAT(dot, HasSubstr("c1 [label=\"1: A\"];"));
  EXPECT_THAT(dot, HasSubstr("c2 [label=\"2: B\\n3: AB\"];"));
  EXPECT_THAT(dot, HasSubstr("c1 -> c2;"));
  EXPECT_EQ(std::count(dot.begin(), dot.end(), '>'), 1);
  // Quotes in a word are escaped.
  EXPECT_THAT(HasseDot(BuildHasseDiagram(Relation(1, {})), "x", {"a\"b"}), HasSubstr("label=\"1: a\\\"b\""));
}

TEST(ElementWords, FollowTheWordTable) {
  // Elements 0, 1 generators; 2 = 0 then 1; 3 = 2 then 0; 4 records no formation.
  const std::vector<WordEntry> table = {{-1, 0}, {-1, 1}, {0, 1}, {2, 0}, {-1, -1}};
  const auto words = ElementWords(table);
  EXPECT_THAT(words, ElementsAre(ElementsAre(0), ElementsAre(1), ElementsAre(0, 1), ElementsAre(0, 1, 0),
                                 ::testing::IsEmpty()));
  EXPECT_EQ(WordLetters(words[3], 2), "ABA");
  EXPECT_EQ(WordLetters(words[3], 27), "");
  EXPECT_EQ(WordLabel(words[3], 27, {}), "1.2.1");
  EXPECT_EQ(WordLabel(words[2], 2, {"kin", "trade"}), "kin\u00b7trade");
}

TEST(ElementWords, GeneratorNamesFromTheInputRelations) {
  // Inputs: marriage, business, marriage again (slot 0); generator 2 is business's transpose.
  EXPECT_THAT(GeneratorNames({"marriage", "business", "again"}, {0, 1, 0}, {-1, -1, 1}),
              ElementsAre("marriage", "business", "business'"));
  EXPECT_TRUE(GeneratorNames({}, {0, 1}, {-1, -1}).empty());
}

TEST(DotCommand, WritesEveryDiagramOfEveryProblem) {
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("two.dat"), testing::ExampleNetwork("padgett_florentine.dat") +
                                                   testing::ExampleNetwork("knoke_bureaucracies.dat"));
  ASSERT_EQ(testing::RunQuorel(dir, "-q --data two.dat --sample-size 20 --cutoffs '0.05 0.1' --dot figs/sub --json r.json"), 0);
  const std::filesystem::path figs = dir.File("figs/sub");
  for (const char* name : {"p1-partial-order", "p1-omega-1", "p1-omega-2", "p1-lower-omega-1", "p1-lower-omega-2",
                           "p2-partial-order", "p2-omega-1", "p2-lower-omega-2"}) {
    const std::string dot = testing::ReadWholeFile((figs / (std::string(name) + ".dot")).string());
    EXPECT_THAT(dot, HasSubstr(std::string("digraph \"") + name + "\"")) << name;
    if (!FindOnPath("dot").empty()) {
      EXPECT_THAT(testing::ReadWholeFile((figs / (std::string(name) + ".svg")).string()), HasSubstr("<svg"))
          << name;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(figs / "p3-partial-order.dot"));

  // The partial order's picture: one node per element, and exactly the covering pairs.
  const std::string dot = testing::ReadWholeFile((figs / "p1-partial-order.dot").string());
  const std::string report = testing::ReadWholeFile(dir.File("Quorel.out"));
  EXPECT_THAT(dot, HasSubstr("c1 [label=\"1: A\"];"));
  EXPECT_THAT(dot, HasSubstr("c7 [label=\"7: AAA\"];"));
  std::set<std::pair<int, int>> edges;
  // Edge lines read "  cL -> cU;".
  std::istringstream lines(dot);
  for (std::string line; std::getline(lines, line);) {
    int lower = 0, upper = 0;
    char end = 0;
    if (std::sscanf(line.c_str(), " c%d -> c%d%c", &lower, &upper, &end) == 3 && end == ';') {
      edges.emplace(lower, upper);
    }
  }
  // The covers found the slow way from the report's partial order table.
  const testing::ReportTables tables(report);
  const int e = 14;
  ASSERT_THAT(report, HasSubstr("Order of the semigroup :   14\n"));
  const auto order = tables.ElementTable(tables.After("PARTIAL ORDER TABLE:"), e);
  std::set<std::pair<int, int>> covers;
  for (int u = 0; u < e; ++u) {
    for (int l = 0; l < e; ++l) {
      if (u == l || order[u][l] != "1") continue;
      bool between = false;
      for (int k = 0; k < e; ++k) between |= k != u && k != l && order[u][k] == "1" && order[k][l] == "1";
      if (!between) covers.emplace(l + 1, u + 1);
    }
  }
  EXPECT_FALSE(covers.empty());
  EXPECT_EQ(edges, covers);
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
  std::rewind(warnings);
  std::string text;
  for (int ch; (ch = std::fgetc(warnings)) != EOF;) text.push_back(static_cast<char>(ch));
  std::fclose(warnings);
  EXPECT_THAT(text, HasSubstr("p1-partial-order.dot' could not be drawn as SVG: dot ended with status 1"));
  EXPECT_THAT(text, HasSubstr("blocker/figs' for the diagrams could not be made"));
}

}  // namespace
}  // namespace quorel
