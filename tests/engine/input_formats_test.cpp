// DL files, Pajek files, GraphML documents and CSV or TSV tables: recognised by their
// content, read as the network their data file holds (so the report is the data file's,
// label line apart), their names kept, and malformed ones refused with the file and line,
// as malformed data is.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "core/error.hpp"
#include "core/input_format.hpp"
#include "formats/data_file_writer.hpp"
#include "formats/network_reader.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kTestData = std::string(QUOREL_SOURCE_DIR) + "/tests/data/";

// The shared network's data file as another layout reads it: labelled with the file's name,
// and without the non-directionality vector unless the layout carries it (`keep_vector`).
std::string DirectionalCopy(const std::string& network, const std::string& label, bool keep_vector = false) {
  Network copy = ReadNetworkFile(std::string(QUOREL_SOURCE_DIR) + "/examples/" + network + ".dat")[0];
  copy.label = label;
  if (!keep_vector) copy.non_directional.reset();
  std::ostringstream data;
  WriteDataFile(copy, data);
  return data.str();
}

struct SharedNetworkCase {
  const char* file;     // in tests/data
  const char* network;  // in examples/
  std::vector<std::string> actors;     // the first and last names, when named
  std::vector<std::string> relations;  // every relation name, when named
  bool keeps_vector = false;           // the layout says which relations are non-directional
};

class SharedNetworkInOtherLayout : public ::testing::TestWithParam<SharedNetworkCase> {};

