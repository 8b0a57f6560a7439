#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "core/element_relation.hpp"
#include "shell/gui/problem_results.hpp"
#include "views/hasse_diagram.hpp"

class QComboBox;
class QGraphicsScene;
class QGraphicsView;
class QLabel;
class QProcess;
class QTemporaryDir;

namespace quorel {

// The Hasse diagrams of a network: the partial order, and the closures of Omega and lower
// Omega at each cutoff level, one at a time, with zoom. Drawn by Graphviz's dot program as
// SVG when the program is on PATH and the window was built with Qt SVG, else by the
// window's own layered drawing.
class HasseView : public QWidget {
  Q_OBJECT

 public:
  explicit HasseView(QWidget* parent = nullptr);
  ~HasseView() override;

  void Clear();
  void AddDiagram(const QString& title, const ElementRelation& relation,
                  const std::shared_ptr<const ElementsPart>& elements);

  int DiagramCount() const { return static_cast<int>(diagrams_.size()); }
  QString Title(int index) const;
  int Current() const;
  void ShowDiagram(int index);
  // How the shown diagram was drawn: "graphviz", "own", or empty while dot is at work.
  QString DrawnBy() const { return drawn_by_; }
  int ClassCount(int index) const;
  int CoverCount(int index) const;
  const QGraphicsScene* Scene() const { return scene_; }

  void ZoomBy(double factor);
  void FitToWindow();

  // Whether dot pictures can be shown at all.
  static bool CanUseGraphviz();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 Q_SIGNALS:
  void diagramShown();

 private:
  struct Diagram {
    QString title;
    HasseDiagram diagram;
    std::vector<std::string> words;
    DiagramKey key;
  };
  void DrawOwn(const Diagram& diagram);
  void StartGraphviz(const Diagram& diagram);
  void StopGraphviz();
  void TakeSvg(int index, const QByteArray& svg);

  std::vector<Diagram> diagrams_;
  QComboBox* choice_ = nullptr;
  QGraphicsView* view_ = nullptr;
  QGraphicsScene* scene_ = nullptr;
  QLabel* note_ = nullptr;
  QProcess* dot_ = nullptr;
  QObject* svg_renderer_ = nullptr;  // draws Graphviz's picture, when one is shown
  std::unique_ptr<QTemporaryDir> scratch_;
  QString drawn_by_;
  QString counts_;  // "14 classes, 5 covers" of the diagram shown
  bool fitted_ = true;  // the diagram follows the window's size until the user zooms
};

}  // namespace quorel
