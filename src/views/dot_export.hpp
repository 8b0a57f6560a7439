#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "views/hasse_diagram.hpp"
#include "views/result_sink.hpp"

namespace quorel {

// Writes Graphviz pictures of each problem into a directory (created when missing):
//   p<problem>-partial-order.dot        the Hasse diagram of the partial order
//   p<problem>-omega-<level>.dot        the closure of Omega at cutoff level <level>
//   p<problem>-lower-omega-<level>.dot  the closure of lower Omega at that level
// (problems and levels numbered from 1; the Omega pictures only when the semigroup was
// built, as only then are the closures formed). When `dot_program` names Graphviz's dot
// program, each file is also drawn as <name>.svg. Problems the directory cannot take, and
// pictures that cannot be drawn, give a warning on `warnings`; the run goes on.
class DotExport : public ResultSink {
 public:
  DotExport(std::string directory, std::string dot_program, std::FILE* warnings);

  void ProblemStarted(const ProblemFacts& facts, const MatrixList& inputs, const FixedMatrixRecord* fixed) override;
  void GeneratorsChosen(const MatrixList& list, int generator_count, const std::vector<int>& transpose_of) override;
  void SemigroupBuilt(const Semigroup& semigroup, const MatrixList& elements) override;
  void PartialOrderBuilt(const ElementRelation& order) override;
  void CutoffLevelDone(const OmegaLevel& level) override;

  // The files written so far, as paths.
  const std::vector<std::string>& Written() const { return written_; }

 private:
  void WriteDiagram(const ElementRelation& relation, const std::string& name);

  std::string directory_;
  std::string dot_program_;  // empty: no SVG
  std::FILE* warnings_;
  bool directory_ready_ = false;
  bool directory_failed_ = false;
  int problem_ = 0;
  std::vector<int> input_slots_;
  std::vector<std::string> relation_names_;
  std::vector<std::string> generator_names_;
  std::vector<std::string> element_words_;
  DiagramKey key_;
  std::vector<std::string> written_;
};

// Per element 0..element_count-1 of `elements`, its ElementMark bits: the first
// `generator_count` are the generators; an element may equal the identity relation or the
// empty relation (with no actors, the empty one only).
std::vector<std::uint8_t> ElementMarks(const MatrixList& elements, int element_count, int generator_count);

// A diagram's file name without extension: "p<problem>-<picture>", then "-<level>" when
// level > 0.
std::string DiagramName(int problem, const char* picture, int level);

// The path of a program on PATH (as the shell would find it), or empty.
std::string FindOnPath(const std::string& program);

// Runs `dot -Tsvg -o svg_path dot_path`; false with a reason when it cannot be started
// or does not succeed.
bool RenderSvg(const std::string& dot_program, const std::string& dot_path, const std::string& svg_path,
               std::string& reason);

}  // namespace quorel
