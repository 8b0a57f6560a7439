// GraphML documents: the relation attribute chosen among the declared keys, edges directed
// per edge or by the graph's default, weights through the tie rule, and malformed or
// unsupported documents refused on the line of the element at fault.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/graphml_reader.hpp"
#include "formats/reader_cases.hpp"

namespace quorel {
namespace {

using testing::ReadCase;
using testing::Refusal;

// A document of nodes a, b and c; `body` follows the nodes inside the graph.
std::string Document(const std::string& keys, const std::string& body, const std::string& graph = "") {
  return "<?xml version=\"1.0\"?>\n<graphml xmlns=\"http://graphml.graphdrawing.org/xmlns\">\n" + keys +
         "<graph id=\"g\"" + graph + ">\n<node id=\"a\"/><node id=\"b\"/><node id=\"c\"/>\n" + body + "</graph>\n</graphml>\n";
}

const std::string kTypeKey = "<key id=\"t\" for=\"edge\" attr.name=\"type\" attr.type=\"string\"/>\n";
const std::string kWeightKey = "<key id=\"w\" for=\"edge\" attr.name=\"weight\"><default>1</default></key>\n";

// The network of nodes a, b and c: its relations as rows of digits, which are non-directional
// and their names.
Network Abc(const std::vector<std::string>& relations, std::vector<std::uint8_t> non_directional,
            std::vector<std::string> relation_names = {}) {
  return Net(3, relations, {"a", "b", "c"}, std::move(relation_names), std::move(non_directional));
}

class GraphMlReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(GraphMlReads, TheNetwork) {
  TieRule ties;
  EXPECT_EQ(ReadGraphMl(GetParam().text, ties, GetParam().settings.relation_attribute), GetParam().network);
}

INSTANTIATE_TEST_SUITE_P(
    GraphMl, GraphMlReads,
    ::testing::Values(
        ReadCase{"DirectedWithoutEdgeDefault", Document("", "<edge source=\"a\" target=\"b\"/><edge source=\"c\" target=\"a\"/>\n"),
                 Abc({"010 000 100"}, {0})},
        ReadCase{"UndirectedEdgeDefault", Document("", "<edge source=\"a\" target=\"b\"/>\n", " edgedefault=\"undirected\""),
                 Abc({"010 100 000"}, {1})},
        ReadCase{"OneDirectedEdgeMakesTheRelationDirectional",
                 Document("", "<edge source=\"a\" target=\"b\"/><edge source=\"c\" target=\"c\" directed=\"true\"/>\n",
                 " edgedefault=\"undirected\""),
                 Abc({"010 100 001"}, {0})},
        ReadCase{"UndirectedEdgesInADirectedGraph",
                 Document("", "<edge directed=\"false\" source=\"b\" target=\"c\"/>\n", " edgedefault=\"directed\""),
                 Abc({"000 001 010"}, {1})},
        ReadCase{"RelationsInOrderOfFirstAppearance", Document(kTypeKey,
                 "<edge source=\"a\" target=\"b\"><data key=\"t\"> kin </data></edge>\n"
                 "<edge source=\"b\" target=\"c\" directed=\"false\"><data key=\"t\">work</data></edge>\n"
                 "<edge source=\"c\" target=\"a\"><data key=\"t\">kin</data></edge>\n"),
                 Abc({"010 000 100", "000 001 010"}, {0, 1}, {"kin", "work"})},
        ReadCase{"RelationPreferredToALabelDeclaredFirst",
                 Document("<key id=\"l\" for=\"all\" attr.name=\"label\"/>\n<key id=\"r\" for=\"edge\" attr.name=\"Relation\"/>\n",
                 "<edge source=\"a\" target=\"b\"><data key=\"l\">e1</data><data key=\"r\">x</data></edge>\n"),
                 Abc({"010 000 000"}, {0}, {"x"})},
        ReadCase{"KeyIdWithoutAttrName",
                 Document("<key id=\"layer\" for=\"edge\"/>\n", "<edge source=\"a\" target=\"b\"><data key=\"layer\">L</data></edge>\n"),
                 Abc({"010 000 000"}, {0}, {"L"})},
        ReadCase{"DefaultStandsInForMissingData",
                 Document("<key id=\"t\" for=\"edge\" attr.name=\"type\"><default>friend</default></key>\n",
                 "<edge source=\"a\" target=\"b\"/><edge source=\"b\" target=\"a\"><data key=\"t\">foe</data></edge>\n"),
                 Abc({"010 000 000", "000 100 000"}, {0, 0}, {"friend", "foe"})},
        ReadCase{"NodeAttributeNamedRelationIsNotTheEdges",
                 Document("<key id=\"r\" for=\"node\" attr.name=\"relation\"/>\n", "<edge source=\"a\" target=\"b\"/>\n"),
                 Abc({"010 000 000"}, {0})},
        ReadCase{"GivenRelationAttribute", Document(kTypeKey + "<key id=\"k\" for=\"edge\" attr.name=\"context\"/>\n",
                 "<edge source=\"a\" target=\"b\"><data key=\"t\">x</data><data key=\"k\">home</data></edge>\n"),
                 Abc({"010 000 000"}, {0}, {"home"}), testing::RelationAttribute("context")},
        ReadCase{"WeightsZeroOrMissingOrDefault",
                 Document("<key id=\"v\" for=\"edge\" attr.name=\"value\"><default>0</default></key>\n",
                 "<edge source=\"a\" target=\"b\"><data key=\"v\">2</data></edge><edge source=\"b\" target=\"c\"/>\n"),
                 Abc({"010 000 000"}, {0})},
        ReadCase{"EdgesBeforeNodes", "<graphml><graph edgedefault=\"undirected\"><edge source=\"c\" target=\"a\"/>"
                 "<node id=\"a\"/><node id=\"b\"/><node id=\"c\"/></graph></graphml>",
                 Abc({"001 000 100"}, {1})},
        ReadCase{"NoEdgesInAnUndirectedGraph", Document("", "", " edgedefault=\"undirected\""), Abc({"000 000 000"}, {1})}),
    testing::CaseName<ReadCase>);

class MalformedGraphMl : public ::testing::TestWithParam<Refusal> {};

TEST_P(MalformedGraphMl, IsRefusedOnItsLine) {
  TieRule ties;
  testing::ExpectRefused(GetParam(), [&] { ReadGraphMl(GetParam().text, ties, GetParam().settings.relation_attribute); });
}

const std::string kTooManyNodes = [] {
  std::string text = "<graphml><graph>\n";
  for (int k = 1; k <= 182; ++k) text += "<node id=\"n" + std::to_string(k) + "\"/>\n";
  return text + "</graph></graphml>\n";
}();

INSTANTIATE_TEST_SUITE_P(
    GraphMl, MalformedGraphMl,
    ::testing::Values(
        Refusal{"TagsMismatch", "<graphml><graph>\n<node id=\"a\">\n</graph></graphml>\n", 3,
                "the XML is malformed: Start-end tags mismatch"},
        Refusal{"OtherRoot", "<?xml version=\"1.0\"?>\n<gexf/>\n", 2, "the root element is <gexf>, not <graphml>"},
        Refusal{"NoGraph", "<graphml>\n</graphml>", 1, "holds no <graph>"},
        Refusal{"SecondGraph", "<graphml><graph><node id=\"a\"/></graph>\n<graph/></graphml>", 2, "a second <graph>"},
        Refusal{"NoNodes", "<graphml>\n<graph/></graphml>", 2, "the graph has no nodes"},
        Refusal{"TooManyNodes", kTooManyNodes, 183, "more than 181 nodes"},
        Refusal{"NodeTwice", "<graphml><graph>\n<node id=\"a\"/>\n<node id=\"a\"/></graph></graphml>", 3,
                "a second node with the id \"a\""},
        Refusal{"UnknownTarget", Document("", "<edge source=\"a\"\n target=\"z\"/>\n"), 5,
                "the edge's target \"z\" is no node of the graph"},
        Refusal{"DirectedNeitherTrueNorFalse", Document("", "<edge source=\"a\" target=\"b\" directed=\"yes\"/>\n"), 5,
                "directed=\"yes\""},
        Refusal{"EdgeDefaultUnknown", Document("", "", " edgedefault=\"mixed\""), 3, "edgedefault=\"mixed\""},
        Refusal{"RelationAttributeNotDeclared", Document(kTypeKey + kWeightKey, ""), 0,
                "the relation attribute \"kind\" is not declared for edges; the edge attributes are type, weight",
                testing::RelationAttribute("kind")},
        Refusal{"EdgeWithoutRelation", Document(kTypeKey, "\n<edge source=\"a\" target=\"b\"/>\n"), 7,
                "the edge gives no type and its <key> has no <default>"},
        Refusal{"WeightNotANumber",
                Document(kWeightKey, "<edge source=\"a\" target=\"b\"><data key=\"w\">heavy</data></edge>\n"), 6,
                "the value \"heavy\" is not a number"},
        Refusal{"Hyperedge", Document("", "<hyperedge><endpoint node=\"a\"/></hyperedge>\n"), 5, "hyperedges"},
        Refusal{"Port", "<graphml><graph>\n<node id=\"a\">\n<port name=\"p\"/></node></graph></graphml>", 3,
                "ports are not read"},
        Refusal{"NestedGraph", "<graphml><graph>\n<node id=\"a\"><graph/></node></graph></graphml>", 2,
                "nested graphs are not read"}),
    testing::CaseName<Refusal>);

}  // namespace
}  // namespace quorel