TEST_P(SharedNetworkInOtherLayout, GivesTheDataFilesReport) {
  const SharedNetworkCase& c = GetParam();
  AnalysisOptions options;
  options.m_SampleSize = 30;
  options.m_FactorOmega = 1;
  options.m_Transposes = 1;
  const testing::RunCapture expected = testing::RunOnText(DirectionalCopy(c.network, c.file, c.keeps_vector), options);
  const testing::RunCapture run = testing::RunOnFile(kTestData + c.file, options);
  ASSERT_FALSE(run.fatal) << run.errors;
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.report, expected.report);
  EXPECT_EQ(run.messages, expected.messages);
  EXPECT_THAT(run.report, HasSubstr(std::string("\n") + c.file + "\n"));
  if (c.actors.empty()) {
    EXPECT_TRUE(run.actor_names.empty());
  } else {
    ASSERT_FALSE(run.actor_names.empty());
    EXPECT_EQ(run.actor_names.front(), c.actors.front());
    EXPECT_EQ(run.actor_names.back(), c.actors.back());
  }
  EXPECT_EQ(run.relation_names, c.relations);

  // Read as a library, the file gives the network of its data file, names apart.
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("copy.dat"), DirectionalCopy(c.network, c.file, c.keeps_vector));
  std::vector<Network> networks = ReadNetworkFile(kTestData + c.file);
  ASSERT_EQ(networks.size(), 1u);
  EXPECT_EQ(networks[0].relation_names, c.relations);
  networks[0].actor_names.clear();
  networks[0].relation_names.clear();
  EXPECT_EQ(networks, ReadNetworkFile(dir.File("copy.dat")));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, SharedNetworkInOtherLayout,
    ::testing::Values(
        SharedNetworkCase{"padgett_florentine.dl", "padgett_florentine", {"ACCIAIUOLI", "TORNABUONI"}, {"marriage", "business"}},
        SharedNetworkCase{"wolfe_primates.embedded.dl", "wolfe_primates", {"A01", "A20"}, {"joint presence >= 5", "kinship"}},
        SharedNetworkCase{"krackhardt_hightech.unlabelled.dl", "krackhardt_hightech", {}, {}},
        SharedNetworkCase{"knoke_bureaucracies.edgelist.dl", "knoke_bureaucracies", {}, {"information exchange", "money exchange"}},
        SharedNetworkCase{"kapferer_mine.lowerhalf.dl", "kapferer_mine", {}, {"uniplex", "multiplex"}, true},
        SharedNetworkCase{"zachary_karate.upperhalf.dl", "zachary_karate", {}, {"tie", "strong tie"}, true},
        SharedNetworkCase{"krackhardt_hightech.nodelist.dl", "krackhardt_hightech", {}, {"advice", "friendship", "reports_to"}},
        SharedNetworkCase{"padgett_florentine.csv", "padgett_florentine", {"ACCIAIUOLI", "TORNABUONI"}, {"marriage", "business"}},
        SharedNetworkCase{"krackhardt_hightech.numbered.csv", "krackhardt_hightech", {}, {"advice", "friendship", "reports-to"}},
        SharedNetworkCase{"wolfe_primates.net", "wolfe_primates", {"A01", "A20"}, {"joint presence >= 5", "kinship"}, true},
        SharedNetworkCase{"thurman_office.graphml", "thurman_office", {"ANN", "PEG"},
                          {"formal (THURA)", "informal multiplex (THURM)"}, true},
        SharedNetworkCase{"thurman_office.semicolon.csv", "thurman_office", {}, {"formal", "informal multiplex"}},
        SharedNetworkCase{"knoke_bureaucracies.tsv", "knoke_bureaucracies", {"K01", "K10"}, {"information", "money"}},
        SharedNetworkCase{"zachary_karate.undirected.csv", "zachary_karate", {}, {"tie", "strong tie"}, true}),
    [](const ::testing::TestParamInfo<SharedNetworkCase>& info) {
      std::string name = info.param.file;
      for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

// One adjacency matrix per relation, given with --data again, joins into the network of
// the data file, each relation named after its file.
TEST(Formats, AdjacencyMatricesOfSeveralFilesJoinIntoOneNetwork) {
  AnalysisOptions options;
  options.m_SampleSize = 30;
  options.MoreDataPaths = {kTestData + "padgett_florentine.business.tsv"};
  options.NonDirectional = "padgett_florentine.marriage, 2";
  const std::string label = "padgett_florentine.marriage.csv + padgett_florentine.business.tsv";
  const testing::RunCapture run = testing::RunOnFile(kTestData + "padgett_florentine.marriage.csv", options);
  ASSERT_FALSE(run.fatal) << run.errors;
  options.MoreDataPaths.clear();
  options.NonDirectional.clear();  // the copy carries the vector
  EXPECT_EQ(run.report, testing::RunOnText(DirectionalCopy("padgett_florentine", label, true), options).report);
  EXPECT_THAT(run.relation_names, ElementsAre("padgett_florentine.marriage", "padgett_florentine.business"));

  options.MoreDataPaths = {kTestData + "krackhardt_hightech.nodelist.dl"};
  const testing::RunCapture refused = testing::RunOnFile(kTestData + "padgett_florentine.marriage.csv", options);
  EXPECT_TRUE(refused.fatal);
  EXPECT_THAT(refused.errors, HasSubstr("krackhardt_hightech.nodelist.dl: has 21 actors, "));
}

// Each layout told by its content; what fits none is a data file, whose label line is free
// text that may start like a layout's header or hold commas and tabs.
TEST(Formats, RecognisedByContent) {
  struct Case {
    const char* text;
    InputFormat format;
  };
  const Case cases[] = {
      {"\n  \nDL N = 5, NM = 2\n", InputFormat::kDl},
      {"DL FORMAT NL1 N 3\n", InputFormat::kDl},
      {"dl nr 3 nc 4\n", InputFormat::kDl},  // two-mode, recognised to be refused
      {"DL networks of two schools\n5 1\n", InputFormat::kData},
      {"DL n 16 families\n16 2\n", InputFormat::kData},
      {"dl n\n5 1\n", InputFormat::kData},
      {"Source;Target;Weight\n", InputFormat::kCsv},
      {"\n from\tto\n", InputFormat::kCsv},
      {"\xEF\xBB\xBF\"ego\",\"alter\"\r\n", InputFormat::kCsv},
      {",a,b\na,0,1\nb,1,0\n", InputFormat::kCsv},
      {";a;b\na;0;1\nc;1;0\n", InputFormat::kCsv},  // a row named wrong is refused when read, clearly
      {"0\t1\n1\t0\n", InputFormat::kCsv},
      {"source target relation\n1 2 a\n", InputFormat::kData},  // no separator
      {"source,relation\n", InputFormat::kData},                 // no target column
      {"Families: marriage, business\n2 2\n0 1\n1 0\n\n0 1\n1 0\n", InputFormat::kData},
      {"a\tb\n2 1\n0\t1\n1\t0\n", InputFormat::kData},
      {"x, y\n1 1\n0\n", InputFormat::kData},
      {"0,1,0\n1,0,0\n", InputFormat::kData},  // numbers, not square
      {"\"a,b\nc,d\n", InputFormat::kData},     // a quote never closed
      {"", InputFormat::kData},
      {"*Vertices 3\n*Arcs\n1 2\n", InputFormat::kPajek},
      {"% made by hand\r\n\r\n*NETWORK trade\r\n", InputFormat::kPajek},
      {"*Verticesless network\n3 1\n", InputFormat::kData},
      {"Pajek export\n*Vertices 3\n", InputFormat::kData},
      {"<?xml version=\"1.0\"?>\n<!-- made by hand -->\n<graphml xmlns=\"x\">", InputFormat::kGraphMl},
      {"<graphmlish/>", InputFormat::kData},
      {"<?xml version=\"1.0\"?><gexf/>", InputFormat::kData},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetectInputFormat(c.text), c.format) << c.text;
    EXPECT_EQ(ResolveInputFormat(InputFormat::kData, c.text), InputFormat::kData);
  }
}

