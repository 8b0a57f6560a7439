// GraphML documents: the relation attribute chosen among the declared keys, edges directed
// per edge or by the graph's default, weights through the tie rule, and malformed or
// unsupported documents refused on the line of the element at fault.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "formats/graphml_reader.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;

// A document of nodes a, b and c; `body` follows the nodes inside the graph.
std::string Document(const std::string& keys, const std::string& body, const std::string& graph = "") {
  return "<?xml version=\"1.0\"?>\n<graphml xmlns=\"http://graphml.graphdrawing.org/xmlns\">\n" + keys +
         "<graph id=\"g\"" + graph + ">\n<node id=\"a\"/><node id=\"b\"/><node id=\"c\"/>\n" + body + "</graph>\n</graphml>\n";
}

std::vector<std::uint8_t> Cells(const std::string& digits) {
  std::vector<std::uint8_t> cells;
  for (char ch : digits) cells.push_back(ch == '1' ? 1 : 0);
  return cells;
}

const std::string kTypeKey = "<key id=\"t\" for=\"edge\" attr.name=\"type\" attr.type=\"string\"/>\n";
const std::string kWeightKey = "<key id=\"w\" for=\"edge\" attr.name=\"weight\"><default>1</default></key>\n";

struct GraphMlCase {
  const char* name;
  std::string text;
  std::vector<std::string> relations;  // digit strings over a, b, c
  std::vector<std::uint8_t> non_directional;
  std::vector<std::string> relation_names = {};
  std::string relation_attribute = "";
};

class GraphMlReads : public ::testing::TestWithParam<GraphMlCase> {};

TEST_P(GraphMlReads, TheNetwork) {
  const GraphMlCase& c = GetParam();
  Network expected;
  expected.actor_count = 3;
  for (const std::string& digits : c.relations) expected.relations.push_back(Cells(digits));
  expected.actor_names = {"a", "b", "c"};
  expected.relation_names = c.relation_names;
  expected.non_directional = c.non_directional;
  TieRule ties;
  EXPECT_EQ(ReadGraphMl(c.text, ties, c.relation_attribute), expected);
}

INSTANTIATE_TEST_SUITE_P(
    GraphMl, GraphMlReads,
    ::testing::Values(
        GraphMlCase{"DirectedWithoutEdgeDefault", Document("", "<edge source=\"a\" target=\"b\"/><edge source=\"c\" target=\"a\"/>\n"),
                    {"010000100"}, {0}},
        GraphMlCase{"UndirectedEdgeDefault", Document("", "<edge source=\"a\" target=\"b\"/>\n", " edgedefault=\"undirected\""),
                    {"010100000"}, {1}},
        GraphMlCase{"OneDirectedEdgeMakesTheRelationDirectional",
                    Document("", "<edge source=\"a\" target=\"b\"/><edge source=\"c\" target=\"c\" directed=\"true\"/>\n",
                             " edgedefault=\"undirected\""),
                    {"010100001"}, {0}},
        GraphMlCase{"UndirectedEdgesInADirectedGraph",
                    Document("", "<edge directed=\"false\" source=\"b\" target=\"c\"/>\n", " edgedefault=\"directed\""),
                    {"000001010"}, {1}},
        GraphMlCase{"RelationsInOrderOfFirstAppearance",
                    Document(kTypeKey,
                             "<edge source=\"a\" target=\"b\"><data key=\"t\"> kin </data></edge>\n"
                             "<edge source=\"b\" target=\"c\" directed=\"false\"><data key=\"t\">work</data></edge>\n"
                             "<edge source=\"c\" target=\"a\"><data key=\"t\">kin</data></edge>\n"),
                    {"010000100", "000001010"}, {0, 1}, {"kin", "work"}},
        GraphMlCase{"RelationPreferredToALabelDeclaredFirst",
                    Document("<key id=\"l\" for=\"all\" attr.name=\"label\"/>\n<key id=\"r\" for=\"edge\" attr.name=\"Relation\"/>\n",
                             "<edge source=\"a\" target=\"b\"><data key=\"l\">e1</data><data key=\"r\">x</data></edge>\n"),
                    {"010000000"}, {0}, {"x"}},
        GraphMlCase{"KeyIdWithoutAttrName",
                    Document("<key id=\"layer\" for=\"edge\"/>\n", "<edge source=\"a\" target=\"b\"><data key=\"layer\">L</data></edge>\n"),
                    {"010000000"}, {0}, {"L"}},
        GraphMlCase{"DefaultStandsInForMissingData",
                    Document("<key id=\"t\" for=\"edge\" attr.name=\"type\"><default>friend</default></key>\n",
                             "<edge source=\"a\" target=\"b\"/><edge source=\"b\" target=\"a\"><data key=\"t\">foe</data></edge>\n"),
                    {"010000000", "000100000"}, {0, 0}, {"friend", "foe"}},
        GraphMlCase{"NodeAttributeNamedRelationIsNotTheEdges",
                    Document("<key id=\"r\" for=\"node\" attr.name=\"relation\"/>\n", "<edge source=\"a\" target=\"b\"/>\n"),
                    {"010000000"}, {0}},
        GraphMlCase{"GivenRelationAttribute",
                    Document(kTypeKey + "<key id=\"k\" for=\"edge\" attr.name=\"context\"/>\n",
                             "<edge source=\"a\" target=\"b\"><data key=\"t\">x</data><data key=\"k\">home</data></edge>\n"),
                    {"010000000"}, {0}, {"home"}, "context"},
        GraphMlCase{"WeightsZeroOrMissingOrDefault",
                    Document("<key id=\"v\" for=\"edge\" attr.name=\"value\"><default>0</default></key>\n",
                             "<edge source=\"a\" target=\"b\"><data key=\"v\">2</data></edge><edge source=\"b\" target=\"c\"/>\n"),
                    {"010000000"}, {0}},
        GraphMlCase{"EdgesBeforeNodes",
                    "<graphml><graph edgedefault=\"undirected\"><edge source=\"c\" target=\"a\"/>"
                    "<node id=\"a\"/><node id=\"b\"/><node id=\"c\"/></graph></graphml>",
                    {"001000100"}, {1}},
        GraphMlCase{"NoEdgesInAnUndirectedGraph", Document("", "", " edgedefault=\"undirected\""), {"000000000"}, {1}}),
    [](const ::testing::TestParamInfo<GraphMlCase>& info) { return std::string(info.param.name); });

