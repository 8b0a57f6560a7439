#include "shell/gui/results_view.hpp"

#include <QComboBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/gui/elements_panel.hpp"
#include "shell/gui/hasse_view.hpp"
#include "shell/gui/pair_table.hpp"
#include "shell/gui/pairs_panel.hpp"
#include "shell/gui/report_viewer.hpp"

namespace quorel {

ResultsView::ResultsView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("results"));
  problem_choice_ = new QComboBox(this);
  problem_choice_->setObjectName(QStringLiteral("networkChoice"));
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("resultTabs"));
  elements_ = new ElementsPanel(this);
  pairs_ = new PairsPanel(this);
  diagrams_ = new HasseView(this);
  report_ = new ReportViewer(this);
  tabs_->addTab(elements_, QStringLiteral("&Elements"));
  tabs_->addTab(pairs_, QStringLiteral("&Pairs"));
  tabs_->addTab(diagrams_, QStringLiteral("&Diagrams"));
  tabs_->addTab(report_, QStringLiteral("Re&port"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(problem_choice_);
  column->addWidget(tabs_, 1);
  problem_choice_->hide();
  connect(problem_choice_, &QComboBox::activated, this, &ResultsView::ShowProblem);
}

void ResultsView::Clear() {
  problems_.clear();
  shown_ = -1;
  problem_choice_->clear();
  problem_choice_->hide();
  elements_->SetElements(nullptr);
  pairs_->SetTable(PairTable());
  diagrams_->Clear();
  report_->Clear();
}

void ResultsView::ProblemStarted(int number, const QString& label) {
  problems_.push_back(ProblemResults{number, label.toStdString(), nullptr, nullptr, {}});
  problem_choice_->addItem(QStringLiteral("Network %1: %2").arg(number).arg(label.trimmed()));
  problem_choice_->setVisible(problems_.size() > 1);
  ShowProblem(ProblemCount() - 1);  // the one in work
}

void ResultsView::TakeElements(std::shared_ptr<const ElementsPart> elements) {
  if (problems_.empty()) return;
  problems_.back().elements = std::move(elements);
  if (!Shown(ProblemCount() - 1)) return;
  elements_->SetElements(problems_.back().elements);
  ShowPairs();
  diagrams_->AddDiagram(QStringLiteral("Partial order"), problems_.back().elements->partial_order,
                        problems_.back().elements);
}

void ResultsView::TakePairs(std::shared_ptr<const PairsPart> pairs) {
  if (problems_.empty()) return;
  problems_.back().pairs = std::move(pairs);
  if (Shown(ProblemCount() - 1)) ShowPairs();
}

void ResultsView::TakeLevel(std::shared_ptr<const OmegaLevel> level) {
  if (problems_.empty()) return;
  problems_.back().levels.push_back(level);
  if (Shown(ProblemCount() - 1)) AddLevelDiagrams(*level);
}

void ResultsView::AddLevelDiagrams(const OmegaLevel& level) {
  const ProblemResults& problem = problems_[static_cast<std::size_t>(shown_)];
  if (!problem.elements || !level.HasLowerOmega) return;
  const QString alpha = QString::number(static_cast<double>(level.Alpha), 'g', 6);
  diagrams_->AddDiagram(QStringLiteral("Omega (closed), alpha %1").arg(alpha), level.OmegaClosure, problem.elements);
  diagrams_->AddDiagram(QStringLiteral("Lower Omega (closed), alpha %1").arg(alpha), level.LowerOmegaClosure,
                        problem.elements);
}

void ResultsView::ShowPairs() {
  const ProblemResults& problem = problems_[static_cast<std::size_t>(shown_)];
  // The model keeps its sort column and filter for the new table.
  pairs_->SetTable(PairTable(problem.elements, problem.pairs), problem.elements ? problem.elements->ElementCount() : 0);
}

void ResultsView::ShowProblem(int index) {
  if (index < 0 || index >= ProblemCount()) return;
  shown_ = index;
  problem_choice_->setCurrentIndex(index);
  const ProblemResults& problem = problems_[static_cast<std::size_t>(index)];
  elements_->SetElements(problem.elements);
  ShowPairs();
  diagrams_->Clear();
  if (problem.elements) {
    diagrams_->AddDiagram(QStringLiteral("Partial order"), problem.elements->partial_order, problem.elements);
    for (const auto& level : problem.levels) AddLevelDiagrams(*level);
  }
}

void ResultsView::OpenReport(const QString& path) { report_->Open(path); }

void ResultsView::ShowTab(Tab tab) { tabs_->setCurrentIndex(static_cast<int>(tab)); }

}  // namespace quorel
