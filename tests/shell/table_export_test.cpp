// The CSV tables read back and held against the JSON document of the same run, which
// json_export_test.cpp holds against the report.

#include "views/table_export.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

#include "formats/csv_dialect.hpp"
#include "shell/command_line.hpp"
#include "views/csv_writer.hpp"
#include "views/json_export.hpp"
#include "views/sink_fanout.hpp"
#include "support/run_harness.hpp"

namespace quorel {
namespace {

using ::testing::HasSubstr;
using nlohmann::json;

// A table read back by the input reader's CSV rules (RFC 4180 quoting): the header, then
// rows with as many fields, the last one ended.
struct Table {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;

  const std::string& At(std::size_t row, const std::string& column) const {
    static const std::string missing = "(no column)";
    const auto at = std::find(header.begin(), header.end(), column);
    return at == header.end() ? missing : rows[row][static_cast<std::size_t>(at - header.begin())];
  }
};

Table ReadTable(const std::string& path) {
  const std::string text = testing::ReadWholeFile(path);
  EXPECT_TRUE(!text.empty() && text.back() == '\n') << path;
  Table table;
  for (CsvRow& row : SplitCsvRows(text, ',')) {
    (table.header.empty() ? table.header : table.rows.emplace_back()) = std::move(row.fields);
    EXPECT_EQ(table.rows.empty() ? table.header.size() : table.rows.back().size(), table.header.size()) << path;
  }
  return table;
}

// A cell against a JSON value: empty for null, else the same number.
void ExpectCell(const std::string& cell, const json& value, const std::string& what) {
  if (value.is_null()) {
    EXPECT_EQ(cell, "") << what;
  } else {
    ASSERT_NE(cell, "") << what;
    EXPECT_EQ(std::stod(cell), value.get<double>()) << what;
  }
}

int Int(const std::string& cell) { return std::stoi(cell); }
bool Bit(const json& rows, int r, int c) { return rows[r].get<std::string>()[static_cast<std::size_t>(c)] == '1'; }

// The inclusion "element i in element j" of a relation in the document's orientation.
bool Includes(const json& rows, int i, int j) { return Bit(rows, j - 1, i - 1); }

void ExpectElementsAgree(const Table& t, const json& p) {
  const json& elements = p["semigroup"]["elements"];
  const int n = p["n"], g = static_cast<int>(p["generators"].size());
  ASSERT_EQ(t.rows.size(), elements.size());
  for (std::size_t k = 0; k < t.rows.size(); ++k) {
    const json& element = elements[k];
    EXPECT_EQ(t.At(k, "word"), element["letters"].get<std::string>());
    EXPECT_EQ(Int(t.At(k, "length")), static_cast<int>(element["word"].size()));
    EXPECT_EQ(t.At(k, "is_generator"), static_cast<int>(k) < g ? "1" : "0");
    int ties = 0;
    for (const json& row : element["matrix"]) {
      const std::string cells = row.get<std::string>();
      ties += static_cast<int>(std::count(cells.begin(), cells.end(), '1'));
    }
    EXPECT_EQ(Int(t.At(k, "ties")), ties) << k;
    EXPECT_DOUBLE_EQ(std::stod(t.At(k, "density")), static_cast<double>(ties) / (n * n));
  }
}

// Every pair's row: its place, words, statistics, the partial order and Omega at each level;
// the counts cover the cells the diagonal rule counts and give back kappa and McNemar's Z.
void ExpectPairsAgree(const Table& t, const json& p, const std::vector<std::string>& omega_columns) {
  const json& elements = p["semigroup"]["elements"];
  const int e = static_cast<int>(elements.size()), n = p["n"], g = static_cast<int>(p["generators"].size());
  const std::string diagonal = p["options"]["diagonal"];
  ASSERT_EQ(t.rows.size(), static_cast<std::size_t>(e * (e - 1) / 2));
  std::vector<std::string> header(t.header.end() - static_cast<long>(omega_columns.size()), t.header.end());
  EXPECT_EQ(header, omega_columns);
  const json& s = p["statistics"];
  std::size_t row = 0;
  for (int i = 1; i <= e; ++i) {
    for (int j = i + 1; j <= e; ++j, ++row) {
      const std::string pair = std::to_string(i) + "," + std::to_string(j);
      ASSERT_EQ(Int(t.At(row, "i")), i);
      ASSERT_EQ(Int(t.At(row, "j")), j);
      EXPECT_EQ(t.At(row, "word_i"), elements[i - 1]["letters"].get<std::string>());
      EXPECT_EQ(t.At(row, "word_j"), elements[j - 1]["letters"].get<std::string>());
      for (const char* name : {"likelihood_ratio", "theta", "fisher_p", "mcnemar_z", "mcnemar_z_proportions",
                               "binomial_p", "kappa", "estvar", "kappa_proportions", "standardized_kappa",
                               "standardized_kappa_proportions"}) {
        ExpectCell(t.At(row, name), s[name].is_null() ? json(nullptr) : s[name][i - 1][j - 1],
                   std::string(name) + " " + pair);
      }
      const double n11 = Int(t.At(row, "n11")), n10 = Int(t.At(row, "n10")), n01 = Int(t.At(row, "n01")),
                   n00 = Int(t.At(row, "n00"));
      const bool whole = diagonal == "include-all" || (diagonal == "exclude-generators" && i > g && j > g);
      EXPECT_EQ(n11 + n10 + n01 + n00, whole ? n * n : n * (n - 1)) << pair;
      const double cells = n11 + n10 + n01 + n00;
      const double chance = ((n11 + n10) * (n11 + n01) + (n01 + n00) * (n10 + n00)) / (cells * cells);
      const double kappa = chance == 1.0 ? 0.0 : ((n11 + n00) / cells - chance) / (1.0 - chance);
      EXPECT_NEAR(kappa, s["kappa"][i - 1][j - 1].get<double>(), 1e-5) << pair;
      const double z = n01 + n10 == 0 ? 0.0 : (n01 - n10) / std::sqrt(n01 + n10);
      EXPECT_NEAR(z, s["mcnemar_z"][i - 1][j - 1].get<double>(), 1e-5) << pair;
      EXPECT_EQ(t.At(row, "included_i_in_j"), Includes(p["partial_order"], i, j) ? "1" : "0") << pair;
      EXPECT_EQ(t.At(row, "included_j_in_i"), Includes(p["partial_order"], j, i) ? "1" : "0") << pair;
      for (std::size_t level = 0; level < omega_columns.size(); ++level) {
        const json& omega = p["cutoff_levels"][level]["omega"];
        const bool up = Includes(omega, i, j), down = Includes(omega, j, i);
        EXPECT_EQ(t.At(row, omega_columns[level]), up && down ? "equivalent" : up ? "i<j" : down ? "j<i" : "")
            << pair;
      }
    }
  }
}

// Exactly the covering pairs of the partial order: included, with no element between.
void ExpectCoversAgree(const Table& t, const json& p) {
  const json& order = p["partial_order"];
  const int e = static_cast<int>(order.size());
  std::set<std::pair<int, int>> covers;
  for (int l = 1; l <= e; ++l) {
    for (int u = 1; u <= e; ++u) {
      if (l == u || !Includes(order, l, u)) continue;
      bool between = false;
      for (int k = 1; k <= e; ++k) between |= k != l && k != u && Includes(order, l, k) && Includes(order, k, u);
      if (!between) covers.emplace(l, u);
    }
  }
  std::set<std::pair<int, int>> rows;
  for (std::size_t r = 0; r < t.rows.size(); ++r) rows.emplace(Int(t.At(r, "lower")), Int(t.At(r, "upper")));
  EXPECT_EQ(rows.size(), t.rows.size());
  EXPECT_EQ(rows, covers);
}

// omega.csv and atoms.csv as the document gives them: per level, every ordered pair of
// distinct elements in one of the four relations (i then j), and every atom in order.
void ExpectLevelsAgree(const std::string& omega, const std::string& atoms, const json& p) {
  std::string omega_rows = "level,alpha,i,j,omega,lower_omega,lower_omega_closure,omega_closure\n";
  std::string atom_rows = "level,alpha,relation,atom,generator_i,generator_j,induced,unique_meet_complement\n";
  for (const json& level : p["cutoff_levels"]) {
    const std::string front = level["level"].dump() + "," + ShortestDecimal(level["alpha"].get<float>()) + ",";
    const int e = static_cast<int>(level["omega"].size());
    for (int i = 1; i <= e; ++i) {
      for (int j = 1; j <= e; ++j) {
        std::string flags;
        bool any = false;
        for (const char* name : {"omega", "lower_omega", "lower_omega_closure", "omega_closure"}) {
          const bool in = !level[name].is_null() && Includes(level[name], i, j);
          flags += level[name].is_null() ? "," : in ? ",1" : ",0";
          any |= i != j && in;
        }
        if (any) omega_rows += front + std::to_string(i) + "," + std::to_string(j) + flags + "\n";
      }
    }
    for (const std::string kind : {"omega", "lower_omega"}) {
      const json& factorization = level[kind + "_factorization"];
      for (std::size_t k = 0; !factorization.is_null() && k < factorization["atoms"].size(); ++k) {
        const json& atom = factorization["atoms"][k];
        std::string induced;
        for (const json& pair : atom["induced"]) {
          if (!induced.empty()) induced += ';';
          induced.append(pair[1].dump()).append(1, '<').append(pair[0].dump());
        }
        atom_rows += front + (kind == "omega" ? "omega," : "lower-omega,") + std::to_string(k + 1) + "," +
                     atom["generating"][1].dump() + "," + atom["generating"][0].dump() + "," + induced + "," +
                     (atom["unique_meet_complement"].get<bool>() ? "1" : "0") + "\n";
      }
    }
  }
  EXPECT_EQ(omega, omega_rows);
  EXPECT_EQ(atoms, atom_rows);
}

// The same network under several options: the tables agree with the document, value for
// value, with every option that changes which cells or blocks are filled.
// The document's pair records hold the pairs table's fields, value for value, and every
// sampled proportion lies within its interval.
void ExpectPairRecordsAgree(const Table& pairs, const json& records) {
  ASSERT_EQ(records.size(), pairs.rows.size());
  for (std::size_t r = 0; r < pairs.rows.size(); ++r) {
    for (const std::string name : {"theta", "mcnemar_z_proportions", "kappa_proportions",
                                   "standardized_kappa_proportions"}) {
      const std::string& value = pairs.At(r, name);
      EXPECT_EQ(value.empty(), pairs.At(r, name + "_low").empty()) << name << " of row " << r;
      if (value.empty()) continue;
      EXPECT_LE(std::stod(pairs.At(r, name + "_low")), std::stod(value)) << name << " of row " << r;
      EXPECT_GE(std::stod(pairs.At(r, name + "_high")), std::stod(value)) << name << " of row " << r;
    }
    for (const std::string& column : pairs.header) {
      const std::string& cell = pairs.At(r, column);
      const json& value = records[r][column];
      if (value.is_null()) {
        EXPECT_EQ(cell, "") << column << " of row " << r;
      } else if (value.is_string()) {
        EXPECT_EQ(cell, value.get<std::string>()) << column << " of row " << r;
      } else {
        EXPECT_EQ(static_cast<float>(std::stod(cell)), value.get<float>()) << column << " of row " << r;
      }
    }
  }
}

TEST(TableExport, TablesAgreeWithTheJsonDocument) {
  struct Case {
    const char* network;
    std::vector<const char*> arguments;
    std::vector<std::string> omega_columns;
  };
  const std::vector<Case> cases = {
      {"knoke_bureaucracies.dat",
       {"--permutation-strategy=pairs", "--diagonal=include-all", "--cutoffs=0.05 0.1", "--factor-omega",
        "--factor-lower-omega"},
       {"omega_0.05", "omega_0.1"}},
      {"kapferer_mine.dat", {"--cutoffs=0.05, 0.01, 0.05", "--factor-lower-omega"},
       {"omega_0.05", "omega_0.01", "omega_0.05_3"}},
      {"knoke_bureaucracies.dat",
       {"--fixed-matrix", "--measure-control=MF", "--diagonal=exclude-all", "--cutoffs=0.2", "--factor-omega"},
       {"omega_0.2"}},
      // Proportions are 0/0 without samples: empty cells; no closures: empty columns.
      {"kapferer_mine.dat", {"--generator-products-only", "--max-word-length=3", "--sample-size=0", "--factor-omega"},
       {"omega_0.05"}},
      // Generator powers with samples: Omega has rows, and their closure columns are empty.
      {"kapferer_mine.dat", {"--generator-products-only", "--max-word-length=3", "--cutoffs=0.5"}, {"omega_0.5"}},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"quorel", "--sample-size=20"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    const AnalysisOptions options = ParseCommandLine(static_cast<int>(argv.size()), argv.data()).options;
    SCOPED_TRACE(std::string(c.network) + " " + c.arguments.front());
    const std::string network = testing::ExampleNetwork(c.network);
    const std::string data = options.m_FixedSupplied ? testing::WithFixedMatrix(network) : network;
    testing::ScratchDirectory dir;
    JsonExport document(options, "test");
    TableExport tables(dir.File("tables"), stderr);
    SinkFanout views;
    views.Add(&document);
    views.Add(&tables);
    const testing::RunCapture run = testing::RunOnText(data, options, [&](AnalysisState& s) { s.Results = &views; });
    ASSERT_FALSE(run.fatal) << run.errors;
    tables.Finish();
    const json p = json::parse(document.Text(RunOutcome{}))["problems"][0];
    const std::string folder = dir.File("tables/1/");
    ExpectElementsAgree(ReadTable(folder + "elements.csv"), p);
    ExpectPairsAgree(ReadTable(folder + "pairs.csv"), p, c.omega_columns);
    ExpectPairRecordsAgree(ReadTable(folder + "pairs.csv"), p["pairs"]);
    ExpectCoversAgree(ReadTable(folder + "partial_order.csv"), p);
    ExpectLevelsAgree(testing::ReadWholeFile(folder + "omega.csv"), testing::ReadWholeFile(folder + "atoms.csv"), p);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 5);
  }
}

// A run that ends in a fatal error keeps whole tables of what it reached: here the
// statistics, with no cutoff level.
TEST(TableExport, FatalErrorLeavesWholeTablesOfWhatWasReached) {
  testing::ScratchDirectory dir;
  TableExport tables(dir.File("t"), stderr);
  AnalysisOptions options;
  options.m_SampleSize = 5;
  const testing::RunCapture run =
      testing::RunOnText(testing::ExampleNetwork("knoke_bureaucracies.dat"), options, [&](AnalysisState& state) {
                           state.Results = &tables;
                           state.Storage.FailAt(StorageKind::kOmega, 1);
                         });
  ASSERT_TRUE(run.fatal);
  tables.Finish();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("t/1")), {}), 5);  // no .partial left
  const Table pairs = ReadTable(dir.File("t/1/pairs.csv"));
  EXPECT_EQ(pairs.header.back(), "included_j_in_i");
  EXPECT_FALSE(pairs.rows.empty());
  EXPECT_TRUE(ReadTable(dir.File("t/1/omega.csv")).rows.empty());
}

