#include "views/dot_export.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "omega/omega_level.hpp"
#include "views/element_words.hpp"
#include "views/hasse_diagram.hpp"

extern char** environ;

namespace quorel {

std::string DiagramName(int problem, const char* picture, int level) {
  std::string name(1, 'p');
  name.append(std::to_string(problem)).append(1, '-').append(picture);
  if (level > 0) name.append(1, '-').append(std::to_string(level));
  return name;
}

DotExport::DotExport(std::string directory, std::string dot_program, std::FILE* warnings)
    : directory_(std::move(directory)), dot_program_(std::move(dot_program)), warnings_(warnings) {}

void DotExport::ProblemStarted(const ProblemFacts& facts, const MatrixList&, const FixedMatrixRecord*) {
  problem_ = facts.number;
  input_slots_ = facts.input_slots;
  relation_names_ = facts.relation_names;
  generator_names_.clear();
  element_words_.clear();
  key_ = DiagramKey{};
}

void DotExport::GeneratorsChosen(const MatrixList&, int, const std::vector<int>& transpose_of) {
  generator_names_ = GeneratorNames(relation_names_, input_slots_, transpose_of);
  key_.GeneratorNames = generator_names_;
}

void DotExport::SemigroupBuilt(const Semigroup& semigroup, const MatrixList& elements) {
  element_words_.clear();
  for (const std::vector<int>& word : ElementWords(semigroup.word_table)) {
    element_words_.push_back(WordLabel(word, semigroup.generator_count, generator_names_));
  }
  key_.Marks = ElementMarks(elements, semigroup.element_count, semigroup.generator_count);
}

std::vector<std::uint8_t> ElementMarks(const MatrixList& elements, int element_count, int generator_count) {
  const int n = elements.Shape().n;
  std::vector<std::uint8_t> marks(static_cast<std::size_t>(element_count), 0);
  for (int k = 0; k < element_count; ++k) {
    bool identity = true, empty = true;
    for (int r = 0; r < n && (identity || empty); ++r) {
      for (int c = 0; c < n; ++c) {
        const bool cell = elements.Cell(k, r, c);
        identity = identity && cell == (r == c);
        empty = empty && !cell;
      }
    }
    if (k < generator_count) marks[k] |= kGeneratorMark;
    if (identity && n > 0) marks[k] |= kIdentityMark;
    if (empty) marks[k] |= kEmptyMark;
  }
  return marks;
}

void DotExport::PartialOrderBuilt(const ElementRelation& order) {
  WriteDiagram(order, DiagramName(problem_, "partial-order", 0));
}

void DotExport::CutoffLevelDone(const OmegaLevel& level) {
  if (!level.HasLowerOmega) return;
  WriteDiagram(level.OmegaClosure, DiagramName(problem_, "omega", level.Index + 1));
  WriteDiagram(level.LowerOmegaClosure, DiagramName(problem_, "lower-omega", level.Index + 1));
}

void DotExport::WriteDiagram(const ElementRelation& relation, const std::string& name) {
  if (directory_failed_) return;
  if (!directory_ready_) {
    std::error_code error;
    std::filesystem::create_directories(directory_, error);
    if (!std::filesystem::is_directory(directory_)) {
      std::fprintf(warnings_, "quorel: warning: the directory '%s' for the diagrams could not be made: %s\n",
                   directory_.c_str(), error ? error.message().c_str() : "not a directory");
      directory_failed_ = true;
      return;
    }
    directory_ready_ = true;
  }
  const std::string path = (std::filesystem::path(directory_) / (name + ".dot")).string();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << HasseDot(BuildHasseDiagram(relation), name, element_words_, key_);
    out.close();
    if (!out) {
      std::fprintf(warnings_, "quorel: warning: the diagram '%s' could not be written\n", path.c_str());
      return;
    }
  }
  written_.push_back(path);
  if (dot_program_.empty()) return;
  const std::string svg = (std::filesystem::path(directory_) / (name + ".svg")).string();
  std::string reason;
  if (RenderSvg(dot_program_, path, svg, reason)) {
    written_.push_back(svg);
  } else {
    std::fprintf(warnings_, "quorel: warning: '%s' could not be drawn as SVG: %s\n", path.c_str(), reason.c_str());
  }
}

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string entries = path;
  std::size_t start = 0;
  while (start <= entries.size()) {
    std::size_t end = entries.find(':', start);
    if (end == std::string::npos) end = entries.size();
    const std::string dir = end > start ? entries.substr(start, end - start) : std::string(".");
    const std::string candidate = dir + "/" + program;
    std::error_code ignored;
    if (std::filesystem::is_regular_file(candidate, ignored) && ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return {};
}

bool RenderSvg(const std::string& dot_program, const std::string& dot_path, const std::string& svg_path,
               std::string& reason) {
  std::string a0 = dot_program, a1 = "-Tsvg", a2 = "-o", a3 = svg_path, a4 = dot_path;
  char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), a4.data(), nullptr};
  pid_t pid = 0;
  const int started = posix_spawn(&pid, dot_program.c_str(), nullptr, nullptr, argv, environ);
  if (started != 0) {
    reason = std::strerror(started);
    return false;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      reason = std::strerror(errno);
      return false;
    }
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  reason = WIFEXITED(status) ? "dot ended with status " + std::to_string(WEXITSTATUS(status))
                             : std::string("dot was ended by a signal");
  return false;
}

}  // namespace quorel
