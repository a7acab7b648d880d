#include "gui/ou_browser_icons.h"

#include "gui/logo.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace quill {

namespace {

// A plain folder: the shape that stands for a container everywhere.
void drawFolder(QPainter& p, const QColor& fill) {
  p.setPen(QPen(QColor(150, 110, 20), 1.2));
  p.setBrush(fill.darker(115));
  QPainterPath tab;
  tab.moveTo(3, 9);
  tab.lineTo(3, 6);
  tab.lineTo(12, 6);
  tab.lineTo(15, 9);
  tab.closeSubpath();
  p.drawPath(tab);
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(3, 9, 26, 18), 2, 2);
}

// Drawn on a 32 x 32 grid at whatever size and scale the views ask for.
QIcon paintIcon(std::function<void(QPainter&)> draw) { return vectorIcon(std::move(draw), 32); }

}  // namespace

ImageList makeBrowseImageList() {
  const QIcon container = paintIcon([](QPainter& p) { drawFolder(p, QColor(250, 205, 80)); });
  const QIcon up = paintIcon([](QPainter& p) {
    drawFolder(p, QColor(250, 205, 80));
    // An arrow bending up and to the left, over the folder.
    p.setPen(QPen(QColor(20, 70, 170), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath bend;
    bend.moveTo(22, 23);
    bend.lineTo(22, 15);
    bend.lineTo(11, 15);
    p.drawPath(bend);
    p.setBrush(QColor(20, 70, 170));
    p.drawPolygon(QPolygonF({QPointF(8, 15), QPointF(13, 11), QPointF(13, 19)}));
  });
  return {container, up};
}

QIcon drawNewOuIcon() {
  return paintIcon([](QPainter& p) {
    drawFolder(p, QColor(250, 205, 80));
    // A star in the corner: something new.
    p.setPen(QPen(QColor(190, 60, 20), 1));
    p.setBrush(QColor(255, 120, 40));
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
      const double radius = i % 2 == 0 ? 7.5 : 3.2;
      const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
      star << QPointF(23 + radius * std::cos(angle), 9 + radius * std::sin(angle));
    }
    p.drawPolygon(star);
  });
}

QIcon drawAcceptIcon() {
  return paintIcon([](QPainter& p) {
    p.setPen(QPen(QColor(20, 140, 40), 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(6, 17), QPointF(13, 24), QPointF(26, 8)}));
  });
}

}  // namespace quill
