#include "shell/gui/hasse_view.hpp"

#include <QComboBox>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "shell/gui/hasse_drawing.hpp"
#include "views/dot_export.hpp"

#ifdef QUOREL_GUI_WITH_SVG
#include <QGraphicsSvgItem>
#include <QSvgRenderer>
#endif

namespace quorel {

namespace {

// A view that zooms with Ctrl and the mouse wheel.
class ZoomingView : public QGraphicsView {
  Q_OBJECT

 public:
  using QGraphicsView::QGraphicsView;

 Q_SIGNALS:
  void zoomed(double factor);

 protected:
  void wheelEvent(QWheelEvent* event) override {
    if (event->modifiers() & Qt::ControlModifier) {
      const double factor = event->angleDelta().y() > 0 ? 1.25 : 0.8;
      Q_EMIT zoomed(factor);
      event->accept();
      return;
    }
    QGraphicsView::wheelEvent(event);
  }
};

QString DotProgram() { return QString::fromStdString(FindOnPath("dot")); }

}  // namespace

bool HasseView::CanUseGraphviz() {
#ifdef QUOREL_GUI_WITH_SVG
  return !DotProgram().isEmpty();
#else
  return false;
#endif
}

HasseView::HasseView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("hasseView"));
  choice_ = new QComboBox(this);
  choice_->setObjectName(QStringLiteral("diagramChoice"));
  scene_ = new QGraphicsScene(this);
  auto* zooming = new ZoomingView(scene_, this);
  connect(zooming, &ZoomingView::zoomed, this, &HasseView::ZoomBy);
  view_ = zooming;
  view_->setObjectName(QStringLiteral("diagram"));
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setDragMode(QGraphicsView::ScrollHandDrag);
  view_->setBackgroundBrush(Qt::white);
  note_ = new QLabel(this);
  auto* bar = new QHBoxLayout;
  bar->addWidget(choice_, 1);
  const auto add_button = [this, bar](const QString& text, const QString& tip, auto action) {
    auto* button = new QToolButton(this);
    button->setText(text);
    button->setToolTip(tip);
    connect(button, &QToolButton::clicked, this, action);
    bar->addWidget(button);
  };
  add_button(QStringLiteral("+"), QStringLiteral("Zoom in (Ctrl+wheel)"), [this] { ZoomBy(1.25); });
  add_button(QStringLiteral("-"), QStringLiteral("Zoom out (Ctrl+wheel)"), [this] { ZoomBy(0.8); });
  add_button(QStringLiteral("Fit"), QStringLiteral("The whole diagram in the window"), [this] { FitToWindow(); });
  add_button(QStringLiteral("1:1"), QStringLiteral("Actual size"), [this] {
    fitted_ = false;
    view_->resetTransform();
  });
  auto* column = new QVBoxLayout(this);
  column->addLayout(bar);
  column->addWidget(view_, 1);
  column->addWidget(note_);
  connect(choice_, &QComboBox::currentIndexChanged, this, &HasseView::ShowDiagram);
}

HasseView::~HasseView() { StopGraphviz(); }

void HasseView::StopGraphviz() {
  if (dot_ == nullptr) return;
  dot_->disconnect(this);
  dot_->kill();
  dot_->waitForFinished(1000);
  dot_->deleteLater();
  dot_ = nullptr;
}

void HasseView::Clear() {
  StopGraphviz();  // its picture would be taken for the new diagrams
  diagrams_.clear();
  const QSignalBlocker quiet(choice_);
  choice_->clear();
  scene_->clear();
  note_->clear();
  drawn_by_.clear();
}

void HasseView::AddDiagram(const QString& title, const ElementRelation& relation,
                           const std::shared_ptr<const ElementsPart>& elements) {
  Diagram diagram{title, BuildHasseDiagram(relation), elements->named_words, DiagramKey{elements->marks, {}}};
  diagrams_.push_back(std::move(diagram));
  choice_->addItem(title);  // shows the first one as it arrives
}

QString HasseView::Title(int index) const { return diagrams_.at(static_cast<std::size_t>(index)).title; }
int HasseView::Current() const { return choice_->currentIndex(); }
int HasseView::ClassCount(int index) const {
  return static_cast<int>(diagrams_.at(static_cast<std::size_t>(index)).diagram.Classes.size());
}

int HasseView::CoverCount(int index) const {
  return static_cast<int>(diagrams_.at(static_cast<std::size_t>(index)).diagram.Covers.size());
}

