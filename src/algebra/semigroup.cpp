#include "algebra/semigroup.hpp"

#include <cstdio>
#include <vector>

#include "core/error.hpp"

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
void AcceptSpare(MatrixList& list, StorageGate& gate, Semigroup& s) {
  if (s.element_count >= kMaxElements) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "ERROR: The semigroup has more than %d elements, the most that 16-bit element numbers allow.\n"
                  "       Choose a smaller maximum word length.\n",
                  kMaxElements);
    FatalErrorWithMessage(text);
  }
  list.Remember(s.element_count);
  ++s.element_count;
  OpenMatrixSlot(list, gate, s.element_count);
}

void ObtainTables(StorageGate& gate, Semigroup& s) {
  const std::size_t e = static_cast<std::size_t>(s.element_count);
  if (!gate.Obtain(StorageKind::kMultTable, s.mult_table, e * e, std::int16_t{-1})) FatalError(FatalCode::kMultTable);
  if (!gate.Obtain(StorageKind::kWordTable, s.word_table, e)) FatalError(FatalCode::kWordTable);
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

  // Makes a row ready for element `index`. The records grow geometrically; each growth
  // is one request for the bytes it adds.
  void MakeReady(int index) {
    if (index < rows_) return;
    const int rows = rows_ + 32;
    const std::size_t products = GrownCapacity(products_.capacity(), static_cast<std::size_t>(rows) * generators_);
    const std::size_t words = GrownCapacity(words_.capacity(), static_cast<std::size_t>(rows));
    const std::uint64_t bytes = (products - products_.capacity()) * sizeof(std::int16_t) +
                                (words - words_.capacity()) * sizeof(WordEntry);
    bool granted = gate_.Grant(StorageKind::kWorkingRecords, bytes);
    if (granted) {
      try {
        products_.reserve(products);
        words_.reserve(words);
        products_.resize(static_cast<std::size_t>(rows) * generators_, -1);
        words_.resize(rows);
      } catch (const std::bad_alloc&) {
        granted = false;
      }
    }
    if (!granted) FatalError(FatalCode::kEdgeTable);
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
void FillNonGeneratorColumns(MatrixList& list, Semigroup& s) {
  const int e = s.element_count;
  const int g = s.generator_count;
  std::vector<std::int16_t>& table = s.mult_table;
  // A compact copy of the edge table (E x G) stays in cache while the rows are filled.
  std::vector<std::int16_t> edges(static_cast<std::size_t>(e) * g);
  for (int a = 0; a < e; ++a) {
    for (int j = 0; j < g; ++j) edges[static_cast<std::size_t>(a) * g + j] = table[static_cast<std::size_t>(a) * e + j];
  }
  for (int a = 0; a < e; ++a) {
    std::int16_t* row = table.data() + static_cast<std::size_t>(a) * e;
    for (int b = g; b < e; ++b) {
      const WordEntry& word = s.word_table[b];
      const std::int16_t left = row[word.Node];
      if (left >= 0) {
        row[b] = edges[static_cast<std::size_t>(left) * g + word.Generator];
      } else {
        row[b] = ProductIndex(list, a, b, e);
      }
    }
  }
}

// The stages, the tables and the last level's products; the non-generator columns are
// left for FillNonGeneratorColumns.
bool ConstructStages(MatrixList& list, StorageGate& gate, Semigroup& s, int max_word_length) {
  const int g = s.generator_count;
  WorkingRecords records(gate, g);

  int start = 0;
  int end = g;
  for (int stage = 1; stage <= max_word_length; ++stage) {
    for (int i = start; i < end; ++i) {
      for (int j = 0; j < g; ++j) {
        const std::int16_t f = ProductIndex(list, i, j, s.element_count);
        if (f >= 0) {
          records.Product(i, j) = f;
          continue;
        }
        const int index = s.element_count;
        records.Product(i, j) = static_cast<std::int16_t>(index);
        AcceptSpare(list, gate, s);
        records.Word(index) = WordEntry{static_cast<std::int16_t>(i), static_cast<std::int16_t>(j)};
        records.MakeReady(s.element_count);
      }
    }
    start = end;
    end = s.element_count;
    if (start == end) break;
  }

  ObtainTables(gate, s);
  const int e = s.element_count;
  for (int k = 0; k < e; ++k) {
    for (int j = 0; j < g; ++j) s.mult_table[static_cast<std::size_t>(k) * e + j] = records.Product(k, j);
    s.word_table[k] = records.Word(k);
  }
  // The records are done with; their storage goes when this function returns.
  gate.Release(StorageKind::kWorkingRecords);

  // The level at which the stages stopped: its products are looked up but not added.
  bool complete = true;
  for (int i = start; i < end; ++i) {
    for (int j = 0; j < g; ++j) {
      const std::int16_t f = ProductIndex(list, i, j, e);
      s.mult_table[static_cast<std::size_t>(i) * e + j] = f;
      if (f < 0) complete = false;
    }
  }
  return complete;
}

}  // namespace

void OpenMatrixSlot(MatrixList& list, StorageGate& gate, int index) {
  const std::string failure = list.TryAddMatrixSlot(gate, index);
  if (!failure.empty()) FatalError(FatalCode::kAbort, failure);
}

Semigroup BuildSemigroup(MatrixList& list, int generator_count, int max_word_length, StorageGate& gate) {
  Semigroup s;
  s.generator_count = generator_count;
  s.element_count = generator_count;
  s.complete = ConstructStages(list, gate, s, max_word_length);
  FillNonGeneratorColumns(list, s);
  return s;
}

Semigroup BuildGeneratorPowers(MatrixList& list, int generator_count, int max_word_length, StorageGate& gate) {
  Semigroup s;
  s.generator_count = generator_count;
  s.element_count = generator_count;
  s.generator_products_only = true;
  const int g = generator_count;
  const int levels = max_word_length > 0 ? max_word_length : 0;
  std::vector<std::int16_t> powers;
  if (!gate.Obtain(StorageKind::kWorkingRecords, powers, static_cast<std::size_t>(levels + 1) * g)) {
    FatalError(FatalCode::kEdgeTable);
  }
  for (int k = 0; k < g; ++k) powers[k] = static_cast<std::int16_t>(k);
  for (int l = 1; l <= levels; ++l) {
    for (int k = 0; k < g; ++k) {
      const int previous = powers[static_cast<std::size_t>(l - 1) * g + k];
      std::int16_t f = ProductIndex(list, previous, k, s.element_count);
      if (f < 0) {
        f = static_cast<std::int16_t>(s.element_count);
        AcceptSpare(list, gate, s);
      }
      powers[static_cast<std::size_t>(l) * g + k] = f;
    }
  }

  ObtainTables(gate, s);
  const int e = s.element_count;
  for (int k = 0; k < e; ++k) s.word_table[k] = WordEntry{-1, static_cast<std::int16_t>(k < g ? k : -1)};
  for (int l = 1; l <= levels; ++l) {
    for (int k = 0; k < g; ++k) {
      const std::int16_t previous = powers[static_cast<std::size_t>(l - 1) * g + k];
      const std::int16_t power = powers[static_cast<std::size_t>(l) * g + k];
      s.mult_table[static_cast<std::size_t>(previous) * e + k] = power;
      // Each element records the pair that first produced it.
      if (power >= g && s.word_table[power].Node == -1) {
        s.word_table[power] = WordEntry{previous, static_cast<std::int16_t>(k)};
      }
    }
  }
  gate.Release(StorageKind::kWorkingRecords);
  return s;
}

}  // namespace quorel
