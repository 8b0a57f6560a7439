#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "shell/gui/problem_results.hpp"

class QComboBox;
class QTabWidget;

namespace quorel {

class ElementsPanel;
class HasseView;
class PairsPanel;
class ReportViewer;

// The results of a run, filled in as each phase finishes: the elements and their
// matrices, the pairs table, the Hasse diagrams and the text report. A data file with
// several networks gives a choice of network.
class ResultsView : public QWidget {
  Q_OBJECT

 public:
  enum Tab { kElements, kPairs, kDiagrams, kReport };

  explicit ResultsView(QWidget* parent = nullptr);

  void Clear();
  void ProblemStarted(int number, const QString& label);
  void TakeElements(std::shared_ptr<const ElementsPart> elements);
  void TakePairs(std::shared_ptr<const PairsPart> pairs);
  void TakeLevel(std::shared_ptr<const OmegaLevel> level);
  void OpenReport(const QString& path);

  void ShowTab(Tab tab);
  void ShowProblem(int index);
  int ProblemCount() const { return static_cast<int>(problems_.size()); }

  ElementsPanel* Elements() const { return elements_; }
  PairsPanel* Pairs() const { return pairs_; }
  HasseView* Diagrams() const { return diagrams_; }
  ReportViewer* Report() const { return report_; }

 private:
  bool Shown(int problem) const { return problem == shown_; }
  void ShowPairs();
  void AddLevelDiagrams(const OmegaLevel& level);

  std::vector<ProblemResults> problems_;
  int shown_ = -1;
  QComboBox* problem_choice_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  ElementsPanel* elements_ = nullptr;
  PairsPanel* pairs_ = nullptr;
  HasseView* diagrams_ = nullptr;
  ReportViewer* report_ = nullptr;
};

}  // namespace quorel
