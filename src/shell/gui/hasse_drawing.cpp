#include "shell/gui/hasse_drawing.hpp"

#include <QBrush>
#include <QFontMetricsF>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <map>

namespace quorel {

std::string ClassLabel(const std::vector<int>& members, const std::vector<std::string>& element_words) {
  std::string label;
  for (int k : members) {
    if (!label.empty()) label += '\n';
    label += std::to_string(k + 1);
    if (k < static_cast<int>(element_words.size())) label += ": " + element_words[static_cast<std::size_t>(k)];
  }
  return label;
}

namespace {

std::uint8_t ClassMarks(const std::vector<int>& members, const std::vector<std::uint8_t>& marks) {
  std::uint8_t bits = 0;
  for (int k : members) {
    if (k < static_cast<int>(marks.size())) bits |= marks[static_cast<std::size_t>(k)];
  }
  return bits;
}

}  // namespace

void DrawHasse(QGraphicsScene& scene, const HasseDiagram& diagram, const std::vector<std::string>& element_words,
               const std::vector<std::uint8_t>& marks) {
  const int count = static_cast<int>(diagram.Classes.size());
  const QFontMetricsF metrics(scene.font());
  std::vector<QString> labels;
  std::vector<QSizeF> sizes;
  std::vector<double> width_inches, height_inches;
  for (const std::vector<int>& members : diagram.Classes) {
    labels.push_back(QString::fromStdString(ClassLabel(members, element_words)));
    const QSizeF size = metrics.size(0, labels.back()) + QSizeF(12, 8);
    sizes.push_back(size);
    width_inches.push_back(size.width() / 72.0);
    height_inches.push_back(size.height() / 72.0);
  }
  const HasseLayout layout = LayOutHasse(diagram, width_inches, height_inches);

  // Levels from the bottom; each level's classes left to right, the level centred.
  std::map<int, std::vector<int>> on_level;
  for (int c = 0; c < count; ++c) on_level[layout.Level[static_cast<std::size_t>(c)]].push_back(c);
  double y = 0, widest = 0;
  std::map<int, double> level_y, level_width;
  for (auto it = on_level.begin(); it != on_level.end(); ++it) {
    double width = 0, height = 0;
    for (int c : it->second) {
      width += sizes[static_cast<std::size_t>(c)].width() + 24;
      height = std::max(height, sizes[static_cast<std::size_t>(c)].height());
    }
    level_width[it->first] = width;
    widest = std::max(widest, width);
    y -= height + 48;  // upwards: higher levels above
    level_y[it->first] = y;
  }
  std::vector<QRectF> boxes(static_cast<std::size_t>(count));
  for (const auto& [level, classes] : on_level) {
    double x = (widest - level_width[level]) / 2;
    for (int c : classes) {
      boxes[static_cast<std::size_t>(c)] = QRectF(QPointF(x, level_y[level]), sizes[static_cast<std::size_t>(c)]);
      x += sizes[static_cast<std::size_t>(c)].width() + 24;
    }
  }
  const QPen line(QColor(90, 90, 90), 1.2);
  for (const auto& [lower, upper] : diagram.Covers) {
    const QRectF& a = boxes[static_cast<std::size_t>(lower)];
    const QRectF& b = boxes[static_cast<std::size_t>(upper)];
    scene.addLine(QLineF(QPointF(a.center().x(), a.top()), QPointF(b.center().x(), b.bottom())), line);
  }
  for (int c = 0; c < count; ++c) {
    const QRectF& box = boxes[static_cast<std::size_t>(c)];
    const std::uint8_t bits = ClassMarks(diagram.Classes[static_cast<std::size_t>(c)], marks);
    QPainterPath outline;
    if (bits & kIdentityMark) outline.addRoundedRect(box, box.height() / 2, box.height() / 2);
    else outline.addRect(box);
    QPen pen(Qt::black, 1.0, (bits & kEmptyMark) ? Qt::DashLine : Qt::SolidLine);
    scene.addPath(outline, pen, QBrush((bits & kGeneratorMark) ? QColor(215, 225, 240) : QColor(Qt::white)));
    auto* text = scene.addSimpleText(labels[static_cast<std::size_t>(c)]);
    text->setPos(box.topLeft() + QPointF(6, 4));
  }
}

}  // namespace quorel