struct MalformedGraphMlCase {
  const char* name;
  std::string text;
  int line;
  std::string reason;  // what sets it apart
  std::string relation_attribute = "";
};

class MalformedGraphMl : public ::testing::TestWithParam<MalformedGraphMlCase> {};

TEST_P(MalformedGraphMl, IsRefusedOnItsLine) {
  const MalformedGraphMlCase& c = GetParam();
  TieRule ties;
  try {
    ReadGraphMl(c.text, ties, c.relation_attribute);
    ADD_FAILURE() << "read";
  } catch (const InputError& error) {
    EXPECT_EQ(error.Line(), c.line) << error.what();
    EXPECT_THAT(error.what(), HasSubstr(c.reason));
  }
}

const std::string kTooManyNodes = [] {
  std::string text = "<graphml><graph>\n";
  for (int k = 1; k <= 182; ++k) text += "<node id=\"n" + std::to_string(k) + "\"/>\n";
  return text + "</graph></graphml>\n";
}();

INSTANTIATE_TEST_SUITE_P(
    GraphMl, MalformedGraphMl,
    ::testing::Values(
        MalformedGraphMlCase{"TagsMismatch", "<graphml><graph>\n<node id=\"a\">\n</graph></graphml>\n", 3,
                             "the XML is malformed: Start-end tags mismatch"},
        MalformedGraphMlCase{"OtherRoot", "<?xml version=\"1.0\"?>\n<gexf/>\n", 2, "the root element is <gexf>, not <graphml>"},
        MalformedGraphMlCase{"NoGraph", "<graphml>\n</graphml>", 1, "holds no <graph>"},
        MalformedGraphMlCase{"SecondGraph", "<graphml><graph><node id=\"a\"/></graph>\n<graph/></graphml>", 2,
                             "a second <graph>"},
        MalformedGraphMlCase{"NoNodes", "<graphml>\n<graph/></graphml>", 2, "the graph has no nodes"},
        MalformedGraphMlCase{"TooManyNodes", kTooManyNodes, 183, "more than 181 nodes"},
        MalformedGraphMlCase{"NodeTwice", "<graphml><graph>\n<node id=\"a\"/>\n<node id=\"a\"/></graph></graphml>", 3,
                             "a second node with the id \"a\""},
        MalformedGraphMlCase{"UnknownTarget", Document("", "<edge source=\"a\"\n target=\"z\"/>\n"), 5,
                             "the edge's target \"z\" is no node of the graph"},
        MalformedGraphMlCase{"DirectedNeitherTrueNorFalse", Document("", "<edge source=\"a\" target=\"b\" directed=\"yes\"/>\n"), 5,
                             "directed=\"yes\""},
        MalformedGraphMlCase{"EdgeDefaultUnknown", Document("", "", " edgedefault=\"mixed\""), 3, "edgedefault=\"mixed\""},
        MalformedGraphMlCase{"RelationAttributeNotDeclared", Document(kTypeKey + kWeightKey, ""), 0,
                             "the relation attribute \"kind\" is not declared for edges; the edge attributes are type, weight",
                             "kind"},
        MalformedGraphMlCase{"EdgeWithoutRelation", Document(kTypeKey, "\n<edge source=\"a\" target=\"b\"/>\n"), 7,
                             "the edge gives no type and its <key> has no <default>"},
        MalformedGraphMlCase{"WeightNotANumber",
                             Document(kWeightKey, "<edge source=\"a\" target=\"b\"><data key=\"w\">heavy</data></edge>\n"), 6,
                             "the value \"heavy\" is not a number"},
        MalformedGraphMlCase{"Hyperedge", Document("", "<hyperedge><endpoint node=\"a\"/></hyperedge>\n"), 5, "hyperedges"},
        MalformedGraphMlCase{"Port", "<graphml><graph>\n<node id=\"a\">\n<port name=\"p\"/></node></graph></graphml>", 3,
                             "ports are not read"},
        MalformedGraphMlCase{"NestedGraph", "<graphml><graph>\n<node id=\"a\"><graph/></node></graph></graphml>", 2,
                             "nested graphs are not read"}),
    [](const ::testing::TestParamInfo<MalformedGraphMlCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorel
