#include "algebra/semigroup.hpp"

#include <cstdio>
#include <vector>

#include "pipeline/analysis_state.hpp"
#include "core/fatal_error.hpp"
#include "views/report_printers.hpp"

namespace quorel {

namespace {

// Computes `left` followed by `right` into the spare slot and returns the element it
// equals, or -1.
std::int16_t ProductIndex(MatrixList& list, int left, int right, int element_count) {
  BitWord* spare = list.Matrix(element_count);
  BooleanProduct(list.Matrix(left), list.Matrix(right), spare, list.Shape());
  return list.FindMatrix(element_count, spare);
}

// Accepts the product in the spare slot as a new element and opens a new spare.
void AcceptSpare(AnalysisState& state) {
  if (state.ElementCount >= kMaxElements) {
    std::fflush(state.OutFile);
    char text[200];
    std::snprintf(text, sizeof text,
                  "ERROR: The semigroup has more than %d elements, the most that 16-bit element numbers allow.\n"
                  "       Choose a smaller maximum word length.\n",
                  kMaxElements);
    FatalErrorWithMessage(text);
  }
  state.MatrixList.Remember(state.ElementCount);
  ++state.ElementCount;
  if (state.MatrixList.AddMatrixSlot(state.Storage, state.ErrFile, state.ElementCount) != 1) FatalError(1);
}

void ObtainTables(AnalysisState& state) {
  const std::size_t e = static_cast<std::size_t>(state.ElementCount);
  if (!state.Storage.Obtain(StorageKind::kMultTable, state.MultTable, e * e, std::int16_t{-1})) FatalError(5);
  if (!state.Storage.Obtain(StorageKind::kWordTable, state.WordTable, e)) FatalError(6);
}

// The working records of the construction: per element its G right products and how it
// was formed; rows are added in steps of 32.
class WorkingRecords {
 public:
  WorkingRecords(StorageGate& gate, int generators) : gate_(gate), generators_(generators) {
    for (int g = 0; g < generators; ++g) {
      MakeReady(g);
      words_[g] = WordEntry{-1, static_cast<std::int16_t>(g)};
    }
    MakeReady(generators);
  }

  // Makes a row ready for element `index`.
  void MakeReady(int index) {
    if (index < rows_) return;
    const int rows = rows_ + 32;
    bool granted = gate_.Grant(StorageKind::kWorkingRecords);
    if (granted) {
      try {
        products_.resize(static_cast<std::size_t>(rows) * generators_, -1);
        words_.resize(rows);
      } catch (const std::bad_alloc&) {
        granted = false;
      }
    }
    if (!granted) FatalError(2);
    rows_ = rows;
  }

  std::int16_t& Product(int element, int generator) {
    return products_[static_cast<std::size_t>(element) * generators_ + generator];
  }
  WordEntry& Word(int element) { return words_[element]; }