TEST(CsvWriter, QuotesOnlyFieldsThatNeedIt) {
  for (const auto& [text, field] : std::vector<std::pair<std::string, std::string>>{
           {"A'.B", "A'.B"}, {"", ""}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""},
           {"two\nlines", "\"two\nlines\""}, {"cr\r", "\"cr\r\""}}) {
    std::string line;
    AppendCsvField(line, text);
    EXPECT_EQ(line, field);
  }
}

// Through the command line: one folder per problem, and relation names holding commas and
// quotes come back whole in the words' names (a transpose marked with ').
TEST(TableCommand, OneFolderPerProblemAndNamesQuoted) {
  testing::ScratchDirectory dir;
  testing::WriteWholeFile(dir.File("two.dat"), testing::ExampleNetwork("padgett_florentine.dat") +
                                                   testing::ExampleNetwork("knoke_bureaucracies.dat"));
  ASSERT_EQ(testing::RunQuorel(dir, "-q --data two.dat --sample-size 5 --tables out/t"), 0)
      << testing::ReadWholeFile(dir.File("stderr.txt"));
  EXPECT_EQ(testing::ReadWholeFile(dir.File("stderr.txt")), "");  // every file written, no warning
  for (const char* folder : {"out/t/1", "out/t/2"}) {
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File(folder)), {}), 5) << folder;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("out/t/3")));
  // The record of the run beside them, with what reproduces it.
  EXPECT_THAT(testing::ReadWholeFile(dir.File("out/t/run.json")), ::testing::HasSubstr("\"sha256\": \""));

  testing::WriteWholeFile(dir.File("named.csv"),
                          "source,target,relation\n"
                          "a,b,\"likes, a lot\"\nb,c,\"likes, a lot\"\nc,a,\"says \"\"hi\"\"\"\n");
  ASSERT_EQ(testing::RunQuorel(dir, "-q --data named.csv --transposes --sample-size 5 --tables named"), 0)
      << testing::ReadWholeFile(dir.File("stderr.txt"));
  const Table elements = ReadTable(dir.File("named/1/elements.csv"));
  ASSERT_GE(elements.rows.size(), 4u);
  EXPECT_EQ(elements.At(0, "word_names"), "likes, a lot");
  EXPECT_EQ(elements.At(1, "word_names"), "says \"hi\"");
  EXPECT_EQ(elements.At(3, "word_names"), "says \"hi\"'");
  std::set<std::string> compounds;
  for (std::size_t r = 0; r < elements.rows.size(); ++r) compounds.insert(elements.At(r, "word_names"));
  EXPECT_TRUE(compounds.count("likes, a lot.says \"hi\"") == 1);
  EXPECT_THAT(testing::ReadWholeFile(dir.File("named/1/elements.csv")), HasSubstr("\"says \"\"hi\"\"'\""));
}

}  // namespace
}  // namespace quorel