// A malformed file of any layout ends the run as malformed data does (fatal error 1), with
// the file and line in the diagnostics; what each reader refuses is tested with the reader,
// and the layouts share this ending (a recognised DL file and a forced CSV stand for them).
struct MalformedInputCase {
  const char* name;
  const char* file;  // the file's name decides nothing; the content does
  InputFormat format;
  std::string text;
  std::string error;  // after "ERROR: <dir>/"
};

class MalformedInput : public ::testing::TestWithParam<MalformedInputCase> {};

TEST_P(MalformedInput, EndsTheRunWithFileLineAndReason) {
  const MalformedInputCase& c = GetParam();
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File(c.file), c.text);
  AnalysisOptions options;
  options.DataFormat = c.format;
  const testing::RunCapture run = testing::RunOnFile(dir.File(c.file), options);
  EXPECT_TRUE(run.fatal);
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.errors, "ERROR: " + dir.File(c.error) + "\nABORT QUOREL\n");
  EXPECT_TRUE(run.report.empty());
  try {
    ReadNetworkFile(dir.File(c.file), c.format);
    ADD_FAILURE() << "read";
  } catch (const Error& refused) {
    EXPECT_EQ(std::string(refused.what()), "ERROR: " + dir.File(c.error) + "\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, MalformedInput,
    ::testing::Values(
        MalformedInputCase{"Dl", "net.dl", InputFormat::kAuto, "dl n=2 nm=2\ndata:\n0 1\n1 0\n\n0 1\n",
                           "net.dl:6: the data ends in matrix 2, row 2, column 1: nm = 2 matrices of 2 x 2 values expected"},
        MalformedInputCase{"ForcedCsv", "net.csv", InputFormat::kCsv, "source,relation\na,x\n",
                           "net.csv:1: the header row names no source column (source, from, sender, ego) and target "
                           "column (target, to, receiver, alter), separated by commas, semicolons or tabs"}),
    [](const ::testing::TestParamInfo<MalformedInputCase>& info) { return std::string(info.param.name); });

const std::string kBigDl = [] {
  std::string text = "dl n=181\ndata:\n";
  for (int k = 0; k < 181 * 181; ++k) text += k % 181 == 180 ? "0\n" : "0 ";
  return text;
}();

TEST(Formats, LargestDlNetworkIsRead) {
  std::vector<std::string> warnings;
  std::ostringstream data;
  WriteDataFile(ReadSingleNetwork(kBigDl, InputFormat::kDl, "big.dl", {}, warnings), data);
  EXPECT_THAT(data.str(), StartsWith("big.dl\n181 1\n\n0 0"));
}

}  // namespace
}  // namespace quorel