 private:
  StorageGate& gate_;
  int generators_;
  int rows_ = 0;
  std::vector<std::int16_t> products_;
  std::vector<WordEntry> words_;
};

// Fills the columns of the non-generators. Element b = Node(b) followed by a generator g,
// so a followed by b = (a followed by Node(b)) followed by g: when a followed by Node(b) is
// an element x, the cell is the edge-table cell (x, g), which holds the element equal to
// that product or -1 when it is none. Only where a followed by Node(b) is not an element
// is the product formed and looked up.
void FillNonGeneratorColumns(AnalysisState& state) {
  const int e = state.ElementCount;
  const int g = state.GeneratorCount;
  std::vector<std::int16_t>& table = state.MultTable;
  // A compact copy of the edge table (E x G) stays in cache while the rows are filled.
  std::vector<std::int16_t> edges(static_cast<std::size_t>(e) * g);
  for (int a = 0; a < e; ++a) {
    for (int j = 0; j < g; ++j) edges[static_cast<std::size_t>(a) * g + j] = table[static_cast<std::size_t>(a) * e + j];
  }
  for (int a = 0; a < e; ++a) {
    std::int16_t* row = table.data() + static_cast<std::size_t>(a) * e;
    for (int b = g; b < e; ++b) {
      const WordEntry& word = state.WordTable[b];
      const std::int16_t left = row[word.Node];
      if (left >= 0) {
        row[b] = edges[static_cast<std::size_t>(left) * g + word.Generator];
      } else {
        row[b] = ProductIndex(state.MatrixList, a, b, e);
      }
    }
  }
}

// The stages, the tables and the last level's products; the non-generator columns are
// left for FillNonGeneratorColumns.
bool ConstructStages(AnalysisState& state, int max_word_length) {
  MatrixList& list = state.MatrixList;
  const int g = state.GeneratorCount;
  WorkingRecords records(state.Storage, g);

  int start = 0;
  int end = g;
  for (int stage = 1; stage <= max_word_length; ++stage) {
    for (int i = start; i < end; ++i) {
      for (int j = 0; j < g; ++j) {
        const std::int16_t f = ProductIndex(list, i, j, state.ElementCount);
        if (f >= 0) {
          records.Product(i, j) = f;
          continue;
        }
        const int index = state.ElementCount;
        records.Product(i, j) = static_cast<std::int16_t>(index);
        AcceptSpare(state);
        records.Word(index) = WordEntry{static_cast<std::int16_t>(i), static_cast<std::int16_t>(j)};
        records.MakeReady(state.ElementCount);
      }
    }
    start = end;
    end = state.ElementCount;
    if (start == end) break;
  }

  ObtainTables(state);
  const int e = state.ElementCount;
  for (int k = 0; k < e; ++k) {
    for (int j = 0; j < g; ++j) state.MultTable[static_cast<std::size_t>(k) * e + j] = records.Product(k, j);
    state.WordTable[k] = records.Word(k);
  }

  // The level at which the stages stopped: its products are looked up but not added.
  bool complete = true;
  for (int i = start; i < end; ++i) {
    for (int j = 0; j < g; ++j) {
      const std::int16_t f = ProductIndex(list, i, j, e);
      state.MultTable[static_cast<std::size_t>(i) * e + j] = f;
      if (f < 0) complete = false;
    }
  }
  return complete;
}

}  // namespace

bool ConstructSemigroup(AnalysisState& state, int max_word_length) {
  const bool complete = ConstructStages(state, max_word_length);
  FillNonGeneratorColumns(state);
  return complete;
}

void BuildSemigroup(AnalysisState& state, int max_word_length) {
  const bool complete = ConstructStages(state, max_word_length);
  std::FILE* out = state.OutFile;
  std::fprintf(out, "Order of the semigroup :   %1d\n", state.ElementCount);
  if (complete) std::fprintf(out, "(Semigroup is complete)\n");
  PrintWordTable(state);

  FillNonGeneratorColumns(state);
  std::fprintf(out, "\nPARTIAL MULTIPLICATION TABLE:\n");
  PrintElementTable(out, state.ElementCount, state.GeneratorCount, state.MultTable.data(), false);
}

void BuildGeneratorPowers(AnalysisState& state, int max_word_length) {
  MatrixList& list = state.MatrixList;
  const int g = state.GeneratorCount;
  const int levels = max_word_length > 0 ? max_word_length : 0;
  std::vector<std::int16_t> powers;
  if (!state.Storage.Obtain(StorageKind::kWorkingRecords, powers, static_cast<std::size_t>(levels + 1) * g)) {
    FatalError(2);
  }
  for (int k = 0; k < g; ++k) powers[k] = static_cast<std::int16_t>(k);
  for (int l = 1; l <= levels; ++l) {
    for (int k = 0; k < g; ++k) {
      const int previous = powers[static_cast<std::size_t>(l - 1) * g + k];
      std::int16_t f = ProductIndex(list, previous, k, state.ElementCount);
      if (f < 0) {
        f = state.ElementCount;
        AcceptSpare(state);
      }
      powers[static_cast<std::size_t>(l) * g + k] = f;
    }
  }

  ObtainTables(state);
  const int e = state.ElementCount;
  for (int k = 0; k < e; ++k) state.WordTable[k] = WordEntry{-1, static_cast<std::int16_t>(k < g ? k : -1)};
  for (int l = 1; l <= levels; ++l) {
    for (int k = 0; k < g; ++k) {
      const std::int16_t previous = powers[static_cast<std::size_t>(l - 1) * g + k];
      const std::int16_t power = powers[static_cast<std::size_t>(l) * g + k];
      state.MultTable[static_cast<std::size_t>(previous) * e + k] = power;
      // Each element records the pair that first produced it.
      if (power >= g && state.WordTable[power].Node == -1) {
        state.WordTable[power] = WordEntry{previous, static_cast<std::int16_t>(k)};
      }
    }
  }
  std::fprintf(state.OutFile, "Order of the semigroup (generator products only):  %1d\n", e);
  PrintWordTable(state);
}

void PrintWordTable(AnalysisState& state) {
  std::FILE* out = state.OutFile;
  std::fprintf(out, "\nWORD TABLE:\n");
  std::fprintf(out, "Semigroup\nElement%5cNode%4cGenerator\n", ' ', ' ');
  std::fprintf(out, "------------------------------\n");
  for (int k = 0; k < state.ElementCount; ++k) {
    const WordEntry& word = state.WordTable[k];
    if (word.Node == -1) {
      std::fprintf(out, "%4d%9c-%9c-\n", k + 1, ' ', ' ');
    } else {
      std::fprintf(out, "%4d%10d%10d\n", k + 1, word.Node + 1, word.Generator + 1);
    }
  }
  std::fprintf(out, "\nEDGE TABLE:\n");
  PrintElementTable(out, state.ElementCount, state.GeneratorCount, state.MultTable.data(), true);
}

}  // namespace quorel