void HasseView::ShowDiagram(int index) {
  if (index < 0 || index >= DiagramCount()) return;
  if (choice_->currentIndex() != index) {
    choice_->setCurrentIndex(index);  // comes back here
    return;
  }
  const Diagram& diagram = diagrams_[static_cast<std::size_t>(index)];
  counts_ = QStringLiteral("%1 classes, %2 covers").arg(diagram.diagram.Classes.size()).arg(diagram.diagram.Covers.size());
  note_->setText(counts_);
  if (CanUseGraphviz()) {
    StartGraphviz(diagram);
  } else {
    DrawOwn(diagram);
  }
}

void HasseView::DrawOwn(const Diagram& diagram) {
  scene_->clear();
  DrawHasse(*scene_, diagram.diagram, diagram.words, diagram.key.Marks);
  scene_->setSceneRect(scene_->itemsBoundingRect().adjusted(-20, -20, 20, 20));
  drawn_by_ = QStringLiteral("own");
  note_->setText(counts_);
  FitToWindow();
  Q_EMIT diagramShown();
}

void HasseView::StartGraphviz(const Diagram& diagram) {
  StopGraphviz();
  if (!scratch_) scratch_ = std::make_unique<QTemporaryDir>();
  const QString path = scratch_->filePath(QStringLiteral("diagram.dot"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    DrawOwn(diagram);
    return;
  }
  file.write(QByteArray::fromStdString(HasseDot(diagram.diagram, "hasse", diagram.words, diagram.key)));
  file.close();
  drawn_by_.clear();
  note_->setText(counts_ + QStringLiteral("; Graphviz is drawing it..."));
  const int index = Current();
  dot_ = new QProcess(this);
  connect(dot_, &QProcess::finished, this, [this, index](int code, QProcess::ExitStatus status) {
    const QByteArray svg = dot_->readAllStandardOutput();
    dot_->deleteLater();
    dot_ = nullptr;
    if (status == QProcess::NormalExit && code == 0 && !svg.isEmpty()) {
      TakeSvg(index, svg);
    } else if (index == Current()) {
      DrawOwn(diagrams_[static_cast<std::size_t>(index)]);
    }
  });
  connect(dot_, &QProcess::errorOccurred, this, [this, index](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    dot_->deleteLater();
    dot_ = nullptr;
    if (index == Current()) DrawOwn(diagrams_[static_cast<std::size_t>(index)]);
  });
  dot_->start(DotProgram(), {QStringLiteral("-Tsvg"), path});
}

void HasseView::TakeSvg(int index, const QByteArray& svg) {
  if (index != Current()) return;
#ifdef QUOREL_GUI_WITH_SVG
  auto* renderer = new QSvgRenderer(svg, this);
  if (!renderer->isValid()) {
    delete renderer;
    DrawOwn(diagrams_[static_cast<std::size_t>(index)]);
    return;
  }
  scene_->clear();
  delete svg_renderer_;  // the picture shown before, whose item the scene has just dropped
  svg_renderer_ = renderer;
  auto* item = new QGraphicsSvgItem;
  item->setSharedRenderer(renderer);
  scene_->addItem(item);
  scene_->setSceneRect(item->boundingRect());
  drawn_by_ = QStringLiteral("graphviz");
  note_->setText(counts_ + QStringLiteral("; drawn by Graphviz"));
  FitToWindow();
  Q_EMIT diagramShown();
#else
  Q_UNUSED(svg);
  DrawOwn(diagrams_[static_cast<std::size_t>(index)]);
#endif
}

void HasseView::ZoomBy(double factor) {
  fitted_ = false;
  view_->scale(factor, factor);
}

void HasseView::FitToWindow() {
  fitted_ = true;
  view_->resetTransform();
  const QRectF rect = scene_->sceneRect();
  if (rect.isEmpty()) return;
  // The whole diagram in the window, neither too small to read nor blurred: the scale stays
  // between a quarter and three times the drawn size.
  view_->fitInView(rect, Qt::KeepAspectRatio);
  const double scale = std::clamp(view_->transform().m11(), 0.25, 3.0);
  view_->resetTransform();
  view_->scale(scale, scale);
  view_->centerOn(rect.center());
}

void HasseView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A view that was hidden while its diagram arrived learns its size only now.
  if (fitted_) QTimer::singleShot(0, this, &HasseView::FitToWindow);
}

void HasseView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (fitted_) FitToWindow();
}

}  // namespace quorel

#include "hasse_view.moc"
